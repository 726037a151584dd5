#include "IBXSQLDA.h"

#include "Exceptions.h"
#include "FormatSettings.h"
#include "IBBlob.h"
#include "IBDatabase.h"
#include "IBSQL.h"
#include "IBTransaction.h"

#include <QDateTime>
#include <cmath>
#include <cstring>

namespace {

// Day numbers of the server's epoch 1858-11-17 and of TDateTime's 1899-12-30.
constexpr qint64 kJulianDayOfIscEpoch = 2400001;
constexpr int kIscDateOfTDateTimeEpoch = 15018;
constexpr qint64 kIscTimePerDay = 864000000; // units of 1/10000 s

qint64 PowerOfTen(int exponent) {
  qint64 result = 1;
  for (int i = 0; i < exponent; ++i)
    result *= 10;
  return result;
}

QString WithDecimalSeparator(QString text) {
  const QChar separator = FormatSettings().DecimalSeparator;
  if (!separator.isNull() && separator != u'.')
    text.replace(u'.', separator);
  return text;
}

} // namespace

QString IBScaledToString(qint64 value, int scale) {
  if (scale >= 0)
    return QString::number(value);
  const bool negative = value < 0;
  // Magnitude as unsigned so that the smallest int64 survives.
  quint64 magnitude = negative ? quint64(0) - quint64(value) : quint64(value);
  QString digits = QString::number(magnitude).rightJustified(-scale + 1, u'0');
  digits.insert(digits.size() + scale, u'.');
  return (negative ? QStringLiteral("-") : QString()) + digits;
}

namespace {

// Text in the program's own number form: '.' or the format's decimal separator.
double ParseDouble(const QString &text) {
  QString normal = text.trimmed();
  const QChar separator = FormatSettings().DecimalSeparator;
  if (!separator.isNull() && separator != u'.')
    normal.replace(separator, u'.');
  bool ok = false;
  const double value = normal.toDouble(&ok);
  if (!ok)
    throw EConvertError(QStringLiteral("'%1' is not a valid floating point value").arg(text));
  return value;
}

qint64 ToInt64(const QVariant &value) {
  switch (value.typeId()) {
  case QMetaType::Double:
  case QMetaType::Float: return std::llround(value.toDouble());
  case QMetaType::QString: {
    bool ok = false;
    const qint64 result = value.toString().trimmed().toLongLong(&ok);
    if (!ok)
      throw EConvertError(QStringLiteral("'%1' is not a valid integer value").arg(value.toString()));
    return result;
  }
  default: return value.toLongLong();
  }
}

double ToDateTime(const QVariant &value) {
  switch (value.typeId()) {
  case QMetaType::QDateTime: return IBDateTime::FromTimestamp(IBDateTime::FromQDateTime(value.toDateTime()));
  case QMetaType::QDate: return IBDateTime::FromQDate(value.toDate()) - kIscDateOfTDateTimeEpoch;
  case QMetaType::QTime: return IBDateTime::FromQTime(value.toTime()) / double(kIscTimePerDay);
  case QMetaType::QString: {
    const QDateTime parsed = QDateTime::fromString(value.toString().trimmed(), Qt::ISODateWithMs);
    if (!parsed.isValid())
      throw EConvertError(QStringLiteral("'%1' is not a valid date and time").arg(value.toString()));
    return ToDateTime(parsed);
  }
  default: return value.toDouble();
  }
}

} // namespace

namespace IBDateTime {

double FromTimestamp(const ISC_TIMESTAMP &value) {
  return double(value.timestamp_date - kIscDateOfTDateTimeEpoch) +
         double(value.timestamp_time) / double(kIscTimePerDay);
}

ISC_TIMESTAMP ToTimestamp(double dateTime) {
  double days = std::floor(dateTime);
  qint64 time = std::llround((dateTime - days) * double(kIscTimePerDay));
  if (time >= kIscTimePerDay) {
    time -= kIscTimePerDay;
    days += 1;
  }
  return {static_cast<ISC_DATE>(days) + kIscDateOfTDateTimeEpoch, static_cast<ISC_TIME>(time)};
}

QDateTime ToQDateTime(const ISC_TIMESTAMP &value) {
  return QDateTime(ToQDate(value.timestamp_date), ToQTime(value.timestamp_time), Qt::UTC);
}

ISC_TIMESTAMP FromQDateTime(const QDateTime &value) {
  return {FromQDate(value.date()), FromQTime(value.time())};
}

QDate ToQDate(ISC_DATE value) { return QDate::fromJulianDay(value + kJulianDayOfIscEpoch); }

ISC_DATE FromQDate(const QDate &value) {
  return static_cast<ISC_DATE>(value.toJulianDay() - kJulianDayOfIscEpoch);
}

QTime ToQTime(ISC_TIME value) { return QTime::fromMSecsSinceStartOfDay(static_cast<int>(value / 10)); }

ISC_TIME FromQTime(const QTime &value) { return static_cast<ISC_TIME>(value.msecsSinceStartOfDay()) * 10; }

} // namespace IBDateTime

