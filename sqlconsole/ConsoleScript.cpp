#include "ConsoleScript.h"

#include "Exceptions.h"
#include "IBScript.h"
#include "SelectRoutines.h"
#include "StatementGuard.h"

bool TConsoleScript::Run(const QString &text) {
  FScript.Script().SetText(text);
  QStringList statements;
  for (const TIBScriptStatement &statement : FScript.Statements())
    statements.append(statement.Text);
  // Each reading statement is looked at as it stands now: what the script itself creates makes it
  // change structure, which asks anyway.
  TSelectRoutines routines(FScript.Transaction());
  const TStatementKind kind = ScriptKind(statements, [&routines](const QString &statement) {
    return routines.Refine(ScriptStatementKind(statement), statement);
  });
  if (kind != TStatementKind::skReads && !FGuard.Check(kind)) {
    if (!FGuard.ManagerRights())
      FGuard.ReportNoRights();
    return false;
  }
  Execute();
  if (TIBTransaction *transaction = FScript.Transaction(); transaction && transaction->Active())
    transaction->CommitRetaining();
  return true;
}

void TConsoleScript::Execute() {
  int committed = 0;
  FScript.AfterStatement = [&committed](QObject *, int index, bool done) {
    if (done)
      committed = index + 1;
  };
  const auto rollBack = [this] {
    FScript.AfterStatement = nullptr;
    // What the script did since its last commit is not left for a later commit to take along.
    if (TIBTransaction *transaction = FScript.Transaction(); transaction && transaction->Active())
      transaction->RollbackRetaining();
  };
  try {
    FScript.ExecuteScript();
  } catch (Exception &error) {
    rollBack();
    error.SetMessage(error.Message() + QStringLiteral("\n\n") + ScriptCommittedNote(committed));
    throw;
  } catch (...) {
    rollBack();
    throw;
  }
  FScript.AfterStatement = nullptr;
}

QString ScriptCommittedNote(int committed) {
  if (committed == 0)
    return QString::fromUtf8(
        "Żadne polecenie skryptu nie zostało zatwierdzone; wszystkie jego zmiany wycofano.");
  const QString which =
      committed == 1 ? QString::fromUtf8("Polecenie skryptu nr 1 zostało zatwierdzone")
                     : QString::fromUtf8("Polecenia skryptu nr 1–%1 zostały zatwierdzone").arg(committed);
  return which +
         QString::fromUtf8(" przed błędem (polecenie zmieniające strukturę bazy zatwierdza wszystko, co je "
                           "poprzedza); zmiany dalszych poleceń wycofano.");
}
