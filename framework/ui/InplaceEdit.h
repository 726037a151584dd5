#pragma once

#include "Grids.h"

#include <QLineEdit>

class QListWidget;
class TInplaceEditButton;

// The grid's in-place editor: a line edit over the current cell that hands navigation keys back
// to the grid, asks the grid before every change (CanEditModify) and reports every change
// (SetEditText). Its kinds follow the grid's GetEditStyle: plain, with an ellipsis button
// (EditButtonClick, also Ctrl+Enter) or with a pick list (the button or Alt+Down drops it down).
class TInplaceEdit : public QLineEdit {
public:
  explicit TInplaceEdit(TCustomGrid *grid);
  ~TInplaceEdit() override;

  TCustomGrid *Grid() const { return FGrid; }
  TEditStyle EditStyle() const { return FEditStyle; }
  const QStringList &PickList() const { return FPickItems; }
  bool ListVisible() const;
  // The drop-down list (created on the first drop-down).
  QListWidget *ListBox() const { return FList; }

  // Reloads text and kind from the grid for its current cell.
  void UpdateContents();
  // Shows the editor over the cell's rectangle.
  void Move(const QRect &rect);
  void Hide();
  // Types one character as the person would (asking the grid first).
  void TypeChar(QChar ch);
  void DropDown();
  // Closes the pick list; with accept the list's current item becomes the text.
  void CloseUp(bool accept);
  void ButtonClick();
  // Whether the widget belongs to the editor (its button or its drop-down list).
  bool OwnsWidget(const QWidget *widget) const;

protected:
  void keyPressEvent(QKeyEvent *event) override;
  void focusInEvent(QFocusEvent *event) override;
  void focusOutEvent(QFocusEvent *event) override;
  void resizeEvent(QResizeEvent *event) override;
  bool focusNextPrevChild(bool next) override;
  bool eventFilter(QObject *watched, QEvent *event) override;

private:
  bool HandToGrid(int key, TShiftState shift) const;
  bool EditKey(QKeyEvent *event) const;
  void Changed();
  void PlaceButton();

  TCustomGrid *FGrid;
  TEditStyle FEditStyle = esSimple;
  QStringList FPickItems;
  int FDropDownRows = 7;
  TInplaceEditButton *FButton = nullptr;
  QListWidget *FList = nullptr;
  bool FLoading = false;
};