// --- TIBXSQLVAR

TIBXSQLVAR::TIBXSQLVAR(TIBXSQLDA *owner, int index) : FOwner(owner), FIndex(index) {}

void TIBXSQLVAR::Describe(const QString &name) {
  const XSQLVAR &v = Var();
  FType = static_cast<short>(v.sqltype & ~1);
  FNullable = (v.sqltype & 1) != 0;
  FSubtype = v.sqlsubtype;
  FScale = v.sqlscale;
  FLength = v.sqllen;
  FName = name;
}

QString TIBXSQLVAR::SQLName() const {
  const XSQLVAR &v = Var();
  return FOwner->Statement().Database()->DecodeText(QByteArray(v.sqlname, v.sqlname_length));
}

QString TIBXSQLVAR::RelationName() const {
  const XSQLVAR &v = Var();
  return FOwner->Statement().Database()->DecodeText(QByteArray(v.relname, v.relname_length));
}

int TIBXSQLVAR::CharsetId() const {
  if (FType == SQL_TEXT || FType == SQL_VARYING)
    return FSubtype & 0xFF;
  if (FType == SQL_BLOB && FSubtype == isc_blob_text)
    return FScale & 0xFF;
  return 0;
}

qint64 TIBXSQLVAR::RawInteger() const {
  const char *data = Var().sqldata;
  switch (FType) {
  case SQL_SHORT: return IBRead<short>(data);
  case SQL_LONG: return IBRead<ISC_LONG>(data);
  default: return IBRead<ISC_INT64>(data);
  }
}

QVariant TIBXSQLVAR::Value() const {
  if (IsNull())
    return {};
  return FOwner->FInput ? FValue : DecodeValue();
}

QVariant TIBXSQLVAR::DecodeValue() const {
  const XSQLVAR &v = Var();
  const char *data = v.sqldata;
  TIBSQL &statement = FOwner->Statement();
  const auto text = [&](const QByteArray &bytes) -> QVariant {
    return CharsetId() == kCharsetOctets ? QVariant(bytes)
                                         : QVariant(statement.Database()->DecodeText(bytes));
  };
  const auto scaled = [&](qint64 value) -> QVariant {
    if (FScale == 0)
      return FType == SQL_INT64 ? QVariant(value) : QVariant(int(value));
    return double(value) / double(PowerOfTen(-FScale));
  };
  switch (FType) {
  case SQL_TEXT: return text(QByteArray(data, v.sqllen));
  case SQL_VARYING: return text(QByteArray(data + 2, IBRead<short>(data)));
  case SQL_SHORT:
  case SQL_LONG:
  case SQL_INT64: return scaled(RawInteger());
  case SQL_FLOAT: return double(IBRead<float>(data));
  case SQL_DOUBLE:
  case SQL_D_FLOAT: return IBRead<double>(data);
  case SQL_TIMESTAMP: return IBDateTime::ToQDateTime(IBRead<ISC_TIMESTAMP>(data));
  case SQL_TYPE_DATE: return IBDateTime::ToQDate(IBRead<ISC_DATE>(data));
  case SQL_TYPE_TIME: return IBDateTime::ToQTime(IBRead<ISC_TIME>(data));
  case SQL_BOOLEAN: return *data != 0;
  case SQL_BLOB: {
    const QByteArray bytes =
        IBBlob::Read(*statement.Database(), *statement.Transaction(), IBRead<ISC_QUAD>(data));
    return FSubtype == isc_blob_text ? text(bytes) : QVariant(bytes);
  }
  default:
    throw EDatabaseError(
        QStringLiteral("Column \"%1\" has a type that is not supported (%2)").arg(FName).arg(FType));
  }
}

