// Selection of a rectangular cell range in TExDBGrid by dragging.
#include "ExDBGrid.h"

#include "DB.h"

#include <QMenu>
#include <algorithm>

void TExDBGrid::SetEnableCellRangeSelect(bool value) {
  if (FEnableCellRangeSelect == value)
    return;
  FEnableCellRangeSelect = value;
  FRangeStart = FRangeEnd = TCellAnchor();
  if (value)
    HideEditor();
  InvalidateGrid();
}

bool TExDBGrid::InCellRange(int DataCol) const {
  if (!FEnableCellRangeSelect || FRangeStart.Bookmark.isEmpty() || FRangeEnd.Bookmark.isEmpty())
    return false;
  const int col = DataCol + IndicatorOffset();
  if (col < std::min(FRangeStart.Col, FRangeEnd.Col) || col > std::max(FRangeStart.Col, FRangeEnd.Col))
    return false;
  // The active record is the row being painted.
  TDataSet *dataSet = DataLink()->DataSet();
  const TBookmark row = dataSet->Bookmark();
  TBookmark low = FRangeStart.Bookmark, high = FRangeEnd.Bookmark;
  if (dataSet->CompareBookmarks(low, high) > 0)
    std::swap(low, high);
  return dataSet->CompareBookmarks(row, low) >= 0 && dataSet->CompareBookmarks(row, high) <= 0;
}

TExDBGrid::TCellAnchor TExDBGrid::CurrentAnchor() const {
  return {Col(), Row(), DataLink()->DataSet()->Bookmark()};
}

void TExDBGrid::MoveCurrentTo(const TGridCoord &cell) {
  if (cell.Y >= TitleOffset() && cell.Y != Row())
    DataLink()->DataSet()->MoveBy(cell.Y - Row());
  if (cell.X >= IndicatorOffset() && cell.X != Col())
    SetSelectedIndex(cell.X - IndicatorOffset());
}

void TExDBGrid::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  const TGridCoord cell = MouseCoord(X, Y);
  if (Button == mbRight) {
    setFocus(Qt::MouseFocusReason);
    const bool dataCell = DataLink()->Active() && cell.X >= IndicatorOffset() && cell.Y >= TitleOffset();
    if (dataCell && FPopupMenu && !OnRightClick) {
      FPopupMenu->popup(viewport()->mapToGlobal(QPoint(X, Y)));
      return;
    }
    TDBGrid::MouseDown(Button, Shift, X, Y);
    if (OnRightClick)
      OnRightClick(this);
    return;
  }
  if (Button == mbLeft && !(Shift & ssDouble) && StartColumnDrag(X, Y))
    return;
  const bool rangeCell = FEnableCellRangeSelect && Button == mbLeft && DataLink()->Active() &&
                         cell.X >= IndicatorOffset() && cell.Y >= TitleOffset();
  if (!rangeCell) {
    TDBGrid::MouseDown(Button, Shift, X, Y);
    return;
  }
  if (cell.X == Col() && cell.Y == Row()) {
    FRangeCapture = false;
    return;
  }
  TDBGrid::MouseDown(Button, Shift, X, Y);
  const TCellAnchor anchor = CurrentAnchor();
  const bool startChanged = anchor.Col != FRangeStart.Col || anchor.Bookmark != FRangeStart.Bookmark;
  FRangeStart = FRangeEnd = anchor;
  FRangeCapture = true;
  InvalidateGrid();
  if (startChanged && OnStartCellChanged)
    OnStartCellChanged(this);
}

void TExDBGrid::ExtendCellRange(int X, int Y) {
  const TGridCoord cell = MouseCoord(X, Y);
  if (cell.X < IndicatorOffset() || cell.Y < TitleOffset())
    return;
  MoveCurrentTo(cell);
  const TCellAnchor anchor = CurrentAnchor();
  if (anchor.Col == FRangeEnd.Col && anchor.Bookmark == FRangeEnd.Bookmark)
    return;
  FRangeEnd = anchor;
  InvalidateGrid();
  if (OnEndCellChanged)
    OnEndCellChanged(this);
}
