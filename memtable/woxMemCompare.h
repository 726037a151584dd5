#pragma once

#include "woxMemCommon.h"
#include "woxMemFieldList.h"

#include <cstring>

class QCollator;

// The collator of a Windows locale number (its primary language); raises "Invalid locale. <n>" for a
// locale it does not know.
const QCollator &MemCollator(int localeID, bool caseInsensitive);

// Compares two Windows-1250 texts by the collation of a Windows locale number.
int CompareLocaleText(const char *a, int aSize, const char *b, int bSize, int localeID, bool caseInsensitive);

namespace MemCompare {

template <class T> int Sign(T a, T b) { return a < b ? -1 : (b < a ? 1 : 0); }

template <class T> T Read(const char *p) {
  T value;
  std::memcpy(&value, p, sizeof value);
  return value;
}

// A stored value of a whole-number type (Boolean as 0 or 1, dates and times as their 32-bit count).
inline qint64 StoredInteger(TFieldType type, const char *bytes) {
  switch (type) {
  case ftSmallint: return Read<qint16>(bytes);
  case ftWord: return Read<quint16>(bytes);
  case ftBoolean: return Read<qint16>(bytes) != 0;
  case ftLargeint: return Read<qint64>(bytes);
  default: return Read<qint32>(bytes);
  }
}

} // namespace MemCompare

// Compares two native BCD values as currency.
int CompareBcdValues(const char *x, const char *y);

// Compares two native values of a fixed-size type (not text): -1, 0 or 1. Inline, since index
// searches compare keys of this kind many times a record.
inline int CompareFixedValues(TFieldType type, const char *x, const char *y) {
  using MemCompare::Read;
  using MemCompare::Sign;
  switch (type) {
  case ftSmallint: return Sign(Read<qint16>(x), Read<qint16>(y));
  case ftInteger:
  case ftAutoInc:
  case ftDate:
  case ftTime: return Sign(Read<qint32>(x), Read<qint32>(y));
  case ftWord: return Sign(Read<quint16>(x), Read<quint16>(y));
  case ftBoolean: return Sign(Read<qint16>(x) != 0, Read<qint16>(y) != 0);
  case ftFloat:
  case ftCurrency:
  case ftDateTime: return Sign(Read<double>(x), Read<double>(y));
  case ftLargeint: return Sign(Read<qint64>(x), Read<qint64>(y));
  case ftBCD: return CompareBcdValues(x, y);
  default: return 0;
  }
}

// Compares key value a with record value b, both stored values (not null) of a field of that type.
// fullMatch turns False when a text matched only as a prefix (mtcoPartialKey).
int CompareValues(TFieldType type, const TwoxValueView &a, const TwoxValueView &b,
                  TwoxMemTableCompareOptions options, int localeID, bool &fullMatch);

// Whether the records that match a key with these options form one run in the order of an index
// with the same options: a text prefix does so only in byte or ASCII order, not under a collation
// (where "ab" may sort between "Aa" and "Ab").
bool MatchesAreContiguous(TFieldType type, TwoxMemTableCompareOptions options);
