#include "ExDBGrid.h"

#include "DB.h"
#include "ExCellHint.h"
#include "ExDBGridCellText.h"
#include "ExDBGridColumnDrag.h"
#include "ExDBGridEditors.h"
#include "ExDBGridFieldKinds.h"
#include "InplaceEdit.h"

#include <QApplication>
#include <QBitmap>
#include <QLabel>
#include <QMenu>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>

namespace {

constexpr int BaseLineHeight = 17;

} // namespace

TExDBGrid::TExDBGrid(QWidget *parent)
    : TDBGrid(parent), FEditors(std::make_unique<TExDBGridEditors>(*this)),
      FCellHint(std::make_unique<TExCellHint>(this)), FColumnDrag(std::make_unique<TExColumnDrag>(*this)) {
  SetDefaultDrawing(false);
  SetBorderStyle(bsNone);
  viewport()->setMouseTracking(true);
  WatchThumbDrag();
  BuildMenu();
  FLockedFont.Assign(Font());
  auto gridFontChanged = Font().OnChange;
  Font().OnChange = [this, gridFontChanged](TFont *font) {
    gridFontChanged(font);
    FontChanged();
  };
}

TExDBGrid::~TExDBGrid() {
  Font().OnChange = nullptr;
  HideFormControl();
  FEditors.reset();
}

TExDateTimePicker *TExDBGrid::DatePicker() const { return FEditors->Picker(); }
TDBMemo *TExDBGrid::MemoEditor() const { return FEditors->Memo(); }
TDBRichEdit *TExDBGrid::RichEditor() const { return FEditors->RichEdit(); }
QLabel *TExDBGrid::CellHintWindow() const { return FCellHint->Window(); }
int TExDBGrid::DraggedColumn() const { return FColumnDrag->Column(); }
QLabel *TExDBGrid::DragImage() const { return FColumnDrag->Image(); }
QTimer *TExDBGrid::DragTimer() const { return FColumnDrag->Timer(); }
void TExDBGrid::ColumnDragTimer() { FColumnDrag->Tick(); }
bool TExDBGrid::ShowPopupEditor() { return FEditors->ShowPopupEditor(); }

// --- simple properties ---

void TExDBGrid::SetUseRowColors(bool value) {
  if (FPainter.SetUseRowColors(value))
    InvalidateGrid();
}

void TExDBGrid::SetUseBackgroundPicture(bool value) {
  if (FPainter.SetUseBackgroundPicture(value))
    InvalidateGrid();
}

void TExDBGrid::SetBackgroundPicture(const QImage &value) {
  FPainter.SetBackgroundPicture(value);
  InvalidateGrid();
}

void TExDBGrid::SetUseBitmapDrawing(bool value) { Change(FUseBitmapDrawing, value); }

void TExDBGrid::SetFlatCheckBox(bool value) { Change(FPainter.Look().CheckBox.Flat, value); }

void TExDBGrid::SetFlatCheckBoxType(TFlatCheckBoxType value) {
  Change(FPainter.Look().CheckBox.FrameType, value);
}

void TExDBGrid::SetRowColor1(TColor value) { Change(FPainter.Look().RowColor1, value); }
void TExDBGrid::SetRowColor2(TColor value) { Change(FPainter.Look().RowColor2, value); }
void TExDBGrid::SetHighlightColor(TColor value) { Change(FPainter.Look().HighlightColor, value); }
void TExDBGrid::SetHighlightFontColor(TColor value) { Change(FPainter.Look().HighlightFontColor, value); }
void TExDBGrid::SetShowTextEllipsis(bool value) { Change(FPainter.Look().ShowTextEllipsis, value); }
void TExDBGrid::SetShowTitlesWhenInactive(bool value) {
  Change(FPainter.Look().ShowTitlesWhenInactive, value);
}
void TExDBGrid::SetTitleCheck(bool value) { Change(FPainter.Look().TitleCheck, value); }

void TExDBGrid::SetCellHints(bool value) {
  FCellHints = value;
  if (!value)
    HideCellHint();
}

void TExDBGrid::FontChanged() {
  // A font taller than the base line height makes the rows taller.
  const int height = QFontMetrics(Font().ToQFont()).boundingRect(QStringLiteral("Wg")).height();
  if (height > BaseLineHeight && height != FFontHeight) {
    FFontHeight = height;
    SetDefaultRowHeight(height);
  }
  InvalidateGrid();
}

// --- locked columns ---

void TExDBGrid::SetLockedCols(int value) {
  if (FLockedCols == value)
    return;
  FLockedCols = value;
  ApplyLockedColumns();
  InvalidateGrid();
}

