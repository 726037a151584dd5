// The console's lists (tables, fields, saved queries) and its editor file actions.
#include "USqlMon.h"

#include "Actions.h"
#include "Application.h"
#include "Dialogs.h"
#include "Exceptions.h"
#include "IBDataSet.h"
#include "IBDatabase.h"
#include "USqlmlF.h"

#include <QFileInfo>
#include <QListWidget>
#include <QPlainTextEdit>

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
  lbZapytania->clear();
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
  if (lbZapytania->count() > 0)
    lbZapytania->setCurrentRow(0);
  lbZapytaniaClick();
}

void TSQLMonitorForm::lbZapytaniaClick() {
  QListWidgetItem *entry = lbZapytania->currentItem();
  if (!entry) {
    memOpis->clear();
    Memo->clear();
    return;
  }
  const auto *item = static_cast<const TSQLItem *>(entry->data(Qt::UserRole).value<void *>());
  memOpis->setPlainText(item->Description);
  SetEditorText(item->SQL);
}

void TSQLMonitorForm::FileOpenActionExecute() {
  TFileDialogRequest request;
  request.Kind = TFileDialogKind::Open;
  request.Filter = QString::fromLatin1(SQLFilter);
  if (!DialogSeam().FileDialog(request))
    return;
  TStringList lines;
  lines.LoadFromFile(request.FileName);
  SetEditorText(lines.Text());
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
  if (MessageBox(QStringLiteral("Czy napewno chcesz wyczyścić zawartość edytora ?"), QStringLiteral("Ostrzeżenie..."),
                 MB_YESNO) == mrYes)
    Memo->clear();
}

void TSQLMonitorForm::GetSQLActionExecute() {
  if (FQueryList->ShowModal() == mrOk)
    SetEditorText(FQueryList->FormatMemo->toPlainText());
}

void TSQLMonitorForm::DodajAExecute() {
  FQueryList->SetMode(TSQLMonListForm::mdNew);
  FQueryList->OpisMemo->clear();
  FQueryList->FormatMemo->setPlainText(Memo->toPlainText());
  GetSQLAction->Execute();
}
