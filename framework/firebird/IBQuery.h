#pragma once

#include "IBCustomDataSet.h"
#include "Params.h"
#include "StringList.h"

// A dataset over an SQL text with a parameter list (one entry per occurrence of a ":name", the
// values of same-named entries kept when the text changes). Opening a statement that returns no
// rows runs it and leaves an empty result; ExecSQL runs one without opening.
class TIBQuery : public TIBCustomDataSet {
  Q_OBJECT

public:
  explicit TIBQuery(QObject *owner = nullptr);
  ~TIBQuery() override;

  TStringList &SQL() { return FSQL; }
  const TStringList &SQL() const { return FSQL; }
  TParams &Params();
  TParam *ParamByName(const QString &name) { return Params().ParamByName(name); }
  int ParamCount() { return Params().Count(); }
  void ExecSQL();
  int RowsAffected() { return QSelect().RowsAffected(); }

protected:
  QString SelectText() const override { return FSQL.Text(); }
  void BindSelectParams() override;

private:
  TStringList FSQL;
  TParams FParams;
  QString FParamsText;
  bool FParamsChecked = true;
};
