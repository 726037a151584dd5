#include "Params.h"

#include "DB.h"
#include "DateTimeUtils.h"
#include "Exceptions.h"

namespace {

[[noreturn]] void ParamError(const QString &message) { throw EDatabaseError(message); }

QVariant DateValue(TFieldType type, double value) {
  if (type == ftDate)
    return DateTimeToQDate(value);
  if (type == ftTime)
    return DateTimeToQTime(value);
  return DateTimeToQDateTime(value);
}

} // namespace

TParam::TParam(TParams *owner, const QString &name, TFieldType dataType, TParamType paramType)
    : FOwner(owner), FName(name), FDataType(dataType), FParamType(paramType) {}

void TParam::SetDataType(TFieldType value) { FDataType = value; }

void TParam::Store(TFieldType type, const QVariant &value) {
  FDataType = type;
  FValue = value;
  FBound = true;
}

void TParam::SetValue(const QVariant &value) {
  TFieldType type = FDataType;
  if (type == ftUnknown) {
    switch (value.typeId()) {
    case QMetaType::QString: type = ftString; break;
    case QMetaType::Int: type = ftInteger; break;
    case QMetaType::LongLong: type = ftLargeint; break;
    case QMetaType::Double: type = ftFloat; break;
    case QMetaType::Bool: type = ftBoolean; break;
    case QMetaType::QDate: type = ftDate; break;
    case QMetaType::QTime: type = ftTime; break;
    case QMetaType::QDateTime: type = ftDateTime; break;
    case QMetaType::QByteArray: type = ftBlob; break;
    default: break;
    }
  }
  Store(type, value);
}

void TParam::Clear() {
  FValue = QVariant();
  FBound = false;
}

QString TParam::AsString() const {
  if (FValue.isNull())
    return QString();
  switch (FValue.typeId()) {
  case QMetaType::Double: return FloatToStr(FValue.toDouble());
  case QMetaType::Bool: return FValue.toBool() ? QStringLiteral("True") : QStringLiteral("False");
  case QMetaType::QDate: return DateToStr(QDateToDateTime(FValue.toDate()));
  case QMetaType::QTime: return TimeToStr(QTimeToDateTime(FValue.toTime()));
  case QMetaType::QDateTime: return DateTimeToStr(QDateTimeToDateTime(FValue.toDateTime()));
  default: return FValue.toString();
  }
}

void TParam::SetAsString(const QString &value) { Store(FDataType == ftMemo ? ftMemo : ftString, value); }

int TParam::AsInteger() const {
  if (FValue.isNull())
    return 0;
  bool ok = false;
  const int value = FValue.toInt(&ok);
  if (!ok)
    ParamError(QStringLiteral("Could not convert parameter '%1' to an integer").arg(FName));
  return value;
}

void TParam::SetAsInteger(int value) { Store(ftInteger, value); }

qint64 TParam::AsLargeInt() const {
  if (FValue.isNull())
    return 0;
  bool ok = false;
  const qint64 value = FValue.toLongLong(&ok);
  if (!ok)
    ParamError(QStringLiteral("Could not convert parameter '%1' to an integer").arg(FName));
  return value;
}

void TParam::SetAsLargeInt(qint64 value) { Store(ftLargeint, value); }

double TParam::AsFloat() const {
  if (FValue.isNull())
    return 0;
  if (FValue.typeId() == QMetaType::QString)
    return StrToFloat(FValue.toString());
  bool ok = false;
  const double value = FValue.toDouble(&ok);
  if (!ok)
    ParamError(QStringLiteral("Could not convert parameter '%1' to a number").arg(FName));
  return value;
}

void TParam::SetAsFloat(double value) { Store(ftFloat, value); }
void TParam::SetAsCurrency(double value) { Store(ftCurrency, value); }

bool TParam::AsBoolean() const { return !FValue.isNull() && FValue.toBool(); }
void TParam::SetAsBoolean(bool value) { Store(ftBoolean, value); }

double TParam::AsDateTime() const {
  if (FValue.isNull())
    return 0;
  if (FValue.typeId() == QMetaType::QString)
    return StrToDateTime(FValue.toString());
  double value;
  if (!TryVarToDateTime(FValue, value))
    ParamError(QStringLiteral("Could not convert parameter '%1' to a date and time").arg(FName));
  return value;
}

void TParam::SetAsDateTime(double value) { Store(ftDateTime, DateValue(ftDateTime, value)); }
void TParam::SetAsDate(double value) { Store(ftDate, DateValue(ftDate, value)); }
void TParam::SetAsTime(double value) { Store(ftTime, DateValue(ftTime, value)); }

QByteArray TParam::AsBlob() const { return FValue.toByteArray(); }
void TParam::SetAsBlob(const QByteArray &value) { Store(ftBlob, value); }
void TParam::SetAsMemo(const QString &value) { Store(ftMemo, value); }

void TParam::AssignField(const TField &field) {
  FName = field.FieldName();
  FSize = field.Size();
  AssignFieldValue(field, field.Value());
}

void TParam::AssignFieldValue(const TField &field, const QVariant &value) {
  TFieldType type = field.DataType();
  if (type == ftAutoInc)
    type = ftInteger;
  else if (type == ftFixedChar || type == ftWideString)
    type = ftString;
  Store(type, value);
}

void TParam::AssignTo(TField &field) const { field.SetValue(FValue); }

void TParam::Assign(const TParam &source) {
  FName = source.FName;
  FDataType = source.FDataType;
  FParamType = source.FParamType;
  FSize = source.FSize;
  FPrecision = source.FPrecision;
  FNumericScale = source.FNumericScale;
  FBound = source.FBound;
  FValue = source.FValue;
}

// ---------------------------------------------------------------- TParams

TParam *TParams::AddParam(const QString &name) { return AddItem(std::make_unique<TParam>(this, name)); }

TParam *TParams::CreateParam(TFieldType dataType, const QString &name, TParamType paramType) {
  return AddItem(std::make_unique<TParam>(this, name, dataType, paramType));
}

TParam *TParams::FindParam(const QString &name) const {
  const int i = IndexOf(name);
  return i < 0 ? nullptr : Items(i);
}

TParam *TParams::ParamByName(const QString &name) const {
  TParam *param = FindParam(name);
  if (!param)
    ParamError(QStringLiteral("Parameter '%1' not found").arg(name));
  return param;
}

QVariant TParams::ParamValues(const QString &names) const {
  const QStringList list = names.split(u';', Qt::SkipEmptyParts);
  if (list.size() == 1)
    return ParamByName(list[0].trimmed())->Value();
  QVariantList values;
  for (const QString &name : list)
    values << ParamByName(name.trimmed())->Value();
  return values;
}

void TParams::SetParamValues(const QString &names, const QVariant &values) {
  const QStringList list = names.split(u';', Qt::SkipEmptyParts);
  if (list.size() == 1)
    return ParamByName(list[0].trimmed())->SetValue(values);
  const QVariantList items = values.toList();
  if (items.size() < list.size())
    ParamError(QStringLiteral("More parameters than values"));
  for (int i = 0; i < list.size(); ++i)
    ParamByName(list[i].trimmed())->SetValue(items[i]);
}

void TParams::Assign(const TParams &source) {
  if (&source == this)
    return;
  Clear();
  for (const auto &param : source.ItemList())
    AddParam(QString())->Assign(*param);
}

void TParams::AssignValues(const TParams &source) {
  for (const auto &param : source.ItemList())
    if (TParam *own = FindParam(param->Name()))
      own->Assign(*param);
}
