#include "StrUtils.h"

bool AllCharsInSet(const QString &s, const TCharSet &chars) {
  for (QChar c : s)
    if (!chars.contains(c))
      return false;
  return true;
}

QString ReplaceStr(const QString &s, const QString &search, const QString &replacement) {
  if (search.isEmpty())
    return s;
  QString result;
  qsizetype from = 0;
  for (qsizetype at = s.indexOf(search); at >= 0; at = s.indexOf(search, from)) {
    result += QStringView(s).mid(from, at - from);
    result += replacement;
    from = at + search.size();
  }
  result += QStringView(s).mid(from);
  return result;
}

QString MakeStr(QChar c, int n) { return n < 1 ? QString() : QString(n, c); }

int WordPosition(int n, const QString &s, const TCharSet &delimiters) {
  int count = 0;
  qsizetype i = 0;
  while (i < s.size()) {
    while (i < s.size() && delimiters.contains(s[i]))
      ++i;
    if (i < s.size()) {
      if (++count == n)
        return static_cast<int>(i) + 1;
      while (i < s.size() && !delimiters.contains(s[i]))
        ++i;
    }
  }
  return 0;
}

QString ExtractWord(int n, const QString &s, const TCharSet &delimiters) {
  const int position = WordPosition(n, s, delimiters);
  if (position == 0)
    return QString();
  qsizetype end = position - 1;
  while (end < s.size() && !delimiters.contains(s[end]))
    ++end;
  return s.mid(position - 1, end - (position - 1));
}

QString UnquoteIfQuoted(const QString &s, QChar quote) {
  if (s.isEmpty() || s[0] != quote)
    return s;
  QString inner;
  for (qsizetype i = 1; i < s.size(); ++i) {
    if (s[i] != quote) {
      inner += s[i];
    } else if (i + 1 < s.size() && s[i + 1] == quote) {
      inner += quote;
      ++i;
    } else {
      return i == s.size() - 1 ? inner : s;
    }
  }
  return s;
}
