#pragma once

#include <QRect>
#include <QString>

class QFont;
class QLabel;
class QWidget;

// The window that shows the whole text of a clipped grid cell: word-wrapped to at most half the
// screen's width, placed at the cell's corner and kept whole on the screen.
class TExCellHint {
public:
  explicit TExCellHint(QWidget *owner);
  ~TExCellHint();

  // Where a hint of the given size goes for a cell whose top-left corner is at the screen point:
  // one pixel up and left of it, moved back inside the screen's right and bottom edges.
  static QRect Placement(QSize hint, QPoint cellTopLeft, const QRect &screen);

  // Shows the text for the cell; nothing changes when the same text is already up there.
  void Show(const QString &text, const QFont &font, QPoint cellTopLeft, const QRect &screen);
  void Hide();
  bool Visible() const;
  QLabel *Window() const { return FWindow; }

private:
  QLabel *FWindow;
};
