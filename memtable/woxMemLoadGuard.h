#pragma once

#include "FieldDefs.h"
#include "woxMemCommon.h"

#include <QPointer>
#include <vector>

class TField;
class TwoxCustomMemTable;

// What a load changes in a table, kept until the load ends so that a failed load leaves the table as
// it was: the records it appended, and, once it replaces the table's structure, the definitions, the
// fields, the open state and the records as they were.
class TwoxLoadGuard {
public:
  void Begin(TwoxCustomMemTable &table);
  // Closes the table for new definitions, keeping what it had; only the first call of a load keeps.
  void CloseKeepingStructure(TwoxCustomMemTable &table);
  // The load succeeded: what was kept goes.
  void Commit();
  // The load failed: the table gets back what it had.
  void Rollback();

private:
  void Reset();

  TwoxCustomMemTable *FTable = nullptr;
  int FFirstUniqueRecordID = 0;
  int FHighestAutoInc = 0;
  bool FStructureKept = false;
  bool FWasActive = false;
  TFieldDefs FFieldDefs{nullptr};
  TIndexDefs FIndexDefs{nullptr};
  std::vector<QPointer<TField>> FFields;
  TwoxStoreContent FRecords;
  std::vector<QPointer<TwoxCustomMemTable>> FClosedAttached;
};
