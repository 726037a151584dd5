#include "DBGridColumns.h"

#include "DB.h"
#include "DBGrids.h"

#include <algorithm>

// A font that follows a default until someone changes it.
namespace {

void SyncFont(TFont &font, bool &syncing, const TFont &source) {
  syncing = true;
  font.Assign(source);
  syncing = false;
}

} // namespace

// --- TColumnTitle ---

TColumnTitle::TColumnTitle(TColumn *column) : FColumn(column) {
  FFont.OnChange = [this](TFont *) {
    if (FSyncingFont)
      return;
    FColumn->Assigned(cvTitleFont);
    FColumn->Changed();
  };
}

QString TColumnTitle::Caption() const {
  if (FColumn->AssignedValues() & cvTitleCaption)
    return FCaption;
  if (TField *field = FColumn->Field())
    return field->DisplayLabel();
  return FColumn->FieldName();
}

void TColumnTitle::SetCaption(const QString &value) {
  FCaption = value;
  FColumn->Assigned(cvTitleCaption);
  FColumn->Changed();
}

TFont &TColumnTitle::Font() {
  if (!(FColumn->AssignedValues() & cvTitleFont) && FColumn->Grid())
    SyncFont(FFont, FSyncingFont, FColumn->Grid()->TitleFont());
  return FFont;
}

TColor TColumnTitle::Color() const {
  if (FColumn->AssignedValues() & cvTitleColor)
    return FColor;
  return FColumn->Grid() ? FColumn->Grid()->FixedColor() : clBtnFace;
}

void TColumnTitle::SetColor(TColor value) {
  FColor = value;
  FColumn->Assigned(cvTitleColor);
  FColumn->Changed();
}

TAlignment TColumnTitle::Alignment() const {
  return (FColumn->AssignedValues() & cvTitleAlignment) ? FAlignment : taLeftJustify;
}

void TColumnTitle::SetAlignment(TAlignment value) {
  FAlignment = value;
  FColumn->Assigned(cvTitleAlignment);
  FColumn->Changed();
}

void TColumnTitle::RestoreDefaults() { FCaption.clear(); }

// --- TColumn ---

TColumn::TColumn(TDBGridColumns *collection) : FCollection(collection), FTitle(this) {
  FFont.OnChange = [this](TFont *) {
    if (FSyncingFont)
      return;
    FAssigned |= cvFont;
    Changed();
  };
}

TColumn::~TColumn() = default;

TCustomDBGrid *TColumn::Grid() const { return FCollection ? FCollection->Grid() : nullptr; }

TField *TColumn::Field() const {
  if (!FField && !FFieldName.isEmpty() && Grid()) {
    // Persistent fields exist before the dataset opens, so their labels title the grid from the start.
    TGridDataLink *link = Grid()->DataLink();
    TDataSet *dataSet = link->DataSet();
    if (dataSet && (link->Active() || !dataSet->DefaultFields()))
      FField = dataSet->FindField(FFieldName);
  }
  return FField;
}

void TColumn::SetField(TField *value) {
  FField = value;
  FFieldName = value ? value->FieldName() : QString();
  Changed();
}

void TColumn::SetFieldName(const QString &value) {
  FFieldName = value;
  FField = nullptr;
  Changed();
}

int TColumn::Index() const { return FCollection->IndexOf(this); }

void TColumn::SetIndex(int value) { FCollection->Move(Index(), value); }

int TColumn::Width() const { return (FAssigned & cvWidth) ? FWidth : DefaultWidth(); }

void TColumn::SetWidth(int value) {
  if ((FAssigned & cvWidth) && value == FWidth)
    return;
  FWidth = value;
  FAssigned |= cvWidth;
  Changed();
}

// The field's display width in digits of the column font, and at least the title's width.
int TColumn::DefaultWidth() const {
  TCustomDBGrid *grid = Grid();
  TField *field = Field();
  if (!grid || !field)
    return grid ? grid->DefaultColWidth() : 64;
  TCanvas &canvas = grid->Canvas();
  canvas.Font = const_cast<TColumn *>(this)->Font();
  int width = field->DisplayWidth() * canvas.TextWidth(QStringLiteral("0")) + 4;
  if (grid->Options() & dgTitles) {
    canvas.Font = const_cast<TColumnTitle &>(FTitle).Font();
    width = std::max(width, canvas.TextWidth(FTitle.Caption()) + 4);
  }
  return width;
}

