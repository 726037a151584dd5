#include "NumericFields.h"

#include "DB.h"
#include "DateTimeUtils.h"
#include "FormatSettings.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <limits>

namespace {

QString CurrencyText(double value, int decimals) {
  const TFormatSettings &fs = FormatSettings();
  const QString number = FormatFloat(QStringLiteral("#,##0.") + QString(decimals, u'0'), std::fabs(value));
  QString text;
  switch (fs.CurrencyFormat) {
  case 0: text = fs.CurrencyString + number; break;
  case 1: text = number + fs.CurrencyString; break;
  case 2: text = fs.CurrencyString + u' ' + number; break;
  default: text = number + u' ' + fs.CurrencyString; break;
  }
  return value < 0 ? u'-' + text : text;
}

} // namespace

// ---------------------------------------------------------------- TNumericField

TNumericField::TNumericField(QObject *owner, TFieldType dataType) : TField(owner, dataType) {
  SetAlignment(taRightJustify);
}

void TNumericField::SetDisplayFormat(const QString &value) { ChangeProperty(FDisplayFormat, value, false); }

void TNumericField::SetEditFormat(const QString &value) { ChangeProperty(FEditFormat, value, false); }

void TNumericField::AssignDisplayProperties(const TField &source) {
  TField::AssignDisplayProperties(source);
  if (const auto *numeric = dynamic_cast<const TNumericField *>(&source)) {
    FDisplayFormat = numeric->FDisplayFormat;
    FEditFormat = numeric->FEditFormat;
  }
}

void TNumericField::RangeError(double value, double min, double max) const {
  FieldError(QStringLiteral("%1 is not a valid value for field '%2'. The allowed range is %3 to %4")
                 .arg(FloatToStr(value), DisplayName(), FloatToStr(min), FloatToStr(max)));
}

void TNumericField::SetIntegerText(const QString &value) {
  // A view: no copy of the text, which a load would pay for every value.
  const QStringView text = QStringView(value).trimmed();
  if (text.isEmpty())
    return Clear();
  bool ok = false;
  const qint64 number = text.toLongLong(&ok);
  if (!ok)
    InvalidValue(value, "integer");
  SetAsLargeIntValue(number);
}

void TNumericField::SetIntegerVariant(const QVariant &value) {
  switch (value.typeId()) {
  case QMetaType::QString: return SetIntegerText(value.toString());
  case QMetaType::Double:
  case QMetaType::Float: return SetAsFloatValue(value.toDouble());
  default:
    bool ok = false;
    const qint64 number = value.toLongLong(&ok);
    if (!ok)
      AccessError(QString::fromLatin1(value.typeName()));
    SetAsLargeIntValue(number);
  }
}

