// The console's lists (tables, fields, saved queries) and its editor file actions.
#include "USqlMon.h"

#include "Actions.h"
#include "Application.h"
#include "Dialogs.h"
#include "Exceptions.h"
#include "IBDataSet.h"
#include "IBDatabase.h"
#include "MemoText.h"
#include "USqlmlF.h"

#include <QFileInfo>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QSignalBlocker>
#include <QTabWidget>

namespace {
const char *const SQLFilter = "Pliki SQL (*.sql)|*.SQL";
}

void TSQLMonitorForm::LoadTableNames() {
  TStringList names;
  FDatabase->GetTableNames(names, false);
  TabeleList->clear();
  for (int i = 0; i < names.Count(); ++i)
    TabeleList->addItem(names[i].trimmed());
}

void TSQLMonitorForm::LoadFieldNames(const QString &tableName) {
  TStringList names;
  FDatabase->GetFieldNames(tableName, names);
  PolaList->clear();
  for (int i = 0; i < names.Count(); ++i)
    PolaList->addItem(names[i].trimmed());
}

void TSQLMonitorForm::TabeleListClick() {
  if (QListWidgetItem *item = TabeleList->currentItem())
    LoadFieldNames(item->text());
}

void TSQLMonitorForm::InsertIntoEditor(QListWidget *list) {
  if (QListWidgetItem *item = list->currentItem())
    Memo->insertPlainText(item->text());
  Memo->setFocus();
}

void TSQLMonitorForm::TabeleListDblClick() { InsertIntoEditor(TabeleList); }

void TSQLMonitorForm::PolaListDblClick() { InsertIntoEditor(PolaList); }

bool TSQLMonitorForm::IsSelectQuery(const QString &sql) {
  CheckDataSet->Close();
  CheckDataSet->SelectSQL().SetText(sql);
  try {
    CheckDataSet->Prepare();
  } catch (const Exception &) {
    return false; // not listed: the server can't prepare it
  }
  return CheckDataSet->StatementType() == SQLSelect;
}

void TSQLMonitorForm::LoadQueryList() {
  // Rebuilding the list picks no statement: only lbZapytaniaClick loads one.
  const QSignalBlocker quiet(lbZapytania);
  lbZapytania->clear();
  FShownQuery = -1;
  FQueryItems.FreeAll();
  for (const QString &path : SQLFiles()) {
    std::unique_ptr<TSQLItem> read = ReadSQLItem(path);
    if (!IsSelectQuery(read->SQL))
      continue;
    TSQLItem *item = read.release();
    FQueryItems.Add(item);
    auto *entry = new QListWidgetItem(item->Name);
    entry->setData(Qt::UserRole, QVariant::fromValue(static_cast<void *>(item)));
    // Sorted as the list box of the desktop library sorts: ignoring letter case.
    int row = 0;
    while (row < lbZapytania->count() &&
           QString::compare(lbZapytania->item(row)->text(), item->Name, Qt::CaseInsensitive) <= 0)
      ++row;
    lbZapytania->insertItem(row, entry);
  }
}

void TSQLMonitorForm::tabPodstawoweShow() {
  LoadQueryList();
  if (lbZapytania->count() > 0) {
    const QSignalBlocker quiet(lbZapytania);
    lbZapytania->setCurrentRow(0);
  }
  try {
    lbZapytaniaClick();
  } catch (const EAbort &) {
    // The typed statement stays, and so does the tab it is typed on.
    pgcProfil->setCurrentWidget(tabZaawansowane);
    throw;
  }
}

bool TSQLMonitorForm::MayReplaceEditor() {
  if (EditorEmpty() || EditorText() == FLastStatement)
    return true;
  return MessageBox(
             QString::fromUtf8("Zapytanie w edytorze różni się od ostatnio wykonanego lub wczytanego i "
                               "zostanie utracone.\nCzy kontynuować?"),
             QStringLiteral("Uwaga"), MB_YESNO | MB_ICONWARNING) == mrYes;
}

void TSQLMonitorForm::LoadEditor(const QString &text) {
  SetEditorText(text);
  FLastStatement = EditorText();
}

void TSQLMonitorForm::lbZapytaniaClick() {
  if (!MayReplaceEditor()) {
    const QSignalBlocker quiet(lbZapytania);
    lbZapytania->setCurrentRow(FShownQuery);
    Abort();
  }
  FShownQuery = lbZapytania->currentRow();
  QListWidgetItem *entry = lbZapytania->currentItem();
  if (!entry) {
    memOpis->clear();
    LoadEditor(QString());
    return;
  }
  const auto *item = static_cast<const TSQLItem *>(entry->data(Qt::UserRole).value<void *>());
  memOpis->setPlainText(item->Description);
  LoadEditor(item->SQL);
}

void TSQLMonitorForm::FileOpenActionExecute() {
  TFileDialogRequest request;
  request.Kind = TFileDialogKind::Open;
  request.Filter = QString::fromLatin1(SQLFilter);
  if (!DialogSeam().FileDialog(request))
    return;
  TStringList lines;
  lines.LoadFromFile(request.FileName);
  LoadEditor(lines.Text());
}

void TSQLMonitorForm::FileSaveActionExecute() {
  TFileDialogRequest request;
  request.Kind = TFileDialogKind::Save;
  request.Filter = QString::fromLatin1(SQLFilter);
  request.InitialDir = QFileInfo(Application()->ExeName()).absolutePath();
  if (!DialogSeam().FileDialog(request))
    return;
  TStringList lines;
  lines.SetText(EditorText());
  lines.SaveToFile(request.FileName);
}

void TSQLMonitorForm::ClearEditorActionExecute() {
  if (MessageBox(QStringLiteral("Czy napewno chcesz wyczyścić zawartość edytora ?"),
                 QStringLiteral("Ostrzeżenie..."), MB_YESNO) == mrYes)
    Memo->clear();
}

void TSQLMonitorForm::GetSQLActionExecute() {
  if (FQueryList->ShowModal() == mrOk)
    LoadEditor(MemoText(FQueryList->FormatMemo));
}

void TSQLMonitorForm::DodajAExecute() {
  FQueryList->SetMode(TSQLMonListForm::mdNew);
  FQueryList->OpisMemo->clear();
  SetMemoText(FQueryList->FormatMemo, EditorText());
  GetSQLAction->Execute();
}
