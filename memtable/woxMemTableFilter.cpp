// TwoxCustomMemTable: which records the table shows (update statuses, range, master/detail, filter).
#include "woxMemTable.h"

#include "DataSource.h"
#include "FilterExpr.h"
#include "woxMemFilter.h"
#include "woxMemFilterProgram.h"
#include "woxMemTableError.h"
#include "woxMemTablePrivate.h"

// ---------------------------------------------------------------- the acceptance test

bool TwoxCustomMemTable::MasterDetailRestricts() const {
  return FMasterDetailActive && FMasterLink && FMasterLink->Active() && FMasterKey && FMasterKeyCount > 0;
}

bool TwoxCustomMemTable::RestrictionsActive() const {
  return FUpdateStatusFilter != 0 || FCommon->DeletedCount() > 0 ||
         (Filtered() && (FFilterExpr || OnFilterRecord)) || MasterDetailRestricts() || FRangeActive;
}

bool TwoxCustomMemTable::PassesRange(TwoxRecord &record) {
  return FCurrentIndex->CompareRecords(*FRangeStart, record, &FRangeFields, false, true) <= 0 &&
         FCurrentIndex->CompareRecords(*FRangeEnd, record, &FRangeFields, false, true) >= 0;
}

TwoxFieldList TwoxCustomMemTable::DetailKeyFields() const {
  TwoxFieldList fields;
  if (FDetailFields.isEmpty()) {
    fields.Assign(FIndexFieldList);
    return fields;
  }
  for (const QString &name : SplitFieldNames(FDetailFields)) {
    TField *field = FindField(name);
    if (!field || !FCommon->FieldInfo(field->FieldNo()))
      MemTableError(QStringLiteral("Can't index on field %1").arg(name));
    fields.Add(field, {});
  }
  return fields;
}

bool TwoxCustomMemTable::PassesMasterDetail(TwoxRecord &record) {
  const TwoxFieldList all = DetailKeyFields();
  TwoxFieldList paired;
  for (int i = 0; i < all.Count() && i < FMasterKeyCount; ++i)
    paired.Add(all.Fields(i), all.Options(i) & ~TwoxMemTableCompareOptions(mtcoDescending));
  return paired.Count() == 0 || FCurrentIndex->CompareRecords(*FMasterKey, record, &paired) == 0;
}

bool TwoxCustomMemTable::PassesFilter() {
  bool accept = true;
  if (OnFilterRecord)
    OnFilterRecord(this, accept);
  if (accept && FFilterExpr)
    accept = FilterResultAccepts(EvaluateFilter(FFilterExpr->Root()));
  return accept;
}

bool TwoxCustomMemTable::AcceptRecord(TwoxRecord &record, bool force) {
  if (!force && !RestrictionsActive())
    return true;
  if (FUpdateStatusFilter != 0 ? !(FUpdateStatusFilter & (1u << record.UpdateStatus))
                               : record.UpdateStatus == mtusDeleted)
    return false;
  const bool filtering = Filtered() || force;
  const bool programUsable = FFilterProgram && FFilterProgram->LayoutSerial() == FCommon->LayoutSerial();
  if (!FRecalcOnIndex && !(filtering && (OnFilterRecord || (FFilterExpr && !programUsable))))
    // Nothing reads the record through the fields: no state to switch.
    return (!FRangeActive || PassesRange(record)) &&
           (!MasterDetailRestricts() || PassesMasterDetail(record)) &&
           (!filtering || !FFilterExpr || FFilterProgram->Accepts(record));
  const TwoxRecordAccess access(*this, record, FRecalcOnIndex);
  return (!FRangeActive || PassesRange(record)) && (!MasterDetailRestricts() || PassesMasterDetail(record)) &&
         (!filtering || PassesFilter());
}

TwoxCustomMemTable::TwoxRecordAccess::TwoxRecordAccess(TwoxCustomMemTable &table, TwoxRecord &record,
                                                       bool calculate)
    : FTable(table), FPreviousView(Buf(table.FFilterScratch)->View), FPreviousBuffer(table.FilterBuffer()) {
  TwoxBuffer *scratch = Buf(table.FFilterScratch);
  if (FPreviousView)
    FPreviousCalc = scratch->Calc;
  scratch->View = &record;
  scratch->Calc.fill('\0');
  table.SetFilterBuffer(table.FFilterScratch);
  FPreviousState = table.SetTempState(dsFilter);
  if (!calculate)
    return;
  try {
    table.GetCalcFields(table.FFilterScratch);
  } catch (...) {
    Restore();
    throw;
  }
}

TwoxCustomMemTable::TwoxRecordAccess::~TwoxRecordAccess() { Restore(); }