namespace {

// The format a numeric field's text uses: DisplayFormat for display, EditFormat (else DisplayFormat)
// for editing; empty for the plain form.
const QString &NumberFormatFor(const TNumericField &field, bool displayText) {
  if (displayText)
    return field.DisplayFormat();
  return field.EditFormat().isEmpty() ? field.DisplayFormat() : field.EditFormat();
}

// The decimal text of an integer as QString::number writes it, without the locale machinery: a grid
// asks for it for every value it shows.
QString IntegerToText(qint64 value) {
  char16_t digits[24];
  int first = int(std::size(digits));
  quint64 magnitude = value < 0 ? quint64(0) - quint64(value) : quint64(value);
  do {
    digits[--first] = char16_t(u'0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  if (value < 0)
    digits[--first] = u'-';
  return QString(reinterpret_cast<const QChar *>(digits + first), qsizetype(std::size(digits)) - first);
}

// The text of an integer value (empty for null) for display or editing.
QString IntegerText(const TNumericField &field, bool notNull, qint64 value, bool displayText) {
  if (!notNull)
    return QString();
  const QString &format = NumberFormatFor(field, displayText);
  return format.isEmpty() ? IntegerToText(value) : FormatFloat(format, double(value));
}

} // namespace

// ---------------------------------------------------------------- TIntegerField

TIntegerField::TIntegerField(QObject *owner)
    : TIntegerField(owner, ftInteger, std::numeric_limits<qint32>::min(),
                    std::numeric_limits<qint32>::max()) {}

TIntegerField::TIntegerField(QObject *owner, TFieldType dataType, int minRange, int maxRange)
    : TNumericField(owner, dataType), FMinRange(minRange), FMaxRange(maxRange) {}

int TIntegerField::DataSize() const { return DataType() == ftSmallint || DataType() == ftWord ? 2 : 4; }

bool TIntegerField::GetValue(int &value) const {
  union {
    qint16 s;
    quint16 w;
    qint32 i;
  } data{};
  if (!GetData(&data))
    return false;
  value = DataType() == ftSmallint ? data.s : DataType() == ftWord ? data.w : data.i;
  return true;
}

int TIntegerField::GetAsInteger() const {
  int value = 0;
  GetValue(value);
  return value;
}

QString TIntegerField::GetAsString() const {
  int value;
  return GetValue(value) ? IntegerToText(value) : QString();
}

QVariant TIntegerField::GetAsVariant() const {
  int value;
  return GetValue(value) ? QVariant(value) : QVariant();
}

QString TIntegerField::GetText(bool displayText) const {
  int value = 0;
  const bool notNull = GetValue(value);
  return IntegerText(*this, notNull, value, displayText);
}

void TIntegerField::SetAsLargeIntValue(qint64 value) {
  const bool bounded = FMinValue != 0 || FMaxValue != 0;
  const qint64 min = bounded ? FMinValue : FMinRange;
  const qint64 max = bounded ? FMaxValue : FMaxRange;
  if (value < min || value > max)
    RangeError(double(value), double(min), double(max));
  union {
    qint16 s;
    quint16 w;
    qint32 i;
  } data{};
  if (DataType() == ftSmallint)
    data.s = qint16(value);
  else if (DataType() == ftWord)
    data.w = quint16(value);
  else
    data.i = qint32(value);
  SetData(&data);
}

void TIntegerField::SetAsIntegerValue(int value) { SetAsLargeIntValue(value); }

void TIntegerField::SetAsFloatValue(double value) {
  if (!std::isfinite(value) || std::fabs(value) > 9.2e18)
    RangeError(value, FMinRange, FMaxRange);
  SetAsLargeIntValue(std::llround(value));
}

void TIntegerField::AssignDisplayProperties(const TField &source) {
  TNumericField::AssignDisplayProperties(source);
  if (const auto *integer = dynamic_cast<const TIntegerField *>(&source)) {
    FMinValue = integer->FMinValue;
    FMaxValue = integer->FMaxValue;
  }
}

TSmallintField::TSmallintField(QObject *owner) : TIntegerField(owner, ftSmallint, -32768, 32767) {}
TWordField::TWordField(QObject *owner) : TIntegerField(owner, ftWord, 0, 65535) {}
TAutoIncField::TAutoIncField(QObject *owner)
    : TIntegerField(owner, ftAutoInc, std::numeric_limits<qint32>::min(),
                    std::numeric_limits<qint32>::max()) {}

// ---------------------------------------------------------------- TLargeintField

TLargeintField::TLargeintField(QObject *owner) : TNumericField(owner, ftLargeint) {}

bool TLargeintField::GetValue(qint64 &value) const { return GetData(&value); }

qint64 TLargeintField::GetAsLargeInt() const {
  qint64 value = 0;
  GetValue(value);
  return value;
}

int TLargeintField::GetAsInteger() const {
  const qint64 value = GetAsLargeInt();
  if (value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max())
    AccessError(QStringLiteral("Integer"));
  return int(value);
}

QString TLargeintField::GetAsString() const {
  qint64 value;
  return GetValue(value) ? IntegerToText(value) : QString();
}

QVariant TLargeintField::GetAsVariant() const {
  qint64 value;
  return GetValue(value) ? QVariant(value) : QVariant();
}

QString TLargeintField::GetText(bool displayText) const {
  qint64 value = 0;
  const bool notNull = GetValue(value);
  return IntegerText(*this, notNull, value, displayText);
}

void TLargeintField::SetAsLargeIntValue(qint64 value) {
  if ((FMinValue != 0 || FMaxValue != 0) && (value < FMinValue || value > FMaxValue))
    RangeError(double(value), double(FMinValue), double(FMaxValue));
  SetData(&value);
}

void TLargeintField::SetAsFloatValue(double value) {
  if (!std::isfinite(value) || std::fabs(value) > 9.2e18)
    RangeError(value, -9.2e18, 9.2e18);
  SetAsLargeIntValue(std::llround(value));
}

void TLargeintField::AssignDisplayProperties(const TField &source) {
  TNumericField::AssignDisplayProperties(source);
  if (const auto *large = dynamic_cast<const TLargeintField *>(&source)) {
    FMinValue = large->FMinValue;
    FMaxValue = large->FMaxValue;
  }
}

// ---------------------------------------------------------------- TFloatField

TFloatField::TFloatField(QObject *owner) : TFloatField(owner, ftFloat) {}
TFloatField::TFloatField(QObject *owner, TFieldType dataType) : TNumericField(owner, dataType) {}

void TFloatField::SetCurrency(bool value) { ChangeProperty(FCurrency, value, false); }

void TFloatField::SetPrecision(int value) {
  value = std::clamp(value, 2, 15);
  if (value == FPrecision)
    return;
  FPrecision = value;
  PropertyChanged(false);
}

bool TFloatField::GetValue(double &value) const { return GetData(&value); }

double TFloatField::GetAsFloat() const {
  double value = 0;
  GetValue(value);
  return value;
}

int TFloatField::GetAsInteger() const {
  const double value = GetAsFloat();
  if (std::fabs(value) > std::numeric_limits<int>::max())
    AccessError(QStringLiteral("Integer"));
  return int(std::lround(value));
}

qint64 TFloatField::GetAsLargeInt() const { return std::llround(GetAsFloat()); }

QString TFloatField::GetAsString() const {
  double value;
  return GetValue(value) ? FloatToStr(value) : QString();
}

QVariant TFloatField::GetAsVariant() const {
  double value;
  return GetValue(value) ? QVariant(value) : QVariant();
}

QString TFloatField::GetText(bool displayText) const {
  double value;
  if (!GetValue(value))
    return QString();
  const QString &format = NumberFormatFor(*this, displayText);
  if (!format.isEmpty())
    return FormatFloat(format, value);
  if (FCurrency)
    return displayText
               ? CurrencyText(value, FormatSettings().CurrencyDecimals)
               : FormatFloat(QStringLiteral("0.") + QString(FormatSettings().CurrencyDecimals, u'#'), value);
  return QString::number(value, 'g', FPrecision).replace(u'.', FormatSettings().DecimalSeparator);
}

void TFloatField::SetAsFloatValue(double value) {
  if (!std::isfinite(value))
    InvalidValue(QString::number(value), "floating point");
  if ((FMinValue != 0 || FMaxValue != 0) && (value < FMinValue || value > FMaxValue))
    RangeError(value, FMinValue, FMaxValue);
  SetData(&value);
}

void TFloatField::SetAsStringValue(const QString &value) {
  if (QStringView(value).trimmed().isEmpty())
    return Clear();
  double number;
  if (!TryStrToFloat(value, number))
    InvalidValue(value, "floating point");
  SetAsFloatValue(number);
}

void TFloatField::SetVarValue(const QVariant &value) {
  if (value.typeId() == QMetaType::QString)
    return SetAsStringValue(value.toString());
  bool ok = false;
  const double number = value.toDouble(&ok);
  if (!ok)
    AccessError(QString::fromLatin1(value.typeName()));
  SetAsFloatValue(number);
}

void TFloatField::AssignDisplayProperties(const TField &source) {
  TNumericField::AssignDisplayProperties(source);
  if (const auto *floating = dynamic_cast<const TFloatField *>(&source)) {
    FCurrency = floating->FCurrency;
    FPrecision = floating->FPrecision;
    FMinValue = floating->FMinValue;
    FMaxValue = floating->FMaxValue;
  }
}

TCurrencyField::TCurrencyField(QObject *owner) : TFloatField(owner, ftCurrency) { SetCurrency(true); }

// ---------------------------------------------------------------- TBCDField

TBCDField::TBCDField(QObject *owner) : TNumericField(owner, ftBCD) { TField::SetSize(4); }

void TBCDField::SetCurrency(bool value) { ChangeProperty(FCurrency, value, false); }

bool TBCDField::GetValue(TBcd &value) const { return GetData(&value); }

double TBCDField::GetAsFloat() const {
  TBcd value;
  return GetValue(value) ? BcdToDouble(value) : 0.0;
}

int TBCDField::GetAsInteger() const { return int(std::lround(GetAsFloat())); }
qint64 TBCDField::GetAsLargeInt() const { return std::llround(GetAsFloat()); }

QString TBCDField::GetAsString() const {
  TBcd value;
  return GetValue(value) ? BcdToStr(value, FormatSettings().DecimalSeparator) : QString();
}

QVariant TBCDField::GetAsVariant() const {
  TBcd value;
  return GetValue(value) ? QVariant(BcdToDouble(value)) : QVariant();
}

QString TBCDField::GetText(bool displayText) const {
  TBcd value;
  if (!GetValue(value))
    return QString();
  const QString &format = NumberFormatFor(*this, displayText);
  if (!format.isEmpty())
    return FormatFloat(format, BcdToDouble(value));
  if (FCurrency && displayText)
    return CurrencyText(BcdToDouble(value), FormatSettings().CurrencyDecimals);
  // The value already read: GetAsString would read it again.
  return BcdToStr(value, FormatSettings().DecimalSeparator);
}

void TBCDField::SetBcd(const TBcd &value) {
  const double number = BcdToDouble(value);
  if ((FMinValue != 0 || FMaxValue != 0) && (number < FMinValue || number > FMaxValue))
    RangeError(number, FMinValue, FMaxValue);
  SetData(&value);
}

void TBCDField::SetAsFloatValue(double value) {
  if (!std::isfinite(value))
    InvalidValue(QString::number(value), "floating point");
  SetBcd(StrToBcd(QString::number(value, 'f', std::clamp(Size(), 0, 15))
                      .replace(u'.', FormatSettings().DecimalSeparator)));
}

void TBCDField::SetAsLargeIntValue(qint64 value) { SetBcd(StrToBcd(QString::number(value))); }

void TBCDField::SetAsStringValue(const QString &value) {
  if (value.trimmed().isEmpty())
    return Clear();
  TBcd bcd;
  if (!TryStrToBcd(value, bcd))
    InvalidValue(value, "BCD");
  if ((bcd.SignSpecialPlaces & 0x3F) > Size())
    return SetAsFloatValue(BcdToDouble(bcd));
  SetBcd(bcd);
}

void TBCDField::SetVarValue(const QVariant &value) {
  if (value.typeId() == QMetaType::QString)
    return SetAsStringValue(value.toString());
  if (value.typeId() == QMetaType::LongLong || value.typeId() == QMetaType::Int)
    return SetAsLargeIntValue(value.toLongLong());
  bool ok = false;
  const double number = value.toDouble(&ok);
  if (!ok)
    AccessError(QString::fromLatin1(value.typeName()));
  SetAsFloatValue(number);
}

void TBCDField::AssignDisplayProperties(const TField &source) {
  TNumericField::AssignDisplayProperties(source);
  if (const auto *bcd = dynamic_cast<const TBCDField *>(&source)) {
    FCurrency = bcd->FCurrency;
    FPrecision = bcd->FPrecision;
    FMinValue = bcd->FMinValue;
    FMaxValue = bcd->FMaxValue;
  }
}