void TExDBGrid::SetLockedColor(TColor value) {
  if (FLockedColor == value)
    return;
  FLockedColor = value;
  ApplyLockedColumns();
  InvalidateGrid();
}

void TExDBGrid::SetLockedFont(const TFont &value) {
  FLockedFont.Assign(value);
  ApplyLockedColumns();
  InvalidateGrid();
}

void TExDBGrid::ApplyLockedColumns() {
  if (!DataLink()->Active() || FApplyingLocks)
    return;
  // Column changes re-lay the grid out; the nested layouts only restore the fixed count.
  FApplyingLocks = true;
  try {
    const bool locking = LockingApplies();
    for (int i = 0; i < Columns().Count(); ++i) {
      TColumn *column = Columns()[i];
      const bool locked = locking && i < FLockedCols;
      column->Font().Assign(locked ? FLockedFont : Font());
      column->SetColor(locked ? FLockedColor : Cells3D() ? FixedColor() : Color());
    }
  } catch (...) {
    FApplyingLocks = false;
    throw;
  }
  FApplyingLocks = false;
  FixLockedCount();
}

bool TExDBGrid::LockingApplies() const {
  return FLockedCols > 0 && FLockedCols < ColCount() - 1 - IndicatorOffset();
}

void TExDBGrid::FixLockedCount() {
  if (!DataLink()->Active())
    return;
  if (LockingApplies())
    SetFixedCols(FLockedCols + IndicatorOffset());
  else if (FLockedCols == 0)
    SetFixedCols(IndicatorOffset());
}

void TExDBGrid::SetColumnAttributes() {
  TDBGrid::SetColumnAttributes();
  if (FApplyingLocks)
    FixLockedCount();
  else
    ApplyLockedColumns();
  InvalidateGrid();
}

void TExDBGrid::LinkActive(bool Value) {
  FPainter.ClearPictures();
  TDBGrid::LinkActive(Value);
  if (Value) {
    ApplyLockedColumns();
    ApplyColumnEnterRules();
  }
}

void TExDBGrid::ColumnMoved(int FromIndex, int ToIndex) {
  TDBGrid::ColumnMoved(FromIndex, ToIndex);
  ScrollLineLeft();
}

void TExDBGrid::RowMoved(int FromIndex, int ToIndex) {
  TDBGrid::RowMoved(FromIndex, ToIndex);
  ScrollLineLeft();
}

// One line to the left, as after any move of the base.
void TExDBGrid::ScrollLineLeft() {
  if (LeftCol() > FixedCols())
    SetLeftCol(LeftCol() - 1);
}

void TExDBGrid::ColWidthsChanged() {
  TDBGrid::ColWidthsChanged();
  if (FixedCols() > 0)
    FixLockedCount();
}

void TExDBGrid::TopLeftChanged() {
  TDBGrid::TopLeftChanged();
  // The background picture stays where it is while the cells scroll over it.
  if (UseBackgroundPicture())
    InvalidateGrid();
}

// --- painting ---

bool TExDBGrid::IsBooleanField(const TField *field) const {
  if (OnIsBooleanField)
    return OnIsBooleanField(field);
  return field->DataType() == ftBoolean;
}

bool TExDBGrid::IsChecked(const TField *field) const {
  if (OnIsBooleanField)
    return field->AsInteger() != FValueUnChecked;
  return field->AsBoolean();
}

QByteArray TExDBGrid::PaintedRecord() const { return DataLink()->DataSet()->Bookmark(); }
TColor TExDBGrid::GridFontColor() const { return Font().Color(); }
bool TExDBGrid::BothGridLines() const { return (Options() & dgColLines) && (Options() & dgRowLines); }

bool TExDBGrid::HighlightCell(int DataCol, int DataRow, const QString &Value, TGridDrawState AState) {
  FHighlighted = TDBGrid::HighlightCell(DataCol, DataRow, Value, AState) || InCellRange(DataCol);
  return FHighlighted;
}

void TExDBGrid::paintEvent(QPaintEvent *event) {
  // A grey grid turns white unless it shows raised 3D cells.
  if ((Color() == clBtnFace || Color() == clSilver) && !FPainter.Raised3D())
    SetColor(clWindow);
  FPainter.PrepareBackground(viewport()->size());
  if (!FUseBitmapDrawing) {
    TDBGrid::paintEvent(event);
    return;
  }
  QPixmap buffer(viewport()->size());
  {
    QPainter painter(&buffer);
    PaintInto(painter, viewport()->rect());
  }
  QPainter(viewport()).drawPixmap(0, 0, buffer);
}

