#include "IBQuery.h"

#include "IBSQLText.h"
#include "IBValues.h"

TIBQuery::TIBQuery(QObject *owner) : TIBCustomDataSet(owner) {}

TIBQuery::~TIBQuery() { CloseOnDestroy(); }

TParams &TIBQuery::Params() {
  const QString text = FSQL.Text();
  if (text == FParamsText && FParamsChecked == ParamCheck())
    return FParams;
  TParams previous;
  previous.Assign(FParams);
  FParams.Clear();
  if (ParamCheck())
    for (const QString &name : IBSQLText::PreprocessParams(text).Names)
      FParams.CreateParam(ftUnknown, name, ptInput);
  for (int i = 0; i < FParams.Count(); ++i)
    for (int j = 0; j < previous.Count(); ++j)
      if (previous.Items(j)->Bound() &&
          previous.Items(j)->Name().compare(FParams.Items(i)->Name(), Qt::CaseInsensitive) == 0) {
        FParams.Items(i)->Assign(*previous.Items(j));
        break;
      }
  FParamsText = text;
  FParamsChecked = ParamCheck();
  return FParams;
}

// Same-named parameters share one value on the server: the first one that was given a value.
void TIBQuery::BindSelectParams() {
  TParams &params = Params();
  TIBXSQLDA &descriptors = SQLParams();
  for (int i = 0; i < params.Count() && i < descriptors.Count(); ++i) {
    const TParam *param = params.Items(i);
    const TParam *first = params.FindParam(param->Name());
    if (param != first && (first->Bound() || !param->Bound()))
      continue;
    descriptors.Vars(i).SetValue(IBParamValue(*param));
  }
}

void TIBQuery::ExecSQL() {
  CheckInactive();
  Prepare();
  BindSelectParams();
  QSelect().ExecQuery();
  QSelect().Close();
}
