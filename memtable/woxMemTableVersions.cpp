// TwoxCustomMemTable: attached tables, record versions, transactions and deltas.
#include "woxMemTable.h"

#include "woxMemDeltaHandler.h"
#include "woxMemTableError.h"
#include "woxMemTablePrivate.h"

// ---------------------------------------------------------------- attaching

void TwoxCustomMemTable::SetAttachedTo(TwoxCustomMemTable *value) {
  if (value == FAttachedTo)
    return;
  if (value == this)
    MemTableError(QStringLiteral("Cant attach memorytable to it self."));
  if (Active())
    MemTableError(QStringLiteral("Table must be closed for this operation."));
  if (FAttachedTo) {
    FCommon->Detach(this);
    FOwnCommon = std::make_unique<TwoxCommon>(this);
    FCommon = FOwnCommon.get();
    FCommon->Attach(this);
    FAttachedTo = nullptr;
    FIndexes.Clear();
  }
  if (!value)
    return;
  if (value->FAttachedTo)
    MemTableError(QStringLiteral("Cant attach to another table which itself is an attachment."));
  // Only a successful attach gives up the own store.
  value->Common().Attach(this);
  FCommon->Detach(this);
  FCommon = &value->Common();
  FOwnCommon.reset();
  FAttachedTo = value;
  FIndexes.Clear();
  FCurrentIndex = &FIndexes.RowOrderIndex();
  FieldDefs().Assign(value->FieldDefs());
}

void TwoxCustomMemTable::SetStandalone(bool value) {
  if (Active())
    MemTableError(QStringLiteral("Table must be closed for this operation."));
  if (FAttachedTo)
    MemTableError(QStringLiteral("Table is attached to another table."));
  FCommon->SetStandalone(value);
}

void TwoxCustomMemTable::RepositionAfterChange() {
  TwoxRecord *current = IsEmpty() ? nullptr : StoredRecord(ActiveBuffer());
  const int position = current ? FCurrentIndex->PositionOf(*current, Buf(ActiveBuffer())->RecordNumber) : -1;
  FCursor = position >= 0 ? position : std::min(FCursor, FCurrentIndex->Count());
  CursorPosChanged();
  Resync({});
}

void TwoxCustomMemTable::RefreshAttached() {
  if (!FAttachedAutoRefresh)
    return;
  for (TDataSet *dataSet : FCommon->AttachedTables())
    if (dataSet && dataSet != this && dataSet->Active() && dataSet->State() == dsBrowse)
      static_cast<TwoxCustomMemTable *>(dataSet)->RepositionAfterChange();
}

void TwoxCustomMemTable::SetDeltaHandler(TwoxCustomDeltaHandler *value) {
  if (value == FDeltaHandler)
    return;
  if (FDeltaHandler)
    FDeltaHandler->SetMemTable(nullptr);
  FDeltaHandler = value;
  if (value) {
    if (value->MemTable())
      value->MemTable()->SetDeltaHandler(nullptr);
    value->SetMemTable(this);
  }
}

// ---------------------------------------------------------------- transactions

void TwoxCustomMemTable::StartTransaction() {
  if (!Active() || !FCommon->EnableVersioning() || FCommon->VersioningMode() != mtvmAllSinceCheckPoint)
    MemTableError(QStringLiteral("Transactioning requires multiversion versioning."));
  FCommon->IncTransactionLevel();
}

void TwoxCustomMemTable::RenumberAttached() {
  for (TDataSet *dataSet : FCommon->AttachedTables()) {
    auto *table = static_cast<TwoxCustomMemTable *>(dataSet);
    if (!table || !table->FCursorOpen)
      continue;
    table->RebuildIndexes();
    if (table->Active())
      table->RepositionAfterChange();
  }
}

