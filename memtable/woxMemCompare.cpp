#include "woxMemCompare.h"

#include "Bcd.h"
#include "Win1250.h"
#include "woxMemTableError.h"

#include <QCollator>
#include <QLocale>
#include <cstring>
#include <map>
#include <mutex>

namespace {

template <class T> int Sign(T a, T b) { return a < b ? -1 : (b < a ? 1 : 0); }

template <class T> T Read(const char *p) {
  T value;
  std::memcpy(&value, p, sizeof value);
  return value;
}

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

const QCollator &CollatorFor(int localeID, bool caseInsensitive) {
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

int CompareAsciiCaseInsensitive(const QByteArray &a, const QByteArray &b) {
  const qsizetype n = std::min(a.size(), b.size());
  for (qsizetype i = 0; i < n; ++i) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c + 32) : c; };
    const unsigned char x = static_cast<unsigned char>(lower(a[i])),
                        y = static_cast<unsigned char>(lower(b[i]));
    if (x != y)
      return x < y ? -1 : 1;
  }
  return Sign(a.size(), b.size());
}

int CompareText(const char *a, const char *b, TwoxMemTableCompareOptions options, int localeID,
                bool &fullMatch) {
  QByteArray left(a), right(b);
  if (options.testFlag(mtcoPartialKey)) {
    fullMatch = left.size() == right.size();
    right.truncate(left.size());
  }
  const bool caseInsensitive = options.testFlag(mtcoCaseInsensitive);
  if (options.testFlag(mtcoIgnoreLocale)) {
    if (caseInsensitive)
      return CompareAsciiCaseInsensitive(left, right);
    const int c =
        std::memcmp(left.constData(), right.constData(), std::size_t(std::min(left.size(), right.size())));
    return c != 0 ? (c < 0 ? -1 : 1) : Sign(left.size(), right.size());
  }
  return CompareLocaleText(left.constData(), right.constData(), localeID, caseInsensitive);
}

} // namespace

int CompareLocaleText(const char *a, const char *b, int localeID, bool caseInsensitive) {
  const int c = CollatorFor(localeID, caseInsensitive).compare(Win1250::Decode(a), Win1250::Decode(b));
  return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

int CompareNativeValues(TFieldType type, const char *a, const char *b, TwoxMemTableCompareOptions options,
                        int localeID, bool &fullMatch) {
  int result = 0;
  switch (type) {
  case ftString:
  case ftFixedChar: result = CompareText(a, b, options, localeID, fullMatch); break;
  case ftSmallint: result = Sign(Read<qint16>(a), Read<qint16>(b)); break;
  case ftInteger:
  case ftAutoInc:
  case ftDate:
  case ftTime: result = Sign(Read<qint32>(a), Read<qint32>(b)); break;
  case ftWord: result = Sign(Read<quint16>(a), Read<quint16>(b)); break;
  case ftBoolean: result = Sign(Read<qint16>(a) != 0, Read<qint16>(b) != 0); break;
  case ftFloat:
  case ftCurrency:
  case ftDateTime: result = Sign(Read<double>(a), Read<double>(b)); break;
  case ftLargeint: result = Sign(Read<qint64>(a), Read<qint64>(b)); break;
  case ftBCD: {
    // Compared as currency (four decimals); values that do not convert compare equal.
    const double x = BcdToDouble(Read<TBcd>(a)), y = BcdToDouble(Read<TBcd>(b));
    if (std::isfinite(x) && std::isfinite(y))
      result = Sign(std::llround(x * 10000), std::llround(y * 10000));
    break;
  }
  default: break;
  }
  return options.testFlag(mtcoDescending) ? -result : result;
}
