#include "StatementGuard.h"

#include "Dialogs.h"
#include "IBSQLText.h"

namespace {

// The first words of a statement, upper-case, past blanks and comments.
QStringList LeadingWords(const QString &sql, int count) {
  QStringList words;
  qsizetype i = 0;
  const qsizetype n = sql.size();
  while (i < n && words.size() < count) {
    if (sql.at(i).isSpace()) {
      ++i;
      continue;
    }
    const qsizetype skipped = IBSQLText::SkipLiteralOrComment(sql, i);
    if (skipped != i) {
      if (!QStringView(sql).mid(i, 2).startsWith(QStringLiteral("--")) &&
          !QStringView(sql).mid(i, 2).startsWith(QStringLiteral("/*")))
        break; // a literal where a word belongs: no more words to read
      i = skipped;
      continue;
    }
    const qsizetype start = i;
    while (i < n && (sql.at(i).isLetterOrNumber() || sql.at(i) == u'_' || sql.at(i) == u'$'))
      ++i;
    if (i == start)
      break;
    words.append(sql.mid(start, i - start).toUpper());
  }
  return words;
}

bool IsExecuteBlock(const QString &sql) {
  return LeadingWords(sql, 2) == QStringList{QStringLiteral("EXECUTE"), QStringLiteral("BLOCK")};
}

// INSERT, UPDATE (also UPDATE OR INSERT), DELETE and MERGE.
bool IsDataStatement(const QString &sql) {
  static const QStringList words{QStringLiteral("INSERT"), QStringLiteral("UPDATE"), QStringLiteral("DELETE"),
                                 QStringLiteral("MERGE")};
  return words.contains(LeadingWords(sql, 1).value(0));
}

bool Ask(const char *text, const char *caption) {
  return MessageBox(QString::fromUtf8(text), QString::fromUtf8(caption), MB_YESNO | MB_ICONWARNING) == mrYes;
}

void Refuse(const char *text) {
  MessageBox(QString::fromUtf8(text), QString::fromUtf8("Błąd"), MB_OK | MB_ICONERROR);
}

} // namespace

TStatementKind StatementKind(const QString &sql, TIBSQLTypes type) {
  if (IsExecuteBlock(sql))
    return TStatementKind::skChangesData;
  switch (type) {
  case SQLUnknown:
  case SQLInsert:
  case SQLUpdate:
  case SQLDelete:
  case SQLSelectForUpdate:
  case SQLSetGenerator: return TStatementKind::skChangesData;
  case SQLDDL: return TStatementKind::skChangesStructure;
  case SQLExecProcedure:
    return IsDataStatement(sql) ? TStatementKind::skChangesData : TStatementKind::skRunsProcedure;
  default: return TStatementKind::skReads;
  }
}

bool IsTransactionStatement(const QString &sql) {
  const QStringList words = LeadingWords(sql, 2);
  static const QStringList transaction{QStringLiteral("COMMIT"), QStringLiteral("ROLLBACK"),
                                       QStringLiteral("SAVEPOINT"), QStringLiteral("RELEASE")};
  return transaction.contains(words.value(0)) ||
         words == QStringList{QStringLiteral("SET"), QStringLiteral("TRANSACTION")};
}

TStatementKind ScriptStatementKind(const QString &sql) {
  const QStringList words = LeadingWords(sql, 2);
  const QString first = words.value(0), second = words.value(1);
  static const QStringList reading{QStringLiteral("SELECT"), QStringLiteral("WITH")};
  static const QStringList structure{QStringLiteral("CREATE"),  QStringLiteral("ALTER"),
                                     QStringLiteral("DROP"),    QStringLiteral("RECREATE"),
                                     QStringLiteral("DECLARE"), QStringLiteral("GRANT"),
                                     QStringLiteral("REVOKE"),  QStringLiteral("COMMENT")};
  if (reading.contains(first) || IsTransactionStatement(sql))
    return TStatementKind::skReads;
  if (structure.contains(first) || (first == QStringLiteral("SET") && second == QStringLiteral("STATISTICS")))
    return TStatementKind::skChangesStructure;
  return TStatementKind::skChangesData;
}

TStatementKind ScriptKind(const QStringList &statements,
                          const std::function<TStatementKind(const QString &)> &kindOf) {
  TStatementKind kind = TStatementKind::skReads;
  for (const QString &statement : statements) {
    const TStatementKind next = kindOf(statement);
    if (next == TStatementKind::skChangesStructure)
      return next;
    if (next == TStatementKind::skChangesData)
      kind = next;
  }
  return kind;
}

bool TStatementGuard::Check(TStatementKind kind) {
  FAskCommit = false;
  switch (kind) {
  case TStatementKind::skChangesData:
    if (!FManagerRights)
      return false;
    FAskCommit = Ask("Zostaną dokonane zmiany w bazie co może spowodować utratę jej spójności.\n"
                     "Czy chcesz dokonać tych zmian?",
                     "Uwaga!");
    return FAskCommit;
  case TStatementKind::skChangesStructure:
    if (!FManagerRights) {
      Refuse("Zmiany w strukturze bazy danych z poziomu TULVAR nie są możliwe");
      return false;
    }
    FAskCommit = Ask("Zostaną dokonane zmiany w strukturze bazy danych.\nCzy kontynuować ?", "Uwaga");
    return FAskCommit;
  case TStatementKind::skRunsProcedure:
    Refuse("Wykonywanie procedur z poziomu TULVAR nie są możliwe");
    return false;
  case TStatementKind::skReads: break;
  }
  return true;
}

void TStatementGuard::ReportNoRights() const {
  MessageBox(QString::fromUtf8("Dokonanie jakichkolwiek zmian w bazie danych\nz poziomu monitora zapytań\n"
                               "jest niemożliwe ze względu na brak uprawnień zarządcy"),
             QString::fromUtf8("Brak uprawnień"), MB_OK | MB_ICONINFORMATION);
}

bool TStatementGuard::ConfirmCommit() {
  return Ask("Czy chcesz zatwierdzić zmiany w bazie danych?", "Uwaga!");
}
