#include "IBStoredProc.h"

#include "Exceptions.h"
#include "IBValues.h"

TIBStoredProc::TIBStoredProc(QObject *owner) : TIBCustomDataSet(owner) {}

TIBStoredProc::~TIBStoredProc() { CloseOnDestroy(); }

void TIBStoredProc::SetStoredProcName(const QString &value) {
  if (value == FStoredProcName)
    return;
  CheckInactive();
  Unprepare();
  FStoredProcName = value;
  FParams.Clear();
  FParamsRead = false;
}

QString TIBStoredProc::SelectText() const {
  QStringList markers;
  for (int i = 0; i < FInputCount; ++i)
    markers.append(QStringLiteral("?"));
  QString text = QStringLiteral("EXECUTE PROCEDURE ") + FStoredProcName;
  if (!markers.isEmpty())
    text += QStringLiteral(" (") + markers.join(QStringLiteral(", ")) + u')';
  return text;
}

void TIBStoredProc::ReadParams() {
  if (FStoredProcName.trimmed().isEmpty())
    DatabaseError(QStringLiteral("Stored procedure name not set"), this);
  TIBSQL query;
  query.SetDatabase(QSelect().Database());
  query.SetTransaction(QSelect().Transaction());
  query.SQL().SetText(
      QStringLiteral("select trim(RDB$PARAMETER_NAME), RDB$PARAMETER_TYPE from RDB$PROCEDURE_PARAMETERS "
                     "where RDB$PROCEDURE_NAME = ? order by RDB$PARAMETER_TYPE, RDB$PARAMETER_NUMBER"));
  query.Params().Vars(0).SetAsString(FStoredProcName);
  TParams previous;
  previous.Assign(FParams);
  FParams.Clear();
  FInputCount = 0;
  for (query.ExecQuery(); !query.Eof(); query.Next()) {
    const bool input = query.Fields(1).AsInteger() == 0;
    FParams.CreateParam(ftUnknown, query.Fields(0).AsString(), input ? ptInput : ptOutput);
    if (input)
      ++FInputCount;
  }
  query.Close();
  if (FParams.Count() == 0) {
    query.SQL().SetText(QStringLiteral("select 1 from RDB$PROCEDURES where RDB$PROCEDURE_NAME = ?"));
    query.Params().Vars(0).SetAsString(FStoredProcName);
    query.ExecQuery();
    if (query.Eof())
      DatabaseError(QStringLiteral("Stored procedure \"%1\" not found").arg(FStoredProcName), this);
    query.Close();
  }
  FParams.AssignValues(previous);
  FParamsRead = true;
}

TParams &TIBStoredProc::Params() {
  if (!FParamsRead)
    ReadParams();
  return FParams;
}

void TIBStoredProc::BindSelectParams() {
  TIBXSQLDA &inputs = SQLParams();
  for (int i = 0; i < FInputCount && i < inputs.Count(); ++i)
    inputs.Vars(i).SetValue(IBParamValue(*FParams.Items(i)));
}

void TIBStoredProc::ExecProc() {
  CheckInactive();
  Params();
  Prepare();
  BindSelectParams();
  TIBSQL &statement = QSelect();
  statement.ExecQuery();
  for (int i = FInputCount; i < FParams.Count(); ++i) {
    TParam *param = FParams.Items(i);
    const TIBXSQLVAR *output = statement.FindField(param->Name());
    param->SetValue(output ? output->Value() : QVariant());
  }
  statement.Close();
}
