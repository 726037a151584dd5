#include "MxDateUtil.h"

#include "Exceptions.h"
#include "FormatSettings.h"

#include <cmath>

unsigned char CenturyOffset = 60;

bool &FourDigitYear() {
  static bool value = FormatSettings().ShortDateFormat.toUpper().contains(QStringLiteral("YYYY"));
  return value;
}

int DaysPerMonth(int year, int month) { return month < 1 || month > 12 ? 0 : DaysInMonth(year, month); }

bool ValidDate(int year, int month, int day) {
  return year >= 1 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 &&
         day <= DaysPerMonth(year, month);
}

bool ValidDateValue(TDateTime date) {
  const QDate decoded = DateTimeToQDate(date);
  return decoded.isValid() && ValidDate(decoded.year(), decoded.month(), decoded.day());
}

int CurrentYear() {
  int year, month, day;
  DecodeDate(Date(), year, month, day);
  return year;
}

TDateOrder GetDateOrder(const QString &dateFormat) {
  for (QChar c : dateFormat) {
    switch (c.toUpper().unicode()) {
    case u'D': return doDMY;
    case u'E':
    case u'Y': return doYMD;
    case u'M': return doMDY;
    default: break;
    }
  }
  return doDMY;
}

int ExpandYear(int year) {
  if (year >= 100)
    return year;
  const int window = CenturyOffset;
  const int start = CurrentYear() - window;
  int result = year + (start / 100) * 100;
  if (window > 0 && start > result)
    result += 100;
  return result;
}

namespace {

void SkipBlanks(const QString &s, int &pos) {
  while (pos < s.size() && s[pos] == u' ')
    ++pos;
}

bool ScanNumber(const QString &s, int &pos, int &number) {
  SkipBlanks(s, pos);
  int value = 0, digits = 0;
  while (pos < s.size() && s[pos].isDigit() && s[pos].unicode() < 128 && value < 1000) {
    value = value * 10 + (s[pos].unicode() - u'0');
    ++pos;
    ++digits;
  }
  number = value;
  return digits > 0;
}

bool ScanChar(const QString &s, int &pos, QChar c) {
  SkipBlanks(s, pos);
  if (pos < s.size() && s[pos] == c) {
    ++pos;
    return true;
  }
  return false;
}

// The characters of s at the positions where the format holds the letter run, blanks left out.
QString ExtractField(const QString &upperFormat, const QString &s, const QString &run) {
  const qsizetype start = upperFormat.indexOf(run);
  if (start < 0)
    return QString();
  QString field;
  for (qsizetype i = start;
       i < upperFormat.size() && upperFormat[i] == run[0] && i < s.size() && field.size() < 20; ++i)
    if (s[i] != u' ')
      field += s[i];
  return field;
}

int FieldNumber(const QString &field) {
  bool ok = false;
  const int value = field.toInt(&ok);
  return ok ? value : -1;
}

} // namespace

bool ScanDate(const QString &s, const QString &dateFormat, int &pos, int &year, int &month, int &day) {
  const TDateOrder order = GetDateOrder(dateFormat);
  const TFormatSettings &settings = FormatSettings();
  if (settings.ShortDateFormat.startsWith(u'g'))
    while (pos < s.size() && !s[pos].isDigit())
      ++pos;
  const QChar separator = settings.DateSeparator;
  int n1 = 0, n2 = 0, n3 = 0;
  if (!ScanNumber(s, pos, n1) || !ScanChar(s, pos, separator) || !ScanNumber(s, pos, n2))
    return false;
  int y, m, d;
  if (ScanChar(s, pos, separator)) {
    if (!ScanNumber(s, pos, n3))
      return false;
    switch (order) {
    case doMDY: m = n1, d = n2, y = n3; break;
    case doDMY: d = n1, m = n2, y = n3; break;
    default: y = n1, m = n2, d = n3; break;
    }
    y = ExpandYear(y);
  } else {
    y = CurrentYear();
    if (order == doDMY)
      d = n1, m = n2;
    else
      m = n1, d = n2;
  }
  ScanChar(s, pos, separator);
  SkipBlanks(s, pos);
  if (!ValidDate(y, m, d) || pos < s.size())
    return false;
  year = y, month = m, day = d;
  return true;
}

int MonthFromName(const QString &s, int maxLen) {
  if (s.isEmpty())
    return 0;
  const QString prefix = s.left(maxLen);
  for (int month = 1; month <= 12; ++month) {
    const QString name = FormatSettings().LongMonthNames[month - 1].left(maxLen);
    if (QString::compare(name, prefix, Qt::CaseInsensitive) == 0)
      return month;
  }
  return 0;
}

bool ScanDateStr(const QString &dateFormat, const QString &s, int &day, int &month, int &year) {
  const QString format = dateFormat.toUpper();
  int d = 1, m = 0, y = CurrentYear();
  if (s.size() <= format.size()) {
    const QString text = s.left(format.size());
    const QString monthName = ExtractField(format, text, QStringLiteral("MMM"));
    m = format.contains(QStringLiteral("MMM")) ? MonthFromName(monthName, static_cast<int>(monthName.size()))
                                               : 0;
    if (format.contains(QStringLiteral("MMM")) && m == 0)
      m = -1;
    if (m == 0)
      m = FieldNumber(ExtractField(format, text, QStringLiteral("M")));
    if (format.contains(u'D'))
      d = FieldNumber(ExtractField(format, text, QStringLiteral("D")));
    if (format.contains(u'Y'))
      y = FieldNumber(ExtractField(format, text, QStringLiteral("Y")));
    // An empty year field (-1) stays invalid instead of being moved into the century window.
    if (y >= 0)
      y = ExpandYear(y);
  }
  if (ValidDate(y, m, d)) {
    day = d, month = m, year = y;
    return true;
  }
  int pos = 0;
  return ScanDate(s, dateFormat, pos, year, month, day);
}

TDateTime StrToDateFmt(const QString &dateFormat, const QString &s) {
  if (s.isEmpty())
    return NullDate;
  int day = 0, month = 0, year = 0;
  TDateTime result = NullDate;
  if (!ScanDateStr(dateFormat, s, day, month, year) || !TryEncodeDate(year, month, day, result))
    throw EConvertError(QStringLiteral("'%1' is not a valid date").arg(s));
  return result;
}

TDateTime StrToDateFmtDef(const QString &dateFormat, const QString &s, TDateTime defaultDate) {
  try {
    return StrToDateFmt(dateFormat, s);
  } catch (const EConvertError &) {
    return std::trunc(defaultDate);
  }
}

QString DefDateFormat(bool fourDigitYear) {
  switch (GetDateOrder(FormatSettings().ShortDateFormat)) {
  case doMDY: return fourDigitYear ? QStringLiteral("MM/DD/YYYY") : QStringLiteral("MM/DD/YY");
  case doDMY: return fourDigitYear ? QStringLiteral("DD/MM/YYYY") : QStringLiteral("DD/MM/YY");
  default: return fourDigitYear ? QStringLiteral("YYYY/MM/DD") : QStringLiteral("YY/MM/DD");
  }
}

QString DefDateMask(QChar blanksChar, bool fourDigitYear) {
  QString mask;
  if (!fourDigitYear)
    mask = QStringLiteral("!99/99/99;1;");
  else if (GetDateOrder(FormatSettings().ShortDateFormat) == doYMD)
    mask = QStringLiteral("!9999/99/99;1;");
  else
    mask = QStringLiteral("!99/99/9999;1;");
  return mask + blanksChar;
}
