#include "IBSQLText.h"

namespace IBSQLText {

namespace {

bool IsNameChar(QChar c) { return c.isLetterOrNumber() || c == u'_' || c == u'$'; }

// q'{text}': the character after the quote opens the literal, its counterpart (or itself) and a
// quote close it. Only where a word starts: inside a name the quote begins an ordinary literal.
qsizetype SkipAlternativeLiteral(const QString &sql, qsizetype pos) {
  const qsizetype n = sql.size();
  if (pos + 2 >= n || sql.at(pos + 1) != u'\'' || (pos > 0 && IsNameChar(sql.at(pos - 1))))
    return pos;
  static const QString opening = QStringLiteral("([{<"), closing = QStringLiteral(")]}>");
  const QChar open = sql.at(pos + 2);
  const qsizetype pair = opening.indexOf(open);
  const QString end = QString(pair >= 0 ? closing.at(pair) : open) + u'\'';
  const qsizetype found = sql.indexOf(end, pos + 3);
  return found < 0 ? n : found + 2;
}

} // namespace

qsizetype SkipLiteralOrComment(const QString &sql, qsizetype pos) {
  const qsizetype n = sql.size();
  const QChar c = sql.at(pos);
  if (c == u'q' || c == u'Q')
    return SkipAlternativeLiteral(sql, pos);
  if (c == u'\'' || c == u'"') {
    // A doubled quote stands for itself inside the literal.
    qsizetype i = pos + 1;
    while (i < n) {
      if (sql.at(i) == c) {
        if (i + 1 < n && sql.at(i + 1) == c) {
          i += 2;
          continue;
        }
        return i + 1;
      }
      ++i;
    }
    return n;
  }
  if (c == u'-' && pos + 1 < n && sql.at(pos + 1) == u'-') {
    // The server ends a line comment at a lone CR as well.
    qsizetype end = pos + 2;
    while (end < n && sql.at(end) != u'\n' && sql.at(end) != u'\r')
      ++end;
    return end < n ? end + 1 : n;
  }
  if (c == u'/' && pos + 1 < n && sql.at(pos + 1) == u'*') {
    const qsizetype end = sql.indexOf(QStringLiteral("*/"), pos + 2);
    return end < 0 ? n : end + 2;
  }
  return pos;
}

TParsedSQL PreprocessParams(const QString &sql) {
  TParsedSQL result;
  result.Text.reserve(sql.size());
  const qsizetype n = sql.size();
  qsizetype i = 0;
  while (i < n) {
    const qsizetype skipped = SkipLiteralOrComment(sql, i);
    if (skipped != i) {
      result.Text += QStringView(sql).mid(i, skipped - i);
      i = skipped;
      continue;
    }
    const QChar c = sql.at(i);
    if (c == u'?') {
      result.Names.append(QString());
      result.Text += u'?';
      ++i;
      continue;
    }
    if (c == u':' && i + 1 < n && sql.at(i + 1) == u'"') {
      const qsizetype end = SkipLiteralOrComment(sql, i + 1);
      result.Names.append(sql.mid(i + 2, end - i - 3).replace(QStringLiteral("\"\""), QStringLiteral("\"")));
      result.Text += u'?';
      i = end;
      continue;
    }
    if (c == u':' && i + 1 < n && IsNameChar(sql.at(i + 1))) {
      qsizetype end = i + 1;
      while (end < n && IsNameChar(sql.at(end)))
        ++end;
      result.Names.append(sql.mid(i + 1, end - i - 1).toUpper());
      result.Text += u'?';
      i = end;
      continue;
    }
    result.Text += c;
    ++i;
  }
  return result;
}

} // namespace IBSQLText
