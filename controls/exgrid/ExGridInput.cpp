#include "ExGridInput.h"

#include "DB.h"
#include "ExCellHint.h"
#include "ExDBGrid.h"
#include "ExDBGridCellText.h"
#include "ExDBGridColumnDrag.h"
#include "ExDBGridEditors.h"
#include "ExDBGridFieldKinds.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QMenu>
#include <QScreen>
#include <algorithm>

TExGridInput::TExGridInput(TExDBGrid &grid, TExGridInputSite &site)
    : FGrid(grid), FSite(site), FCellHint(std::make_unique<TExCellHint>(&grid)),
      FColumnDrag(std::make_unique<TExColumnDrag>(
          grid, [this](int col) { return FGrid.MakeDragImage(col); },
          [this](int from, int to) { FSite.DropColumn(from, to); })) {}

TExGridInput::~TExGridInput() = default;

QLabel *TExGridInput::CellHintWindow() const { return FCellHint->Window(); }

// --- keys ---

bool TExGridInput::IsEnter(int Key) { return Key == Qt::Key_Return || Key == Qt::Key_Enter; }

void TExGridInput::KeyDown(int &Key, TShiftState Shift) {
  HideCellHint();
  if (FEnterAsTab && IsEnter(Key))
    Key = Qt::Key_Tab;
  if (CellClipboardKey(Key, Shift)) {
    Key = 0;
    return;
  }
  if (CellEditorKey(Key)) {
    Key = 0;
    return;
  }
  TDataSet *dataSet = FGrid.DataLink()->Active() ? FGrid.DataLink()->DataSet() : nullptr;
  const bool wasInserting = dataSet && dataSet->State() == dsInsert;
  const int key = Key;
  FSite.InheritedKeyDown(Key, Shift);
  // Moving past the last row appends an empty record; without AllowAutoAppend it is taken back.
  if (!FAllowAutoAppend && dataSet && !wasInserting && dataSet->State() == dsInsert &&
      (key == Qt::Key_Down || key == Qt::Key_PageDown || key == Qt::Key_Tab)) {
    dataSet->Cancel();
    Key = 0;
  }
}

bool TExGridInput::CellClipboardKey(int Key, TShiftState Shift) {
  if (!(Shift & ssCtrl) || (Key != Qt::Key_C && Key != Qt::Key_V))
    return false;
  TField *field = FGrid.DataLink()->Active() ? FGrid.SelectedField() : nullptr;
  if (!field || !FSite.CanModifyData())
    return true;
  if (Key == Qt::Key_C) {
    QApplication::clipboard()->setText(field->Text());
    return true;
  }
  const TDataSetState state = FGrid.DataLink()->DataSet()->State();
  // Pasting only fills a record already being edited; a browsed one stays untouched.
  if (state == dsEdit || state == dsInsert)
    field->SetText(QApplication::clipboard()->text());
  else
    QApplication::beep();
  return true;
}

bool TExGridInput::CellEditorKey(int Key) {
  const bool space = Key == Qt::Key_Space;
  if (FEnableCellRangeSelect || FGrid.EditorMode() || !FGrid.DataLink()->Active() ||
      !(space || IsEnter(Key) || Key == Qt::Key_F2))
    return false;
  TColumn *column = FSite.ColumnOf(FGrid.Col());
  // Space, Enter and F2 flip a check-box cell as a click does.
  if (CanToggleCheck(column)) {
    ToggleCheck(column->Field());
    return true;
  }
  const TDBGridOptions options = FGrid.Options();
  if (Key == Qt::Key_F2 || !(options & dgEditing) || (options & dgRowSelect) || !FSite.CanModifyData())
    return false;
  TExDBGridEditors &editors = FSite.Editors();
  if (FGrid.DisplayPopupEditors() && editors.ShowPopupEditor())
    return true;
  if (editors.IsDatePickerCell(column)) {
    editors.ShowDatePicker();
    return true;
  }
  if (editors.IsMemoCell(column)) {
    editors.ShowMemo();
    return true;
  }
  return false;
}

