#include "Bcd.h"

#include "Exceptions.h"
#include "FormatSettings.h"

#include <QLocale>
#include <cmath>

namespace {

constexpr int MaxDigits = 64;
constexpr int SignBit = 0x80;
constexpr int PlacesMask = 0x3F;

int Digit(const TBcd &bcd, int i) {
  const std::uint8_t b = bcd.Fraction[i / 2];
  return i % 2 == 0 ? b >> 4 : b & 0x0F;
}

void SetDigit(TBcd &bcd, int i, int d) {
  std::uint8_t &b = bcd.Fraction[i / 2];
  b = i % 2 == 0 ? std::uint8_t((b & 0x0F) | (d << 4)) : std::uint8_t((b & 0xF0) | d);
}

} // namespace

bool TryStrToBcd(const QString &text, TBcd &result) {
  QString s = text.trimmed();
  s.replace(FormatSettings().DecimalSeparator, u'.');
  result = TBcd();
  bool negative = false;
  if (s.startsWith(u'-') || s.startsWith(u'+')) {
    negative = s.startsWith(u'-');
    s.remove(0, 1);
  }
  const int point = int(s.indexOf(u'.'));
  QString intPart = point < 0 ? s : s.left(point);
  QString decimals = point < 0 ? QString() : s.mid(point + 1);
  if (intPart.isEmpty() && decimals.isEmpty())
    return false;
  for (const QString *part : {&intPart, &decimals})
    for (const QChar c : *part)
      if (!c.isDigit() || c.unicode() > '9')
        return false;
  while (intPart.size() > 1 && intPart.startsWith(u'0'))
    intPart.remove(0, 1);
  while (decimals.endsWith(u'0'))
    decimals.chop(1);
  if (intPart.isEmpty())
    intPart = QStringLiteral("0");
  const QString digits = intPart + decimals;
  if (digits.size() > MaxDigits || decimals.size() > PlacesMask)
    return false;
  result.Precision = std::uint8_t(digits.size());
  for (int i = 0; i < digits.size(); ++i)
    SetDigit(result, i, digits[i].digitValue());
  bool zero = digits.count(u'0') == digits.size();
  result.SignSpecialPlaces = std::uint8_t((negative && !zero ? SignBit : 0) | decimals.size());
  return true;
}

TBcd StrToBcd(const QString &text) {
  TBcd result;
  if (!TryStrToBcd(text, result))
    throw EConvertError(QStringLiteral("'%1' is not a valid BCD value").arg(text));
  return result;
}

QString BcdToStr(const TBcd &value) {
  const int places = value.SignSpecialPlaces & PlacesMask;
  const int precision = std::min<int>(value.Precision, MaxDigits);
  QString digits;
  for (int i = 0; i < precision; ++i)
    digits += QChar(u'0' + Digit(value, i));
  while (digits.size() < places + 1)
    digits.prepend(u'0');
  QString intPart = digits.left(digits.size() - places);
  QString decimals = digits.right(places);
  while (intPart.size() > 1 && intPart.startsWith(u'0'))
    intPart.remove(0, 1);
  while (decimals.endsWith(u'0'))
    decimals.chop(1);
  QString out = intPart;
  if (!decimals.isEmpty())
    out += u'.' + decimals;
  if ((value.SignSpecialPlaces & SignBit) && out != QLatin1String("0"))
    out.prepend(u'-');
  return out;
}

TBcd DoubleToBcd(double value) {
  if (!std::isfinite(value))
    throw EConvertError(QStringLiteral("Invalid floating point value for BCD"));
  return StrToBcd(QLocale::c().toString(value, 'f', 15).replace(u'.', FormatSettings().DecimalSeparator));
}

double BcdToDouble(const TBcd &value) { return QLocale::c().toDouble(BcdToStr(value)); }

bool BcdEqual(const TBcd &a, const TBcd &b) { return BcdToStr(a) == BcdToStr(b); }
