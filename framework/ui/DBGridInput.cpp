// TCustomDBGrid: keys, mouse and wheel move the dataset; columns move the grid's cursor.
#include "DBGrids.h"

#include "DB.h"
#include "Dialogs.h"
#include "InplaceEdit.h"

#include <QApplication>

// --- moving ---

int TCustomDBGrid::NextShowingColumn(int rawCol, int step) const {
  for (int col = rawCol; col >= IndicatorOffset() && col < ColCount(); col += step) {
    TColumn *column = ColumnAt(col);
    if (column && column->Showing())
      return col;
  }
  return -1;
}

void TCustomDBGrid::MoveCol(int RawCol) {
  RawCol = std::clamp(RawCol, IndicatorOffset(), ColCount() - 1);
  if (RawCol == Col())
    return;
  FDataLink->UpdateRecord();
  ColExit();
  MoveColRow(RawCol, Row(), true, true);
  UpdateEdit();
  ColEnter();
}

void TCustomDBGrid::NextRow() {
  TDataSet *dataSet = FDataLink->DataSet();
  if (dataSet->State() == dsInsert && !dataSet->Modified() && !FDataLink->IsModified()) {
    if (dataSet->Eof())
      return;
    dataSet->Cancel();
    return;
  }
  dataSet->MoveBy(1);
  if (dataSet->Eof() && (FOptions & dgEditing) && CanModifyDataSet())
    dataSet->Append();
}

void TCustomDBGrid::PriorRow() {
  TDataSet *dataSet = FDataLink->DataSet();
  if (dataSet->State() == dsInsert && !dataSet->Modified() && dataSet->Eof() && !FDataLink->IsModified())
    dataSet->Cancel();
  else
    dataSet->MoveBy(-1);
}

void TCustomDBGrid::TabToNextCell(bool forward) {
  const int step = forward ? 1 : -1;
  const int next = NextShowingColumn(Col() + step, step);
  if (next >= 0) {
    MoveCol(next);
    return;
  }
  const int wrapped =
      forward ? NextShowingColumn(IndicatorOffset(), 1) : NextShowingColumn(ColCount() - 1, -1);
  if (wrapped < 0)
    return;
  TDataSet *dataSet = FDataLink->DataSet();
  if (forward)
    NextRow();
  else if (!dataSet->Bof())
    PriorRow();
  else
    return;
  MoveCol(wrapped);
}

void TCustomDBGrid::DeleteRecords() {
  TDataSet *dataSet = FDataLink->DataSet();
  if (!CanModifyDataSet() || dataSet->IsEmpty())
    return;
  const QString question = FBookmarks->Count() > 1 ? QStringLiteral("Delete all selected records?")
                                                   : QStringLiteral("Delete record?");
  if ((FOptions & dgConfirmDelete) && MessageDlg(question, mtConfirmation, {mbOK, mbCancel}) != mrOk)
    return;
  if (FBookmarks->Count() > 0)
    FBookmarks->Delete();
  else
    dataSet->Delete();
}

// --- keys ---

void TCustomDBGrid::KeyDown(int &Key, TShiftState Shift) {
  if (OnKeyDown)
    OnKeyDown(this, Key, Shift);
  if (Key == 0)
    return;
  if (FDataLink->Active() && (HandleRecordKey(Key, Shift) || HandleColumnKey(Key, Shift)))
    Key = 0;
  else
    NavigateByKey(Key, Shift);
}

bool TCustomDBGrid::HandleRecordKey(int key, TShiftState shift) {
  TDataSet *dataSet = FDataLink->DataSet();
  const bool ctrl = shift & ssCtrl;
  const int page = std::max(1, VisibleRowCount());
  switch (key) {
  case Qt::Key_Up: PriorRow(); return true;
  case Qt::Key_Down: NextRow(); return true;
  case Qt::Key_PageUp: dataSet->MoveBy(ctrl ? -FDataLink->ActiveRecord() : -page); return true;
  case Qt::Key_PageDown:
    dataSet->MoveBy(ctrl ? FDataLink->RecordCount() - 1 - FDataLink->ActiveRecord() : page);
    return true;
  case Qt::Key_Insert:
    if (shift & (ssShift | ssCtrl))
      return false;
    if ((FOptions & dgEditing) && CanModifyDataSet())
      dataSet->Insert();
    return true;
  case Qt::Key_Delete:
    if (!ctrl)
      return false;
    DeleteRecords();
    return true;
  case Qt::Key_Escape:
    // With nothing to take back the key goes on to the form, whose cancel button may close it.
    if (!FDataLink->Editing() && !(InplaceEditor() && InplaceEditor()->isVisible()))
      return false;
    FDataLink->Reset();
    if (!(FOptions & dgAlwaysShowEditor))
      HideEditor();
    return true;
  default: return false;
  }
}