void TExGridInput::KeyPress(QChar &Key) {
  if (FEnterAsTab && Key == QChar(u'\r') && !FGrid.EditorMode())
    Key = QChar(u'\t');
  FSite.InheritedKeyPress(Key);
}

void TExGridInput::KeyUp(int &Key, TShiftState Shift) {
  if (FEnterAsTab && IsEnter(Key))
    Key = Qt::Key_Tab;
  FSite.InheritedKeyUp(Key, Shift);
}

// --- check boxes ---

bool TExGridInput::CanToggleCheck(TColumn *Column) const {
  TField *field = Column ? Column->Field() : nullptr;
  const TDBGridOptions options = FGrid.Options();
  // An empty dataset has no value to flip; editing it would insert a record.
  return field && FGrid.DisplayBoolean() && FSite.IsBooleanField(field) && (options & dgEditing) &&
         !(options & dgRowSelect) && FSite.CanModifyData() && !FGrid.DataLink()->DataSet()->IsEmpty() &&
         !Column->ReadOnly() && field->CanModify();
}

void TExGridInput::ToggleCheck(TField *field) {
  TDataSet *dataSet = FGrid.DataLink()->DataSet();
  dataSet->Edit();
  if (FGrid.OnIsBooleanField)
    field->SetAsInteger(field->AsInteger() == FGrid.ValueUnChecked() ? FGrid.ValueChecked()
                                                                     : FGrid.ValueUnChecked());
  else
    field->SetAsBoolean(!field->AsBoolean());
}

void TExGridInput::CellClick(TColumn *Column) {
  FSite.HideSearchEdit();
  if (CanToggleCheck(Column))
    ToggleCheck(Column->Field());
  FSite.Editors().CellClicked(Column);
  FSite.InheritedCellClick(Column);
}

void TExGridInput::DblClick() {
  HideCellHint();
  if (!FSite.Editors().ShowPopupEditor())
    FSite.InheritedDblClick();
}

// --- mouse ---

void TExGridInput::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  const TGridCoord cell = FGrid.MouseCoord(X, Y);
  const bool dataCell =
      FGrid.DataLink()->Active() && cell.X >= FGrid.IndicatorOffset() && cell.Y >= FGrid.TitleOffset();
  if (Button == mbRight) {
    FGrid.setFocus(Qt::MouseFocusReason);
    if (dataCell && FGrid.PopupMenu() && !FGrid.OnRightClick) {
      FGrid.PopupMenu()->popup(FGrid.viewport()->mapToGlobal(QPoint(X, Y)));
      return;
    }
    FSite.InheritedMouseDown(Button, Shift, X, Y);
    if (FGrid.OnRightClick)
      FGrid.OnRightClick(&FGrid);
    return;
  }
  if (Button == mbLeft && !(Shift & ssDouble) && StartColumnDrag(X, Y))
    return;
  if (FEnableCellRangeSelect && Button == mbLeft && dataCell)
    RangeMouseDown(Shift, X, Y, cell);
  else
    FSite.InheritedMouseDown(Button, Shift, X, Y);
}

bool TExGridInput::StartColumnDrag(int X, int Y) {
  const TGridCoord cell = FGrid.MouseCoord(X, Y);
  const bool sizing = FGrid.viewport()->cursor().shape() == Qt::SplitHCursor;
  if (FGrid.SearchMode() || sizing || !(FGrid.Options() & dgColumnResize) || !FGrid.DataLink()->Active() ||
      cell.Y < 0 || cell.Y >= FGrid.TitleOffset() ||
      cell.X < std::max(FGrid.IndicatorOffset(), FGrid.FixedCols()))
    return false;
  FGrid.setFocus(Qt::MouseFocusReason);
  FColumnDrag->Start(cell.X);
  FColumnDrag->Move(QPoint(X, Y));
  if (FGrid.OnMouseDown)
    FGrid.OnMouseDown(&FGrid, mbLeft, {}, X, Y);
  return true;
}

