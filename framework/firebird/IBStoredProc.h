#pragma once

#include "IBCustomDataSet.h"
#include "Params.h"

// A stored procedure run with "EXECUTE PROCEDURE": Params holds its inputs and then its outputs,
// as the database declares them; ExecProc sends the inputs and fills the outputs.
class TIBStoredProc : public TIBCustomDataSet {
  Q_OBJECT

public:
  explicit TIBStoredProc(QObject *owner = nullptr);
  ~TIBStoredProc() override;

  const QString &StoredProcName() const { return FStoredProcName; }
  void SetStoredProcName(const QString &value);
  // Reads the parameters from the database on first use.
  TParams &Params();
  TParam *ParamByName(const QString &name) { return Params().ParamByName(name); }
  void ExecProc();

protected:
  QString SelectText() const override;
  void BindSelectParams() override;

private:
  void ReadParams();

  QString FStoredProcName;
  TParams FParams;
  bool FParamsRead = false;
  int FInputCount = 0;
};