bool TCustomDBGrid::HandleColumnKey(int key, TShiftState shift) {
  const bool rowSelect = FOptions & dgRowSelect;
  switch (key) {
  case Qt::Key_Home:
  case Qt::Key_End: {
    const bool home = key == Qt::Key_Home;
    if (shift & ssCtrl)
      home ? FDataLink->DataSet()->First() : FDataLink->DataSet()->Last();
    if (!rowSelect)
      MoveCol(home ? NextShowingColumn(IndicatorOffset(), 1) : NextShowingColumn(ColCount() - 1, -1));
    return true;
  }
  case Qt::Key_Left:
  case Qt::Key_Right: {
    if (rowSelect)
      return false;
    const int step = key == Qt::Key_Left ? -1 : 1;
    const int next = NextShowingColumn(Col() + step, step);
    if (next >= 0)
      MoveCol(next);
    return true;
  }
  case Qt::Key_Tab:
  case Qt::Key_Backtab:
    if (!(FOptions & dgTabs) || (shift & ssAlt))
      return false;
    TabToNextCell(key == Qt::Key_Tab && !(shift & ssShift));
    return true;
  default: return false;
  }
}

void TCustomDBGrid::KeyPress(QChar &Key) {
  if (Key == QChar('\r') && !(FOptions & dgAlwaysShowEditor))
    FDataLink->UpdateRecord();
  TCustomGrid::KeyPress(Key);
}

// --- mouse ---

bool TCustomDBGrid::AcquireFocus() {
  if (focusPolicy() == Qt::NoFocus || !isEnabled())
    return false;
  if (!IsActiveControl())
    setFocus(Qt::MouseFocusReason);
  return true;
}

void TCustomDBGrid::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  FCellClicked = false;
  FTitleCol = -1;
  const TGridCoord cell = MouseCoord(X, Y);
  const bool dataCell = cell.X >= 0 && cell.Y >= TitleOffset();
  if (!FDataLink->Active() || Button != mbLeft || (Shift & ssDouble) || !dataCell) {
    if (FDataLink->Active() && Button == mbLeft && !(Shift & ssDouble) && cell.Y >= 0 &&
        cell.Y < TitleOffset() && cell.X >= IndicatorOffset())
      FTitleCol = cell.X;
    TCustomGrid::MouseDown(Button, Shift, X, Y);
    return;
  }
  AcquireFocus();
  TDataSet *dataSet = FDataLink->DataSet();
  const int distance = cell.Y - Row();
  const bool sameCell = distance == 0 && cell.X == Col();
  if (cell.X >= IndicatorOffset() && sameCell && (FOptions & dgEditing) && !(Shift & ssShift)) {
    ShowEditor();
  } else {
    if (distance != 0)
      dataSet->MoveBy(distance);
    if (cell.X >= IndicatorOffset())
      MoveCol(cell.X);
  }
  if (FOptions & dgMultiSelect) {
    if (Shift & ssCtrl) {
      FBookmarks->SetCurrentRowSelected(!FBookmarks->CurrentRowSelected());
    } else {
      FBookmarks->Clear();
      FBookmarks->SetCurrentRowSelected(true);
    }
  }
  FCellClicked = cell.X >= IndicatorOffset();
  if (OnMouseDown)
    OnMouseDown(this, Button, Shift, X, Y);
}

void TCustomDBGrid::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  const TGridState state = GridState();
  const int titleCol = FTitleCol;
  const bool cellClicked = FCellClicked;
  FTitleCol = -1;
  FCellClicked = false;
  TCustomGrid::MouseUp(Button, Shift, X, Y);
  const TGridCoord cell = MouseCoord(X, Y);
  if (titleCol >= 0 && (state == gsNormal || state == gsColMoving) && cell.X == titleCol && cell.Y >= 0 &&
      cell.Y < TitleOffset()) {
    if (TColumn *column = ColumnAt(titleCol))
      TitleClick(column);
  } else if (cellClicked && cell.Y >= TitleOffset()) {
    if (TColumn *column = ColumnAt(Col()))
      CellClick(column);
  }
}

bool TCustomDBGrid::DoMouseWheelDown(TShiftState Shift, QPoint MousePos) {
  if (!MouseWheelEventHandled(true, Shift, MousePos) && FDataLink->Active() && AcquireFocus())
    FDataLink->DataSet()->MoveBy(1);
  return true;
}

bool TCustomDBGrid::DoMouseWheelUp(TShiftState Shift, QPoint MousePos) {
  if (!MouseWheelEventHandled(false, Shift, MousePos) && FDataLink->Active() && AcquireFocus())
    FDataLink->DataSet()->MoveBy(-1);
  return true;
}

// --- events ---

void TCustomDBGrid::ColEnter() {
  if (OnColEnter)
    OnColEnter(this);
}

void TCustomDBGrid::ColExit() {
  if (OnColExit)
    OnColExit(this);
}

void TCustomDBGrid::CellClick(TColumn *Column) {
  if (OnCellClick)
    OnCellClick(Column);
}

void TCustomDBGrid::TitleClick(TColumn *Column) {
  if (OnTitleClick)
    OnTitleClick(Column);
}

void TCustomDBGrid::DoExit() {
  if (FDataLink->Active()) {
    TDataSet *dataSet = FDataLink->DataSet();
    if ((FOptions & dgCancelOnExit) && dataSet->State() == dsInsert && !dataSet->Modified() &&
        !FDataLink->IsModified())
      dataSet->Cancel();
    else
      FDataLink->UpdateRecord();
  }
  TCustomGrid::DoExit();
}
