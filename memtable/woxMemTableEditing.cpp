// TwoxCustomMemTable: posting and deleting, index upkeep and selection, searching.
#include "woxMemTable.h"

#include "Fields.h"
#include "woxMemBlobStream.h"
#include "woxMemTableError.h"
#include "woxMemTablePrivate.h"

#include <cstring>
#include <optional>

// ---------------------------------------------------------------- index upkeep

TwoxCustomMemTable::TwoxIndexList TwoxCustomMemTable::MaintainedIndexes() const {
  TwoxIndexList indexes;
  for (TDataSet *dataSet : FCommon->AttachedTables()) {
    auto *table = static_cast<TwoxCustomMemTable *>(dataSet);
    if (!table || !table->FCursorOpen)
      continue;
    indexes.push_back(&table->FIndexes.RowOrderIndex());
    for (int i = 0; i < table->FIndexes.Count(); ++i)
      indexes.push_back(table->FIndexes.Items(i));
  }
  return indexes;
}

void TwoxCustomMemTable::RebuildIndexes() {
  TwoxStoreLock lock(*FCommon);
  for (TwoxIndex *index : FIndexes.All()) {
    index->SetSuspended(!FEnableIndexes);
    index->Rebuild();
  }
  FCursor = std::min(FCursor, FCurrentIndex->Count());
}

void TwoxCustomMemTable::SwitchEnableIndexes(bool value) {
  FEnableIndexes = value;
  for (TwoxIndex *index : FIndexes.All())
    index->SetSuspended(!value);
}

void TwoxCustomMemTable::SetEnableIndexes(bool value) {
  if (value == FEnableIndexes)
    return;
  SwitchEnableIndexes(value);
  if (value && FCursorOpen) {
    RebuildIndexes();
    if (Active())
      SwitchToIndex(FCurrentIndex);
  }
}

bool TwoxCustomMemTable::IndexAccepts(TwoxIndex &index, TwoxRecord &record) {
  bool accept = true;
  if (!OnFilterIndex)
    return accept;
  // The handler reads the record being decided on through the fields, whatever the cursor is on: a
  // rebuild walks every stored record, and a post by an attached table hands over its own. Records
  // keep no calculated values, so they are computed for it. A closed table has no fields to point.
  std::optional<TwoxRecordAccess> access;
  if (FFilterScratch)
    access.emplace(*this, record, true);
  OnFilterIndex(this, &index, accept);
  return accept;
}

bool TwoxCustomMemTable::UsesCompareFieldsEvent() const { return bool(OnCompareFields); }

bool TwoxCustomMemTable::CompareFieldsEvent(TField *field, const char *key, const char *value,
                                            TwoxMemTableCompareOptions options, bool &fullCompare,
                                            int &result) {
  if (!OnCompareFields)
    return false;
  OnCompareFields(this, key, value, field->DataType(), options, fullCompare, result);
  return true;
}

void TwoxCustomMemTable::BeginSorting() {
  FOperationBeforeSort = FOperation;
  FOperation = mtoSorting;
}

void TwoxCustomMemTable::EndSorting() { FOperation = FOperationBeforeSort; }

// ---------------------------------------------------------------- posting

void TwoxCustomMemTable::DoBeforeInsert() {
  FInsertPosition = -1;
  if (!IsEmpty()) {
    UpdateCursorPos();
    if (CursorRecord())
      FInsertPosition = FCursor;
  }
  TDataSet::DoBeforeInsert();
}

void TwoxCustomMemTable::AssignAutoInc(TwoxRecord &record, bool keepValues) {
  for (TField *field : FieldList()) {
    if (field->DataType() != ftAutoInc || field->FieldKind() != fkData)
      continue;
    qint32 value = 0;
    if (keepValues && FCommon->ReadField(record, field, &value)) {
      FCommon->SetHighestAutoInc(std::max(FCommon->HighestAutoInc(), int(value)));
      continue;
    }
    value = FCommon->HighestAutoInc() + 1;
    FCommon->SetHighestAutoInc(value);
    FCommon->WriteField(record, field, &value);
  }
}

void TwoxCustomMemTable::InternalAddRecord(TRecordBuffer buffer, bool append) {
  TwoxStoreLock lock(*FCommon);
  InsertPosted(buffer, append);
}

void TwoxCustomMemTable::InternalPost() {
  TwoxStoreLock lock(*FCommon);
  if (State() == dsInsert)
    InsertPosted(ActiveBuffer(), GetBookmarkFlag(ActiveBuffer()) == bfEOF);
  else
    EditPosted(ActiveBuffer());
}

