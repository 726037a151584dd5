#pragma once

#include "IBCustomDataSet.h"
#include "StringList.h"

// A dataset with its own select, refresh, modify, insert and delete statements (an UpdateObject,
// when given, supplies the last four instead). Params are the select's parameter descriptors.
class TIBDataSet : public TIBCustomDataSet {
  Q_OBJECT

public:
  explicit TIBDataSet(QObject *owner = nullptr);
  ~TIBDataSet() override;

  TStringList &SelectSQL() { return FSelectSQL; }
  TStringList &RefreshSQL() { return FRefreshSQL; }
  TStringList &ModifySQL() { return FModifySQL; }
  TStringList &InsertSQL() { return FInsertSQL; }
  TStringList &DeleteSQL() { return FDeleteSQL; }
  TIBXSQLDA &Params() { return SQLParams(); }
  TIBXSQLVAR &ParamByName(const QString &name) { return SQLParams().ByName(name); }

protected:
  QString SelectText() const override { return FSelectSQL.Text(); }
  QString UpdateText(TUpdateKind kind) const override;
  QString RefreshText() const override { return FRefreshSQL.Text(); }

private:
  TStringList FSelectSQL, FRefreshSQL, FModifySQL, FInsertSQL, FDeleteSQL;
};
