#include "DateTimeUtils.h"

#include "Exceptions.h"
#include "FormatSettings.h"

#include <QLocale>
#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <vector>

namespace {

constexpr qint64 MSecsPerDay = 86400000;
// Days from 0001-01-01 to 1899-12-31.
constexpr int DateDelta = 693594;
const QDate &Epoch() {
  static const QDate epoch(1899, 12, 30);
  return epoch;
}

std::function<QDateTime()> &Clock() {
  static std::function<QDateTime()> clock;
  return clock;
}

QDateTime CurrentDateTime() { return Clock() ? Clock()() : QDateTime::currentDateTime(); }

[[noreturn]] void ConvertError(const QString &text, const char *what) {
  throw EConvertError(
      QStringLiteral("'%1' is not a valid %2").arg(MessageExcerpt(text), QLatin1String(what)));
}

qint64 WholeDays(TDateTime value) { return qint64(std::trunc(value)); }

// Milliseconds of the time of day, rounded (a value that rounds up to midnight stays 23:59:59.999).
int TimeOfDayMSecs(TDateTime value) {
  const double fraction = std::fabs(value - std::trunc(value));
  const qint64 ms = qint64(std::llround(fraction * MSecsPerDay));
  return int(std::min<qint64>(ms, MSecsPerDay - 1));
}

} // namespace

bool IsLeapYear(int year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }

int DaysInMonth(int year, int month) {
  static const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12)
    return 0;
  return month == 2 && IsLeapYear(year) ? 29 : days[month - 1];
}

bool TryEncodeDate(int year, int month, int day, TDateTime &result) {
  if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month))
    return false;
  result = double(Epoch().daysTo(QDate(year, month, day)));
  return true;
}

TDateTime EncodeDate(int year, int month, int day) {
  TDateTime result;
  if (!TryEncodeDate(year, month, day, result))
    throw EConvertError(
        QStringLiteral("Invalid argument to date encode: %1-%2-%3").arg(year).arg(month).arg(day));
  return result;
}

bool TryEncodeTime(int hour, int minute, int second, int msec, TDateTime &result) {
  if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 || msec < 0 ||
      msec > 999)
    return false;
  result = double(((hour * 60 + minute) * 60 + second) * 1000 + msec) / MSecsPerDay;
  return true;
}

TDateTime EncodeTime(int hour, int minute, int second, int msec) {
  TDateTime result;
  if (!TryEncodeTime(hour, minute, second, msec, result))
    throw EConvertError(QStringLiteral("Invalid argument to time encode: %1:%2:%3.%4")
                            .arg(hour)
                            .arg(minute)
                            .arg(second)
                            .arg(msec));
  return result;
}

namespace {

// The proleptic Gregorian date of a count of days from 1970-01-01 (years counted astronomically),
// by whole eras of 400 years: the arithmetic QDate does, without its calendar machinery.
void CivilFromDays(qint64 days, int &year, int &month, int &day) {
  days += 719468; // from 0000-03-01
  const qint64 era = (days >= 0 ? days : days - 146096) / 146097;
  const auto dayOfEra = unsigned(days - era * 146097);
  const unsigned yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const unsigned dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const unsigned shiftedMonth = (5 * dayOfYear + 2) / 153; // 0 = March
  day = int(dayOfYear - (153 * shiftedMonth + 2) / 5 + 1);
  month = int(shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9);
  year = int(qint64(yearOfEra) + era * 400 + (month <= 2 ? 1 : 0));
}

} // namespace

void DecodeDate(TDateTime value, int &year, int &month, int &day) {
  // Dates are decoded for every value shown: years 1 to 9999 by arithmetic, others (QDate has no
  // year 0) by QDate.
  constexpr qint64 DaysFrom1899To1970 = 25569;
  CivilFromDays(WholeDays(value) - DaysFrom1899To1970, year, month, day);
  if (year >= 1 && year <= 9999)
    return;
  const QDate date = DateTimeToQDate(value);
  year = date.year();
  month = date.month();
  day = date.day();
}

void DecodeTime(TDateTime value, int &hour, int &minute, int &second, int &msec) {
  int ms = TimeOfDayMSecs(value);
  msec = ms % 1000;
  ms /= 1000;
  second = ms % 60;
  ms /= 60;
  minute = ms % 60;
  hour = ms / 60;
}

