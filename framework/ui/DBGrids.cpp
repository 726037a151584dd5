#include "DBGrids.h"

#include "DB.h"
#include "GridGlyphs.h"
#include "InplaceEdit.h"

#include <QPainter>
#include <QScrollBar>
#include <algorithm>

namespace {

constexpr int IndicatorWidth = 11;

// A lookup field with its lookup dataset: the editor offers the lookup's values.
bool IsLookupList(const TField *field) { return field && field->Lookup() && field->LookupDataSet(); }

// A field the editor may change: a lookup field through its key fields.
bool EditableField(TField *field) {
  if (!IsLookupList(field))
    return field->CanModify();
  if (field->ReadOnly() || !field->DataSet())
    return false;
  const std::vector<TField *> keys = field->DataSet()->GetFieldList(field->KeyFields());
  return !keys.empty() && std::all_of(keys.begin(), keys.end(), [](TField *key) { return key->CanModify(); });
}

} // namespace

// --- TGridDataLink ---

void TGridDataLink::Reset() {
  if (FModified) {
    FModified = false;
    FGrid->InvalidateEditor();
  } else if (DataSet()) {
    DataSet()->Cancel();
  }
}

void TGridDataLink::ActiveChanged() {
  FModified = false;
  FGrid->LinkActive(Active());
}

void TGridDataLink::DataSetChanged() {
  FGrid->DataChanged();
  FModified = false;
}

void TGridDataLink::DataSetScrolled(int distance) { FGrid->Scroll(distance); }

void TGridDataLink::EditingChanged() { FGrid->EditingChanged(); }

void TGridDataLink::FocusControl(TField **field) {
  if (!field || !*field)
    return;
  for (int i = 0; i < FGrid->Columns().Count(); ++i) {
    if (FGrid->Columns()[i]->Field() == *field) {
      FGrid->SetSelectedIndex(i);
      FGrid->setFocus(Qt::OtherFocusReason);
      *field = nullptr;
      return;
    }
  }
}

void TGridDataLink::LayoutChanged() {
  FGrid->UnbindColumns();
  FGrid->LayoutChanged();
  TDataLink::LayoutChanged();
}

void TGridDataLink::RecordChanged(TField *field) {
  FGrid->RecordChanged(field);
  FModified = false;
}

void TGridDataLink::UpdateData() {
  if (!FModified || FInUpdateData)
    return;
  FInUpdateData = true;
  try {
    FGrid->UpdateData();
  } catch (...) {
    FInUpdateData = false;
    throw;
  }
  FInUpdateData = false;
  FModified = false;
}

// --- TCustomDBGrid: construction and properties ---

TCustomDBGrid::TCustomDBGrid(QWidget *parent)
    : TCustomGrid(parent), FDataLink(std::make_unique<TGridDataLink>(this)),
      FColumns(std::make_unique<TDBGridColumns>(this)), FBookmarks(std::make_unique<TBookmarkList>(this)) {
  FOptions = dgEditing | dgTitles | dgIndicator | dgColumnResize | dgColLines | dgRowLines | dgTabs |
             dgConfirmDelete | dgCancelOnExit;
  FTitleFont = Font();
  FTitleFont.OnChange = [this](TFont *) { LayoutChanged(); };
  auto gridFontChanged = Font().OnChange;
  Font().OnChange = [this, gridFontChanged](TFont *font) {
    gridFontChanged(font);
    LayoutChanged();
  };
  ApplyGridOptions();
  InternalLayout();
}

TCustomDBGrid::~TCustomDBGrid() {
  Font().OnChange = nullptr;
  FDataLink->SetDataSource(nullptr);
}

void TCustomDBGrid::SetDataSource(TDataSource *value) {
  if (value == DataSource())
    return;
  FDataLink->SetDataSource(value);
  LinkActive(FDataLink->Active());
}

void TCustomDBGrid::SetOptions(TDBGridOptions value) {
  if (value & dgRowSelect)
    value &= ~dgAlwaysShowEditor;
  if (value == FOptions)
    return;
  if (!(value & dgMultiSelect))
    FBookmarks->Clear();
  FOptions = value;
  ApplyGridOptions();
  LayoutChanged();
}

