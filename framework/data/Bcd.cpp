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
    throw EConvertError(QStringLiteral("'%1' is not a valid BCD value").arg(MessageExcerpt(text)));
  return result;
}

QString BcdToStr(const TBcd &value, QChar point) {
  const int places = value.SignSpecialPlaces & PlacesMask;
  const int precision = std::min<int>(value.Precision, MaxDigits);
  // The digits with leading zeros up to one before the point; built in place, it is read per value shown.
  const int total = std::max(precision, places + 1);
  const int lead = total - precision;
  auto digitAt = [&](int k) { return k < lead ? 0 : Digit(value, k - lead); };
  char16_t out[MaxDigits + PlacesMask + 4];
  int n = 0;
  const int pointAt = total - places;
  int first = 0;
  while (first < pointAt - 1 && digitAt(first) == 0)
    ++first;
  out[n++] = u'-';
  for (int k = first; k < pointAt; ++k)
    out[n++] = char16_t(u'0' + digitAt(k));
  int end = total;
  while (end > pointAt && digitAt(end - 1) == 0)
    --end;
  if (end > pointAt) {
    out[n++] = point.unicode();
    for (int k = pointAt; k < end; ++k)
      out[n++] = char16_t(u'0' + digitAt(k));
  }
  const bool zero = n == 2 && out[1] == u'0';
  const bool negative = (value.SignSpecialPlaces & SignBit) && !zero;
  return QString(reinterpret_cast<const QChar *>(out + (negative ? 0 : 1)), negative ? n : n - 1);
}

TBcd DoubleToBcd(double value) {
  if (!std::isfinite(value))
    throw EConvertError(QStringLiteral("Invalid floating point value for BCD"));
  return StrToBcd(QLocale::c().toString(value, 'f', 15).replace(u'.', FormatSettings().DecimalSeparator));
}

double BcdToDouble(const TBcd &value) { return QLocale::c().toDouble(BcdToStr(value)); }

bool BcdEqual(const TBcd &a, const TBcd &b) { return BcdToStr(a) == BcdToStr(b); }