int DayOfWeek(TDateTime value) { return DateTimeToQDate(value).dayOfWeek() % 7 + 1; }

TTimeStamp DateTimeToTimeStamp(TDateTime value) {
  const qint64 ms = std::llround(value * MSecsPerDay);
  TTimeStamp result;
  result.Date = int(DateDelta + ms / MSecsPerDay);
  result.Time = int(std::llabs(ms) % MSecsPerDay);
  return result;
}

TDateTime TimeStampToDateTime(const TTimeStamp &value) {
  qint64 ms = qint64(value.Date - DateDelta) * MSecsPerDay;
  ms = ms >= 0 ? ms + value.Time : ms - value.Time;
  return double(ms) / MSecsPerDay;
}

double TimeStampToMSecs(const TTimeStamp &value) { return double(value.Date) * MSecsPerDay + value.Time; }

TTimeStamp MSecsToTimeStamp(double msecs) {
  const qint64 ms = std::llround(msecs);
  TTimeStamp result;
  result.Date = int(ms / MSecsPerDay);
  result.Time = int(ms % MSecsPerDay);
  return result;
}

QDate DateTimeToQDate(TDateTime value) { return Epoch().addDays(WholeDays(value)); }

QTime DateTimeToQTime(TDateTime value) { return QTime::fromMSecsSinceStartOfDay(TimeOfDayMSecs(value)); }

QDateTime DateTimeToQDateTime(TDateTime value) {
  return QDateTime(DateTimeToQDate(value), DateTimeToQTime(value));
}

TDateTime QDateToDateTime(const QDate &value) { return double(Epoch().daysTo(value)); }

TDateTime QTimeToDateTime(const QTime &value) { return double(value.msecsSinceStartOfDay()) / MSecsPerDay; }

TDateTime QDateTimeToDateTime(const QDateTime &value) {
  const double days = QDateToDateTime(value.date());
  const double time = QTimeToDateTime(value.time());
  return days >= 0 ? days + time : days - time;
}

bool TryVarToDateTime(const QVariant &value, TDateTime &result) {
  switch (value.typeId()) {
  case QMetaType::QDate: result = QDateToDateTime(value.toDate()); return true;
  case QMetaType::QTime: result = QTimeToDateTime(value.toTime()); return true;
  case QMetaType::QDateTime: result = QDateTimeToDateTime(value.toDateTime()); return true;
  case QMetaType::QString: return TryStrToDateTime(value.toString(), result);
  default: {
    bool ok = false;
    result = value.toDouble(&ok);
    return ok;
  }
  }
}

void SetClock(std::function<QDateTime()> clock) { Clock() = std::move(clock); }
TDateTime Now() { return QDateTimeToDateTime(CurrentDateTime()); }
TDateTime Date() { return QDateToDateTime(CurrentDateTime().date()); }
TDateTime Time() { return QTimeToDateTime(CurrentDateTime().time()); }

// ---------------------------------------------------------------- formatting

