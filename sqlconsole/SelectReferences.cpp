#include "SelectReferences.h"

#include "IBSQLText.h"

#include <QHash>
#include <QSet>
#include <vector>

namespace {

enum class TTokenKind {
  Word,   // an unquoted name or keyword, upper-case
  Quoted, // a quoted name, without its quotes
  Symbol, // one character of punctuation
  Value,  // a number, a literal or a parameter
};

struct TToken {
  TTokenKind Kind;
  QString Text;
};

bool IsNameChar(QChar c) { return c.isLetterOrNumber() || c == u'_' || c == u'$'; }
bool IsDigit(QChar c) { return c >= u'0' && c <= u'9'; }
bool IsHexDigit(QChar c) { return IsDigit(c) || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F'); }

qsizetype NameEnd(const QString &sql, qsizetype i) {
  while (i < sql.size() && IsNameChar(sql.at(i)))
    ++i;
  return i;
}

// Where the number that starts at i ends, as the server reads it: 0x and hex digits, or digits with
// at most one point and then an exponent (E, a sign, digits) after a digit. What cannot continue the
// number starts the next token: "1from" is a number and FROM, "1e1from" too.
qsizetype NumberEnd(const QString &sql, qsizetype i) {
  const auto at = [&sql](qsizetype k) { return k < sql.size() ? sql.at(k) : QChar(); };
  if (at(i) == u'0' && (at(i + 1) == u'x' || at(i + 1) == u'X') && IsHexDigit(at(i + 2))) {
    i += 2;
    while (IsHexDigit(at(i)))
      ++i;
    return i;
  }
  bool point = false, digits = false;
  for (;; ++i) {
    if (IsDigit(at(i)))
      digits = true;
    else if (at(i) == u'.' && !point)
      point = true;
    else
      break;
  }
  qsizetype exponent = i + 1;
  if (at(exponent) == u'+' || at(exponent) == u'-')
    ++exponent;
  if (!digits || (at(i) != u'e' && at(i) != u'E') || !IsDigit(at(exponent)))
    return i;
  while (IsDigit(at(exponent)))
    ++exponent;
  return exponent;
}

std::vector<TToken> Tokens(const QString &sql) {
  std::vector<TToken> tokens;
  const qsizetype n = sql.size();
  for (qsizetype i = 0; i < n;) {
    const QChar c = sql.at(i);
    if (c.isSpace()) {
      ++i;
      continue;
    }
    if (const qsizetype end = IBSQLText::SkipLiteralOrComment(sql, i); end != i) {
      if (c == u'"')
        tokens.push_back({TTokenKind::Quoted,
                          sql.mid(i + 1, end - i - 2).replace(QStringLiteral("\"\""), QStringLiteral("\""))});
      else if (c != u'-' && c != u'/')
        tokens.push_back({TTokenKind::Value, sql.mid(i, end - i)});
      i = end;
      continue;
    }
    if (c.isLetter()) {
      const qsizetype end = NameEnd(sql, i);
      tokens.push_back({TTokenKind::Word, sql.mid(i, end - i).toUpper()});
      i = end;
    } else if (IsDigit(c) || (c == u'.' && i + 1 < n && IsDigit(sql.at(i + 1)))) {
      const qsizetype end = NumberEnd(sql, i);
      tokens.push_back({TTokenKind::Value, sql.mid(i, end - i)});
      i = end;
    } else if (c == u':' && i + 1 < n && (IsNameChar(sql.at(i + 1)) || sql.at(i + 1) == u'"')) {
      const qsizetype end =
          sql.at(i + 1) == u'"' ? IBSQLText::SkipLiteralOrComment(sql, i + 1) : NameEnd(sql, i + 1);
      tokens.push_back({TTokenKind::Value, sql.mid(i, end - i)});
      i = end;
    } else {
      tokens.push_back({c == u'?' ? TTokenKind::Value : TTokenKind::Symbol, QString(c)});
      ++i;
    }
  }
  return tokens;
}

// One level of parentheses: whether it holds a query, whether its FROM list is being read, whether
// the next name stands where a source does, whether its query's SELECT has been read and a source
// found for it, and whether the parentheses are a CAST's.
struct TLevel {
  bool Query = false;
  bool InFrom = false;
  bool ExpectSource = false;
  bool Select = false;
  bool Sourced = false;
  bool Cast = false;
};

class TScanner {
public:
  explicit TScanner(const QString &sql) : FTokens(Tokens(sql)) {}

  TSelectReferences Scan();

private:
  bool Is(size_t i, TTokenKind kind, const QString &text) const {
    return i < FTokens.size() && FTokens[i].Kind == kind && FTokens[i].Text == text;
  }
  bool IsWord(size_t i, const char *word) const { return Is(i, TTokenKind::Word, QLatin1String(word)); }
  bool IsSymbol(size_t i, char16_t symbol) const { return Is(i, TTokenKind::Symbol, QString(symbol)); }
  bool IsName(size_t i) const {
    return i < FTokens.size() &&
           (FTokens[i].Kind == TTokenKind::Word || FTokens[i].Kind == TTokenKind::Quoted);
  }
  // The index of the ")" that closes the "(" at open, or the end.
  size_t Closing(size_t open) const;
  // A keyword that steers the reading; false for any other word.
  bool Keyword(size_t i, TLevel &level);
  // Reads the (qualified) name at i; returns the index past it.
  size_t Name(size_t i, TLevel &level);
  bool GenIdReadsOnly(size_t open) const;
  // WITH LOCK (not a common table named LOCK) or FOR UPDATE at i.
  bool LocksRows(size_t i) const;
  // A query ends with its level (or with the next SELECT of a UNION).
  void EndQuery(const TLevel &level) {
    FResult.SourceMissing = FResult.SourceMissing || (level.Select && !level.Sourced);
  }

  std::vector<TToken> FTokens;
  std::vector<TLevel> FLevels{TLevel{}};
  // The common table expressions of the statement's own WITH, each by the index of the ")" that ends
  // it: past that, its name stands for it.
  QHash<QString, size_t> FCommonTables;
  bool FSelects = false; // a SELECT has been read
  TSelectReferences FResult;
};

size_t TScanner::Closing(size_t open) const {
  int depth = 0;
  for (size_t i = open; i < FTokens.size(); ++i) {
    if (IsSymbol(i, u'('))
      ++depth;
    else if (IsSymbol(i, u')') && --depth == 0)
      return i;
  }
  return FTokens.size();
}

bool TScanner::Keyword(size_t i, TLevel &level) {
  static const QSet<QString> clauseEnds{
      QStringLiteral("WHERE"), QStringLiteral("GROUP"),  QStringLiteral("HAVING"), QStringLiteral("ORDER"),
      QStringLiteral("PLAN"),  QStringLiteral("UNION"),  QStringLiteral("ROWS"),   QStringLiteral("FOR"),
      QStringLiteral("FETCH"), QStringLiteral("OFFSET"), QStringLiteral("WITH")};
  const QString &word = FTokens[i].Text;
  if (word == QLatin1String("SELECT")) {
    EndQuery(level);
    level = TLevel{.Query = true, .Select = true};
    FSelects = true;
  } else if (word == QLatin1String("FROM")) {
    // FROM also follows IS [NOT] DISTINCT, and stands in EXTRACT, SUBSTRING and TRIM, none of them in a query
    // level.
    if (level.Query && !(i > 0 && IsWord(i - 1, "DISTINCT")))
      level.InFrom = level.ExpectSource = true;
  } else if (word == QLatin1String("JOIN")) {
    level.ExpectSource = level.InFrom;
  } else if (clauseEnds.contains(word)) {
    level.InFrom = level.ExpectSource = false;
    level.Query = level.Query || word == QLatin1String("WITH");
    FResult.LocksRows = FResult.LocksRows || LocksRows(i);
  } else if (word == QLatin1String("AS") && level.Cast && IsName(i + 1)) {
    FResult.Casts.append({QString(), FTokens[i + 1].Text});
  } else if (word == QLatin1String("NEXT") && IsWord(i + 1, "VALUE") && IsWord(i + 2, "FOR")) {
    FResult.StepsSequence = true;
  } else {
    return false;
  }
  return true;
}

bool TScanner::LocksRows(size_t i) const {
  return (IsWord(i, "WITH") && IsWord(i + 1, "LOCK") && !IsWord(i + 2, "AS") && !IsSymbol(i + 2, u'(')) ||
         (IsWord(i, "FOR") && IsWord(i + 1, "UPDATE"));
}

bool TScanner::GenIdReadsOnly(size_t open) const {
  return IsName(open + 1) && IsSymbol(open + 2, u',') &&
         Is(open + 3, TTokenKind::Value, QStringLiteral("0")) && IsSymbol(open + 4, u')');
}

size_t TScanner::Name(size_t i, TLevel &level) {
  TObjectName name{QString(), FTokens[i].Text};
  size_t next = i + 1;
  if (IsSymbol(next, u'.') && IsName(next + 1)) {
    name = {name.Name, FTokens[next + 1].Text};
    next += 2;
  }
  if (level.ExpectSource) {
    level.ExpectSource = false;
    level.Sourced = true;
    const auto common = FCommonTables.constFind(name.Name);
    if (!name.Package.isEmpty() || common == FCommonTables.cend() || *common > i)
      FResult.Sources.append(name);
    return next;
  }
  const bool unquoted = FTokens[i].Kind == TTokenKind::Word && name.Package.isEmpty();
  // WITH name [(columns)] AS (...): only the statement's own WITH is trusted to hide a source; a
  // nested one keeps its name a source everywhere, which asks at worst once too often.
  const size_t body = IsSymbol(next, u'(') ? Closing(next) + 1 : next;
  if (name.Package.isEmpty() && IsWord(body, "AS") && IsSymbol(body + 1, u'(')) {
    if (FLevels.size() == 1 && !FCommonTables.contains(name.Name))
      FCommonTables.insert(name.Name, Closing(body + 1));
    return body + 1;
  }
  if (!IsSymbol(next, u'('))
    return next;
  if (unquoted && name.Name == QLatin1String("GEN_ID"))
    FResult.StepsSequence = FResult.StepsSequence || !GenIdReadsOnly(next);
  else
    FResult.Calls.append(name);
  return next;
}

TSelectReferences TScanner::Scan() {
  for (size_t i = 0; i < FTokens.size();) {
    TLevel &level = FLevels.back();
    if (IsSymbol(i, u'(')) {
      // A parenthesis where a source stands opens a derived table or a joined group of sources.
      const bool source = level.ExpectSource;
      level.ExpectSource = false;
      level.Sourced = level.Sourced || source;
      FLevels.push_back(
          TLevel{.InFrom = source, .ExpectSource = source, .Cast = i > 0 && IsWord(i - 1, "CAST")});
      ++i;
    } else if (IsSymbol(i, u')')) {
      if (FLevels.size() > 1) {
        EndQuery(FLevels.back());
        FLevels.pop_back();
      }
      ++i;
    } else if (IsSymbol(i, u',')) {
      level.ExpectSource = level.InFrom;
      ++i;
    } else if (IsName(i) && level.ExpectSource && !IsWord(i, "SELECT") && !IsWord(i, "WITH")) {
      // Any other word where a source stands names one, even one that reads like a keyword.
      i = Name(i, level);
    } else if (FTokens[i].Kind == TTokenKind::Word && Keyword(i, level)) {
      ++i;
    } else if (IsName(i)) {
      i = Name(i, level);
    } else {
      ++i;
    }
  }
  for (const TLevel &level : FLevels)
    EndQuery(level);
  FResult.SourceMissing = FResult.SourceMissing || !FSelects;
  return FResult;
}

} // namespace

TSelectReferences ScanSelect(const QString &sql) { return TScanner(sql).Scan(); }