void TwoxCustomMemTable::InsertPosted(TRecordBuffer buffer, bool append) {
  std::unique_ptr<TwoxRecord> record = FCommon->AllocRecordFor(DataRecord(buffer));
  record->TransactionLevel = FCommon->TransactionLevel();
  const int highestBefore = FCommon->HighestAutoInc();
  AssignAutoInc(*record, FKeepAutoInc);
  const TwoxIndexList indexes = MaintainedIndexes();
  try {
    for (TwoxIndex *index : indexes)
      index->CheckUnique(*record, nullptr);
  } catch (...) {
    FCommon->SetHighestAutoInc(highestBefore);
    throw;
  }
  TwoxRecord *stored = FCommon->AppendRecord(std::move(record));
  const int rowOrderPosition = append || !FCurrentIndex->RowOrder() ? -1 : FInsertPosition;
  int position = -1;
  for (TwoxIndex *index : indexes) {
    const int at = index->RecordInserted(stored, index == &FIndexes.RowOrderIndex() ? rowOrderPosition : -1,
                                         index == FCurrentIndex);
    if (index == FCurrentIndex)
      position = at;
  }
  FCursor = position >= 0 ? position : FCurrentIndex->PositionOf(*stored);
  RefreshAttached();
}

void TwoxCustomMemTable::EditPosted(TRecordBuffer buffer) {
  TwoxRecord *stored = StoredRecord(buffer);
  if (!stored)
    MemTableError(QStringLiteral("Invalid record "));
  const std::unique_ptr<TwoxRecord> candidate = DataRecord(buffer).Copy();
  candidate->RecordID = stored->RecordID;
  const TwoxIndexList indexes = MaintainedIndexes();
  for (TwoxIndex *index : indexes)
    index->CheckUnique(*candidate, stored);
  if (FCommon->EnableVersioning() &&
      (FCommon->VersioningMode() == mtvmAllSinceCheckPoint || stored->UpdateStatus == mtusUnmodified))
    stored->KeepVersion();
  if (FCommon->EnableVersioning() && stored->UpdateStatus != mtusInserted)
    stored->UpdateStatus = mtusModified;
  stored->CopyDataFrom(*candidate);
  stored->TransactionLevel = FCommon->TransactionLevel();
  AssignAutoInc(*stored, true);
  FCommon->SetDataModified(true);
  for (TwoxIndex *index : indexes)
    index->RecordChanged(stored);
  FCursor = FCurrentIndex->PositionOf(*stored);
  RefreshAttached();
}

void TwoxCustomMemTable::InternalDelete() {
  TwoxStoreLock lock(*FCommon);
  TwoxRecord *stored = CursorRecord();
  if (!stored)
    MemTableError(QStringLiteral("Invalid record "));
  for (TwoxIndex *index : MaintainedIndexes())
    index->RecordDeleted(stored);
  if (FCommon->EnableVersioning()) {
    stored->KeepVersion();
    stored->UpdateStatus = mtusDeleted;
    stored->TransactionLevel = FCommon->TransactionLevel();
    FCommon->SetDeletedCount(FCommon->DeletedCount() + 1);
    FCommon->SetDataModified(true);
  } else {
    FCommon->DeleteRecord(stored->RecordID);
  }
  FCursor = std::min(FCursor, FCurrentIndex->Count());
  RefreshAttached();
}

// ---------------------------------------------------------------- index selection

void TwoxCustomMemTable::ApplyIndexSelection() {
  TwoxIndex *index = nullptr;
  if (!FIndexFieldNames.isEmpty())
    index = FIndexes.FindByFields(FIndexFieldNames);
  else if (!FIndexName.isEmpty())
    index = FIndexes.FindByName(FIndexName);
  if (!index)
    return;
  FCurrentIndex = index;
  FIndexFieldList.Assign(index->FieldList());
}

void TwoxCustomMemTable::SetIndexName(const QString &value) {
  FIndexName = value;
  FIndexFieldNames.clear();
  SelectIndex(value.isEmpty() || !Active() ? nullptr : FIndexes.FindByName(value), value.isEmpty());
}

void TwoxCustomMemTable::SetIndexFieldNames(const QString &value) {
  FIndexFieldNames = value;
  FIndexName.clear();
  SelectIndex(value.isEmpty() || !Active() ? nullptr : FIndexes.FindByFields(value), value.isEmpty());
}

// While closed the choice is only stored; a name that matches nothing leaves the current index.
void TwoxCustomMemTable::SelectIndex(TwoxIndex *index, bool rowOrder) {
  if (!Active())
    return;
  if (rowOrder)
    index = &FIndexes.RowOrderIndex();
  if (index)
    SwitchToIndex(index);
}