namespace {

// Whether the ASCII token (lower case) stands at pos, in any case; formats are read once per value
// shown, so this makes no copies.
bool StartsWithCI(const QString &s, int pos, const char *token) {
  for (int k = 0; token[k]; ++k) {
    if (pos + k >= s.size())
      return false;
    char16_t c = s[pos + k].unicode();
    if (c >= u'A' && c <= u'Z')
      c = char16_t(c + 32);
    if (c != char16_t(token[k]))
      return false;
  }
  return true;
}

bool FindsTwelveHourClock(const QString &format) {
  QChar quote;
  for (int i = 0; i < format.size(); ++i) {
    const QChar c = format[i];
    if (!quote.isNull()) {
      if (c == quote)
        quote = QChar();
    } else if (c == u'\'' || c == u'"') {
      quote = c;
    } else if (StartsWithCI(format, i, "am/pm") || StartsWithCI(format, i, "a/p") ||
               StartsWithCI(format, i, "ampm")) {
      return true;
    }
  }
  return false;
}

// The format letters are ASCII: folding ASCII alone spares a call into the Unicode tables.
char16_t AsciiLower(QChar c) {
  const char16_t unit = c.unicode();
  return unit >= u'A' && unit <= u'Z' ? char16_t(unit + 32) : unit;
}

int RunLength(const QString &s, int pos) {
  int n = 1;
  const char16_t first = AsciiLower(s[pos]);
  while (pos + n < s.size() && AsciiLower(s[pos + n]) == first)
    ++n;
  return n;
}

// One step of a date format: a literal, a separator or name from the format settings, a number of
// the value with its width, or a nested format of the settings.
struct TFormatStep {
  enum TKind {
    Literal,
    DateSeparator,
    TimeSeparator,
    AmPmChoice,
    AmPmSettings,
    Year,
    Month,
    MonthShort,
    MonthLong,
    Day,
    DayShort,
    DayLong,
    Hour,
    Minute,
    Second,
    MSec,
    ShortDate,
    LongDate,
    ShortTime,
    LongTime,
    DateAndTime
  };
  TKind Kind;
  int Width = 0;
  QString Text, PmText;     // Literal; AmPmChoice: the morning and the afternoon text
  bool TwelveHours = false; // Hour: the format names the half of the day
};

// A format read once into its steps; a grid formats every shown value by the same few formats.
struct TCompiledFormat {
  std::vector<TFormatStep> Steps;
};

TCompiledFormat CompileFormat(const QString &format) {
  TCompiledFormat compiled;
  const bool twelve = FindsTwelveHourClock(format);
  auto add = [&](TFormatStep::TKind kind, int width = 0) {
    compiled.Steps.push_back({kind, width, {}, {}, twelve});
  };
  auto literal = [&](const QString &text) {
    if (!compiled.Steps.empty() && compiled.Steps.back().Kind == TFormatStep::Literal)
      compiled.Steps.back().Text += text;
    else
      compiled.Steps.push_back({TFormatStep::Literal, 0, text, {}, false});
  };
  bool lastWasHour = false;
  int i = 0;
  while (i < format.size()) {
    const QChar c = format[i];
    const char16_t lc = AsciiLower(c);
    if (c == u'\'' || c == u'"') {
      const int end = format.indexOf(c, i + 1);
      const int stop = end < 0 ? format.size() : end;
      literal(format.mid(i + 1, stop - i - 1));
      i = stop + 1;
      continue;
    }
    if (lc == u'a' && (StartsWithCI(format, i, "am/pm") || StartsWithCI(format, i, "a/p"))) {
      const int len = StartsWithCI(format, i, "am/pm") ? 5 : 3;
      const QStringList parts = format.mid(i, len).split(u'/');
      compiled.Steps.push_back({TFormatStep::AmPmChoice, 0, parts[0], parts[1], false});
      i += len;
      continue;
    }
    if (lc == u'a' && StartsWithCI(format, i, "ampm")) {
      add(TFormatStep::AmPmSettings);
      i += 4;
      continue;
    }
    if (c == u'/' || c == u':') {
      add(c == u'/' ? TFormatStep::DateSeparator : TFormatStep::TimeSeparator);
      ++i;
      continue;
    }
    const int n = RunLength(format, i);
    int used = n;
    bool hour = false;
    if (lc == u'y') {
      add(TFormatStep::Year, n <= 2 ? 2 : 4);
    } else if (lc == u'm' && lastWasHour) {
      add(TFormatStep::Minute, n == 1 ? 1 : 2);
      used = std::min(n, 2);
    } else if (lc == u'm') {
      add(n <= 2 ? TFormatStep::Month : n == 3 ? TFormatStep::MonthShort : TFormatStep::MonthLong, n);
      used = std::min(n, 4);
    } else if (lc == u'd') {
      used = std::min(n, 6);
      const TFormatStep::TKind kinds[] = {TFormatStep::Day,       TFormatStep::Day,
                                          TFormatStep::DayShort,  TFormatStep::DayLong,
                                          TFormatStep::ShortDate, TFormatStep::LongDate};
      add(kinds[used - 1], used);
    } else if (lc == u'h') {
      add(TFormatStep::Hour, n == 1 ? 1 : 2);
      used = std::min(n, 2);
      hour = true;
    } else if (lc == u'n' || lc == u's') {
      add(lc == u'n' ? TFormatStep::Minute : TFormatStep::Second, n == 1 ? 1 : 2);
      used = std::min(n, 2);
    } else if (lc == u'z') {
      add(TFormatStep::MSec, n < 3 ? 1 : 3);
      used = std::min(n, 3);
    } else if (lc == u't') {
      used = std::min(n, 2);
      add(used == 1 ? TFormatStep::ShortTime : TFormatStep::LongTime);
    } else if (lc == u'c') {
      add(TFormatStep::DateAndTime);
      used = 1;
    } else {
      literal(QString(c)); // keeps lastWasHour: "h m" shows minutes
      ++i;
      continue;
    }
    i += used;
    lastWasHour = hour;
  }
  return compiled;
}

// The compiled steps of a format, kept for the last few formats of this thread.
const TCompiledFormat &CompiledFormat(const QString &format) {
  struct TEntry {
    QString Format;
    TCompiledFormat Compiled;
  };
  thread_local std::array<TEntry, 8> recent;
  thread_local std::size_t next = 0;
  // Formats mostly come from the format settings and literals, whose text the entry shares: the same
  // characters in the same place are the same format, without comparing them.
  for (const TEntry &entry : recent)
    if (entry.Format.constData() == format.constData() && entry.Format.size() == format.size() &&
        !entry.Format.isNull())
      return entry.Compiled;
  for (const TEntry &entry : recent)
    if (!entry.Format.isNull() && entry.Format == format)
      return entry.Compiled;
  TEntry &entry = recent[next++ % recent.size()];
  entry.Format = format;
  entry.Compiled = CompileFormat(format);
  return entry.Compiled;
}

// Characters gathered on the stack and made into one text at the end: a formatted date is a dozen
// small pieces, and appending each to a text costs more than writing it.
class TTextBuilder {
public:
  TTextBuilder &operator+=(const QString &text) {
    append(text.constData(), text.size());
    return *this;
  }
  TTextBuilder &operator+=(QChar c) {
    if (FLength == Capacity)
      Spill();
    FBuffer[FLength++] = c;
    return *this;
  }
  void append(const QChar *chars, qsizetype count) {
    if (FLength + count > Capacity)
      Spill();
    if (count > Capacity) {
      FSpilled.append(chars, count);
      return;
    }
    std::copy(chars, chars + count, FBuffer + FLength);
    FLength += count;
  }
  QString Text() {
    if (FSpilled.isEmpty())
      return QString(FBuffer, FLength);
    Spill();
    return FSpilled;
  }

private:
  void Spill() {
    FSpilled.append(FBuffer, FLength);
    FLength = 0;
  }

