#include "woxMemCompare.h"

#include "Bcd.h"
#include "Win1250.h"
#include "woxMemTableError.h"

#include <QCollator>
#include <QLocale>
#include <cmath>
#include <cstring>
#include <map>
#include <mutex>

namespace {

using MemCompare::Read;
using MemCompare::Sign;

// The primary language of a Windows locale number (its low 10 bits) as a Qt locale.
bool LocaleForID(int localeID, QLocale &locale) {
  static const std::map<int, QLocale::Language> languages = {
      {0x04, QLocale::Chinese},    {0x05, QLocale::Czech},           {0x06, QLocale::Danish},
      {0x07, QLocale::German},     {0x08, QLocale::Greek},           {0x09, QLocale::English},
      {0x0A, QLocale::Spanish},    {0x0B, QLocale::Finnish},         {0x0C, QLocale::French},
      {0x0E, QLocale::Hungarian},  {0x10, QLocale::Italian},         {0x11, QLocale::Japanese},
      {0x13, QLocale::Dutch},      {0x14, QLocale::NorwegianBokmal}, {0x15, QLocale::Polish},
      {0x16, QLocale::Portuguese}, {0x18, QLocale::Romanian},        {0x19, QLocale::Russian},
      {0x1A, QLocale::Croatian},   {0x1B, QLocale::Slovak},          {0x1D, QLocale::Swedish},
      {0x1F, QLocale::Turkish},    {0x22, QLocale::Ukrainian},       {0x24, QLocale::Slovenian},
      {0x25, QLocale::Estonian},   {0x26, QLocale::Latvian},         {0x27, QLocale::Lithuanian}};
  const int language = localeID & 0x3FF;
  if (language == 0) { // neutral: the user's default
    locale = QLocale::system();
    return true;
  }
  if (language == 0x7F) {
    locale = QLocale::c();
    return true;
  }
  const auto it = languages.find(language);
  if (it == languages.end())
    return false;
  locale = QLocale(it->second);
  return true;
}

int CompareAsciiCaseInsensitive(const char *a, int aSize, const char *b, int bSize) {
  const int n = std::min(aSize, bSize);
  for (int i = 0; i < n; ++i) {
    auto lower = [](char c) { return static_cast<unsigned char>(c >= 'A' && c <= 'Z' ? char(c + 32) : c); };
    const unsigned char x = lower(a[i]), y = lower(b[i]);
    if (x != y)
      return x < y ? -1 : 1;
  }
  return Sign(aSize, bSize);
}

int CompareBytes(const char *a, int aSize, const char *b, int bSize) {
  const int c = std::memcmp(a, b, std::size_t(std::min(aSize, bSize)));
  return c != 0 ? (c < 0 ? -1 : 1) : Sign(aSize, bSize);
}

int CompareText(const TwoxValueView &a, const TwoxValueView &b, TwoxMemTableCompareOptions options,
                int localeID, bool &fullMatch) {
  int bSize = b.Size;
  if (options.testFlag(mtcoPartialKey)) {
    fullMatch = a.Size == b.Size;
    bSize = std::min(bSize, a.Size);
  }
  const bool caseInsensitive = options.testFlag(mtcoCaseInsensitive);
  if (options.testFlag(mtcoIgnoreLocale))
    return caseInsensitive ? CompareAsciiCaseInsensitive(a.Bytes, a.Size, b.Bytes, bSize)
                           : CompareBytes(a.Bytes, a.Size, b.Bytes, bSize);
  return CompareLocaleText(a.Bytes, a.Size, b.Bytes, bSize, localeID, caseInsensitive);
}

} // namespace

const QCollator &MemCollator(int localeID, bool caseInsensitive) {
  static std::mutex guard;
  static std::map<std::pair<int, bool>, QCollator> collators;
  const std::lock_guard<std::mutex> lock(guard);
  const auto key = std::make_pair(localeID, caseInsensitive);
  auto it = collators.find(key);
  if (it == collators.end()) {
    QLocale locale;
    if (!LocaleForID(localeID, locale))
      MemTableError(QStringLiteral("Invalid locale. %1").arg(localeID));
    QCollator collator(locale);
    collator.setCaseSensitivity(caseInsensitive ? Qt::CaseInsensitive : Qt::CaseSensitive);
    it = collators.emplace(key, collator).first;
  }
  return it->second;
}

int CompareLocaleText(const char *a, int aSize, const char *b, int bSize, int localeID,
                      bool caseInsensitive) {
  const int c =
      MemCollator(localeID, caseInsensitive).compare(Win1250::Decode(a, aSize), Win1250::Decode(b, bSize));
  return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

int CompareBcdValues(const char *x, const char *y) {
  // Compared as currency (four decimals); values that do not convert compare equal.
  const double p = BcdToDouble(Read<TBcd>(x)), q = BcdToDouble(Read<TBcd>(y));
  if (std::isfinite(p) && std::isfinite(q) && std::fabs(p) < 9e14 && std::fabs(q) < 9e14)
    return Sign(std::llround(p * 10000), std::llround(q * 10000));
  return 0;
}

int CompareValues(TFieldType type, const TwoxValueView &a, const TwoxValueView &b,
                  TwoxMemTableCompareOptions options, int localeID, bool &fullMatch) {
  const int result = type == ftString || type == ftFixedChar ? CompareText(a, b, options, localeID, fullMatch)
                                                             : CompareFixedValues(type, a.Bytes, b.Bytes);
  return options.testFlag(mtcoDescending) ? -result : result;
}

bool MatchesAreContiguous(TFieldType type, TwoxMemTableCompareOptions options) {
  const bool text = type == ftString || type == ftFixedChar;
  return !text || !options.testFlag(mtcoPartialKey) || options.testFlag(mtcoIgnoreLocale);
}