QString TIBXSQLVAR::AsString() const {
  if (IsNull())
    return QString();
  const QVariant value = Value();
  if (!FOwner->FInput && FScale < 0 && (FType == SQL_SHORT || FType == SQL_LONG || FType == SQL_INT64))
    return WithDecimalSeparator(IBScaledToString(RawInteger(), FScale));
  switch (value.typeId()) {
  case QMetaType::Double: return WithDecimalSeparator(QString::number(value.toDouble(), 'g', 15));
  case QMetaType::QDateTime: return value.toDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
  case QMetaType::QDate: return value.toDate().toString(Qt::ISODate);
  case QMetaType::QTime: return value.toTime().toString(QStringLiteral("hh:mm:ss"));
  case QMetaType::Bool: return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
  case QMetaType::QByteArray: return FOwner->Statement().Database()->DecodeText(value.toByteArray());
  default: return value.toString();
  }
}

int TIBXSQLVAR::AsInteger() const {
  const qint64 value = AsInt64();
  if (value < INT_MIN || value > INT_MAX)
    throw EConvertError(QStringLiteral("%1 is out of the integer range").arg(value));
  return static_cast<int>(value);
}

qint64 TIBXSQLVAR::AsInt64() const { return IsNull() ? 0 : ToInt64(Value()); }

double TIBXSQLVAR::AsDouble() const {
  if (IsNull())
    return 0;
  const QVariant value = Value();
  if (value.typeId() == QMetaType::QString)
    return ParseDouble(value.toString());
  if (value.typeId() == QMetaType::QDateTime || value.typeId() == QMetaType::QDate ||
      value.typeId() == QMetaType::QTime)
    return ToDateTime(value);
  return value.toDouble();
}

bool TIBXSQLVAR::AsBoolean() const {
  if (IsNull())
    return false;
  const QVariant value = Value();
  if (value.typeId() == QMetaType::QString) {
    const QString text = value.toString().trimmed().toLower();
    return text == QLatin1String("true") || (text != QLatin1String("false") && ToInt64(value) != 0);
  }
  return value.toBool();
}

double TIBXSQLVAR::AsDateTime() const { return IsNull() ? 0 : ToDateTime(Value()); }

QByteArray TIBXSQLVAR::AsBytes() const {
  if (IsNull())
    return {};
  return TextBytes(Value());
}

void TIBXSQLVAR::SetValue(const QVariant &value) { FOwner->SetByName(FName, value, this); }

void TIBXSQLVAR::SetAsDateTime(double dateTime) {
  SetValue(IBDateTime::ToQDateTime(IBDateTime::ToTimestamp(dateTime)));
}

void TIBXSQLVAR::SetIsNull(bool value) {
  if (value)
    Clear();
  else if (IsNull())
    throw EDatabaseError(QStringLiteral("Parameter \"%1\" has no value to keep").arg(FName));
}

void TIBXSQLVAR::StoreValue(const QVariant &value) {
  if (!FOwner->FInput)
    throw EDatabaseError(QStringLiteral("Column \"%1\" is read-only").arg(FName));
  FValue = value;
}

QByteArray TIBXSQLVAR::TextBytes(const QVariant &value) const {
  switch (value.typeId()) {
  case QMetaType::QByteArray: return value.toByteArray();
  case QMetaType::Double: return QByteArray::number(value.toDouble(), 'g', 17);
  case QMetaType::QDateTime:
    return value.toDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss.zzz")).toLatin1();
  case QMetaType::QDate: return value.toDate().toString(Qt::ISODate).toLatin1();
  case QMetaType::QTime: return value.toTime().toString(QStringLiteral("hh:mm:ss.zzz")).toLatin1();
  case QMetaType::Bool: return value.toBool() ? "TRUE" : "FALSE";
  default: return FOwner->Statement().Database()->EncodeText(value.toString());
  }
}