  static constexpr qsizetype Capacity = 64;
  QChar FBuffer[Capacity];
  qsizetype FLength = 0;
  QString FSpilled;
};

class TDateFormatter {
public:
  TDateFormatter(TDateTime value) : FValue(value) {
    DecodeDate(value, FYear, FMonth, FDay);
    DecodeTime(value, FHour, FMinute, FSecond, FMSec);
  }

  QString Format(const QString &format) {
    TTextBuilder out;
    FormatInto(out, format, 0);
    return out.Text();
  }

private:
  // Appends the value in format; nested formats (c, t, tt, ddddd, dddddd) append to the same text.
  void FormatInto(TTextBuilder &out, const QString &format, int depth) {
    if (format.isEmpty())
      return FormatInto(out, QStringLiteral("c"), depth);
    const TFormatSettings &fs = FormatSettings();
    const TCompiledFormat *compiled = &CompiledFormat(format);
    for (std::size_t k = 0; k < compiled->Steps.size(); ++k) {
      const TFormatStep &step = compiled->Steps[k];
      switch (step.Kind) {
      case TFormatStep::Literal: out += step.Text; break;
      case TFormatStep::DateSeparator: out += fs.DateSeparator; break;
      case TFormatStep::TimeSeparator: out += fs.TimeSeparator; break;
      case TFormatStep::AmPmChoice: out += FHour >= 12 ? step.PmText : step.Text; break;
      case TFormatStep::AmPmSettings: out += FHour >= 12 ? fs.TimePMString : fs.TimeAMString; break;
      case TFormatStep::Year: AppendPadded(out, step.Width == 2 ? FYear % 100 : FYear, step.Width); break;
      case TFormatStep::Month: AppendPadded(out, FMonth, step.Width); break;
      case TFormatStep::MonthShort: out += fs.ShortMonthNames[std::size_t(FMonth - 1)]; break;
      case TFormatStep::MonthLong: out += fs.LongMonthNames[std::size_t(FMonth - 1)]; break;
      case TFormatStep::Day: AppendPadded(out, FDay, step.Width); break;
      case TFormatStep::DayShort: out += fs.ShortDayNames[std::size_t(DayOfWeek(FValue) - 1)]; break;
      case TFormatStep::DayLong: out += fs.LongDayNames[std::size_t(DayOfWeek(FValue) - 1)]; break;
      case TFormatStep::Hour: {
        int h = FHour;
        if (step.TwelveHours) {
          h %= 12;
          if (h == 0)
            h = 12;
        }
        AppendPadded(out, h, step.Width);
        break;
      }
      case TFormatStep::Minute: AppendPadded(out, FMinute, step.Width); break;
      case TFormatStep::Second: AppendPadded(out, FSecond, step.Width); break;
      case TFormatStep::MSec: AppendPadded(out, FMSec, step.Width); break;
      case TFormatStep::ShortDate:
      case TFormatStep::LongDate:
      case TFormatStep::ShortTime:
      case TFormatStep::LongTime:
        if (depth < 2)
          FormatInto(out, NestedFormat(fs, step.Kind), depth + 1);
        // A nested format may have pushed this one out of the cache.
        compiled = &CompiledFormat(format);
        break;
      case TFormatStep::DateAndTime:
        if (depth < 2) {
          FormatInto(out, fs.ShortDateFormat, depth + 1);
          if (FHour || FMinute || FSecond || FMSec) {
            out += u' ';
            FormatInto(out, fs.LongTimeFormat, depth + 1);
          }
        }
        compiled = &CompiledFormat(format);
        break;
      }
    }
  }

