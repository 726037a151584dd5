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