void TIBXSQLVAR::BindText(const QByteArray &bytes) {
  if (bytes.size() > 0x7FFF)
    throw EDatabaseError(QStringLiteral("Value of parameter \"%1\" is too long").arg(FName));
  XSQLVAR &v = Var();
  const auto length = static_cast<short>(bytes.size());
  FParamData.resize(2 + length);
  std::memcpy(FParamData.data(), &length, 2);
  std::memcpy(FParamData.data() + 2, bytes.constData(), length);
  v.sqltype = SQL_VARYING | 1;
  v.sqllen = length;
  v.sqlscale = 0;
  // Text bound to a text parameter keeps its character set; text for another type has none.
  if (FType != SQL_TEXT && FType != SQL_VARYING)
    v.sqlsubtype = 0;
  v.sqldata = FParamData.data();
}

template <typename T> void TIBXSQLVAR::BindNumber(T value) {
  FParamData.resize(sizeof(T));
  std::memcpy(FParamData.data(), &value, sizeof(T));
  Var().sqldata = FParamData.data();
}

// Puts the value into the described type; text goes as text for the server to parse (exact decimals,
// date literals).
void TIBXSQLVAR::Bind() {
  XSQLVAR &v = Var();
  v.sqltype = static_cast<short>(FType | 1);
  v.sqlsubtype = FSubtype;
  v.sqlscale = FScale;
  v.sqllen = FLength;
  v.sqlind = &FParamNull;
  if (IsNull()) {
    FParamNull = -1;
    FParamData.fill('\0', FLength + 2);
    v.sqldata = FParamData.data();
    return;
  }
  FParamNull = 0;
  const int typeId = FValue.typeId();
  const bool isText = typeId == QMetaType::QString || typeId == QMetaType::QByteArray;
  const bool isNumber =
      typeId == QMetaType::Double || typeId == QMetaType::Float || typeId == QMetaType::Int ||
      typeId == QMetaType::UInt || typeId == QMetaType::LongLong || typeId == QMetaType::ULongLong ||
      typeId == QMetaType::Bool || typeId == QMetaType::Short || typeId == QMetaType::UShort;
  switch (FType) {
  case SQL_SHORT:
  case SQL_LONG:
  case SQL_INT64:
    if (!isNumber)
      return BindText(TextBytes(FValue));
    return BindInteger(ScaledInteger());
  case SQL_FLOAT:
    if (!isNumber)
      return BindText(TextBytes(FValue));
    return BindNumber<float>(static_cast<float>(FValue.toDouble()));
  case SQL_DOUBLE:
  case SQL_D_FLOAT:
    if (!isNumber)
      return BindText(TextBytes(FValue));
    return BindNumber<double>(FValue.toDouble());
  case SQL_TIMESTAMP:
  case SQL_TYPE_DATE:
  case SQL_TYPE_TIME: {
    const bool isDate = typeId == QMetaType::QDate || typeId == QMetaType::QDateTime ||
                        (typeId == QMetaType::QTime && FType == SQL_TYPE_TIME);
    if (!isDate && (isText || !isNumber))
      return BindText(TextBytes(FValue));
    const ISC_TIMESTAMP stamp = IBDateTime::ToTimestamp(ToDateTime(FValue));
    if (FType == SQL_TYPE_DATE)
      return BindNumber<ISC_DATE>(stamp.timestamp_date);
    if (FType == SQL_TYPE_TIME)
      return BindNumber<ISC_TIME>(stamp.timestamp_time);
    return BindNumber<ISC_TIMESTAMP>(stamp);
  }
  case SQL_BOOLEAN:
    if (!isNumber)
      return BindText(TextBytes(FValue));
    return BindNumber<FB_BOOLEAN>(FValue.toBool() ? FB_TRUE : FB_FALSE);
  case SQL_BLOB: {
    TIBSQL &statement = FOwner->Statement();
    return BindNumber<ISC_QUAD>(
        IBBlob::Write(*statement.Database(), *statement.Transaction(), TextBytes(FValue)));
  }
  default: return BindText(TextBytes(FValue));
  }
}

qint64 TIBXSQLVAR::ScaledInteger() const {
  const qint64 factor = PowerOfTen(-FScale);
  const int typeId = FValue.typeId();
  qint64 scaled = 0;
  if (typeId == QMetaType::Double || typeId == QMetaType::Float) {
    const double value = std::round(FValue.toDouble() * double(factor));
    if (!(std::fabs(value) < 9.2e18))
      throw EConvertError(QStringLiteral("Value of parameter \"%1\" is out of range").arg(FName));
    scaled = static_cast<qint64>(value);
  } else if (__builtin_mul_overflow(FValue.toLongLong(), factor, &scaled)) {
    throw EConvertError(QStringLiteral("Value of parameter \"%1\" is out of range").arg(FName));
  }
  const qint64 limit = FType == SQL_SHORT ? 0x7FFF : FType == SQL_LONG ? 0x7FFFFFFF : INT64_MAX;
  if (scaled > limit || scaled < -limit - 1)
    throw EConvertError(QStringLiteral("Value of parameter \"%1\" is out of range").arg(FName));
  return scaled;
}

