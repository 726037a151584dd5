#pragma once

#include <QObject>
#include <QVariant>

class TwoxCustomMemTable;
class TwoxRecord;

// Receives the changes (the delta) of a memory table with versioning, one record at a time.
class TwoxCustomDeltaHandler : public QObject {
  friend class TwoxCustomMemTable;

public:
  explicit TwoxCustomDeltaHandler(QObject *owner = nullptr);
  ~TwoxCustomDeltaHandler() override;

  TwoxCustomMemTable *MemTable() const { return FMemTable; }
  // Walks every record of the store and calls the operation for its status in the delta.
  virtual void Resolve();

  // During Resolve: the record and its oldest version.
  TwoxRecord *CurrentRecord() const { return FCurrentRecord; }
  const TwoxRecord *OrigRecord() const { return FOrigRecord; }
  // Field values of the current record and of its oldest version.
  QVariant Value(const QString &fieldName) const;
  QVariant OrigValue(const QString &fieldName) const;

protected:
  virtual void InsertRecord() {}
  virtual void DeleteRecord() {}
  virtual void ModifyRecord() {}
  virtual void UnmodifiedRecord() {}

private:
  void SetMemTable(TwoxCustomMemTable *table) { FMemTable = table; }

  TwoxCustomMemTable *FMemTable = nullptr;
  TwoxRecord *FCurrentRecord = nullptr;
  const TwoxRecord *FOrigRecord = nullptr;
};