  static const QString &NestedFormat(const TFormatSettings &fs, TFormatStep::TKind kind) {
    switch (kind) {
    case TFormatStep::ShortDate: return fs.ShortDateFormat;
    case TFormatStep::LongDate: return fs.LongDateFormat;
    case TFormatStep::ShortTime: return fs.ShortTimeFormat;
    default: return fs.LongTimeFormat;
    }
  }

  // v in decimal with leading zeros to width digits, appended without a temporary text; small
  // enough to be inlined into every step, the longer numbers go to AppendLong.
  static void AppendPadded(TTextBuilder &out, int v, int width) {
    // Days, months, hours, minutes and seconds: two digits at most, written without the loop.
    if (v >= 0 && v < 100 && width <= 2) [[likely]] {
      if (width == 2 || v >= 10)
        out += QChar(u'0' + v / 10);
      out += QChar(u'0' + v % 10);
      return;
    }
    AppendLong(out, v, width);
  }

  static void AppendLong(TTextBuilder &out, int v, int width) {
    if (v < 0) {
      out += QStringLiteral("%1").arg(v, width, 10, QLatin1Char('0'));
      return;
    }
    char16_t digits[12];
    int n = 0;
    do {
      digits[n++] = char16_t(u'0' + v % 10);
      v /= 10;
    } while (v > 0);
    while (n < width && n < 12)
      digits[n++] = u'0';
    std::reverse(digits, digits + n);
    out.append(reinterpret_cast<const QChar *>(digits), n);
  }

  TDateTime FValue;
  int FYear, FMonth, FDay, FHour, FMinute, FSecond, FMSec;
};

} // namespace

QString FormatDateTime(const QString &format, TDateTime value) {
  return TDateFormatter(value).Format(format);
}

QString DateToStr(TDateTime value) { return FormatDateTime(FormatSettings().ShortDateFormat, value); }
QString TimeToStr(TDateTime value) { return FormatDateTime(FormatSettings().LongTimeFormat, value); }
QString DateTimeToStr(TDateTime value) { return FormatDateTime(QStringLiteral("c"), value); }

// ---------------------------------------------------------------- parsing

