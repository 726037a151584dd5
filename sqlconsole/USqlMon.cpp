#include "USqlMon.h"

#include "Actions.h"
#include "Application.h"
#include "DBCtrls.h"
#include "DBGrids.h"
#include "DataSource.h"
#include "IBDataSet.h"
#include "IBDatabase.h"
#include "IBQuery.h"
#include "IBScript.h"
#include "IBTransaction.h"
#include "MxCtrls.h"
#include "PosForm.h"
#include "USqlmlF.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

TSQLMonitorForm::TSQLMonitorForm(TIBDatabase *database, bool managerRights)
    : TForm(nullptr), FManagerRights(managerRights), FDatabase(database) {
  setObjectName(QStringLiteral("SQLMonitorForm"));
  setAttribute(Qt::WA_DeleteOnClose);
  SetPosition(poDesktopCenter);
  CreateComponents();
  CreateActions();
  auto *layout = new QVBoxLayout(this);
  layout->addWidget(CreateToolBar());
  pgcProfil = new QTabWidget(this);
  pgcProfil->setObjectName(QStringLiteral("pgcProfil"));
  pgcProfil->setFixedHeight(236);
  pgcProfil->addTab(CreateBasicTab(), QStringLiteral("Podstawowe"));
  pgcProfil->addTab(CreateAdvancedTab(), QStringLiteral("Zaawansowane"));
  layout->addWidget(pgcProfil);
  layout->addWidget(CreateResultBar());
  DBGrid = new TDBGrid(this);
  DBGrid->setObjectName(QStringLiteral("DBGrid"));
  DBGrid->SetDataSource(DataSource);
  layout->addWidget(DBGrid, 1);
  resize(791, 427);
  SetAction(UpdateAction);
  ZUVPosForm1 = new TZUVPosForm(this);
  ZUVPosForm1->SetSaveEnabled(true);
  ZUVPosForm1->SetChangeSize(false);

  pgcProfil->setCurrentWidget(tabZaawansowane);
  connect(pgcProfil, &QTabWidget::currentChanged, this, [this](int index) {
    if (pgcProfil->widget(index) == tabPodstawowe)
      Guarded(this, [this] { tabPodstawoweShow(); });
  });
  IBTransaction->SetDefaultDatabase(database);
  if (!IBTransaction->Active())
    IBTransaction->StartTransaction();
  Query->SetDatabase(database);
  CheckDataSet->SetDatabase(database);
  IBDataSetScript->SetDatabase(database);
  IBScript->SetDatabase(database);
  FQueryList = new TSQLMonListForm(this);
  // The console works on the caller's connection: without it there is nothing left to show.
  connect(database, &QObject::destroyed, this, &QObject::deleteLater);
  LoadTableNames();
  if (TabeleList->count() > 0)
    TabeleList->setCurrentRow(0);
  TabeleListClick();
}

TSQLMonitorForm::~TSQLMonitorForm() {
  // The datasets go before the transaction they run in.
  Query->Close();
  CheckDataSet->Close();
}

void TSQLMonitorForm::CreateComponents() {
  IBTransaction = new TIBTransaction(this);
  IBTransaction->setObjectName(QStringLiteral("IBTransaction"));
  IBTransaction->SetAutoStopAction(saNone);
  // Closing the window never commits what nobody confirmed.
  IBTransaction->SetDefaultAction(taRollback);
  Query = new TIBQuery(this);
  Query->setObjectName(QStringLiteral("Query"));
  Query->SetBufferChunks(1000);
  Query->SetTransaction(IBTransaction);
  CheckDataSet = new TIBDataSet(this);
  CheckDataSet->setObjectName(QStringLiteral("CheckDataSet"));
  CheckDataSet->SetTransaction(IBTransaction);
  IBDataSetScript = new TIBDataSet(this);
  IBDataSetScript->setObjectName(QStringLiteral("IBDataSetScript"));
  IBDataSetScript->SetTransaction(IBTransaction);
  IBDataSetScript->SetParamCheck(false);
  IBScript = new TIBScript(this);
  IBScript->setObjectName(QStringLiteral("IBScript"));
  IBScript->SetTransaction(IBTransaction);
  IBScript->SetDataset(IBDataSetScript);
  IBScript->SetTerminator(QStringLiteral(";"));
  DataSource = new TDataSource(this);
  DataSource->setObjectName(QStringLiteral("DataSource"));
  DataSource->SetAutoEdit(false);
  DataSource->SetDataSet(Query);
}

