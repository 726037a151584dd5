#include "ExDBGrid.h"

#include "DB.h"
#include "ExDBGridFieldKinds.h"
#include "ExDBGridPicture.h"
#include "InplaceEdit.h"

#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QScreen>

TExDBGrid::TExDBGrid(QWidget *parent) : TDBGrid(parent) {
  SetDefaultDrawing(false);
  SetBorderStyle(bsNone);
  FCellHint = new QLabel(this, Qt::ToolTip);
  QPalette palette = FCellHint->palette();
  palette.setColor(QPalette::Window, ColorToQColor(clInfoBk));
  palette.setColor(QPalette::WindowText, ColorToQColor(clInfoText));
  FCellHint->setPalette(palette);
  FCellHint->setAutoFillBackground(true);
  FCellHint->setMargin(2);
  FCellHint->hide();
  viewport()->setMouseTracking(true);
  WatchThumbDrag();
  BuildMenu();
}

TExDBGrid::~TExDBGrid() { HideFormControl(); }

// --- simple properties ---

void TExDBGrid::SetUseRowColors(bool value) {
  if (value)
    FUseBackgroundPicture = false;
  Change(FUseRowColors, value);
}

void TExDBGrid::SetUseBackgroundPicture(bool value) {
  if (value)
    FUseRowColors = false;
  Change(FUseBackgroundPicture, value);
}

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
  TDBGrid::LinkActive(Value);
  if (Value) {
    ApplyLockedColumns();
    ApplyColumnEnterRules();
  }
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
  TColumn *titleColumn = ARow < TitleOffset() && ACol >= IndicatorOffset() ? ColumnAt(ACol) : nullptr;
  if (titleColumn && titleColumn->Showing())
    DrawTitleText(ARect, titleColumn);
  else
    TDBGrid::DrawCell(ACol, ARow, ARect, AState);
  DrawCellEdges(canvas, ACol, ARow, ARect);
  if (ACol == 0 && ARow == 0 && FTitleCheck && (Options() & dgIndicator) && (Options() & dgTitles))
    DrawCornerTriangle(canvas, ARect);
}

void TExDBGrid::SetCells3D(bool value) {
  if (FCells3D == value)
    return;
  FCells3D = value;
  ApplyLockedColumns();
  InvalidateGrid();
}

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
  if (!FCells3D || !(Options() & dgColLines) || !(Options() & dgRowLines)) {
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
  } else if (FUseRowColors) {
    canvas.Brush.Color = (Rect.top() / (Rect.height() + 1)) % 2 ? FRowColor1 : FRowColor2;
  }
  canvas.FillRect(Rect);
  if (FDisplayBoolean && IsBooleanField(field)) {
    DrawCheckBox(canvas, Rect, !field->IsNull() && IsChecked(field), canvas.Font.Color());
  } else if (FDisplayImages && IsBlobKind(field) && !IsMemoKind(field)) {
    DrawPictureCell(canvas, Rect, field, highlighted);
  } else if (FDisplayMemo || !IsMemoKind(field)) {
    TTextFormat format = Column->Alignment() == taRightJustify ? tfRight
                         : Column->Alignment() == taCenter     ? tfCenter
                                                               : tfLeft;
    format |= FShowTextEllipsis ? (tfSingleLine | tfEndEllipsis | tfVerticalCenter) : tfWordBreak;
    canvas.Brush.Style = bsClear;
    canvas.TextRect(Rect.adjusted(2, 0, -2, 0), field->DisplayText(), format);
    canvas.Brush.Style = bsSolid;
  }
  if ((State & gdFocused) && IsDatePickerCell(Column))
    PrepareDatePicker(Rect, field);
  if ((State & gdFocused) && IsMemoEditorCell(Column))
    PrepareMemoEditor(Rect);
  TDBGrid::DrawColumnCell(Rect, DataCol, Column, State);
}

void TExDBGrid::DrawPictureCell(TCanvas &canvas, const QRect &cell, TField *field, bool highlighted) {
  if (highlighted) {
    canvas.Brush.Color = FImageHighlightColor;
    canvas.Font.SetColor(Font().Color());
    canvas.FillRect(cell);
  }
  const QImage picture = DecodeGridPicture(field->AsBytes());
  if (!picture.isNull())
    canvas.Painter().drawImage(FitPictureRect(picture.size(), cell), picture);
}

void TExDBGrid::DrawCheckBox(TCanvas &canvas, const QRect &cell, bool checked, TColor tickColor) {
  const QSize size = CheckBoxSize();
  const QRect box(cell.left() + (cell.width() - size.width()) / 2,
                  cell.top() + (cell.height() - size.height()) / 2, size.width(), size.height());
  canvas.Brush.Color = clWindow;
  canvas.FillRect(box);
  canvas.Brush.Color = clGray;
  canvas.FrameRect(box);
  if (!checked)
    return;
  // The tick follows the cell's font colour, so it stays visible on highlighted rows.
  canvas.Pen.Color = tickColor;
  canvas.Pen.Width = 2;
  const int x = box.left(), y = box.top();
  canvas.Polyline({QPoint(x + 3, y + 6), QPoint(x + 5, y + 9), QPoint(x + 10, y + 3)});
  canvas.Pen.Width = 1;
}

