#pragma once

#include "IBCustomDataSet.h"
#include "StringList.h"

#include <QObject>

// The update statements of a dataset: ":x" parameters take the record's values, ":OLD_x" ones the
// values the record was fetched with. RefreshSQL reads a posted row back.
class TIBUpdateSQL : public QObject {
  Q_OBJECT

public:
  explicit TIBUpdateSQL(QObject *owner = nullptr);
  ~TIBUpdateSQL() override;

  TStringList &RefreshSQL() { return FRefreshSQL; }
  TStringList &ModifySQL() { return FModifySQL; }
  TStringList &InsertSQL() { return FInsertSQL; }
  TStringList &DeleteSQL() { return FDeleteSQL; }
  const TStringList &RefreshSQL() const { return FRefreshSQL; }
  const TStringList &SQL(TUpdateKind kind) const;
  TStringList &SQL(TUpdateKind kind);

  // The dataset whose UpdateObject this is.
  TIBCustomDataSet *DataSet() const { return FDataSet; }
  void SetDataSet(TIBCustomDataSet *value);
  // Runs the statement of that kind for the dataset's active record.
  void Apply(TUpdateKind kind);
  void ExecSQL(TUpdateKind kind) { Apply(kind); }

private:
  TStringList FRefreshSQL, FModifySQL, FInsertSQL, FDeleteSQL;
  TIBCustomDataSet *FDataSet = nullptr;
};