void TCustomDBGrid::UpdateGridOptions() { ApplyGridOptions(); }

TGridOptions TCustomDBGrid::AdjustGridOptions(TGridOptions Value) { return Value; }

void TCustomDBGrid::ApplyGridOptions() {
  constexpr TGridOptions kept = goRowSizing | goRowMoving | goThumbTracking | goDrawFocusSelected;
  TGridOptions options = (TCustomGrid::Options() & kept) | goFixedVertLine | goFixedHorzLine;
  if (FOptions & dgColLines)
    options |= goVertLine;
  if (FOptions & dgRowLines)
    options |= goHorzLine;
  if (FOptions & dgColumnResize)
    options |= goColSizing | goColMoving;
  if (FOptions & dgTabs)
    options |= goTabs;
  if (FOptions & dgRowSelect) {
    options |= goRowSelect;
  } else {
    if (FOptions & dgEditing)
      options |= goEditing;
    if (FOptions & dgAlwaysShowEditor)
      options |= goAlwaysShowEditor;
  }
  TCustomGrid::SetOptions(AdjustGridOptions(options));
}

void TCustomDBGrid::SetReadOnly(bool value) {
  if (value == FReadOnly)
    return;
  FReadOnly = value;
  if (value)
    HideEditor();
  LayoutChanged();
}

int TCustomDBGrid::SelectedIndex() const { return Col() - IndicatorOffset(); }

void TCustomDBGrid::SetSelectedIndex(int value) { MoveCol(value + IndicatorOffset()); }

TColumn *TCustomDBGrid::ColumnAt(int RawCol) const {
  const int index = RawCol - IndicatorOffset();
  if (index < 0 || index >= FColumns->Count())
    return nullptr;
  return FColumns->Items(index);
}

TField *TCustomDBGrid::SelectedField() const {
  TColumn *column = ColumnAt(Col());
  return column ? column->Field() : nullptr;
}

void TCustomDBGrid::SetSelectedField(TField *value) {
  for (int i = 0; value && i < FColumns->Count(); ++i) {
    if (FColumns->Items(i)->Field() == value) {
      SetSelectedIndex(i);
      return;
    }
  }
}

TField *TCustomDBGrid::Fields(int index) const {
  return index >= 0 && index < FColumns->Count() ? FColumns->Items(index)->Field() : nullptr;
}

void TCustomDBGrid::BeginLayout() { ++FLayoutLock; }

void TCustomDBGrid::EndLayout() {
  if (FLayoutLock > 0 && --FLayoutLock == 0 && FLayoutPending)
    LayoutChanged();
}

void TCustomDBGrid::EndUpdate() {
  if (FUpdateLock > 0 && --FUpdateLock == 0)
    InvalidateGrid();
}

bool TCustomDBGrid::CanModifyDataSet() const {
  return FDataLink->Active() && !FReadOnly && !FDataLink->ReadOnly() && FDataLink->DataSet()->CanModify();
}

// --- layout ---

void TCustomDBGrid::LinkActive(bool Value) {
  if (!Value)
    HideEditor();
  FBookmarks->LinkActive(Value);
  UnbindColumns();
  LayoutChanged();
  if (Value && (FOptions & dgAlwaysShowEditor))
    ShowEditor();
}

void TCustomDBGrid::UnbindColumns() {
  for (int i = 0; i < FColumns->Count(); ++i)
    FColumns->Items(i)->UnbindField();
  FDefaultColumnsStale = true;
}

void TCustomDBGrid::LayoutChanged() {
  if (FInLayout)
    return;
  if (FLayoutLock > 0) {
    FLayoutPending = true;
    return;
  }
  FLayoutPending = false;
  InternalLayout();
}