// --- check-box clicks ---

void TExDBGrid::CellClick(TColumn *Column) {
  HideSearchEdit();
  if (CanToggleCheck(Column))
    ToggleCheck(Column->Field());
  EditorCellClicked(Column);
  TDBGrid::CellClick(Column);
}

bool TExDBGrid::CanToggleCheck(TColumn *Column) {
  TField *field = Column ? Column->Field() : nullptr;
  return field && FDisplayBoolean && IsBooleanField(field) && (Options() & dgEditing) &&
         !(Options() & dgRowSelect) && CanModifyDataSet() && !Column->ReadOnly() && field->CanModify();
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

void TExDBGrid::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
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
  TDBGrid::MouseMove(Shift, X, Y);
  if (FRangeCapture)
    ExtendCellRange(X, Y);
  else if (FCellHints && !FEnableCellRangeSelect)
    UpdateCellHint(X, Y);
}

void TExDBGrid::KeyDown(int &Key, TShiftState Shift) {
  HideCellHint();
  if (FEnterAsTab && (Key == Qt::Key_Return || Key == Qt::Key_Enter))
    Key = Qt::Key_Tab;
  if (CellClipboardKey(Key, Shift)) {
    Key = 0;
    return;
  }
  // Space, Enter and F2 flip a check-box cell as a click does.
  if (!FEnableCellRangeSelect &&
      (Key == Qt::Key_Space || Key == Qt::Key_Return || Key == Qt::Key_Enter || Key == Qt::Key_F2) &&
      !EditorMode() && DataLink()->Active() && CanToggleCheck(ColumnAt(Col()))) {
    ToggleCheck(ColumnAt(Col())->Field());
    Key = 0;
    return;
  }
  if (!FEnableCellRangeSelect && (Key == Qt::Key_Space || Key == Qt::Key_Return || Key == Qt::Key_Enter) &&
      !EditorMode() && (Options() & dgEditing) && !(Options() & dgRowSelect) && CanModifyDataSet() &&
      (IsDatePickerCell(ColumnAt(Col())) || IsMemoEditorCell(ColumnAt(Col())))) {
    ShowDatePicker();
    ShowMemoEditor();
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

TInplaceEdit *TExDBGrid::CreateEditor() {
  TInplaceEdit *editor = TDBGrid::CreateEditor();
  QPalette colours = editor->palette();
  colours.setColor(QPalette::Base, ColorToQColor(FEditColor));
  editor->setPalette(colours);
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
  // Check-box and date cells change by click, key or picker, never through the text editor.
  return !(field &&
           ((FDisplayBoolean && IsBooleanField(field)) || (FDisplayDateTime && IsDateTimeKind(field))));
}

void TExDBGrid::DblClick() {
  HideCellHint();
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
  if (cell == FHintCell && FCellHint->isVisible())
    return;
  HideCellHint();
  const int dataRow = cell.Y - TitleOffset();
  TColumn *column = cell.X >= IndicatorOffset() ? ColumnAt(cell.X) : nullptr;
  if (!column || dataRow < 0 || !DataLink()->Active() || dataRow >= DataLink()->RecordCount())
    return;
  TField *field = column->Field();
  if (!field || (FDisplayBoolean && IsBooleanField(field)))
    return;
  const int oldActive = DataLink()->ActiveRecord();
  DataLink()->SetActiveRecord(dataRow);
  const QString text = field->DisplayText();
  DataLink()->SetActiveRecord(oldActive);
  TCanvas &canvas = Canvas();
  canvas.Font = column->Font();
  const QRect rect = CellRect(cell.X, cell.Y);
  if (text.isEmpty() || EditorMode() || canvas.TextWidth(text) + 2 <= column->Width())
    return;
  FHintCell = cell;
  FCellHint->setFont(column->Font().ToQFont());
  FCellHint->setWordWrap(false);
  FCellHint->setText(text);
  FCellHint->adjustSize();
  // Kept whole on the screen: moved left and up by what passes its right and bottom edges.
  QPoint pos = viewport()->mapToGlobal(rect.topLeft()) - QPoint(1, 1);
  if (const QScreen *screen = this->screen()) {
    const QRect area = screen->geometry();
    pos.rx() -= std::max(0, pos.x() + FCellHint->width() - area.right() - 1);
    pos.ry() -= std::max(0, pos.y() + FCellHint->height() - area.bottom() - 1);
  }
  FCellHint->move(pos);
  FCellHint->show();
}

void TExDBGrid::HideCellHint() {
  FHintCell = {-1, -1};
  if (FCellHint)
    FCellHint->hide();
}
