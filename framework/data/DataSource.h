#pragma once

#include "DBTypes.h"

#include <QObject>
#include <cstdint>
#include <functional>
#include <vector>

class TDataLink;
class TDataSet;
class TField;

// Connects data links (controls, grids, detail datasets) to a dataset.
class TDataSource : public QObject {
  friend class TDataLink;
  friend class TDataSet;

public:
  explicit TDataSource(QObject *owner = nullptr);
  ~TDataSource() override;

  TDataSet *DataSet() const { return FDataSet; }
  void SetDataSet(TDataSet *value);
  // The dataset's state, dsInactive when disabled or without a dataset.
  TDataSetState State() const { return FState; }
  bool AutoEdit() const { return FAutoEdit; }
  void SetAutoEdit(bool value) { FAutoEdit = value; }
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool value);
  // Puts the dataset in edit state when AutoEdit and it is browsing.
  void Edit();
  bool IsLinkedTo(const TDataSet *dataSet) const;

  // Field is nullptr when the whole record (or more) changed.
  std::function<void(TDataSource *Sender, TField *Field)> OnDataChange;
  std::function<void(TDataSource *Sender)> OnStateChange;
  std::function<void(TDataSource *Sender)> OnUpdateData;

  void DataEvent(TDataEvent event, std::intptr_t info);

private:
  void AddDataLink(TDataLink *link);
  void RemoveDataLink(TDataLink *link);
  void NotifyDataLinks(TDataEvent event, std::intptr_t info);
  void SetState(TDataSetState value);
  void UpdateState();

  TDataSet *FDataSet = nullptr;
  TDataSetState FState = dsInactive;
  bool FAutoEdit = true;
  bool FEnabled = true;
  std::vector<TDataLink *> FDataLinks;
};

// A client of a data source: follows the dataset and owns a window of BufferCount records.
class TDataLink {
  friend class TDataSet;
  friend class TDataSource;

public:
  TDataLink();
  virtual ~TDataLink();
  TDataLink(const TDataLink &) = delete;
  TDataLink &operator=(const TDataLink &) = delete;

  TDataSource *DataSource() const { return FDataSource; }
  void SetDataSource(TDataSource *value);
  TDataSet *DataSet() const;
  // Open dataset behind an enabled data source.
  bool Active() const { return FActive; }
  // The link's current record within its window (0 .. BufferCount - 1).
  int ActiveRecord() const;
  // Makes a record of the window the dataset's active record (grids paint row by row).
  void SetActiveRecord(int value);
  int BufferCount() const { return FBufferCount; }
  void SetBufferCount(int value);
  // Records in the link's window.
  int RecordCount() const;
  bool Editing() const { return FEditing; }
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool value);
  bool DataSourceFixed() const { return FDataSourceFixed; }
  void SetDataSourceFixed(bool value) { FDataSourceFixed = value; }
  bool Bof() const;
  bool Eof() const;
  // Puts the dataset in edit state (through the data source's AutoEdit); true when editing.
  bool Edit();
  int MoveBy(int distance);
  void UpdateRecord();

protected:
  // Notifications, in the dataset's order of events.
  virtual void ActiveChanged() {}
  virtual void CheckBrowseMode() {}
  virtual void DataSetChanged() { RecordChanged(nullptr); }
  virtual void DataSetScrolled(int) { DataSetChanged(); }
  virtual void EditingChanged() {}
  virtual void FocusControl(TField **) {}
  virtual void LayoutChanged() { DataSetChanged(); }
  virtual void RecordChanged(TField *) {}
  virtual void UpdateData() {}

  virtual void DataEvent(TDataEvent event, std::intptr_t info);

private:
  void SetActive(bool value);
  void SetEditing(bool value);
  void UpdateRange();
  void UpdateState();

  TDataSource *FDataSource = nullptr;
  int FFirstRecord = 0;
  int FBufferCount = 1;
  bool FActive = false;
  bool FEditing = false;
  bool FReadOnly = false;
  bool FUpdating = false;
  bool FDataSourceFixed = false;
};
