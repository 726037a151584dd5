#pragma once

// Pieces of the memory table shared by its source files only.
#include "DataSource.h"
#include "woxMemTable.h"

struct TwoxCustomMemTable::TwoxBuffer {
  std::unique_ptr<TwoxRecord> Record;
  // The record's position in the current index when it was fetched.
  int RecordNumber = -1;
  // Set on the filter scratch buffer: field reads go straight to the stored record.
  TwoxRecord *View = nullptr;
  QByteArray Calc;
  TBookmarkFlag Flag = bfCurrent;
  quint32 TableID = 0;
};

// Points the table's field access at a stored record while it lives: the filter state over the
// filter scratch buffer, the calculated fields cleared or, when asked, computed for the record.
// The state, the filter buffer and what the scratch buffer showed (an access can run inside
// another, e.g. a post's OnFilterIndex during a load) come back when it ends, also when a handler
// raises.
class TwoxCustomMemTable::TwoxRecordAccess {
public:
  TwoxRecordAccess(TwoxCustomMemTable &table, TwoxRecord &record, bool calculate);
  ~TwoxRecordAccess();
  TwoxRecordAccess(const TwoxRecordAccess &) = delete;
  TwoxRecordAccess &operator=(const TwoxRecordAccess &) = delete;

private:
  void Restore();

  TwoxCustomMemTable &FTable;
  TwoxRecord *FPreviousView;
  QByteArray FPreviousCalc;
  TRecordBuffer FPreviousBuffer;
  TDataSetState FPreviousState;
};

// Tells the detail table when its master moves or changes.
class TwoxMasterDataLink : public TDataLink {
public:
  explicit TwoxMasterDataLink(TwoxCustomMemTable &table) : FTable(table) {}

protected:
  void ActiveChanged() override {
    if (Active())
      FTable.MasterChanged();
    else
      FTable.MasterDisabled();
  }
  void RecordChanged(TField *) override {
    if (Active())
      FTable.MasterChanged();
  }

private:
  TwoxCustomMemTable &FTable;
};