void TCustomDBGrid::InternalLayout() {
  FInLayout = true;
  try {
    if (FColumns->State() == csDefault && (FDefaultColumnsStale || FColumns->Count() == 0)) {
      FColumns->BuildDefaultColumns();
      FDefaultColumnsStale = false;
    }
    SetColCount(std::max(FColumns->Count(), 1) + IndicatorOffset());
    SetFixedCols(IndicatorOffset());
    TCanvas &canvas = Canvas();
    canvas.Font = Font();
    SetDefaultRowHeight(canvas.TextHeight(QStringLiteral("Wg")) + 3);
    UpdateRowCount();
    if (TitleOffset() > 0) {
      canvas.Font = FTitleFont;
      SetRowHeights(0, canvas.TextHeight(QStringLiteral("Wg")) + 4);
    }
    SetColumnAttributes();
    UpdateActive();
  } catch (...) {
    FInLayout = false;
    throw;
  }
  FInLayout = false;
  // The scroll bars may have changed the client area while the layout ran.
  UpdateScrollRange();
  UpdateRowCount();
  UpdateActive();
  InvalidateEditor();
  InvalidateGrid();
}

void TCustomDBGrid::SetColumnAttributes() {
  for (int i = 0; i < FColumns->Count(); ++i) {
    TColumn *column = FColumns->Items(i);
    const int raw = i + IndicatorOffset();
    SetColWidths(raw, column->Showing() ? column->Width() : 0);
    SetTabStops(raw, column->Showing());
  }
  if (FColumns->Count() == 0)
    SetColWidths(IndicatorOffset(), DefaultColWidth());
  if (IndicatorOffset() > 0) {
    SetColWidths(0, IndicatorWidth);
    SetTabStops(0, false);
  }
}

int TCustomDBGrid::DataRowsFitting() {
  const int line = (FOptions & dgRowLines) ? GridLineWidth() : 0;
  int titles = 0;
  for (int i = 0; i < TitleOffset() && i < RowCount(); ++i)
    titles += RowHeights(i) + GridLineWidth();
  const int room = viewport()->height() - titles;
  return std::max(1, room / std::max(1, DefaultRowHeight() + line));
}

void TCustomDBGrid::UpdateRowCount() {
  if (FInRowCount)
    return;
  FInRowCount = true;
  try {
    const int titles = TitleOffset();
    if (RowCount() <= titles)
      SetRowCount(titles + 1);
    SetFixedRows(titles);
    if (FDataLink->Active()) {
      FDataLink->SetBufferCount(DataRowsFitting());
      SetRowCount(titles + std::max(1, FDataLink->RecordCount()));
      // A new window size can move the current record within the window.
      UpdateActive();
    } else {
      SetRowCount(titles + 1);
    }
  } catch (...) {
    FInRowCount = false;
    throw;
  }
  FInRowCount = false;
}

void TCustomDBGrid::UpdateActive() {
  if (!FDataLink->Active())
    return;
  const int row = std::min(TitleOffset() + FDataLink->ActiveRecord(), RowCount() - 1);
  if (row != Row())
    MoveColRow(Col(), row, true, false);
  if (IndicatorOffset() > 0)
    InvalidateCol(0);
}

void TCustomDBGrid::ColWidthsChanged() {
  if (!FInLayout) {
    BeginLayout();
    for (int i = 0; i < FColumns->Count(); ++i) {
      TColumn *column = FColumns->Items(i);
      const int width = ColWidths(i + IndicatorOffset());
      if (column->Showing() && width > 0 && width != column->Width())
        column->SetWidth(width);
    }
    EndLayout();
  }
  TCustomGrid::ColWidthsChanged();
}

void TCustomDBGrid::RowHeightsChanged() {
  TCustomGrid::RowHeightsChanged();
  if (!FInLayout)
    UpdateRowCount();
}

void TCustomDBGrid::ColumnMoved(int FromIndex, int ToIndex) {
  const int from = FromIndex - IndicatorOffset();
  const int to = ToIndex - IndicatorOffset();
  FColumns->Move(from, to);
  if (OnColumnMoved)
    OnColumnMoved(this, from, to);
}

void TCustomDBGrid::Resize() {
  if (FDataLink->Active() && !FInLayout)
    UpdateRowCount();
}

// --- data link notifications ---

void TCustomDBGrid::DataChanged() {
  if (!FDataLink->Active())
    return;
  UpdateRowCount();
  UpdateScrollRange();
  UpdateActive();
  InvalidateEditor();
  InvalidateGrid();
}