void TIBXSQLVAR::BindInteger(qint64 value) {
  switch (FType) {
  case SQL_SHORT: return BindNumber<short>(static_cast<short>(value));
  case SQL_LONG: return BindNumber<ISC_LONG>(static_cast<ISC_LONG>(value));
  default: return BindNumber<ISC_INT64>(value);
  }
}

// --- TIBXSQLDA

TIBXSQLDA::TIBXSQLDA(TIBSQL *statement) : FStatement(statement) { Resize(0); }

TIBXSQLDA::~TIBXSQLDA() { std::free(FData); }

void TIBXSQLDA::Resize(int count) {
  std::free(FData);
  FVars.clear();
  const int capacity = std::max(count, 1);
  FData = static_cast<XSQLDA *>(std::calloc(1, XSQLDA_LENGTH(capacity)));
  FData->version = SQLDA_VERSION1;
  FData->sqln = static_cast<short>(capacity);
}

void TIBXSQLDA::Clear() { Resize(0); }

void TIBXSQLDA::Describe(const QStringList &names, bool input) {
  FInput = input;
  FVars.clear();
  const int count = FData->sqld;
  for (int i = 0; i < count; ++i) {
    auto var = std::make_unique<TIBXSQLVAR>(this, i);
    const XSQLVAR &v = FData->sqlvar[i];
    QString name = i < names.size() ? names[i] : QString();
    if (!input)
      name = FStatement->Database()->DecodeText(QByteArray(v.aliasname, v.aliasname_length));
    var->Describe(name);
    FVars.push_back(std::move(var));
  }
  if (input)
    return;
  // One buffer for the whole row: each value aligned for its type, then its null indicator.
  qsizetype size = 0;
  std::vector<std::pair<qsizetype, qsizetype>> offsets;
  for (int i = 0; i < count; ++i) {
    XSQLVAR &v = FData->sqlvar[i];
    v.sqltype |= 1;
    const qsizetype data = (size + 7) & ~qsizetype(7);
    const qsizetype end = data + v.sqllen + ((v.sqltype & ~1) == SQL_VARYING ? 2 : 0);
    const qsizetype indicator = (end + 1) & ~qsizetype(1);
    offsets.emplace_back(data, indicator);
    size = indicator + 2;
  }
  FRowBuffer.fill('\0', size);
  for (int i = 0; i < count; ++i) {
    FData->sqlvar[i].sqldata = FRowBuffer.data() + offsets[i].first;
    FData->sqlvar[i].sqlind = reinterpret_cast<short *>(FRowBuffer.data() + offsets[i].second);
  }
}

void TIBXSQLDA::BindParams() {
  for (auto &var : FVars)
    var->Bind();
}

void TIBXSQLDA::OutOfRange(int index) const {
  throw EDatabaseError(QStringLiteral("Index %1 is out of range (%2 items)").arg(index).arg(Count()));
}

TIBXSQLVAR *TIBXSQLDA::Find(const QString &name) {
  for (auto &var : FVars)
    if (var->Name().compare(name, Qt::CaseInsensitive) == 0)
      return var.get();
  return nullptr;
}

TIBXSQLVAR &TIBXSQLDA::ByName(const QString &name) {
  if (TIBXSQLVAR *var = Find(name))
    return *var;
  throw EDatabaseError(FInput ? QStringLiteral("Parameter \"%1\" not found").arg(name)
                              : QStringLiteral("Field \"%1\" not found").arg(name));
}

QStringList TIBXSQLDA::Names() const {
  QStringList names;
  for (const auto &var : FVars)
    names.append(var->Name());
  return names;
}

void TIBXSQLDA::SetByName(const QString &name, const QVariant &value, const TIBXSQLVAR *origin) {
  for (auto &var : FVars)
    if (var.get() == origin || (!name.isEmpty() && var->Name() == name))
      var->StoreValue(value);
}