namespace {

// The digit's value, or -1; ASCII digits without a call into the Unicode tables.
int DigitValue(QChar c) {
  const char16_t unit = c.unicode();
  if (unit >= u'0' && unit <= u'9')
    return unit - u'0';
  return unit < 0x80 || !c.isDigit() ? -1 : c.digitValue();
}

bool ReadNumber(QStringView s, int &pos, int &value, int maxDigits = 4) {
  int digits = 0;
  value = 0;
  for (int digit; pos < s.size() && digits < maxDigits && (digit = DigitValue(s[pos])) >= 0; ++pos, ++digits)
    value = value * 10 + digit;
  return digits > 0;
}

int ExpandYear(int year, int digits) {
  if (digits > 2)
    return year;
  const int window = CurrentDateTime().date().year() - 50;
  year += window / 100 * 100;
  if (year < window)
    year += 100;
  return year;
}

// The order of day (d), month (m) and year (y) in ShortDateFormat.
const QString &DateOrder() {
  // Dates are read by the thousand in a load: the order is worked out once per format.
  thread_local QString format, order;
  const QString &shortDateFormat = FormatSettings().ShortDateFormat;
  if (order.isEmpty() || format != shortDateFormat) {
    QString found;
    for (const QChar c : shortDateFormat) {
      const QChar l = c.toLower();
      if ((l == u'd' || l == u'm' || l == u'y') && !found.contains(l))
        found += l;
    }
    format = shortDateFormat;
    order = found.size() == 3 ? found : QStringLiteral("dmy");
  }
  return order;
}

// Reads a date at pos; leaves pos after it.
bool ScanDate(QStringView s, int &pos, TDateTime &result) {
  const QChar sep = FormatSettings().DateSeparator;
  int parts[3] = {0, 0, 0};
  int digits[3] = {0, 0, 0};
  int count = 0;
  while (count < 3) {
    const int start = pos;
    if (!ReadNumber(s, pos, parts[count]))
      return false;
    digits[count] = pos - start;
    ++count;
    if (pos < s.size() && s[pos] == sep && count < 3)
      ++pos;
    else
      break;
  }
  if (count < 2)
    return false;
  const QString &order = DateOrder();
  int day = 0, month = 0, year = 0;
  if (count == 2) {
    // Day and month in their order, this year (the clock is read only then: it is slow).
    const QString dm = QString(order).remove(u'y');
    day = parts[dm.indexOf(u'd')];
    month = parts[dm.indexOf(u'm')];
    year = CurrentDateTime().date().year();
  } else {
    day = parts[order.indexOf(u'd')];
    month = parts[order.indexOf(u'm')];
    const int y = order.indexOf(u'y');
    year = ExpandYear(parts[y], digits[y]);
  }
  return TryEncodeDate(year, month, day, result);
}

bool ScanTime(QStringView s, int &pos, TDateTime &result) {
  const QChar sep = FormatSettings().TimeSeparator;
  int hour = 0, minute = 0, second = 0, msec = 0;
  if (!ReadNumber(s, pos, hour, 2))
    return false;
  if (pos < s.size() && s[pos] == sep) {
    ++pos;
    if (!ReadNumber(s, pos, minute, 2))
      return false;
    if (pos < s.size() && s[pos] == sep) {
      ++pos;
      if (!ReadNumber(s, pos, second, 2))
        return false;
      if (pos < s.size() && (s[pos] == FormatSettings().DecimalSeparator || s[pos] == u'.')) {
        ++pos;
        if (!ReadNumber(s, pos, msec, 3))
          return false;
      }
    }
  }
  while (pos < s.size() && s[pos].isSpace())
    ++pos;
  const QStringView rest = s.mid(pos).trimmed();
  const TFormatSettings &fs = FormatSettings();
  auto is = [&](const QString &word) {
    return !word.isEmpty() && rest.startsWith(word, Qt::CaseInsensitive);
  };
  bool pm = false, twelve = false;
  for (const QString &word : {fs.TimeAMString, QStringLiteral("AM"), QStringLiteral("A")})
    if (!twelve && is(word)) {
      twelve = true;
      pos += int(word.size());
    }
  for (const QString &word : {fs.TimePMString, QStringLiteral("PM"), QStringLiteral("P")})
    if (!twelve && is(word)) {
      twelve = true;
      pm = true;
      pos += int(word.size());
    }
  if (twelve) {
    if (hour < 1 || hour > 12)
      return false;
    hour = hour % 12 + (pm ? 12 : 0);
  }
  return TryEncodeTime(hour, minute, second, msec, result);
}

bool AtEnd(QStringView s, int pos) { return s.mid(pos).trimmed().isEmpty(); }

} // namespace

bool TryStrToDate(const QString &text, TDateTime &result) {
  // Views, not copies: a load reads dates by the thousand.
  const QStringView s = QStringView(text).trimmed();
  int pos = 0;
  return ScanDate(s, pos, result) && AtEnd(s, pos);
}

bool TryStrToTime(const QString &text, TDateTime &result) {
  const QStringView s = QStringView(text).trimmed();
  int pos = 0;
  return ScanTime(s, pos, result) && AtEnd(s, pos);
}

