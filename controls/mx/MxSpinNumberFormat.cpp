#include "MxSpinNumberFormat.h"

#include "DateTimeUtils.h"
#include "Exceptions.h"
#include "FormatSettings.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// Fixed-point text with 15 significant digits and `decimals` after the separator.
QString FixedText(double value, int decimals) {
  if (value != 0 && std::fabs(value) >= 1e15)
    return FloatToStr(value);
  int exponent = 0;
  if (value != 0)
    exponent = int(std::floor(std::log10(std::fabs(value))));
  const int shown = std::min(decimals, std::max(0, 14 - exponent));
  QString text = QString::number(value, 'f', shown);
  if (decimals > shown)
    text += QString(shown == 0 ? QStringLiteral(".") : QString()) + QString(decimals - shown, u'0');
  // A value that rounds to zero shows no sign.
  if (text.startsWith(u'-') &&
      !std::any_of(text.begin(), text.end(), [](QChar c) { return c >= u'1' && c <= u'9'; }))
    text.remove(0, 1);
  return text.replace(u'.', FormatSettings().DecimalSeparator);
}

} // namespace

qint64 RoundToInt64(double value) {
  constexpr double limit = 9223372036854775807.0;
  if (!(value < limit))
    return std::numeric_limits<qint64>::max();
  if (value <= -limit)
    return std::numeric_limits<qint64>::min();
  return qint64(std::nearbyint(value));
}

bool TSpinNumberFormat::Parse(const QString &text, TValueType type, double &value) {
  bool ok = false;
  const QString s = text.trimmed();
  switch (type) {
  case vtFloat: return TryStrToFloat(s, value);
  case vtHex: {
    const bool negative = s.startsWith(u'-');
    const QString digits = s.startsWith(u'-') || s.startsWith(u'+') ? s.mid(1) : s;
    if (digits.isEmpty() || digits.startsWith(u'+') || digits.startsWith(u'-'))
      return false;
    const qint64 number = qint64(digits.toULongLong(&ok, 16));
    value = double(negative ? -number : number);
    return ok;
  }
  default: {
    const qint64 number = s.toLongLong(&ok, 10);
    value = double(number);
    return ok;
  }
  }
}

double TSpinNumberFormat::Read(const QString &text) const {
  double value = 0;
  if (Parse(text, FValueType, value))
    return value;
  return FValueType == vtFloat ? FMinValue : std::trunc(FMinValue);
}

void TSpinNumberFormat::Check(const QString &text) const {
  double value = 0;
  if (text.trimmed().isEmpty() || Parse(text, FValueType, value))
    return;
  if (FValueType == vtFloat)
    throw EConvertError(QStringLiteral("'%1' is not a valid floating point value").arg(text));
  throw EConvertError(QStringLiteral("'%1' is not a valid integer value").arg(text));
}

double TSpinNumberFormat::Clamp(double value) const {
  if (FMinValue == FMaxValue)
    return value;
  if (value < FMinValue)
    return FMinValue;
  return value > FMaxValue ? FMaxValue : value;
}

QString TSpinNumberFormat::Format(double value) const {
  switch (FValueType) {
  case vtFloat: return FixedText(value, FDecimal);
  case vtHex: return QString::number(quint64(RoundToInt64(value)), 16).toUpper();
  default: return QString::number(RoundToInt64(value));
  }
}

bool TSpinNumberFormat::Accepts(QChar key, const QString &text) const {
  if (key.unicode() < 32)
    return true;
  if (key == u'+' || key == u'-' || (key >= u'0' && key <= u'9'))
    return true;
  if (FValueType == vtFloat) {
    const QChar separator = FormatSettings().DecimalSeparator;
    if (key == separator && !text.contains(separator))
      return true;
    if ((key == u'E' || key == u'e') && !text.toUpper().contains(u'E'))
      return true;
  } else if (FValueType == vtHex) {
    const QChar upper = key.toUpper();
    return upper >= u'A' && upper <= u'F' && key.unicode() < 128;
  }
  return false;
}