void TwoxCustomMemTable::TwoxRecordAccess::Restore() {
  FTable.RestoreState(FPreviousState);
  FTable.SetFilterBuffer(FPreviousBuffer);
  TwoxBuffer *scratch = Buf(FTable.FFilterScratch);
  if (FPreviousView)
    scratch->Calc = FPreviousCalc;
  scratch->View = FPreviousView;
}

// ---------------------------------------------------------------- the filter

void TwoxCustomMemTable::ParseFilter() { TakeFilter(ParsedFilter(Filter(), FilterOptions())); }

void TwoxCustomMemTable::TakeFilter(std::unique_ptr<TFilterExpr> expr) {
  FFilterProgram = expr ? TwoxFilterProgram::Compile(expr->Root(), *FCommon) : nullptr;
  FFilterExpr = std::move(expr);
}

std::unique_ptr<TFilterExpr> TwoxCustomMemTable::ParsedFilter(const QString &text, TFilterOptions options) {
  const QString trimmed = text.trimmed();
  return trimmed.isEmpty() ? nullptr : std::make_unique<TFilterExpr>(this, trimmed, options);
}

// The new tree is in place before the inherited setter refilters; a text that does not parse
// leaves the filter as it was.
void TwoxCustomMemTable::SetFilterText(const QString &value) {
  if (value == Filter())
    return;
  if (FCursorOpen)
    TakeFilter(ParsedFilter(value, FilterOptions()));
  TDataSet::SetFilterText(value);
}

void TwoxCustomMemTable::SetFilterOptions(TFilterOptions value) {
  if (value == FilterOptions())
    return;
  if (FCursorOpen)
    TakeFilter(ParsedFilter(Filter(), value));
  TDataSet::SetFilterOptions(value);
}

void TwoxCustomMemTable::SetFiltered(bool value) {
  if (value && FCursorOpen && !FFilterExpr)
    ParseFilter();
  TDataSet::SetFiltered(value);
}

void TwoxCustomMemTable::SetUpdateStatusFilter(quint8 value) {
  FUpdateStatusFilter = value;
  if (Active())
    First();
}

// ---------------------------------------------------------------- ranges

void TwoxCustomMemTable::SetRange(const QVariantList &startValues, const QVariantList &endValues) {
  CheckBrowseMode();
  FRangeFields.Clear();
  const int count = int(std::max(startValues.size(), endValues.size()));
  for (int i = 0; i < FIndexFieldList.Count() && i < count; ++i)
    FRangeFields.Add(FIndexFieldList.Fields(i), FIndexFieldList.Options(i) | mtcoIgnoreNullKey);
  if (FRangeFields.Count() == 0)
    MemTableError(QStringLiteral("There must be at least one field"));
  FRangeStart = MakeKeyRecord(FRangeFields, startValues);
  FRangeEnd = MakeKeyRecord(FRangeFields, endValues);
  FRangeActive = true;
  First();
}

void TwoxCustomMemTable::CancelRange() {
  if (!FRangeActive)
    return;
  FRangeActive = false;
  if (Active())
    SwitchToIndex(FCurrentIndex);
}

// ---------------------------------------------------------------- master/detail

TDataSource *TwoxCustomMemTable::MasterSource() const {
  return FMasterLink ? FMasterLink->DataSource() : nullptr;
}

void TwoxCustomMemTable::SetMasterSource(TDataSource *value) {
  for (TDataSource *source = value; source;
       source = source->DataSet() ? source->DataSet()->DataSource() : nullptr)
    if (source->DataSet() == this)
      DatabaseError(QStringLiteral("Selfreferencing master/detail relations not allowed."), this);
  if (!FMasterLink)
    FMasterLink = std::make_unique<TwoxMasterDataLink>(*this);
  FMasterLink->SetDataSource(value);
  if (!value)
    FMasterKeyCount = 0;
}

void TwoxCustomMemTable::SetMasterFields(const QString &value) {
  FMasterFields = value;
  MasterChanged();
}

void TwoxCustomMemTable::SetDetailFields(const QString &value) {
  FDetailFields = value;
  MasterChanged();
}

void TwoxCustomMemTable::MasterChanged() {
  if (!FCursorOpen || !FMasterLink || !FMasterLink->Active())
    return;
  const QStringList names = SplitFieldNames(FMasterFields);
  const TwoxFieldList detail = DetailKeyFields();
  const int count = std::min<int>(int(names.size()), detail.Count());
  QVariantList values;
  for (int i = 0; i < count; ++i)
    values << FMasterLink->DataSet()->FieldByName(names[i])->Value();
  FMasterKey = MakeKeyRecord(detail, values);
  FMasterKeyCount = count;
  if (Active()) {
    CheckBrowseMode();
    First();
  }
}
