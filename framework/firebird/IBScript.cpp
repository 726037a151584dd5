#include "IBScript.h"

#include "IBDataSet.h"
#include "IBError.h"
#include "IBSQL.h"
#include "IBSQLText.h"

#include <QRegularExpression>

namespace {

// The statement without its comments, trimmed, for recognising the script's own commands.
QString WithoutComments(const QString &text) {
  QString result;
  for (qsizetype i = 0; i < text.size();) {
    const qsizetype end = IBSQLText::SkipLiteralOrComment(text, i);
    if (end == i) {
      result += text.at(i++);
      continue;
    }
    const QChar first = text.at(i);
    result += first == u'\'' || first == u'"' ? text.mid(i, end - i) : QStringLiteral(" ");
    i = end;
  }
  return result.trimmed();
}

} // namespace

TIBScript::TIBScript(QObject *owner) : QObject(owner) {}

void TIBScript::SetTerminator(const QString &value) {
  if (value.trimmed().isEmpty())
    throw EDatabaseError(QStringLiteral("The script terminator cannot be empty"));
  FTerminator = value.trimmed();
}

TIBDatabase *TIBScript::Database() const {
  return FDatabase ? FDatabase : FDataset ? FDataset->Database() : nullptr;
}

TIBTransaction *TIBScript::Transaction() const {
  if (FTransaction)
    return FTransaction;
  if (FDataset && FDataset->Transaction())
    return FDataset->Transaction();
  return Database() ? Database()->DefaultTransaction() : nullptr;
}

QList<TIBScriptStatement> TIBScript::Statements() const {
  static const QRegularExpression setTerm(QStringLiteral("^SET\\s+TERM\\s+(\\S+)$"),
                                          QRegularExpression::CaseInsensitiveOption);
  QList<TIBScriptStatement> statements;
  QString terminator = FTerminator;
  const auto collect = [&](const QString &text, int startLine) {
    const QString command = WithoutComments(text);
    if (command.isEmpty())
      return;
    if (const auto match = setTerm.match(command); match.hasMatch()) {
      terminator = match.captured(1);
      return;
    }
    // The statement's own first line is where its text starts, past leading blank lines.
    const QString trimmed = text.trimmed();
    statements.append({trimmed, startLine + int(text.left(text.indexOf(trimmed)).count(u'\n'))});
  };
  const QString text = FScript.Text();
  qsizetype start = 0;
  int line = 1, startLine = 1;
  for (qsizetype i = 0; i < text.size();) {
    const qsizetype skipped = IBSQLText::SkipLiteralOrComment(text, i);
    if (skipped != i) {
      line += int(QStringView(text).mid(i, skipped - i).count(u'\n'));
      i = skipped;
      continue;
    }
    if (QStringView(text).mid(i).startsWith(terminator, Qt::CaseInsensitive)) {
      collect(text.mid(start, i - start), startLine);
      i += terminator.size();
      start = i;
      startLine = line;
      continue;
    }
    if (text.at(i) == u'\n')
      ++line;
    ++i;
  }
  collect(text.mid(start), startLine);
  return statements;
}

void TIBScript::ExecuteScript() {
  if (!Database())
    throw EDatabaseError(QStringLiteral("Database not assigned"));
  TIBSQL query;
  query.SetDatabase(Database());
  query.SetTransaction(Transaction());
  query.SetParamCheck(FDataset && FDataset->ParamCheck());
  const QList<TIBScriptStatement> statements = Statements();
  for (int index = 0; index < statements.size(); ++index) {
    const bool committed = Execute(query, statements[index]);
    if (AfterStatement)
      AfterStatement(this, index, committed);
  }
}

bool TIBScript::Execute(TIBSQL &query, const TIBScriptStatement &statement) {
  static const QRegularExpression commit(QStringLiteral("^COMMIT(\\s+WORK)?$"),
                                         QRegularExpression::CaseInsensitiveOption);
  static const QRegularExpression rollback(QStringLiteral("^ROLLBACK(\\s+WORK)?$"),
                                           QRegularExpression::CaseInsensitiveOption);
  const QString command = WithoutComments(statement.Text);
  TIBTransaction *transaction = query.Transaction();
  if (!transaction)
    throw EDatabaseError(QStringLiteral("Transaction not assigned"));
  if (commit.match(command).hasMatch()) {
    if (transaction->InTransaction())
      transaction->Commit();
    return true;
  }
  if (rollback.match(command).hasMatch()) {
    if (transaction->InTransaction())
      transaction->Rollback();
    return false;
  }
  try {
    query.SQL().SetText(statement.Text);
    query.ExecQuery();
    query.Close();
    if (FAutoDDL && query.SQLType() == SQLDDL) {
      transaction->CommitRetaining();
      return true;
    }
    return false;
  } catch (Exception &error) {
    error.SetMessage(QStringLiteral("%1\n\nStatement at line %2:\n%3")
                         .arg(error.Message())
                         .arg(statement.Line)
                         .arg(statement.Text));
    throw;
  }
}