void TwoxCustomMemTable::SwitchToIndex(TwoxIndex *index) {
  CheckBrowseMode();
  TwoxRecord *current = IsEmpty() ? nullptr : StoredRecord(ActiveBuffer());
  FCurrentIndex = index;
  FIndexFieldList.Assign(index->FieldList());
  const int position = current ? index->PositionOf(*current) : -1;
  if (position < 0) {
    First();
    return;
  }
  FCursor = position;
  CursorPosChanged();
  Resync({});
}

// ---------------------------------------------------------------- searching

int TwoxCustomMemTable::FindKey(const QString &keyFields, const QVariant &keyValues, TLocateOptions options) {
  const bool isArray = keyValues.typeId() == QMetaType::QVariantList;
  const QVariantList array = isArray ? keyValues.toList() : QVariantList();
  for (const QVariant &element : array)
    if (element.typeId() == QMetaType::QVariantList)
      MemTableError(QStringLiteral("Values variant array has invalid dimension count"));
  TwoxMemTableCompareOptions compare;
  compare.setFlag(mtcoCaseInsensitive, options.testFlag(loCaseInsensitive));
  compare.setFlag(mtcoPartialKey, options.testFlag(loPartialKey));
  TwoxFieldList fields;
  for (const QString &name : SplitFieldNames(keyFields)) {
    TField *field = FindField(name);
    if (!field || field->IsBlob() || field->Calculated() || !FCommon->FieldInfo(field->FieldNo()))
      MemTableError(QStringLiteral("Can't index on field %1").arg(name));
    fields.Add(field, compare);
  }
  if (!isArray && fields.Count() > 1)
    MemTableError(QStringLiteral("More fields than values"));
  if (fields.Count() == 0)
    MemTableError(QStringLiteral("There must be at least one field"));
  if (isArray && array.size() < fields.Count())
    MemTableError(QStringLiteral("More fields than values"));
  const std::unique_ptr<TwoxRecord> key = MakeKeyRecord(fields, isArray ? array : QVariantList{keyValues});
  const TwoxOperation previous = FOperation;
  FOperation = mtoSearching;
  try {
    const int position = FCurrentIndex->Search(*key, fields, true, false);
    FOperation = previous;
    return position;
  } catch (...) {
    FOperation = previous;
    throw;
  }
}

bool TwoxCustomMemTable::Locate(const QString &keyFields, const QVariant &keyValues, TLocateOptions options) {
  CheckBrowseMode();
  DoBeforeScroll();
  CursorPosChanged();
  TwoxStoreLock lock(*FCommon);
  const int position = FindKey(keyFields, keyValues, options);
  SetFound(position >= 0);
  if (position >= 0) {
    FCursor = position;
    Resync({rmExact, rmCenter});
    DoAfterScroll();
  }
  return position >= 0;
}

QVariant TwoxCustomMemTable::Lookup(const QString &keyFields, const QVariant &keyValues,
                                    const QString &resultFields) {
  CheckBrowseMode();
  TwoxStoreLock lock(*FCommon);
  const int position = FindKey(keyFields, keyValues, {});
  if (position < 0)
    return QVariant();
  const int cursor = FCursor;
  FCursor = position;
  FillBuffer(WorkBuffer(), *FCurrentIndex->Records(position));
  FCursor = cursor;
  const TDataSetState saved = SetTempState(dsCalcFields);
  QVariant result;
  try {
    CalculateFields(WorkBuffer());
    result = FieldValues(resultFields);
  } catch (...) {
    RestoreState(saved);
    throw;
  }
  RestoreState(saved);
  return result;
}

std::unique_ptr<TwoxRecord> TwoxCustomMemTable::MakeKeyRecord(const TwoxFieldList &fields,
                                                              const QVariantList &values) {
  InternalInitRecord(FKeyBuffer);
  const TDataSetState saved = SetTempState(dsSetKey);
  try {
    for (int i = 0; i < fields.Count() && i < values.size(); ++i)
      fields.Fields(i)->SetValue(values[i]);
  } catch (...) {
    RestoreState(saved);
    throw;
  }
  RestoreState(saved);
  return DataRecord(FKeyBuffer).Copy();
}

// ---------------------------------------------------------------- updates and progress

void TwoxCustomMemTable::BeginUpdate() {
  FCommon->Lock();
  FCommon->SetUpdating(true);
}

void TwoxCustomMemTable::EndUpdate() {
  FCommon->SetUpdating(false);
  FCommon->Unlock();
}

void TwoxCustomMemTable::Progress(int percentage, TwoxProgressCode code) {
  if (OnProgress && (FProgressFlags & ProgressBit(code)))
    OnProgress(this, percentage, code);
}

std::unique_ptr<QIODevice> TwoxCustomMemTable::CreateBlobStream(TField *field, TBlobStreamMode mode) {
  return std::make_unique<TwoxBlobStream>(this, field, mode);
}