void TExDBGrid::DrawCell(int ACol, int ARow, const QRect &ARect, TGridDrawState AState) {
  TCanvas &canvas = Canvas();
  if (!FPainter.Look().ShowTitlesWhenInactive && !DataLink()->Active()) {
    canvas.Brush.Color = Color();
    canvas.Brush.Style = bsSolid;
    canvas.FillRect(ARect.adjusted(-1, -1, 1, 1));
    return;
  }
  // A locked column's data cell is fixed for scrolling but paints as a data cell.
  if ((AState & gdFixed) && ACol >= IndicatorOffset() && ARow >= TitleOffset())
    AState &= ~TGridDrawState(gdFixed);
  TDBGrid::DrawCell(ACol, ARow, ARect, AState);
  TExCellPlace place;
  place.Kind = ARow < TitleOffset()       ? TExCellKind::Title
               : ACol < IndicatorOffset() ? TExCellKind::Indicator
                                          : TExCellKind::Data;
  place.Corner = ACol == 0 && ARow == 0 && (Options() & dgIndicator) && (Options() & dgTitles);
  place.Focused = (AState & gdFocused) && hasFocus();
  FPainter.DrawCellMarks(canvas, ARect, place, FixedColor());
}

void TExDBGrid::DrawTitleCell(const QRect &Rect, TColumn *Column, TGridDrawState State) {
  DrawTitleCell(Canvas(), Column->Index() + IndicatorOffset(), Rect, State);
}

void TExDBGrid::DrawTitleCell(TCanvas &ACanvas, int ACol, const QRect &ARect, TGridDrawState) {
  if (TColumn *column = ColumnAt(ACol))
    FPainter.DrawTitle(ACanvas, ARect, column->Title());
}

QPixmap TExDBGrid::MakeDragImage(int ACol) {
  const int height = TitleOffset() > 0 ? RowHeights(0) : DefaultRowHeight();
  QPixmap picture(std::max(1, ColWidths(ACol)), std::max(1, height));
  picture.fill(Qt::transparent);
  {
    QPainter painter(&picture);
    TCanvas canvas(painter, &palette());
    QRect frame = picture.rect();
    DrawTitleCell(canvas, ACol, frame, gdFixed);
    Draw3DRect(canvas, frame, false);
  }
  if (FMaskedColumnDrag) {
    // Only the caption and the frame follow the mouse.
    TColumn *column = ColumnAt(ACol);
    const QColor face = ColorToQColor(column ? column->Title().Color() : FixedColor(), &palette());
    picture.setMask(picture.createMaskFromColor(face, Qt::MaskInColor));
  }
  return picture;
}

void TExDBGrid::SetCells3D(bool value) {
  if (FPainter.Look().Cells3D == value)
    return;
  FPainter.Look().Cells3D = value;
  ApplyLockedColumns();
  InvalidateGrid();
}

void TExDBGrid::DrawColumnCell(const QRect &Rect, int DataCol, TColumn *Column, TGridDrawState State) {
  TField *field = Column->Field();
  if (!field)
    return;
  TCanvas &canvas = Canvas();
  std::function<void()> applyAttribute;
  if (OnApplyCellAttribute)
    applyAttribute = [&] { OnApplyCellAttribute(this, field, canvas, State); };
  FPainter.DrawDataCell(canvas, Rect, *Column, FHighlighted || (State & gdFocused), applyAttribute);
  if ((State & gdFocused) && FEditors->IsDatePickerCell(Column))
    FEditors->PrepareDatePicker(Rect, field);
  if ((State & gdFocused) && FEditors->IsMemoCell(Column))
    FEditors->PrepareMemo(Rect);
  TDBGrid::DrawColumnCell(Rect, DataCol, Column, State);
}

// --- check-box clicks ---

void TExDBGrid::CellClick(TColumn *Column) {
  HideSearchEdit();
  if (CanToggleCheck(Column))
    ToggleCheck(Column->Field());
  FEditors->CellClicked(Column);
  TDBGrid::CellClick(Column);
}

bool TExDBGrid::CanToggleCheck(TColumn *Column) {
  TField *field = Column ? Column->Field() : nullptr;
  // An empty dataset has no value to flip; editing it would insert a record.
  return field && DisplayBoolean() && IsBooleanField(field) && (Options() & dgEditing) &&
         !(Options() & dgRowSelect) && CanModifyDataSet() && !DataLink()->DataSet()->IsEmpty() &&
         !Column->ReadOnly() && field->CanModify();
}

