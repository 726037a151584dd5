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

TTextFormat AlignmentFormat(TAlignment alignment) {
  return alignment == taRightJustify ? tfRight : alignment == taCenter ? tfCenter : tfLeft;
}

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
  if (value)
    SetUseBackgroundPicture(false);
  Change(FUseRowColors, value);
}

void TExDBGrid::SetUseBackgroundPicture(bool value) {
  if (value)
    FUseRowColors = false;
  else
    FBackgroundCopy = QPixmap();
  Change(FUseBackgroundPicture, value);
}

void TExDBGrid::SetBackgroundPicture(const QImage &value) {
  FBackgroundPicture = value;
  FBackgroundCopy = QPixmap();
  InvalidateGrid();
}

void TExDBGrid::SetUseBitmapDrawing(bool value) { Change(FUseBitmapDrawing, value); }

void TExDBGrid::SetFlatCheckBox(bool value) { Change(FCheckBoxLook.Flat, value); }

void TExDBGrid::SetFlatCheckBoxType(TFlatCheckBoxType value) { Change(FCheckBoxLook.FrameType, value); }

void TExDBGrid::SetRowColor1(TColor value) { Change(FRowColor1, value); }
void TExDBGrid::SetRowColor2(TColor value) { Change(FRowColor2, value); }
void TExDBGrid::SetHighlightColor(TColor value) { Change(FHighlightColor, value); }
void TExDBGrid::SetHighlightFontColor(TColor value) { Change(FHighlightFontColor, value); }
void TExDBGrid::SetShowTextEllipsis(bool value) { Change(FShowTextEllipsis, value); }
void TExDBGrid::SetShowTitlesWhenInactive(bool value) { Change(FShowTitlesWhenInactive, value); }
void TExDBGrid::SetTitleCheck(bool value) { Change(FTitleCheck, value); }

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
      column->SetColor(locked ? FLockedColor : FCells3D ? FixedColor() : Color());
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
  FPictures.Clear();
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
  if (FUseBackgroundPicture)
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

bool TExDBGrid::HighlightCell(int DataCol, int DataRow, const QString &Value, TGridDrawState AState) {
  FHighlighted = TDBGrid::HighlightCell(DataCol, DataRow, Value, AState) || InCellRange(DataCol);
  return FHighlighted;
}

