#pragma once

#include <QString>
#include <QStringList>

// Lexical helpers for SQL text: string literals, quoted identifiers and comments.
namespace IBSQLText {

// When a literal, quoted identifier or comment starts at pos, the position after it; else pos.
qsizetype SkipLiteralOrComment(const QString &sql, qsizetype pos);

struct TParsedSQL {
  QString Text;      // the statement with every parameter replaced by "?"
  QStringList Names; // one name per "?", in order; unquoted names upper-case
};

// Finds the ":name" parameters (and plain "?" ones, which get empty names).
TParsedSQL PreprocessParams(const QString &sql);

} // namespace IBSQLText