void TExDBGrid::ToggleCheck(TField *field) {
  TDataSet *dataSet = DataLink()->DataSet();
  dataSet->Edit();
  if (OnIsBooleanField)
    field->SetAsInteger(field->AsInteger() == FValueUnChecked ? FValueChecked : FValueUnChecked);
  else
    field->SetAsBoolean(!field->AsBoolean());
}

// --- mouse ---

bool TExDBGrid::StartColumnDrag(int X, int Y) {
  const TGridCoord cell = MouseCoord(X, Y);
  const bool sizing = viewport()->cursor().shape() == Qt::SplitHCursor;
  if (FSearchMode || sizing || !(Options() & dgColumnResize) || !DataLink()->Active() || cell.Y < 0 ||
      cell.Y >= TitleOffset() || cell.X < std::max(IndicatorOffset(), FixedCols()))
    return false;
  setFocus(Qt::MouseFocusReason);
  FColumnDrag->Start(cell.X);
  FColumnDrag->Move(QPoint(X, Y));
  if (OnMouseDown)
    OnMouseDown(this, mbLeft, {}, X, Y);
  return true;
}

void TExDBGrid::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (FColumnDrag->Active() && Button == mbLeft) {
    const int from = FColumnDrag->Column();
    const TGridCoord cell = MouseCoord(X, Y);
    FColumnDrag->Drop(QPoint(X, Y));
    // A click that did not move the mouse off the title is a title click.
    if (cell.X == from && cell.Y >= 0 && cell.Y < TitleOffset())
      if (TColumn *column = ColumnAt(cell.X))
        TitleClick(column);
    ApplyLockedColumns();
    if (OnMouseUp)
      OnMouseUp(this, Button, Shift, X, Y);
    return;
  }
  if (FRangeCapture && Button == mbLeft) {
    ExtendCellRange(X, Y);
    FRangeCapture = false;
  }
  const TGridCoord cell = MouseCoord(X, Y);
  TDBGrid::MouseUp(Button, Shift, X, Y);
  if (cell.X == 0 && cell.Y == 0 && TitleCheck() && (Options() & dgTitles) && (Options() & dgIndicator) &&
      DataLink()->Active()) {
    UpdateMenuChecks();
    FMenu->popup(viewport()->mapToGlobal(QPoint(X, Y)));
  } else if (cell.Y == 0 && (Options() & dgTitles)) {
    ApplyLockedColumns();
  }
}

void TExDBGrid::MouseMove(TShiftState Shift, int X, int Y) {
  if (FColumnDrag->Active()) {
    FColumnDrag->Move(QPoint(X, Y));
    return;
  }
  TDBGrid::MouseMove(Shift, X, Y);
  if (FRangeCapture)
    ExtendCellRange(X, Y);
  else if (FCellHints && !FEnableCellRangeSelect)
    UpdateCellHint(X, Y);
}

// --- keys ---

bool TExDBGrid::IsEnter(int Key) { return Key == Qt::Key_Return || Key == Qt::Key_Enter; }

void TExDBGrid::KeyDown(int &Key, TShiftState Shift) {
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
  TDataSet *dataSet = DataLink()->Active() ? DataLink()->DataSet() : nullptr;
  const bool wasInserting = dataSet && dataSet->State() == dsInsert;
  const int key = Key;
  TDBGrid::KeyDown(Key, Shift);
  // Moving past the last row appends an empty record; without AllowAutoAppend it is taken back.
  if (!FAllowAutoAppend && dataSet && !wasInserting && dataSet->State() == dsInsert &&
      (key == Qt::Key_Down || key == Qt::Key_PageDown || key == Qt::Key_Tab)) {
    dataSet->Cancel();
    Key = 0;
  }
}

bool TExDBGrid::CellEditorKey(int Key) {
  const bool space = Key == Qt::Key_Space;
  if (FEnableCellRangeSelect || EditorMode() || !DataLink()->Active() ||
      !(space || IsEnter(Key) || Key == Qt::Key_F2))
    return false;
  TColumn *column = ColumnAt(Col());
  // Space, Enter and F2 flip a check-box cell as a click does.
  if (CanToggleCheck(column)) {
    ToggleCheck(column->Field());
    return true;
  }
  if (Key == Qt::Key_F2 || !(Options() & dgEditing) || (Options() & dgRowSelect) || !CanModifyDataSet())
    return false;
  if (FDisplayPopupEditors && FEditors->ShowPopupEditor())
    return true;
  if (FEditors->IsDatePickerCell(column)) {
    FEditors->ShowDatePicker();
    return true;
  }
  if (FEditors->IsMemoCell(column)) {
    FEditors->ShowMemo();
    return true;
  }
  return false;
}