void TCustomDBGrid::Scroll(int Distance) {
  if (!FDataLink->Active())
    return;
  UpdateActive();
  if (Distance != 0 && (FOptions & dgAlwaysShowEditor))
    InvalidateEditor();
  UpdateScrollRange();
  InvalidateGrid();
}

void TCustomDBGrid::EditingChanged() {
  if (IndicatorOffset() > 0)
    InvalidateCell(0, Row());
}

void TCustomDBGrid::RecordChanged(TField *Field) {
  InvalidateRow(Row());
  TField *selected = SelectedField();
  if (InplaceEditor() && InplaceEditor()->isVisible() && (!Field || Field == selected) && selected &&
      selected->Text() != FEditText)
    InvalidateEditor();
}

void TCustomDBGrid::UpdateData() {
  TField *field = SelectedField();
  if (IsLookupList(field))
    SetLookupText(field, FEditText);
  else if (field)
    field->SetText(FEditText);
}

// --- vertical scroll bar: the dataset's position ---

void TCustomDBGrid::UpdateScrollRange() {
  UpdateHorzScrollBar();
  if (!FDataLink->Active()) {
    SetVertScrollBar(0, 0, 1, 0);
    return;
  }
  TDataSet *dataSet = FDataLink->DataSet();
  if (dataSet->IsSequenced()) {
    const int page = std::max(1, FDataLink->RecordCount());
    const int maximum = std::max(1, dataSet->RecordCount() - page + 1);
    const int top = dataSet->RecNo() - FDataLink->ActiveRecord();
    QScrollBar *bar = verticalScrollBar();
    SetVertScrollBar(1, maximum, page,
                     dataSet->State() == dsInsert ? bar->sliderPosition() : std::clamp(top, 1, maximum));
  } else {
    SetVertScrollBar(0, 4, 1, dataSet->Bof() ? 0 : dataSet->Eof() ? 4 : 2);
  }
}

void TCustomDBGrid::ScrollBarAction(Qt::Orientation Orientation, QAbstractSlider::SliderAction Action,
                                    int Position) {
  if (Orientation == Qt::Horizontal || !FDataLink->Active()) {
    TCustomGrid::ScrollBarAction(Orientation, Action, Position);
    return;
  }
  TDataSet *dataSet = FDataLink->DataSet();
  const int page = std::max(1, VisibleRowCount());
  switch (Action) {
  case QAbstractSlider::SliderSingleStepAdd: dataSet->MoveBy(1); break;
  case QAbstractSlider::SliderSingleStepSub: dataSet->MoveBy(-1); break;
  case QAbstractSlider::SliderPageStepAdd: dataSet->MoveBy(page); break;
  case QAbstractSlider::SliderPageStepSub: dataSet->MoveBy(-page); break;
  case QAbstractSlider::SliderToMinimum: dataSet->First(); break;
  case QAbstractSlider::SliderToMaximum: dataSet->Last(); break;
  case QAbstractSlider::SliderMove:
    if (dataSet->IsSequenced())
      dataSet->SetRecNo(Position);
    else if (Position <= 0)
      dataSet->First();
    else if (Position >= 4)
      dataSet->Last();
    break;
  default: break;
  }
}

// --- painting ---

void TCustomDBGrid::DrawCell(int ACol, int ARow, const QRect &ARect, TGridDrawState AState) {
  const int dataRow = ARow - TitleOffset();
  if (ACol < IndicatorOffset()) {
    if (dataRow >= 0)
      DrawIndicatorCell(ARect, dataRow);
    return;
  }
  TColumn *column = ColumnAt(ACol);
  if (!column || !column->Showing())
    return;
  if (dataRow < 0) {
    DrawTitleCell(ARect, column, AState);
    return;
  }
  if (!FDataLink->Active() || dataRow >= FDataLink->RecordCount())
    return;
  const int dataCol = ACol - IndicatorOffset();
  const int oldActive = FDataLink->ActiveRecord();
  FDataLink->SetActiveRecord(dataRow);
  try {
    TCanvas &canvas = Canvas();
    TField *field = column->Field();
    const QString value = field ? field->DisplayText() : QString();
    canvas.Font = column->Font();
    canvas.Brush.Color = column->Color();
    if (HighlightCell(dataCol, dataRow, value, AState)) {
      canvas.Brush.Color = clHighlight;
      canvas.Font.SetColor(clHighlightText);
    }
    if (DefaultDrawing())
      DefaultDrawColumnCell(ARect, dataCol, column, AState);
    if (FColumns->State() == csDefault)
      DrawDataCell(ARect, field, AState);
    DrawColumnCell(ARect, dataCol, column, AState);
  } catch (...) {
    FDataLink->SetActiveRecord(oldActive);
    throw;
  }
  FDataLink->SetActiveRecord(oldActive);
}