void TwoxCustomMemTable::Rollback() {
  const int level = FCommon->TransactionLevel();
  if (level <= 0 || !Active())
    return;
  CheckBrowseMode();
  TwoxStoreLock lock(*FCommon);
  for (int id = FCommon->RecordSlotCount() - 1; id >= 0; --id) {
    TwoxRecord *record = FCommon->Record(id);
    while (record && record->TransactionLevel == level) {
      if (!record->PreviousVersion()) {
        // Inserted at this level, it goes (the indexes are built again below); changed while
        // versioning was off, there is nothing to go back to and it stays as it is.
        if (record->UpdateStatus == mtusInserted)
          FCommon->DeleteRecord(id);
        else
          record->TransactionLevel = level - 1;
        break;
      }
      std::unique_ptr<TwoxRecord> previous = record->TakePreviousVersion();
      if (record->UpdateStatus == mtusDeleted && previous->UpdateStatus != mtusDeleted)
        FCommon->SetDeletedCount(FCommon->DeletedCount() - 1);
      record->CopyDataFrom(*previous);
      record->UpdateStatus = previous->UpdateStatus;
      record->TransactionLevel = previous->TransactionLevel;
      record->SetPreviousVersion(previous->TakePreviousVersion());
    }
  }
  FCommon->DecTransactionLevel();
  bool changed = false;
  for (int id = 0; id < FCommon->RecordSlotCount() && !changed; ++id)
    if (const TwoxRecord *record = FCommon->Record(id))
      changed = record->UpdateStatus != mtusUnmodified;
  FCommon->SetDataModified(changed);
  RenumberAttached();
}

void TwoxCustomMemTable::Commit() {
  const int level = FCommon->TransactionLevel();
  if (level <= 0)
    return;
  TwoxStoreLock lock(*FCommon);
  for (int id = 0; id < FCommon->RecordSlotCount(); ++id) {
    TwoxRecord *record = FCommon->Record(id);
    if (!record || record->TransactionLevel != level)
      continue;
    while (record->PreviousVersion() && record->PreviousVersion()->TransactionLevel == level)
      record->SetPreviousVersion(record->PreviousVersion()->TakePreviousVersion());
    record->TransactionLevel = level - 1;
  }
  FCommon->DecTransactionLevel();
  RenumberAttached();
}

// ---------------------------------------------------------------- deltas

TwoxUpdateStatus TwoxCustomMemTable::DeltaStatus(const TwoxRecord &record, const TwoxRecord *&oldest) {
  oldest = &record;
  while (oldest->PreviousVersion())
    oldest = oldest->PreviousVersion();
  if (record.UpdateStatus == mtusDeleted)
    return oldest->UpdateStatus == mtusInserted ? mtusUnmodified : mtusDeleted;
  if (oldest->UpdateStatus == mtusInserted)
    return mtusInserted;
  return TwoxUpdateStatus(record.UpdateStatus);
}

QVariant TwoxCustomMemTable::ValueOf(TwoxRecord &record, TField *field) {
  const TwoxRecordAccess access(*this, record, false);
  return field->Value();
}

void TwoxCustomMemTable::UpdateToDataSet(TDataSet *destination, const QString &keyFields,
                                         TwoxUpdateFlags flags) {
  if (!destination || destination == this)
    return;
  CheckActive();
  CheckBrowseMode();
  const std::vector<TField *> keys = GetFieldList(keyFields);
  const TwoxOperation previousOperation = FOperation;
  FOperation = mtoUpdating;
  destination->DisableControls();
  try {
    if (!destination->Active())
      destination->Open();
    TwoxStoreLock lock(*FCommon);
    const int slotCount = FCommon->RecordSlotCount();
    for (int id = 0; id < slotCount; ++id) {
      if (id % 100 == 0)
        Progress(slotCount ? id * 100 / slotCount : 0, mtpcUpdate);
      TwoxRecord *record = FCommon->Record(id);
      if (!record)
        continue;
      const TwoxRecord *oldest = nullptr;
      const TwoxUpdateStatus status = DeltaStatus(*record, oldest);
      if (status == mtusUnmodified)
        continue;
      // The record is found by the key it had before the delta.
      QVariantList key;
      for (TField *field : keys)
        key << ValueOf(const_cast<TwoxRecord &>(*oldest), field);
      const QVariant keyValues = key.size() == 1 ? key.first() : QVariant(key);
      const bool found = status != mtusInserted && destination->Locate(keyFields, keyValues, {});
      if (status == mtusDeleted) {
        if (found && flags.testFlag(mtufDelete))
          destination->Delete();
        continue;
      }
      if (found && flags.testFlag(mtufEdit))
        destination->Edit();
      else if (!found && flags.testFlag(mtufAppend))
        destination->Append();
      else
        continue;
      for (TField *field : FieldList())
        if (field->FieldKind() == fkData)
          if (TField *target = destination->FindField(field->FieldName());
              target && target->FieldKind() == fkData)
            target->SetValue(ValueOf(*record, field));
      destination->Post();
    }
  } catch (...) {
    if (destination->State() == dsEdit || destination->State() == dsInsert)
      destination->Cancel();
    destination->EnableControls();
    FOperation = previousOperation;
    throw;
  }
  destination->EnableControls();
  FOperation = previousOperation;
  Progress(100, mtpcUpdate);
}
