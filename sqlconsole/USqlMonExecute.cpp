// Running statements and scripts under the guard, and walking the history.
#include "USqlMon.h"

#include "ConsoleScript.h"
#include "Dialogs.h"
#include "IBQuery.h"
#include "IBScript.h"
#include "IBTransaction.h"
#include "SelectRoutines.h"
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

void TSQLMonitorForm::OpenQuery() {
  if (Query->SQLParams().Count() == 0) {
    Query->Open();
    return;
  }
  auto dialog = std::make_unique<TSQLParamsForm>(this);
  dialog->Bind(Query);
  if (dialog->ShowModal() == mrOk) {
    Query->Close();
    dialog->WriteBack();
    Query->Open();
  }
}

void TSQLMonitorForm::ExecuteSQLScriptAExecute() {
  TConsoleScript script(*IBScript, FGuard);
  if (script.Run(EditorText()))
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