bool TryStrToDateTime(const QString &text, TDateTime &result) {
  const QStringView s = QStringView(text).trimmed();
  int pos = 0;
  TDateTime date = 0, time = 0;
  if (!ScanDate(s, pos, date)) {
    pos = 0;
    if (!ScanTime(s, pos, time) || !AtEnd(s, pos))
      return false;
    result = time;
    return true;
  }
  while (pos < s.size() && s[pos].isSpace())
    ++pos;
  if (pos < s.size() && (!ScanTime(s, pos, time) || !AtEnd(s, pos)))
    return false;
  result = date >= 0 ? date + time : date - time;
  return true;
}

TDateTime StrToDate(const QString &text) {
  TDateTime result;
  if (!TryStrToDate(text, result))
    ConvertError(text, "date");
  return result;
}

TDateTime StrToTime(const QString &text) {
  TDateTime result;
  if (!TryStrToTime(text, result))
    ConvertError(text, "time");
  return result;
}

TDateTime StrToDateTime(const QString &text) {
  TDateTime result;
  if (!TryStrToDateTime(text, result))
    ConvertError(text, "date and time");
  return result;
}

// ---------------------------------------------------------------- numbers

QString FloatToStr(double value) {
  QString s = QString::number(value, 'g', 15);
  const int e = s.indexOf(u'e');
  if (e >= 0) {
    QString exponent = s.mid(e + 1);
    const bool negative = exponent.startsWith(u'-');
    exponent.remove(u'+').remove(u'-');
    while (exponent.size() > 1 && exponent.startsWith(u'0'))
      exponent.remove(0, 1);
    s = s.left(e) + u'E' + (negative ? QStringLiteral("-") : QString()) + exponent;
  }
  return s.replace(u'.', FormatSettings().DecimalSeparator);
}

namespace {

// Plain numbers ([sign] digits [. digits] [e [sign] digits]) without the locale machinery, which
// costs more than the rest of a CSV load; false leaves anything else to the full conversion.
bool TryPlainFloat(QStringView text, QChar decimalSeparator, double &result) {
  char buffer[64];
  const qsizetype size = text.size();
  if (size == 0 || size >= qsizetype(sizeof buffer))
    return false;
  qsizetype start = text.at(0) == u'+' ? 1 : 0;
  for (qsizetype i = 0; i < size; ++i) {
    char16_t c = text.at(i).unicode();
    if (c == decimalSeparator.unicode())
      c = u'.';
    if (!((c >= u'0' && c <= u'9') || c == u'.' || c == u'-' || c == u'+' || c == u'e' || c == u'E'))
      return false;
    buffer[i] = char(c);
  }
  if (start == 1 && (size == 1 || buffer[1] == '-' || buffer[1] == '+'))
    return false;
  const std::from_chars_result parsed = std::from_chars(buffer + start, buffer + size, result);
  return parsed.ec == std::errc() && parsed.ptr == buffer + size;
}

} // namespace

bool TryStrToFloat(const QString &text, double &result) {
  const QStringView trimmed = QStringView(text).trimmed();
  if (trimmed.isEmpty())
    return false;
  if (TryPlainFloat(trimmed, FormatSettings().DecimalSeparator, result))
    return std::isfinite(result);
  QString s = trimmed.toString();
  s.replace(FormatSettings().DecimalSeparator, u'.');
  bool ok = false;
  result = QLocale::c().toDouble(s, &ok);
  return ok && std::isfinite(result);
}

double StrToFloat(const QString &text) {
  double result;
  if (!TryStrToFloat(text, result))
    ConvertError(text, "floating point value");
  return result;
}