void TExGridInput::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (FColumnDrag->Active() && Button == mbLeft) {
    const int from = FColumnDrag->Column();
    const TGridCoord cell = FGrid.MouseCoord(X, Y);
    FColumnDrag->Drop(QPoint(X, Y));
    // A click that did not move the mouse off the title is a title click.
    if (cell.X == from && cell.Y >= 0 && cell.Y < FGrid.TitleOffset())
      if (TColumn *column = FSite.ColumnOf(cell.X))
        FSite.ClickTitle(column);
    FGrid.ApplyLockedColumns();
    if (FGrid.OnMouseUp)
      FGrid.OnMouseUp(&FGrid, Button, Shift, X, Y);
    return;
  }
  if (FRangeCapture && Button == mbLeft) {
    ExtendCellRange(X, Y);
    FRangeCapture = false;
  }
  const TGridCoord cell = FGrid.MouseCoord(X, Y);
  FSite.InheritedMouseUp(Button, Shift, X, Y);
  const TDBGridOptions options = FGrid.Options();
  if (cell.X == 0 && cell.Y == 0 && FGrid.TitleCheck() && (options & dgTitles) && (options & dgIndicator) &&
      FGrid.DataLink()->Active())
    FSite.PopupOptionMenu(FGrid.viewport()->mapToGlobal(QPoint(X, Y)));
  else if (cell.Y == 0 && (options & dgTitles))
    FGrid.ApplyLockedColumns();
}

void TExGridInput::MouseMove(TShiftState Shift, int X, int Y) {
  if (FColumnDrag->Active()) {
    FColumnDrag->Move(QPoint(X, Y));
    return;
  }
  FSite.InheritedMouseMove(Shift, X, Y);
  if (FRangeCapture)
    ExtendCellRange(X, Y);
  else if (FCellHints && !FEnableCellRangeSelect)
    UpdateCellHint(X, Y);
}

void TExGridInput::Enter() {
  if (!FHotTrack || FHotTracking || FEnableCellRangeSelect)
    return;
  FHotTracking = true;
  FFontColorBeforeHotTrack = FGrid.Font().Color();
  SetGridFontColor(FHotTrackColor);
}

void TExGridInput::Leave() {
  HideCellHint();
  if (FColumnDrag->Active())
    FColumnDrag->Image()->move(-200, -200);
  if (FHotTracking) {
    FHotTracking = false;
    SetGridFontColor(FFontColorBeforeHotTrack);
  }
}

void TExGridInput::SetGridFontColor(TColor color) {
  FGrid.Font().SetColor(color);
  FGrid.ApplyLockedColumns();
  FGrid.InvalidateGrid();
}

// --- the cell range ---

bool TExGridInput::SetEnableCellRangeSelect(bool value) {
  if (FEnableCellRangeSelect == value)
    return false;
  FEnableCellRangeSelect = value;
  FRangeStart = FRangeEnd = TCellAnchor();
  return true;
}

bool TExGridInput::InCellRange(int DataCol) const {
  if (!FEnableCellRangeSelect || FRangeStart.Bookmark.isEmpty() || FRangeEnd.Bookmark.isEmpty())
    return false;
  const int col = DataCol + FGrid.IndicatorOffset();
  if (col < std::min(FRangeStart.Col, FRangeEnd.Col) || col > std::max(FRangeStart.Col, FRangeEnd.Col))
    return false;
  // The active record is the row being painted.
  TDataSet *dataSet = FGrid.DataLink()->DataSet();
  const TBookmark row = dataSet->Bookmark();
  TBookmark low = FRangeStart.Bookmark, high = FRangeEnd.Bookmark;
  if (dataSet->CompareBookmarks(low, high) > 0)
    std::swap(low, high);
  return dataSet->CompareBookmarks(row, low) >= 0 && dataSet->CompareBookmarks(row, high) <= 0;
}

TExGridInput::TCellAnchor TExGridInput::CurrentAnchor() const {
  return {FGrid.Col(), FGrid.Row(), FGrid.DataLink()->DataSet()->Bookmark()};
}