void TExDBGrid::KeyPress(QChar &Key) {
  if (FEnterAsTab && Key == QChar(u'\r') && !EditorMode())
    Key = QChar(u'\t');
  TDBGrid::KeyPress(Key);
}

void TExDBGrid::KeyUp(int &Key, TShiftState Shift) {
  if (FEnterAsTab && IsEnter(Key))
    Key = Qt::Key_Tab;
  TDBGrid::KeyUp(Key, Shift);
}

TInplaceEdit *TExDBGrid::CreateEditor() {
  TInplaceEdit *editor = TDBGrid::CreateEditor();
  ApplyEditColor(*editor, FEditColor);
  return editor;
}

bool TExDBGrid::CanEditShow() {
  if (FEnableCellRangeSelect || !TDBGrid::CanEditShow())
    return false;
  TColumn *column = ColumnAt(Col());
  TField *field = column ? column->Field() : nullptr;
  // A listed form control takes the place of the text editor.
  if (QWidget *control = ListedControl(field)) {
    if (control != FFormControl)
      ShowFormControl(control, Col(), Row());
    return false;
  }
  // Check-box, picture and date cells change by click, key, picker or popup, never as text.
  return !(field &&
           ((DisplayBoolean() && IsBooleanField(field)) || (IsBlobKind(field) && !IsMemoKind(field)) ||
            (FDisplayDateTime && IsDateTimeKind(field))));
}

void TExDBGrid::DblClick() {
  HideCellHint();
  if (!FEditors->ShowPopupEditor())
    TDBGrid::DblClick();
}

void TExDBGrid::SetGridFontColor(TColor color) {
  Font().SetColor(color);
  ApplyLockedColumns();
  InvalidateGrid();
}

void TExDBGrid::enterEvent(QEnterEvent *event) {
  TDBGrid::enterEvent(event);
  if (!FHotTrack || FHotTracking || FEnableCellRangeSelect)
    return;
  FHotTracking = true;
  FFontColorBeforeHotTrack = Font().Color();
  SetGridFontColor(FHotTrackColor);
}

void TExDBGrid::leaveEvent(QEvent *event) {
  HideCellHint();
  if (FColumnDrag->Active())
    FColumnDrag->Image()->move(-200, -200);
  if (FHotTracking) {
    FHotTracking = false;
    SetGridFontColor(FFontColorBeforeHotTrack);
  }
  TDBGrid::leaveEvent(event);
}

void TExDBGrid::Scroll(int Distance) {
  TakeDownIdleFormControl();
  if (UseRowColors())
    InvalidateGrid();
  TDBGrid::Scroll(Distance);
  HideCellHint();
}

// --- cell hints ---

void TExDBGrid::UpdateCellHint(int x, int y) {
  const TGridCoord cell = MouseCoord(x, y);
  if (cell == FHintCell && FCellHint->Visible())
    return;
  HideCellHint();
  const int dataRow = cell.Y - TitleOffset();
  TColumn *column = cell.X >= IndicatorOffset() ? ColumnAt(cell.X) : nullptr;
  if (!column || dataRow < 0 || !DataLink()->Active() || dataRow >= DataLink()->RecordCount())
    return;
  TField *field = column->Field();
  if (!field || (DisplayBoolean() && IsBooleanField(field)) || (IsBlobKind(field) && !IsMemoKind(field)))
    return;
  TCanvas &canvas = Canvas();
  canvas.Font = column->Font();
  const QRect screen = this->screen() ? this->screen()->geometry() : QRect(0, 0, 1024, 768);
  // The hint is at most half the screen wide: a long memo is cut to what that can show.
  const qsizetype limit =
      ShownTextLimit(QSize(screen.width() / 2, screen.height()), canvas.TextHeight(QString()));
  const int oldActive = DataLink()->ActiveRecord();
  DataLink()->SetActiveRecord(dataRow);
  const QString text = CellText(field, DisplayMemo(), limit);
  DataLink()->SetActiveRecord(oldActive);
  if (text.isEmpty() || EditorMode() || canvas.TextWidth(text) + 2 <= column->Width())
    return;
  FHintCell = cell;
  // The grid's hint becomes the text, keeping the long part of the hint it had.
  const qsizetype bar = FHint.indexOf(u'|');
  FHint = text + u'|' + (bar >= 0 ? FHint.mid(bar + 1) : FHint);
  FCellHint->Show(text, column->Font().ToQFont(), viewport()->mapToGlobal(CellRect(cell.X, cell.Y).topLeft()),
                  screen);
}

void TExDBGrid::HideCellHint() {
  FHintCell = {-1, -1};
  if (FCellHint)
    FCellHint->Hide();
}
