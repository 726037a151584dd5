#include "USqlMon.h"

#include "ActionTools.h"
#include "Application.h"
#include "DBCtrls.h"
#include "DBGrids.h"
#include "DataSource.h"
#include "IBDataSet.h"
#include "IBDatabase.h"
#include "IBQuery.h"
#include "IBScript.h"
#include "IBTransaction.h"
#include "MemoText.h"
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
#include <QVBoxLayout>

TSQLMonitorForm::TSQLMonitorForm(TIBDatabase *database, bool managerRights)
    : TForm(nullptr), FGuard(managerRights), FDatabase(database) {
  setObjectName(QStringLiteral("SQLMonitorForm"));
  setAttribute(Qt::WA_DeleteOnClose);
  // The application owns the console: when the program ends, it goes first, rolling back what
  // nobody committed, while the connection it works on is still open.
  if (Application())
    Application()->InsertForm(this);
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
  using F = TSQLMonitorForm;
  ExecuteSQLAction = NewAction(this, "ExecuteSQLAction", "Wykonaj", &F::ExecuteSQLActionExecute);
  ExecuteSQLScriptA = NewAction(this, "ExecuteSQLScriptA", "Wykonaj skrypt", &F::ExecuteSQLScriptAExecute);
  ExecuteSQLScriptA->SetHint(QStringLiteral("Wykonuje skrypt SQL"));
  FileOpenAction = NewAction(this, "FileOpenAction", "Otwórz z pliku", &F::FileOpenActionExecute);
  FileSaveAction = NewAction(this, "FileSaveAction", "Zapisz do pliku", &F::FileSaveActionExecute);
  ClearEditorAction = NewAction(this, "ClearEditorAction", "Wyczyść", &F::ClearEditorActionExecute);
  PoprzedniePytA = NewAction(this, "PoprzedniePytA", "Poprzednie", &F::PoprzedniePytAExecute);
  NastepnePytA = NewAction(this, "NastepnePytA", "Następne", &F::NastepnePytAExecute);
  GetSQLAction = NewAction(this, "GetSQLAction", "Pobierz pytanie", &F::GetSQLActionExecute);
  DodajA = NewAction(this, "DodajA", "Dodaj pytanie", &F::DodajAExecute);
  ExportTableAction = NewAction(this, "ExportTableAction", "Exportuj tabelę", &F::TabFileActionExecute);
  TabFileAction = NewAction(this, "TabFileAction", "Podział z tabulatorem", &F::TabFileActionExecute);
  SeparatorFileAction =
      NewAction(this, "SeparatorFileAction", "Podział za pomocą separatora", &F::SeparatorFileActionExecute);
  SeparatorSettingsAction = NewAction(this, "SeparatorSettingsAction", "Ustawienia separatora i ogranicznika",
                                      &F::SeparatorSettingsActionExecute);
  PrintA = NewAction(this, "PrintA", "Drukowanie", &F::PrintAExecute);
  GenerujHTMLA = NewAction(this, "GenerujHTMLA", "Generuj HTML", &F::GenerujHTMLAExecute);
  ZapiszKorvinA = NewAction(this, "ZapiszKorvinA", "Zapisz w formacie Korvin", &F::ZapiszKorvinAExecute);
  WizualizacjaA = NewAction(this, "WizualizacjaA", "Wizualizacja", &F::WizualizacjaAExecute);
  ZapiszKorvinA->SetVisible(false);
  WizualizacjaA->SetVisible(false);
  // The form has these three without behaviour.
  PasteAction = NewAction<F>(this, "PasteAction", "Z listy...", nullptr);
  InsertToListAction = NewAction<F>(this, "InsertToListAction", "Wstaw do listy", nullptr);
  UpdateListPosAction = NewAction<F>(this, "UpdateListPosAction", "Zastąp actualną pozycję", nullptr);
  UpdateAction = NewAction<F>(this, "UpdateAction", "Monitor zapytań SQL", nullptr);
  UpdateAction->OnUpdate = [this](QObject *) { UpdateActionUpdate(); };
  ExportTableAction->OnUpdate = [this](QObject *) {
    ExportTableAction->SetEnabled(!EditorEmpty() && Query->Active());
  };
  const auto whenEditorFilled = [this](QObject *sender) {
    static_cast<TAction *>(sender)->SetEnabled(!EditorEmpty());
  };
  ExecuteSQLAction->OnUpdate = whenEditorFilled;
  ExecuteSQLScriptA->OnUpdate = whenEditorFilled;
  PoprzedniePytA->OnUpdate = [this](QObject *) { PoprzedniePytA->SetEnabled(FHistory.CanGoBack()); };
  NastepnePytA->OnUpdate = [this](QObject *) { NastepnePytA->SetEnabled(FHistory.CanGoForward()); };
}