namespace {

std::vector<QString> FormatSections(const QString &format) {
  std::vector<QString> sections(1);
  QChar quote;
  for (const QChar c : format) {
    if (!quote.isNull()) {
      if (c == quote)
        quote = QChar();
    } else if (c == u'\'' || c == u'"') {
      quote = c;
    } else if (c == u';') {
      sections.emplace_back();
      continue;
    }
    sections.back() += c;
  }
  return sections;
}

struct TNumberPattern {
  QString Prefix, Suffix;
  int IntZeros = 0;    // '0' placeholders before the point
  int MinDecimals = 0; // '0' after the point
  int MaxDecimals = 0; // '0' and '#' after the point
  bool Thousands = false;
  bool Scientific = false;
  bool ExponentSign = false; // E+ always shows the sign
  int ExponentDigits = 0;
};

TNumberPattern ParsePattern(const QString &section) {
  TNumberPattern p;
  bool inNumber = false, afterPoint = false, done = false;
  QChar quote;
  for (int i = 0; i < section.size(); ++i) {
    const QChar c = section[i];
    if (!quote.isNull()) {
      if (c == quote)
        quote = QChar();
      else
        (inNumber || done ? p.Suffix : p.Prefix) += c;
      continue;
    }
    if (c == u'\'' || c == u'"') {
      quote = c;
      continue;
    }
    const bool placeholder = c == u'0' || c == u'#';
    if (!done && (placeholder || (c == u'.') || (c == u',' && inNumber))) {
      inNumber = true;
      if (c == u'.')
        afterPoint = true;
      else if (c == u',')
        p.Thousands = true;
      else if (afterPoint) {
        ++p.MaxDecimals;
        if (c == u'0')
          p.MinDecimals = p.MaxDecimals;
      } else if (c == u'0')
        ++p.IntZeros;
      continue;
    }
    if (!done && inNumber && (c == u'E' || c == u'e') && i + 1 < section.size() &&
        (section[i + 1] == u'+' || section[i + 1] == u'-')) {
      p.Scientific = true;
      p.ExponentSign = section[i + 1] == u'+';
      i += 2;
      while (i < section.size() && section[i] == u'0') {
        ++p.ExponentDigits;
        ++i;
      }
      --i;
      done = true;
      continue;
    }
    if (inNumber)
      done = true;
    (done ? p.Suffix : p.Prefix) += c;
  }
  return p;
}

QString GroupThousands(const QString &digits) {
  QString out;
  const int n = int(digits.size());
  for (int i = 0; i < n; ++i) {
    if (i > 0 && (n - i) % 3 == 0)
      out += FormatSettings().ThousandSeparator;
    out += digits[i];
  }
  return out;
}

QString FormatMagnitude(const TNumberPattern &p, double magnitude) {
  int exponent = 0;
  if (p.Scientific && magnitude != 0) {
    exponent = int(std::floor(std::log10(magnitude))) - std::max(p.IntZeros, 1) + 1;
    magnitude /= std::pow(10.0, exponent);
  }
  QString fixed = QString::number(magnitude, 'f', p.MaxDecimals);
  QString intPart = fixed.section(u'.', 0, 0);
  QString decimals = fixed.section(u'.', 1);
  while (decimals.size() > p.MinDecimals && decimals.endsWith(u'0'))
    decimals.chop(1);
  if (intPart == QLatin1String("0"))
    intPart.clear();
  while (intPart.size() < p.IntZeros)
    intPart.prepend(u'0');
  if (p.Thousands)
    intPart = GroupThousands(intPart);
  QString out = intPart;
  if (!decimals.isEmpty())
    out += FormatSettings().DecimalSeparator + decimals;
  if (p.Scientific) {
    QString e = QString::number(std::abs(exponent));
    while (e.size() < p.ExponentDigits)
      e.prepend(u'0');
    out += u'E' +
           QString(exponent < 0 ? QStringLiteral("-") : (p.ExponentSign ? QStringLiteral("+") : QString())) +
           e;
  }
  return out;
}

} // namespace

QString FormatFloat(const QString &format, double value) {
  if (format.isEmpty())
    return FloatToStr(value);
  const std::vector<QString> sections = FormatSections(format);
  std::size_t index = 0;
  if (value < 0 && sections.size() > 1 && !sections[1].isEmpty())
    index = 1;
  // A value that shows as zero in the first section is formatted as zero (no sign, zero section).
  const int decimals = ParsePattern(sections[0]).MaxDecimals;
  const bool roundsToZero = QString::number(std::fabs(value), 'f', decimals).toDouble() == 0;
  if (roundsToZero && sections.size() > 2 && !sections[2].isEmpty())
    index = 2;
  const TNumberPattern p = ParsePattern(sections[index]);
  const QString number = FormatMagnitude(p, std::fabs(value));
  const bool sign = value < 0 && index == 0 && !roundsToZero;
  return p.Prefix + (sign ? QStringLiteral("-") : QString()) + number + p.Suffix;
}