bool TCustomDBGrid::RowSelected(int dataRow) {
  if (!(FOptions & dgMultiSelect) || !FDataLink->Active() || FBookmarks->Count() == 0)
    return false;
  const int oldActive = FDataLink->ActiveRecord();
  FDataLink->SetActiveRecord(dataRow);
  const bool selected = FBookmarks->CurrentRowSelected();
  FDataLink->SetActiveRecord(oldActive);
  return selected;
}

void TCustomDBGrid::DrawIndicatorCell(const QRect &rect, int dataRow) {
  if (!FDataLink->Active() || dataRow >= FDataLink->RecordCount())
    return;
  const bool selected = RowSelected(dataRow);
  const bool current = dataRow == FDataLink->ActiveRecord();
  TGridGlyph glyph;
  if (current) {
    const TDataSetState state = FDataLink->DataSet()->State();
    glyph = state == dsEdit     ? TGridGlyph::Edit
            : state == dsInsert ? TGridGlyph::Insert
            : selected          ? TGridGlyph::MultiArrow
                                : TGridGlyph::Current;
  } else if (selected) {
    glyph = TGridGlyph::MultiDot;
  } else {
    return;
  }
  const QPixmap &pixmap = GridGlyph(glyph);
  Canvas().Painter().drawPixmap(rect.left() + (rect.width() - pixmap.width()) / 2,
                                rect.top() + (rect.height() - pixmap.height()) / 2, pixmap);
}

void TCustomDBGrid::DrawTitleCell(const QRect &Rect, TColumn *Column, TGridDrawState) {
  TCanvas &canvas = Canvas();
  canvas.Font = Column->Title().Font();
  canvas.Brush.Color = Column->Title().Color();
  WriteText(Rect.adjusted(1, 1, -1, -1), 1, Column->Title().Caption(), Column->Title().Alignment());
}

void TCustomDBGrid::WriteText(const QRect &rect, int dx, const QString &text, TAlignment alignment) {
  TCanvas &canvas = Canvas();
  const int width = canvas.TextWidth(text);
  int x = rect.left() + dx;
  if (alignment == taRightJustify)
    x = rect.left() + rect.width() - width - dx;
  else if (alignment == taCenter)
    x = rect.left() + (rect.width() - width) / 2;
  const int y = rect.top() + std::max(0, (rect.height() - canvas.TextHeight(text)) / 2);
  canvas.TextRect(rect, x, y, text);
}

void TCustomDBGrid::DefaultDrawColumnCell(const QRect &Rect, int, TColumn *Column, TGridDrawState) {
  TField *field = Column->Field();
  WriteText(Rect, 2, field ? field->DisplayText() : QString(), Column->Alignment());
}

bool TCustomDBGrid::HighlightCell(int, int, const QString &, TGridDrawState AState) {
  if ((FOptions & dgMultiSelect) && FDataLink->Active() && FBookmarks->CurrentRowSelected())
    return true;
  return (AState & gdSelected) && ((FOptions & dgAlwaysShowSelection) || IsActiveControl()) &&
         (FUpdateLock == 0 || (FOptions & dgRowSelect));
}

void TCustomDBGrid::DrawColumnCell(const QRect &Rect, int DataCol, TColumn *Column, TGridDrawState State) {
  if (OnDrawColumnCell)
    OnDrawColumnCell(this, Rect, DataCol, Column, State);
}

void TCustomDBGrid::DrawDataCell(const QRect &Rect, TField *Field, TGridDrawState State) {
  if (OnDrawDataCell)
    OnDrawDataCell(this, Rect, Field, State);
}

