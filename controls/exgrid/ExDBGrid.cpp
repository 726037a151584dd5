#include "ExDBGrid.h"

#include "DB.h"
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

TExDBGrid::TExDBGrid(QWidget *parent)
    : TDBGrid(parent),
      FEditors(std::make_unique<TExDBGridEditors>(*this, static_cast<const TExGridAccess &>(*this))) {
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
QLabel *TExDBGrid::CellHintWindow() const { return FInput.CellHintWindow(); }
int TExDBGrid::DraggedColumn() const { return FInput.ColumnDrag().Column(); }
QLabel *TExDBGrid::DragImage() const { return FInput.ColumnDrag().Image(); }
QTimer *TExDBGrid::DragTimer() const { return FInput.ColumnDrag().Timer(); }
void TExDBGrid::ColumnDragTimer() { FInput.ColumnDrag().Tick(); }
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

void TExDBGrid::SetCellHints(bool value) { FInput.SetCellHints(value); }

void TExDBGrid::SetEnableCellRangeSelect(bool value) {
  if (!FInput.SetEnableCellRangeSelect(value))
    return;
  if (value)
    HideEditor();
  InvalidateGrid();
}

void TExDBGrid::FontChanged() {
  FRowHeights.FontChanged(Font());
  InvalidateGrid();
}

// --- row heights and titles ---

void TExDBGrid::SetDefaultRowHeight(int value) { FRowHeights.SetDefaultRowHeight(value); }
void TExDBGrid::SetMultiLineRows(bool value) { FRowHeights.SetMultiLineRows(value); }
void TExDBGrid::SetLinesPerRow(int value) { FRowHeights.SetLinesPerRow(value); }
void TExDBGrid::SetRowSizingAllowed(bool value) { FRowHeights.SetRowSizingAllowed(value); }

void TExDBGrid::LayoutChanged() {
  TDBGrid::LayoutChanged();
  FRowHeights.LayoutChanged();
}

void TExDBGrid::RowHeightsChanged() {
  TDBGrid::RowHeightsChanged();
  FRowHeights.RowHeightsChanged();
}

void TExDBGrid::SetMultiLineTitles(bool value) {
  if (MultiLineTitles() == value)
    return;
  FPainter.Look().MultiLineTitles = value;
  LayoutChanged();
}

void TExDBGrid::SetShowTitleEllipsis(bool value) { Change(FPainter.Look().ShowTitleEllipsis, value); }

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
  FHighlighted = TDBGrid::HighlightCell(DataCol, DataRow, Value, AState) || FInput.InCellRange(DataCol);
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

// --- keys and mouse ---

void TExDBGrid::KeyDown(int &Key, TShiftState Shift) { FInput.KeyDown(Key, Shift); }
void TExDBGrid::KeyPress(QChar &Key) { FInput.KeyPress(Key); }
void TExDBGrid::KeyUp(int &Key, TShiftState Shift) { FInput.KeyUp(Key, Shift); }
void TExDBGrid::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  FInput.MouseDown(Button, Shift, X, Y);
}
void TExDBGrid::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  FInput.MouseUp(Button, Shift, X, Y);
}
void TExDBGrid::MouseMove(TShiftState Shift, int X, int Y) { FInput.MouseMove(Shift, X, Y); }
void TExDBGrid::CellClick(TColumn *Column) { FInput.CellClick(Column); }
void TExDBGrid::DblClick() { FInput.DblClick(); }

void TExDBGrid::enterEvent(QEnterEvent *event) {
  TDBGrid::enterEvent(event);
  FInput.Enter();
}

void TExDBGrid::leaveEvent(QEvent *event) {
  FInput.Leave();
  TDBGrid::leaveEvent(event);
}

TColumn *TExDBGrid::ColumnOf(int RawCol) const { return ColumnAt(RawCol); }
bool TExDBGrid::CanModifyData() const { return CanModifyDataSet(); }
void TExDBGrid::InheritedKeyDown(int &Key, TShiftState Shift) { TDBGrid::KeyDown(Key, Shift); }
void TExDBGrid::InheritedKeyPress(QChar &Key) { TDBGrid::KeyPress(Key); }
void TExDBGrid::InheritedKeyUp(int &Key, TShiftState Shift) { TDBGrid::KeyUp(Key, Shift); }
void TExDBGrid::InheritedMouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TDBGrid::MouseDown(Button, Shift, X, Y);
}
void TExDBGrid::InheritedMouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TDBGrid::MouseUp(Button, Shift, X, Y);
}
void TExDBGrid::InheritedMouseMove(TShiftState Shift, int X, int Y) { TDBGrid::MouseMove(Shift, X, Y); }
void TExDBGrid::InheritedCellClick(TColumn *Column) { TDBGrid::CellClick(Column); }
void TExDBGrid::InheritedDblClick() { TDBGrid::DblClick(); }
void TExDBGrid::ClickTitle(TColumn *Column) { TitleClick(Column); }

void TExDBGrid::DropColumn(int FromIndex, int ToIndex) {
  if (ToIndex != FromIndex)
    MoveColumn(FromIndex, ToIndex);
  FixLockedCount();
}

void TExDBGrid::PopupOptionMenu(QPoint at) {
  UpdateMenuChecks();
  FMenu->popup(at);
}

TInplaceEdit *TExDBGrid::CreateEditor() {
  TInplaceEdit *editor = TDBGrid::CreateEditor();
  ApplyEditColor(*editor, FEditColor);
  return editor;
}

bool TExDBGrid::CanEditShow() {
  if (EnableCellRangeSelect() || !TDBGrid::CanEditShow())
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

void TExDBGrid::Scroll(int Distance) {
  TakeDownIdleFormControl();
  if (UseRowColors())
    InvalidateGrid();
  TDBGrid::Scroll(Distance);
  FInput.HideCellHint();
}
