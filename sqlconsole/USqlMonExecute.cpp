// Running statements and scripts, the guard and the history of the SQL console.
#include "USqlMon.h"

#include "Dialogs.h"
#include "Exceptions.h"
#include "IBQuery.h"
#include "IBScript.h"
#include "IBTransaction.h"
#include "UParSql.h"

#include <QPlainTextEdit>
#include <memory>

namespace {

// The history keeps one entry a statement: its line breaks become this character (0xFE in the
// window's code page) and come back on the way out.
const QChar HistoryLineBreak(0x0163);

bool AskWarning(const QString &text, const QString &caption) {
  return MessageBox(text, caption, MB_YESNO | MB_ICONWARNING) == mrYes;
}

void RefuseBox(const char *text) {
  MessageBox(QString::fromUtf8(text), QString::fromUtf8("Błąd"), MB_OK | MB_ICONERROR);
}

void NoRightsBox() {
  MessageBox(QString::fromUtf8("Dokonanie jakichkolwiek zmian w bazie danych\nz poziomu monitora zapytań\n"
                               "jest niemożliwe ze względu na brak uprawnień zarządcy"),
             QString::fromUtf8("Brak uprawnień"), MB_OK | MB_ICONINFORMATION);
}

} // namespace

bool TSQLMonitorForm::CheckStatement(const QString &) {
  FAskCommit = false;
  Query->Prepare();
  switch (Query->StatementType()) {
  case SQLUnknown:
  case SQLInsert:
  case SQLUpdate:
  case SQLDelete:
  case SQLSelectForUpdate:
  case SQLSetGenerator:
    if (!FManagerRights)
      return false;
    FAskCommit = AskWarning(QString::fromUtf8("Zostaną dokonane zmiany w bazie co może spowodować utratę jej spójności.\n"
                                              "Czy chcesz dokonać tych zmian?"),
                            QStringLiteral("Uwaga!"));
    return FAskCommit;
  case SQLDDL:
    if (!FManagerRights) {
      RefuseBox("Zmiany w strukturze bazy danych z poziomu TULVAR nie są możliwe");
      return false;
    }
    FAskCommit = AskWarning(QString::fromUtf8("Zostaną dokonane zmiany w strukturze bazy danych.\nCzy kontynuować ?"),
                            QStringLiteral("Uwaga"));
    return FAskCommit;
  case SQLExecProcedure:
    RefuseBox("Wykonywanie procedur z poziomu TULVAR nie są możliwe");
    return false;
  default:
    return true;
  }
}

void TSQLMonitorForm::ExecuteSQLActionExecute() {
  if (Query->Active())
    Query->Close();
  Query->SQL().SetText(EditorText());
  if (!CheckStatement(EditorText())) {
    if (!FManagerRights)
      NoRightsBox();
    return;
  }
  Query->SQL().SetText(EditorText());
  Query->Prepare();
  OpenQuery();
  QString entry = EditorText();
  entry.replace(QStringLiteral("\r\n"), QString(HistoryLineBreak));
  FHistoryIndex = FHistory.Add(entry);
  if (FAskCommit) {
    if (AskWarning(QString::fromUtf8("Czy chcesz zatwierdzić zmiany w bazie danych?"), QStringLiteral("Uwaga!")))
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
  // A script may hold any statement, so it needs the rights that the guard asks of single ones.
  if (!FManagerRights) {
    NoRightsBox();
    return;
  }
  IBScript->Script().SetText(EditorText());
  try {
    IBScript->ExecuteScript();
  } catch (...) {
    // What the script did before it failed is not left for a later commit to take along.
    if (IBTransaction->Active())
      IBTransaction->RollbackRetaining();
    throw;
  }
  if (IBTransaction->Active())
    IBTransaction->CommitRetaining();
}

void TSQLMonitorForm::ShowHistoryEntry(int index) {
  FHistoryIndex = index;
  QString text = FHistory[index];
  text.replace(HistoryLineBreak, QStringLiteral("\r\n"));
  SetEditorText(text);
}

void TSQLMonitorForm::PoprzedniePytAExecute() {
  if (FHistoryIndex > 0)
    ShowHistoryEntry(FHistoryIndex - 1);
}

void TSQLMonitorForm::NastepnePytAExecute() {
  if (FHistoryIndex < FHistory.Count() - 1)
    ShowHistoryEntry(FHistoryIndex + 1);
}
