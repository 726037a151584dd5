#pragma once

#include "IBCustomDataSet.h"

// A dataset over one table: all its columns, in the order of IndexFieldNames (field names separated
// by ";") when set. IndexDefs come from the table's indexes in the system tables. Rows are written
// by the primary key; a table without one is read-only.
class TIBTable : public TIBCustomDataSet {
  Q_OBJECT

public:
  explicit TIBTable(QObject *owner = nullptr);
  ~TIBTable() override;

  const QString &TableName() const { return FTableName; }
  void SetTableName(const QString &value);
  const QString &IndexFieldNames() const { return FIndexFieldNames; }
  // Reopens an open table in the new order.
  void SetIndexFieldNames(const QString &value);
  // Reads the index definitions again.
  void UpdateIndexDefs();

protected:
  QString SelectText() const override;
  QString UpdateText(TUpdateKind kind) const override;
  void InternalOpen() override;

private:
  QStringList PrimaryKey() const;
  static QString Quoted(const QString &name);

  QString FTableName;
  QString FIndexFieldNames;
  QStringList FColumns;
};