void TColumn::SetVisible(bool value) {
  if (value == FVisible)
    return;
  FVisible = value;
  Changed();
}

TFont &TColumn::Font() {
  if (!(FAssigned & cvFont) && Grid())
    SyncFont(FFont, FSyncingFont, Grid()->Font());
  return FFont;
}

TColor TColumn::Color() const {
  if (FAssigned & cvColor)
    return FColor;
  return Grid() ? Grid()->Color() : clWindow;
}

void TColumn::SetColor(TColor value) {
  FColor = value;
  FAssigned |= cvColor;
  Changed();
}

TAlignment TColumn::Alignment() const {
  if (FAssigned & cvAlignment)
    return FAlignment;
  TField *field = Field();
  return field ? field->Alignment() : taLeftJustify;
}

void TColumn::SetAlignment(TAlignment value) {
  FAlignment = value;
  FAssigned |= cvAlignment;
  Changed();
}

bool TColumn::ReadOnly() const {
  if (FAssigned & cvReadOnly)
    return FReadOnly;
  TField *field = Field();
  return (Grid() && Grid()->ReadOnly()) || (field && field->ReadOnly());
}

void TColumn::SetReadOnly(bool value) {
  FReadOnly = value;
  FAssigned |= cvReadOnly;
  Changed();
}

void TColumn::RestoreDefaults() {
  FAssigned = 0;
  FTitle.RestoreDefaults();
  Changed();
}

void TColumn::Changed() {
  if (FCollection)
    FCollection->Changed();
}

// --- TDBGridColumns ---

TDBGridColumns::TDBGridColumns(TCustomDBGrid *grid) : FGrid(grid) {}

TDBGridColumns::~TDBGridColumns() = default;

TColumn *TDBGridColumns::Add() {
  if (FState == csDefault) {
    FItems.clear();
    FState = csCustomized;
  }
  FItems.push_back(std::make_unique<TColumn>(this));
  Changed();
  return FItems.back().get();
}

void TDBGridColumns::Delete(int index) {
  FItems.erase(FItems.begin() + index);
  Changed();
}

void TDBGridColumns::Clear() {
  FItems.clear();
  Changed();
}

void TDBGridColumns::SetState(TDBGridColumnsState value) {
  if (value == FState)
    return;
  FState = value;
  if (value == csDefault)
    FItems.clear();
  Changed();
}

void TDBGridColumns::BuildDefaultColumns() {
  FItems.clear();
  TGridDataLink *link = FGrid->DataLink();
  if (!link->Active())
    return;
  for (TField *field : link->DataSet()->FieldList()) {
    if (!field->Visible())
      continue;
    auto column = std::make_unique<TColumn>(this);
    column->SetField(field);
    FItems.push_back(std::move(column));
  }
}

void TDBGridColumns::RebuildColumns() {
  FItems.clear();
  FState = csCustomized;
  TGridDataLink *link = FGrid->DataLink();
  if (link->Active()) {
    for (TField *field : link->DataSet()->FieldList()) {
      auto column = std::make_unique<TColumn>(this);
      column->SetField(field);
      FItems.push_back(std::move(column));
    }
  }
  Changed();
}

void TDBGridColumns::RestoreDefaults() {
  for (auto &column : FItems)
    column->RestoreDefaults();
}

int TDBGridColumns::IndexOf(const TColumn *column) const {
  for (int i = 0; i < Count(); ++i)
    if (FItems[size_t(i)].get() == column)
      return i;
  return -1;
}

void TDBGridColumns::Move(int fromIndex, int toIndex) {
  toIndex = std::clamp(toIndex, 0, Count() - 1);
  if (fromIndex == toIndex || fromIndex < 0)
    return;
  auto column = std::move(FItems[size_t(fromIndex)]);
  FItems.erase(FItems.begin() + fromIndex);
  FItems.insert(FItems.begin() + toIndex, std::move(column));
  Changed();
}

void TDBGridColumns::Changed() {
  if (FGrid)
    FGrid->LayoutChanged();
}