void TExGridInput::MoveCurrentTo(const TGridCoord &cell) {
  if (cell.Y >= FGrid.TitleOffset() && cell.Y != FGrid.Row())
    FGrid.DataLink()->DataSet()->MoveBy(cell.Y - FGrid.Row());
  if (cell.X >= FGrid.IndicatorOffset() && cell.X != FGrid.Col())
    FGrid.SetSelectedIndex(cell.X - FGrid.IndicatorOffset());
}

void TExGridInput::RangeMouseDown(TShiftState Shift, int X, int Y, const TGridCoord &cell) {
  if (cell.X == FGrid.Col() && cell.Y == FGrid.Row()) {
    FRangeCapture = false;
    return;
  }
  FSite.InheritedMouseDown(mbLeft, Shift, X, Y);
  const TCellAnchor anchor = CurrentAnchor();
  const bool startChanged = anchor.Col != FRangeStart.Col || anchor.Bookmark != FRangeStart.Bookmark;
  FRangeStart = FRangeEnd = anchor;
  FRangeCapture = true;
  FGrid.InvalidateGrid();
  if (startChanged && FGrid.OnStartCellChanged)
    FGrid.OnStartCellChanged(&FGrid);
}

void TExGridInput::ExtendCellRange(int X, int Y) {
  const TGridCoord cell = FGrid.MouseCoord(X, Y);
  if (cell.X < FGrid.IndicatorOffset() || cell.Y < FGrid.TitleOffset())
    return;
  MoveCurrentTo(cell);
  const TCellAnchor anchor = CurrentAnchor();
  if (anchor.Col == FRangeEnd.Col && anchor.Bookmark == FRangeEnd.Bookmark)
    return;
  FRangeEnd = anchor;
  FGrid.InvalidateGrid();
  if (FGrid.OnEndCellChanged)
    FGrid.OnEndCellChanged(&FGrid);
}

// --- cell hints ---

void TExGridInput::SetCellHints(bool value) {
  FCellHints = value;
  if (!value)
    HideCellHint();
}

void TExGridInput::UpdateCellHint(int x, int y) {
  const TGridCoord cell = FGrid.MouseCoord(x, y);
  if (cell == FHintCell && FCellHint->Visible())
    return;
  HideCellHint();
  const int dataRow = cell.Y - FGrid.TitleOffset();
  TColumn *column = cell.X >= FGrid.IndicatorOffset() ? FSite.ColumnOf(cell.X) : nullptr;
  TGridDataLink *link = FGrid.DataLink();
  if (!column || dataRow < 0 || !link->Active() || dataRow >= link->RecordCount())
    return;
  TField *field = column->Field();
  if (!field || (FGrid.DisplayBoolean() && FSite.IsBooleanField(field)) ||
      (IsBlobKind(field) && !IsMemoKind(field)))
    return;
  TCanvas &canvas = FGrid.Canvas();
  canvas.Font = column->Font();
  const QRect screen = FGrid.screen() ? FGrid.screen()->geometry() : QRect(0, 0, 1024, 768);
  // The hint is at most half the screen wide: a long memo is cut to what that can show.
  const qsizetype limit =
      ShownTextLimit(QSize(screen.width() / 2, screen.height()), canvas.TextHeight(QString()));
  const int oldActive = link->ActiveRecord();
  link->SetActiveRecord(dataRow);
  const QString text = CellText(field, FGrid.DisplayMemo(), limit);
  link->SetActiveRecord(oldActive);
  if (text.isEmpty() || FGrid.EditorMode() || canvas.TextWidth(text) + 2 <= column->Width())
    return;
  FHintCell = cell;
  // The grid's hint becomes the text, keeping the long part of the hint it had.
  const QString &hint = FGrid.Hint();
  const qsizetype bar = hint.indexOf(u'|');
  FGrid.SetHint(text + u'|' + (bar >= 0 ? hint.mid(bar + 1) : hint));
  FCellHint->Show(text, column->Font().ToQFont(),
                  FGrid.viewport()->mapToGlobal(FGrid.CellRect(cell.X, cell.Y).topLeft()), screen);
}

void TExGridInput::HideCellHint() {
  FHintCell = {-1, -1};
  if (FCellHint)
    FCellHint->Hide();
}
