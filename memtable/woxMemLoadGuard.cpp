#include "woxMemLoadGuard.h"

#include "woxMemTable.h"

void TwoxLoadGuard::Begin(TwoxCustomMemTable &table) {
  Reset();
  FTable = &table;
  FFirstUniqueRecordID = table.Common().NextUniqueRecordID();
  FHighestAutoInc = table.Common().HighestAutoInc();
}

void TwoxLoadGuard::Reset() {
  FTable = nullptr;
  FStructureKept = false;
  FWasActive = false;
  FFieldDefs.Clear();
  FIndexDefs.Clear();
  FFields.clear();
  FRecords = TwoxStoreContent();
  FClosedAttached.clear();
}

void TwoxLoadGuard::CloseKeepingStructure(TwoxCustomMemTable &table) {
  if (FStructureKept) {
    // A second structure in one load: the first one's fields go.
    table.Close();
    for (TField *field : std::vector<TField *>(table.FieldList()))
      delete field;
    return;
  }
  FStructureKept = true;
  FWasActive = table.Active();
  FFieldDefs.Assign(table.FieldDefs());
  FIndexDefs.Assign(table.IndexDefs());
  if (FWasActive && table.OwnsStore()) {
    for (TDataSet *dataSet : table.Common().AttachedTables())
      if (dataSet && dataSet != &table && dataSet->Active())
        FClosedAttached.emplace_back(static_cast<TwoxCustomMemTable *>(dataSet));
    FRecords = table.CloseKeepingRecords();
  } else {
    table.Close();
  }
  for (TField *field : std::vector<TField *>(table.FieldList())) {
    FFields.emplace_back(field);
    field->SetDataSet(nullptr);
  }
}

void TwoxLoadGuard::Commit() {
  for (const QPointer<TField> &field : FFields)
    delete field.data();
  Reset();
}

void TwoxLoadGuard::Rollback() {
  if (!FTable)
    return;
  TwoxCustomMemTable &table = *FTable;
  if (!FStructureKept) {
    table.DiscardRecordsFrom(FFirstUniqueRecordID);
    table.Common().SetHighestAutoInc(FHighestAutoInc);
    Reset();
    return;
  }
  table.Close();
  for (TField *field : std::vector<TField *>(table.FieldList()))
    delete field;
  table.FieldDefs().Assign(FFieldDefs);
  table.IndexDefs().Assign(FIndexDefs);
  for (const QPointer<TField> &field : FFields)
    if (field)
      field->SetDataSet(&table);
  FFields.clear();
  if (FWasActive) {
    table.Open();
    if (table.OwnsStore())
      table.RestoreRecords(std::move(FRecords));
    for (const QPointer<TwoxCustomMemTable> &attached : FClosedAttached)
      if (attached)
        attached->Open();
  }
  Reset();
}