namespace {

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

QPushButton *ActionPushButton(QWidget *parent, TAction *action) {
  auto *button = new QPushButton(parent);
  button->setObjectName(action->objectName() + QStringLiteral("Button"));
  LinkAction(button, action);
  return button;
}

} // namespace

QWidget *TSQLMonitorForm::CreateToolBar() {
  auto *bar = new QWidget(this);
  auto *row = new QHBoxLayout(bar);
  row->setContentsMargins(0, 0, 0, 0);
  AddActionButtons(row, bar,
                   {FileOpenAction, FileSaveAction, ClearEditorAction, PoprzedniePytA, NastepnePytA,
                    ExecuteSQLAction, ExecuteSQLScriptA});
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
  connect(lbZapytania, &QListWidget::currentRowChanged, this,
          [this] { Guarded(this, [this] { lbZapytaniaClick(); }); });
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
  buttons->addWidget(ActionPushButton(tabZaawansowane, GetSQLAction));
  buttons->addWidget(ActionPushButton(tabZaawansowane, DodajA));
  buttons->addStretch();
  row->addLayout(buttons);
  connect(TabeleList, &QListWidget::currentRowChanged, this,
          [this] { Guarded(this, [this] { TabeleListClick(); }); });
  connect(TabeleList, &QListWidget::itemDoubleClicked, this,
          [this] { Guarded(this, [this] { TabeleListDblClick(); }); });
  connect(PolaList, &QListWidget::itemDoubleClicked, this,
          [this] { Guarded(this, [this] { PolaListDblClick(); }); });
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
  // As wide as its caption and the drop-down arrow need.
  MxSpeedButton3->setFixedSize(
      MxSpeedButton3->fontMetrics().horizontalAdvance(ExportTableAction->text()) + 32, 25);
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
  row->addWidget(ActionPushButton(bar, GenerujHTMLA));
  btnZapiszKorvin = ActionPushButton(bar, ZapiszKorvinA);
  btnWizualizacja = ActionPushButton(bar, WizualizacjaA);
  row->addWidget(btnZapiszKorvin);
  row->addWidget(btnWizualizacja);
  row->addStretch();
  AddNewPosMenu = new QMenu(this);
  AddNewPosMenu->setObjectName(QStringLiteral("AddNewPosMenu"));
  AddNewPosMenu->addAction(InsertToListAction);
  AddNewPosMenu->addAction(UpdateListPosAction);
  return bar;
}

QString TSQLMonitorForm::EditorText() const { return MemoText(Memo); }

void TSQLMonitorForm::SetEditorText(const QString &text) { SetMemoText(Memo, text); }

bool TSQLMonitorForm::EditorEmpty() const { return Memo->document()->isEmpty(); }

bool TSQLMonitorForm::AdvancedTabActive() const { return pgcProfil->currentWidget() == tabZaawansowane; }

void TSQLMonitorForm::UpdateActionUpdate() {
  // Hidden while there are no key fields to write: the flag's handlers are bound to no dataset.
  for (TAction *keyAction : {ZapiszKorvinA, WizualizacjaA}) {
    keyAction->SetEnabled(FKeyFieldsPresent);
    keyAction->SetVisible(FKeyFieldsPresent);
  }
  FileOpenAction->SetEnabled(AdvancedTabActive());
  FileSaveAction->SetEnabled(AdvancedTabActive() && !EditorEmpty());
  ClearEditorAction->SetEnabled(AdvancedTabActive() && !EditorEmpty());
}