void TExDBGrid::paintEvent(QPaintEvent *event) {
  // A grey grid turns white unless it shows raised 3D cells.
  if ((Color() == clBtnFace || Color() == clSilver) &&
      !(FCells3D && (Options() & dgColLines) && (Options() & dgRowLines)))
    SetColor(clWindow);
  PrepareBackgroundCopy();
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

void TExDBGrid::PrepareBackgroundCopy() {
  if (!FUseBackgroundPicture || FBackgroundPicture.isNull() || FBackgroundCopy.size() == viewport()->size())
    return;
  // The picture tiled over the whole client area; each cell copies its own part of it.
  FBackgroundCopy = QPixmap(viewport()->size());
  QPainter painter(&FBackgroundCopy);
  painter.drawTiledPixmap(FBackgroundCopy.rect(), QPixmap::fromImage(FBackgroundPicture));
}

void TExDBGrid::DrawBackground(TCanvas &canvas, const QRect &cell) {
  if (FBackgroundCopy.isNull())
    return;
  canvas.Painter().drawPixmap(cell, FBackgroundCopy, cell);
}

void TExDBGrid::DrawCell(int ACol, int ARow, const QRect &ARect, TGridDrawState AState) {
  TCanvas &canvas = Canvas();
  if (!FShowTitlesWhenInactive && !DataLink()->Active()) {
    canvas.Brush.Color = Color();
    canvas.Brush.Style = bsSolid;
    canvas.FillRect(ARect.adjusted(-1, -1, 1, 1));
    return;
  }
  // A locked column's data cell is fixed for scrolling but paints as a data cell.
  if ((AState & gdFixed) && ACol >= IndicatorOffset() && ARow >= TitleOffset())
    AState &= ~TGridDrawState(gdFixed);
  TDBGrid::DrawCell(ACol, ARow, ARect, AState);
  DrawCellEdges(canvas, ACol, ARow, ARect);
  if (ACol == 0 && ARow == 0 && FTitleCheck && (Options() & dgIndicator) && (Options() & dgTitles))
    DrawCornerTriangle(canvas, ARect);
  if (FDrawFocusRect && (AState & gdFocused) && ARow >= TitleOffset() && ACol >= IndicatorOffset() &&
      hasFocus())
    canvas.DrawFocusRect(ARect);
}

void TExDBGrid::DrawTitleCell(const QRect &Rect, TColumn *Column, TGridDrawState State) {
  DrawTitleCell(Canvas(), Column->Index() + IndicatorOffset(), Rect, State);
}

void TExDBGrid::DrawTitleCell(TCanvas &ACanvas, int ACol, const QRect &ARect, TGridDrawState) {
  TColumn *column = ColumnAt(ACol);
  if (!column)
    return;
  ACanvas.Font = column->Title().Font();
  ACanvas.Brush.Color = column->Title().Color();
  ACanvas.Brush.Style = bsSolid;
  ACanvas.FillRect(ARect);
  TTextFormat format = AlignmentFormat(column->Title().Alignment());
  if (FShowTitleEllipsis)
    format |= tfSingleLine | tfEndEllipsis;
  else if (FMultiLineTitles)
    format |= tfWordBreak;
  else
    format |= tfSingleLine;
  ACanvas.Brush.Style = bsClear;
  ACanvas.TextRect(ARect.adjusted(2, 2, -2, 0), column->Title().Caption(), format);
  ACanvas.Brush.Style = bsSolid;
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
  if (FCells3D == value)
    return;
  FCells3D = value;
  ApplyLockedColumns();
  InvalidateGrid();
}

bool TExDBGrid::Raised3D() const { return FCells3D && (Options() & dgColLines) && (Options() & dgRowLines); }

namespace {

// A one-pixel edge: light top and left, shadow bottom and right.
void DrawRaisedEdge(TCanvas &canvas, const QRect &r, TColor light, TColor shadow) {
  canvas.Pen.Color = light;
  canvas.MoveTo(r.left(), r.bottom());
  canvas.LineTo(r.left(), r.top());
  canvas.LineTo(r.right() + 1, r.top());
  canvas.Pen.Color = shadow;
  canvas.MoveTo(r.right(), r.top() + 1);
  canvas.LineTo(r.right(), r.bottom());
  canvas.LineTo(r.left(), r.bottom());
}

} // namespace

void TExDBGrid::DrawCellEdges(TCanvas &canvas, int ACol, int ARow, const QRect &cell) {
  const bool title = ARow < TitleOffset();
  const bool indicator = !title && ACol < IndicatorOffset();
  if (!Raised3D()) {
    if (title || indicator)
      DrawRaisedEdge(canvas, cell, FixedColor(), clBtnShadow);
    return;
  }
  if ((title && !FBoldTitlesWhenCells3D) || (indicator && !FBoldIndicatorsWhenCells3D))
    DrawRaisedEdge(canvas, cell.adjusted(1, 1, -1, -1), FixedColor(), clBtnShadow);
  DrawRaisedEdge(canvas, cell, clHighlightText, clBtnShadow);
}

void TExDBGrid::DrawCornerTriangle(TCanvas &canvas, const QRect &cell) {
  const int left = cell.left() + (cell.width() - 7) / 2;
  const int top = cell.top() + (cell.height() - 4) / 2;
  canvas.Brush.Color = clBlack;
  canvas.Brush.Style = bsSolid;
  canvas.Pen.Color = clBlack;
  canvas.Polygon({QPoint(left, top), QPoint(left + 6, top), QPoint(left + 3, top + 3)});
}

void TExDBGrid::DrawColumnCell(const QRect &Rect, int DataCol, TColumn *Column, TGridDrawState State) {
  TField *field = Column->Field();
  if (!field)
    return;
  TCanvas &canvas = Canvas();
  canvas.Brush.Style = bsSolid;
  const bool highlighted = FHighlighted || (State & gdFocused);
  if (highlighted) {
    canvas.Brush.Color = FHighlightColor;
    canvas.Font.SetColor(FHighlightFontColor);
    canvas.FillRect(Rect);
  } else if (FUseRowColors) {
    canvas.Brush.Color = (Rect.top() / (Rect.height() + 1)) % 2 ? FRowColor1 : FRowColor2;
    canvas.FillRect(Rect);
  } else if (FUseBackgroundPicture && !FBackgroundCopy.isNull()) {
    DrawBackground(canvas, Rect);
  } else {
    canvas.FillRect(Rect);
  }
  if (!highlighted && OnApplyCellAttribute) {
    const TBrush before = canvas.Brush;
    OnApplyCellAttribute(this, field, canvas, State);
    // The cell was filled before the handler ran: a brush it changed is painted now, under the text.
    if (canvas.Brush.Color != before.Color || canvas.Brush.Style != before.Style)
      canvas.FillRect(Rect);
  }
  DrawFieldContent(canvas, Rect, Column, highlighted);
  if ((State & gdFocused) && FEditors->IsDatePickerCell(Column))
    FEditors->PrepareDatePicker(Rect, field);
  if ((State & gdFocused) && FEditors->IsMemoCell(Column))
    FEditors->PrepareMemo(Rect);
  TDBGrid::DrawColumnCell(Rect, DataCol, Column, State);
}

void TExDBGrid::DrawFieldContent(TCanvas &canvas, const QRect &Rect, TColumn *Column, bool highlighted) {
  TField *field = Column->Field();
  if (FDisplayBoolean && IsBooleanField(field)) {
    TCheckBoxLook look = FCheckBoxLook;
    look.CellColor = canvas.Brush.Color;
    look.TickColor = GridTickColor(canvas.Font.Color(), highlighted, FHighlightFontColor);
    DrawGridCheckBox(canvas, Rect, !field->IsNull() && IsChecked(field), look);
    return;
  }
  if (FDisplayImages && IsBlobKind(field) && !IsMemoKind(field)) {
    DrawPictureCell(canvas, Rect, field, highlighted);
    return;
  }
  // Raised cells keep their text off the one-pixel edge, which would cut the accents of capitals.
  const QRect textRect = Raised3D() ? Rect.adjusted(2, 1, -2, -1) : Rect.adjusted(2, 0, -2, 0);
  TTextFormat format = AlignmentFormat(Column->Alignment());
  format |= FShowTextEllipsis ? (tfSingleLine | tfEndEllipsis | tfVerticalCenter) : tfWordBreak;
  // A long memo is cut to what the cell can show before it is laid out.
  const QString text =
      CellText(field, FDisplayMemo, ShownTextLimit(textRect.size(), canvas.TextHeight(QString())));
  canvas.Brush.Style = bsClear;
  canvas.TextRect(textRect, text, format);
  canvas.Brush.Style = bsSolid;
}

void TExDBGrid::DrawPictureCell(TCanvas &canvas, const QRect &cell, TField *field, bool highlighted) {
  if (highlighted) {
    canvas.Brush.Color = FImageHighlightColor;
    canvas.Font.SetColor(Font().Color());
    canvas.FillRect(cell);
  }
  const QImage picture =
      FPictures.Picture(DataLink()->DataSet()->Bookmark(), field->FieldName(), field->AsBytes(), cell.size());
  if (!picture.isNull())
    canvas.Painter().drawImage(FitPictureRect(picture.size(), cell), picture);
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
  return field && FDisplayBoolean && IsBooleanField(field) && (Options() & dgEditing) &&
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
  if (cell.X == 0 && cell.Y == 0 && FTitleCheck && (Options() & dgTitles) && (Options() & dgIndicator) &&
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
           ((FDisplayBoolean && IsBooleanField(field)) || (IsBlobKind(field) && !IsMemoKind(field)) ||
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
  if (FUseRowColors)
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
  if (!field || (FDisplayBoolean && IsBooleanField(field)) || (IsBlobKind(field) && !IsMemoKind(field)))
    return;
  TCanvas &canvas = Canvas();
  canvas.Font = column->Font();
  const QRect screen = this->screen() ? this->screen()->geometry() : QRect(0, 0, 1024, 768);
  // The hint is at most half the screen wide: a long memo is cut to what that can show.
  const qsizetype limit =
      ShownTextLimit(QSize(screen.width() / 2, screen.height()), canvas.TextHeight(QString()));
  const int oldActive = DataLink()->ActiveRecord();
  DataLink()->SetActiveRecord(dataRow);
  const QString text = CellText(field, FDisplayMemo, limit);
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