void TSQLMonitorForm::CreateActions() {
  const auto action = [this](const char *name, const char *caption, void (TSQLMonitorForm::*handler)()) {
    auto *a = new TAction(this, QString::fromLatin1(name), QString::fromUtf8(caption));
    if (handler)
      a->OnExecute = [this, handler](QObject *) { (this->*handler)(); };
    return a;
  };
  ExecuteSQLAction = action("ExecuteSQLAction", "Wykonaj", &TSQLMonitorForm::ExecuteSQLActionExecute);
  ExecuteSQLScriptA = action("ExecuteSQLScriptA", "Wykonaj skrypt", &TSQLMonitorForm::ExecuteSQLScriptAExecute);
  ExecuteSQLScriptA->SetHint(QStringLiteral("Wykonuje skrypt SQL"));
  FileOpenAction = action("FileOpenAction", "Otwórz z pliku", &TSQLMonitorForm::FileOpenActionExecute);
  FileSaveAction = action("FileSaveAction", "Zapisz do pliku", &TSQLMonitorForm::FileSaveActionExecute);
  ClearEditorAction = action("ClearEditorAction", "Wyczyść", &TSQLMonitorForm::ClearEditorActionExecute);
  PoprzedniePytA = action("PoprzedniePytA", "Poprzednie", &TSQLMonitorForm::PoprzedniePytAExecute);
  NastepnePytA = action("NastepnePytA", "Następne", &TSQLMonitorForm::NastepnePytAExecute);
  GetSQLAction = action("GetSQLAction", "Pobierz pytanie", &TSQLMonitorForm::GetSQLActionExecute);
  DodajA = action("DodajA", "Dodaj pytanie", &TSQLMonitorForm::DodajAExecute);
  ExportTableAction = action("ExportTableAction", "Exportuj tabelę", &TSQLMonitorForm::TabFileActionExecute);
  TabFileAction = action("TabFileAction", "Podział z tabulatorem", &TSQLMonitorForm::TabFileActionExecute);
  SeparatorFileAction =
      action("SeparatorFileAction", "Podział za pomocą separatora", &TSQLMonitorForm::SeparatorFileActionExecute);
  SeparatorSettingsAction = action("SeparatorSettingsAction", "Ustawienia separatora i ogranicznika",
                                   &TSQLMonitorForm::SeparatorSettingsActionExecute);
  PrintA = action("PrintA", "Drukowanie", &TSQLMonitorForm::PrintAExecute);
  GenerujHTMLA = action("GenerujHTMLA", "Generuj HTML", &TSQLMonitorForm::GenerujHTMLAExecute);
  ExportTableAction->OnUpdate = [this](QObject *) {
    ExportTableAction->SetEnabled(!EditorEmpty() && Query->Active());
  };
  UpdateAction = action("UpdateAction", "Monitor zapytań SQL", nullptr);
  UpdateAction->OnUpdate = [this](QObject *) { UpdateActionUpdate(); };
  const auto whenEditorFilled = [this](QObject *sender) {
    static_cast<TAction *>(sender)->SetEnabled(!EditorEmpty());
  };
  ExecuteSQLAction->OnUpdate = whenEditorFilled;
  ExecuteSQLScriptA->OnUpdate = whenEditorFilled;
  PoprzedniePytA->OnUpdate = [this](QObject *) {
    PoprzedniePytA->SetEnabled(FHistoryIndex > 0 && FHistory.Count() > 0);
  };
  NastepnePytA->OnUpdate = [this](QObject *) {
    NastepnePytA->SetEnabled(FHistoryIndex < FHistory.Count() - 1 && FHistory.Count() > 0);
  };
}

namespace {

QToolButton *ActionButton(QWidget *parent, TAction *action) {
  auto *button = new QToolButton(parent);
  button->setToolButtonStyle(Qt::ToolButtonTextOnly);
  button->setDefaultAction(action);
  return button;
}

QListWidget *NamedList(QWidget *parent, const char *name) {
  auto *list = new QListWidget(parent);
  list->setObjectName(QString::fromLatin1(name));
  return list;
}

QPlainTextEdit *NamedMemo(QWidget *parent, const char *name) {
  auto *memo = new QPlainTextEdit(parent);
  memo->setObjectName(QString::fromLatin1(name));
  memo->setLineWrapMode(QPlainTextEdit::NoWrap);
  return memo;
}

} // namespace

QWidget *TSQLMonitorForm::CreateToolBar() {
  auto *bar = new QWidget(this);
  auto *row = new QHBoxLayout(bar);
  row->setContentsMargins(0, 0, 0, 0);
  for (TAction *a : {FileOpenAction, FileSaveAction, ClearEditorAction, PoprzedniePytA, NastepnePytA,
                     ExecuteSQLAction, ExecuteSQLScriptA})
    row->addWidget(ActionButton(bar, a));
  row->addStretch();
  return bar;
}

