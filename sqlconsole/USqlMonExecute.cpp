// Running statements and scripts under the guard, and walking the history.
#include "USqlMon.h"

#include "ConsoleScript.h"
#include "Dialogs.h"
#include "Exceptions.h"
#include "IBDatabase.h"
#include "IBQuery.h"
#include "IBScript.h"
#include "IBTransaction.h"
#include "SelectRoutines.h"
#include "SessionEnd.h"
#include "UParSql.h"

#include <memory>

bool TSQLMonitorForm::CheckStatement(const QString &) {
  Query->Prepare();
  const QString sql = Query->SQL().Text();
  TSelectRoutines routines(IBTransaction);
  return FGuard.Check(routines.Refine(StatementKind(sql, Query->StatementType()), sql));
}

void TSQLMonitorForm::ExecuteSQLActionExecute() {
  if (Query->Active())
    Query->Close();
  Query->SQL().SetText(EditorText());
  if (!CheckStatement(EditorText())) {
    if (!FGuard.ManagerRights())
      FGuard.ReportNoRights();
    return;
  }
  Query->SQL().SetText(EditorText());
  Query->Prepare();
  OpenQuery();
  FHistory.Add(EditorText());
  FLastStatement = EditorText();
  if (FGuard.AskCommit()) {
    if (TStatementGuard::ConfirmCommit())
      IBTransaction->CommitRetaining();
    else
      IBTransaction->RollbackRetaining();
  }
}

// A statement may keep the server busy for minutes, and the event loop with it: the end of the
// session stops it on the server, and the run then ends silently, so that the windows close as usual.
void TSQLMonitorForm::RunOnServer(const std::function<void()> &work) {
  TIBDatabase *database = FDatabase.data();
  const TSessionEndInterruption interruption([database] {
    if (database)
      database->CancelOperation();
  });
  try {
    work();
  } catch (const Exception &) {
    if (interruption.Fired())
      Abort();
    throw;
  }
}

void TSQLMonitorForm::OpenQuery() {
  const auto open = [this] { RunOnServer([this] { Query->Open(); }); };
  if (Query->SQLParams().Count() == 0) {
    open();
    return;
  }
  auto dialog = std::make_unique<TSQLParamsForm>(this);
  dialog->Bind(Query);
  if (dialog->ShowModal() == mrOk) {
    Query->Close();
    dialog->WriteBack();
    open();
  }
}

void TSQLMonitorForm::ExecuteSQLScriptAExecute() {
  TConsoleScript script(*IBScript, FGuard);
  bool ran = false;
  RunOnServer([&] { ran = script.Run(EditorText()); });
  if (ran)
    FLastStatement = EditorText();
}

void TSQLMonitorForm::ShowHistoryEntry(const QString &text) {
  SetEditorText(text);
  FLastStatement = EditorText();
}

void TSQLMonitorForm::PoprzedniePytAExecute() {
  if (FHistory.CanGoBack())
    ShowHistoryEntry(FHistory.Back());
}

void TSQLMonitorForm::NastepnePytAExecute() {
  if (FHistory.CanGoForward())
    ShowHistoryEntry(FHistory.Forward());
}
