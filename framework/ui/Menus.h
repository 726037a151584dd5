#pragma once

#include <QMenu>
#include <QPoint>

enum TPopupAlignment { paLeft, paRight, paCenter };

// A pop-up menu with the class library's alignment to the point it pops up at, and the switch that
// lets controls pop it up by themselves (AutoPopup). A plain QMenu counts as left-aligned, AutoPopup.
class TPopupMenu : public QMenu {
  Q_OBJECT
public:
  explicit TPopupMenu(QWidget *parent = nullptr) : QMenu(parent) {}

  TPopupAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TPopupAlignment value) { FAlignment = value; }
  bool AutoPopup() const { return FAutoPopup; }
  void SetAutoPopup(bool value) { FAutoPopup = value; }

private:
  TPopupAlignment FAlignment = paLeft;
  bool FAutoPopup = true;
};

TPopupAlignment PopupAlignment(const QMenu *menu);
bool PopupAutoPopup(const QMenu *menu);
// Where the menu's top-left corner goes when it pops up at the screen point: the point is its left
// edge, its right edge or its middle, by its alignment.
QPoint PopupMenuOrigin(QMenu *menu, const QPoint &point);