QWidget *TSQLMonitorForm::CreateBasicTab() {
  tabPodstawowe = new QWidget(this);
  tabPodstawowe->setObjectName(QStringLiteral("tabPodstawowe"));
  auto *splitter = new QSplitter(tabPodstawowe);
  const auto labelled = [splitter](const QString &caption, QWidget *control) {
    auto *box = new QWidget(splitter);
    auto *column = new QVBoxLayout(box);
    column->setContentsMargins(0, 0, 0, 0);
    column->addWidget(new QLabel(caption, box));
    control->setParent(box);
    column->addWidget(control);
    splitter->addWidget(box);
  };
  lbZapytania = NamedList(tabPodstawowe, "lbZapytania");
  memOpis = NamedMemo(tabPodstawowe, "memOpis");
  memOpis->setReadOnly(true);
  labelled(QString::fromUtf8("Lista zapytań:"), lbZapytania);
  labelled(QStringLiteral("Opis:"), memOpis);
  connect(lbZapytania, &QListWidget::currentRowChanged, this, [this] { Guarded(this, [this] { lbZapytaniaClick(); }); });
  auto *layout = new QVBoxLayout(tabPodstawowe);
  layout->addWidget(splitter);
  return tabPodstawowe;
}

QWidget *TSQLMonitorForm::CreateAdvancedTab() {
  tabZaawansowane = new QWidget(this);
  tabZaawansowane->setObjectName(QStringLiteral("tabZaawansowane"));
  auto *row = new QHBoxLayout(tabZaawansowane);
  auto *lists = new QVBoxLayout;
  TabeleList = NamedList(tabZaawansowane, "TabeleList");
  PolaList = NamedList(tabZaawansowane, "PolaList");
  lists->addWidget(TabeleList);
  lists->addWidget(PolaList);
  row->addLayout(lists);
  Memo = NamedMemo(tabZaawansowane, "Memo");
  Memo->setTabChangesFocus(false);
  row->addWidget(Memo, 1);
  auto *buttons = new QVBoxLayout;
  for (TAction *a : {GetSQLAction, DodajA}) {
    auto *button = new QPushButton(tabZaawansowane);
    LinkAction(button, a);
    buttons->addWidget(button);
  }
  buttons->addStretch();
  row->addLayout(buttons);
  connect(TabeleList, &QListWidget::currentRowChanged, this, [this] { Guarded(this, [this] { TabeleListClick(); }); });
  connect(TabeleList, &QListWidget::itemDoubleClicked, this, [this] { Guarded(this, [this] { TabeleListDblClick(); }); });
  connect(PolaList, &QListWidget::itemDoubleClicked, this, [this] { Guarded(this, [this] { PolaListDblClick(); }); });
  return tabZaawansowane;
}

QWidget *TSQLMonitorForm::CreateResultBar() {
  auto *bar = new QWidget(this);
  auto *row = new QHBoxLayout(bar);
  row->setContentsMargins(0, 0, 0, 0);
  ExportMenu = new QMenu(this);
  ExportMenu->setObjectName(QStringLiteral("ExportMenu"));
  ExportMenu->addAction(TabFileAction);
  ExportMenu->addAction(SeparatorFileAction);
  ExportMenu->addSeparator();
  ExportMenu->addAction(SeparatorSettingsAction);
  ExportMenu->addSeparator();
  ExportMenu->addAction(PrintA);
  MxSpeedButton3 = new TMxSpeedButton(bar);
  MxSpeedButton3->setObjectName(QStringLiteral("MxSpeedButton3"));
  MxSpeedButton3->SetAction(ExportTableAction);
  MxSpeedButton3->SetDropDownMenu(ExportMenu);
  row->addWidget(MxSpeedButton3);
  FieldNameCheck = new QCheckBox(QString::fromUtf8("Exportuj nazwy pól"), bar);
  FieldNameCheck->setObjectName(QStringLiteral("FieldNameCheck"));
  row->addWidget(FieldNameCheck);
  dbnDBNavigator = new TDBNavigator(bar);
  dbnDBNavigator->setObjectName(QStringLiteral("dbnDBNavigator"));
  dbnDBNavigator->SetVisibleButtons({nbPrior, nbNext});
  dbnDBNavigator->SetHints({QString(), QStringLiteral("Poprzedni"), QString::fromUtf8("Następny")});
  dbnDBNavigator->SetDataSource(DataSource);
  row->addWidget(dbnDBNavigator);
  auto *html = new QPushButton(bar);
  LinkAction(html, GenerujHTMLA);
  row->addWidget(html);
  row->addStretch();
  return bar;
}

QString TSQLMonitorForm::EditorText() const {
  return Memo->toPlainText().replace(u'\n', QStringLiteral("\r\n"));
}

void TSQLMonitorForm::SetEditorText(const QString &text) {
  QString plain = text;
  plain.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  // Text read as lines ends with a line break that is no line of its own.
  if (plain.endsWith(u'\n'))
    plain.chop(1);
  Memo->setPlainText(plain);
}

bool TSQLMonitorForm::EditorEmpty() const { return Memo->document()->isEmpty(); }

bool TSQLMonitorForm::AdvancedTabActive() const { return pgcProfil->currentWidget() == tabZaawansowane; }

void TSQLMonitorForm::UpdateActionUpdate() {
  FileOpenAction->SetEnabled(AdvancedTabActive());
  FileSaveAction->SetEnabled(AdvancedTabActive() && !EditorEmpty());
  ClearEditorAction->SetEnabled(AdvancedTabActive() && !EditorEmpty());
}
