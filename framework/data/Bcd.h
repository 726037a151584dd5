#pragma once

#include <QString>
#include <cstdint>

// Packed decimal number, the native format of BCD fields: precision (digits), sign in bit 7 and
// decimal places in bits 0-5 of SignSpecialPlaces, then two digits per byte (high nibble first).
struct TBcd {
  std::uint8_t Precision = 0;
  std::uint8_t SignSpecialPlaces = 0;
  std::uint8_t Fraction[32] = {};
};
static_assert(sizeof(TBcd) == 34);

// Raises EConvertError for text that is not a decimal number ('.' or the format decimal separator).
TBcd StrToBcd(const QString &text);
bool TryStrToBcd(const QString &text, TBcd &result);
// Plain digits with point ('.' unless given) as the decimal point, no exponent.
QString BcdToStr(const TBcd &value, QChar point = u'.');
TBcd DoubleToBcd(double value);
double BcdToDouble(const TBcd &value);
bool BcdEqual(const TBcd &a, const TBcd &b);
