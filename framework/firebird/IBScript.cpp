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

void TIBScript::ExecuteScript() {
  if (!Database())
    throw EDatabaseError(QStringLiteral("Database not assigned"));
  TIBSQL query;
  query.SetDatabase(Database());
  query.SetTransaction(Transaction());
  query.SetParamCheck(FDataset && FDataset->ParamCheck());

  const QString text = FScript.Text();
  QString terminator = FTerminator;
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
      Execute(query, {text.mid(start, i - start), startLine}, terminator);
      i += terminator.size();
      start = i;
      startLine = line;
      continue;
    }
    if (text.at(i) == u'\n')
      ++line;
    ++i;
  }
  Execute(query, {text.mid(start), startLine}, terminator);
}

void TIBScript::Execute(TIBSQL &query, const TStatement &statement, QString &terminator) {
  static const QRegularExpression setTerm(QStringLiteral("^SET\\s+TERM\\s+(\\S+)$"),
                                          QRegularExpression::CaseInsensitiveOption);
  static const QRegularExpression commit(QStringLiteral("^COMMIT(\\s+WORK)?$"),
                                         QRegularExpression::CaseInsensitiveOption);
  static const QRegularExpression rollback(QStringLiteral("^ROLLBACK(\\s+WORK)?$"),
                                           QRegularExpression::CaseInsensitiveOption);
  const QString command = WithoutComments(statement.Text);
  if (command.isEmpty())
    return;
  if (const auto match = setTerm.match(command); match.hasMatch()) {
    terminator = match.captured(1);
    return;
  }
  TIBTransaction *transaction = query.Transaction();
  if (!transaction)
    throw EDatabaseError(QStringLiteral("Transaction not assigned"));
  if (commit.match(command).hasMatch()) {
    if (transaction->InTransaction())
      transaction->Commit();
    return;
  }
  if (rollback.match(command).hasMatch()) {
    if (transaction->InTransaction())
      transaction->Rollback();
    return;
  }
  // The statement's own first line is where its text starts, past leading blank lines.
  const QString trimmed = statement.Text.trimmed();
  const int line = statement.Line + int(statement.Text.left(statement.Text.indexOf(trimmed)).count(u'\n'));
  try {
    query.SQL().SetText(trimmed);
    query.ExecQuery();
    query.Close();
    if (FAutoDDL && query.SQLType() == SQLDDL)
      transaction->CommitRetaining();
  } catch (Exception &error) {
    error.SetMessage(QStringLiteral("%1\n\nStatement at line %2:\n%3").arg(error.Message()).arg(line).arg(trimmed));
    throw;
  }
}