// --- the in-place editor ---

bool TCustomDBGrid::CanEditShow() {
  if (!(FOptions & dgEditing) || !CanModifyDataSet())
    return false;
  TColumn *column = ColumnAt(Col());
  TField *field = column ? column->Field() : nullptr;
  if (!field || !column->Showing() || column->ReadOnly() || !EditableField(field))
    return false;
  return TCustomGrid::CanEditShow();
}

QStringList TCustomDBGrid::LookupList(TField *field) const {
  TDataSet *lookup = field->LookupDataSet();
  QStringList values;
  if (!lookup->Active())
    return values;
  TField *result = lookup->FieldByName(field->LookupResultField());
  const TBookmark position = lookup->Bookmark();
  lookup->DisableControls();
  try {
    for (lookup->First(); !lookup->Eof(); lookup->Next())
      values << result->DisplayText();
    if (!position.isEmpty() && lookup->BookmarkValid(position))
      lookup->SetBookmark(position);
  } catch (...) {
    lookup->EnableControls();
    throw;
  }
  lookup->EnableControls();
  return values;
}

void TCustomDBGrid::SetLookupText(TField *field, const QString &text) {
  TDataSet *dataSet = field->DataSet();
  if (text.isEmpty()) {
    for (TField *key : dataSet->GetFieldList(field->KeyFields()))
      key->Clear();
    return;
  }
  const QVariant key =
      field->LookupDataSet()->Lookup(field->LookupResultField(), text, field->LookupKeyFields());
  if (key.isNull())
    DatabaseError(
        QStringLiteral("'%1' is not a value of the list of field '%2'").arg(text, field->DisplayName()),
        dataSet);
  dataSet->SetFieldValues(field->KeyFields(), key);
}

bool TCustomDBGrid::CanEditModify() {
  if (!CanModifyDataSet())
    return false;
  TColumn *column = ColumnAt(Col());
  TField *field = column ? column->Field() : nullptr;
  if (!field || column->ReadOnly())
    return false;
  FDataLink->Edit();
  if (!FDataLink->Editing() || !EditableField(field))
    return false;
  FDataLink->Modified();
  return true;
}

bool TCustomDBGrid::CanEditAcceptKey(QChar Key) {
  TField *field = SelectedField();
  if (!field)
    return false;
  switch (field->DataType()) {
  case ftSmallint:
  case ftInteger:
  case ftWord:
  case ftAutoInc:
  case ftLargeint: return Key.isDigit() || Key == QChar('-') || Key == QChar('+');
  default: return true;
  }
}

TEditStyle TCustomDBGrid::GetEditStyle(int ACol, int) {
  TColumn *column = ColumnAt(ACol);
  if (!column)
    return esSimple;
  switch (column->ButtonStyle()) {
  case cbsEllipsis: return esEllipsis;
  case cbsAuto: return column->PickList().isEmpty() && !IsLookupList(column->Field()) ? esSimple : esPickList;
  default: return esSimple;
  }
}

QStringList TCustomDBGrid::GetPickList(int ACol, int) {
  TColumn *column = ColumnAt(ACol);
  if (!column)
    return QStringList();
  if (column->PickList().isEmpty() && IsLookupList(column->Field()))
    return LookupList(column->Field());
  return column->PickList();
}

int TCustomDBGrid::GetDropDownRows(int ACol, int) {
  TColumn *column = ColumnAt(ACol);
  return column ? column->DropDownRows() : 7;
}

QString TCustomDBGrid::GetEditText(int ACol, int) {
  TColumn *column = ColumnAt(ACol);
  TField *field = column ? column->Field() : nullptr;
  FEditText = field ? field->Text() : QString();
  return FEditText;
}

void TCustomDBGrid::SetEditText(int, int, const QString &Value) { FEditText = Value; }

int TCustomDBGrid::GetEditLimit() {
  TField *field = SelectedField();
  return field && field->DataType() == ftString ? field->Size() : 0;
}

void TCustomDBGrid::EditButtonClick() {
  if (OnEditButtonClick)
    OnEditButtonClick(this);
}
