#include "UUprawnienia.h"

#include "Application.h"
#include "ApplicationLogin.h"
#include "DBGridColumns.h"
#include "DataSource.h"
#include "DatabaseListFormat.h"
#include "Dialogs.h"
#include "ExDBGrid.h"
#include "Fields.h"
#include "IBDatabase.h"
#include "IBQuery.h"
#include "IBSQL.h"
#include "IBTransaction.h"
#include "IBUpdateSQL.h"
#include "PageControl.h"
#include "ProgramFolder.h"
#include "StdCtrls.h"
#include "woxMemTable.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QVBoxLayout>

namespace {

const QString kAllGroups = QStringLiteral("Wszystkie");
// The alternating colour of the users grid's rows.
constexpr TColor kUserRowColor = 12255087;
// Polish names sort by Polish rules whatever the process's locale is.
constexpr int kLanguagePolish = 0x15;

void UseReadCommitted(TIBTransaction *transaction) {
  transaction->Params().SetText(QStringLiteral("read_committed\nrec_version\nnowait"));
}

TIBDatabase *NewConnection(QObject *owner, const char *name) {
  auto *database = new TIBDatabase(owner);
  database->setObjectName(QString::fromLatin1(name));
  database->SetSQLDialect(3);
  database->SetLoginPrompt(false);
  return database;
}

TIBTransaction *NewTransaction(QObject *owner, const char *name, TIBDatabase *database) {
  auto *transaction = new TIBTransaction(owner);
  transaction->setObjectName(QString::fromLatin1(name));
  transaction->SetDefaultDatabase(database);
  UseReadCommitted(transaction);
  return transaction;
}

template <class Field>
Field *NewField(TDataSet *dataSet, const char *name, int size = 0, const char *label = nullptr) {
  auto *field = new Field(dataSet);
  field->SetFieldName(QString::fromLatin1(name));
  if (size > 0)
    field->SetSize(size);
  if (label)
    field->SetDisplayLabel(QString::fromUtf8(label));
  field->SetDataSet(dataSet);
  return field;
}

} // namespace

TUprawnieniaForm::TUprawnieniaForm(QWidget *owner) : TForm(owner) {
  setObjectName(QStringLiteral("UprawnieniaForm"));
  SetCaption(QStringLiteral("Uprawnienia"));
  SetBorderStyle(bsDialog);
  SetPosition(poDesktopCenter);
  CreateDataComponents();
  auto *layout = new QVBoxLayout(this);
  layout->addWidget(CreateTopArea());
  CreatePageControl();
  layout->addWidget(PageControl, 1);
  setFixedSize(836, 749);
  FormCreate(this);
}

TUprawnieniaForm::~TUprawnieniaForm() = default;

void TUprawnieniaForm::CreateDataComponents() {
  MemTable = new TwoxMemTable(this);
  MemTable->setObjectName(QStringLiteral("MemTable"));
  MemTable->FieldDefs().Add(QStringLiteral("Nazwa"), ftString, 200);
  MemTable->FieldDefs().Add(QStringLiteral("Baza"), ftString, 300);
  MemTable->FieldDefs().Add(QStringLiteral("Grupa"), ftString, 100);
  // Quote ", comma, "True"/"False", definitions and indexes saved and loaded, loading from the start.
  woxCSVStreamFormat1 = new TDatabaseListFormat(this);
  woxCSVStreamFormat1->setObjectName(QStringLiteral("woxCSVStreamFormat1"));
  MemTable->SetDefaultFormat(woxCSVStreamFormat1);

  DBUsers = NewConnection(this, "DBUsers");
  UsersTransaction = NewTransaction(this, "UsersTransaction", DBUsers);
  IBQueryUsers = new TIBQuery(this);
  IBQueryUsers->setObjectName(QStringLiteral("IBQueryUsers"));
  IBQueryUsers->SetDatabase(DBUsers);
  IBQueryUsers->SetTransaction(UsersTransaction);
  IBQueryUsers->SQL().SetText(QStringLiteral("SELECT *\nFROM USERS ORDER BY USER_NAME"));
  NewField<TStringField>(IBQueryUsers, "USER_NAME", 50)->SetRequired(true);
  NewField<TDateTimeField>(IBQueryUsers, "PSWD_DATE");
  NewField<TStringField>(IBQueryUsers, "FIRST_NAME", 50);
  NewField<TStringField>(IBQueryUsers, "SECOND_NAME", 50);
  NewField<TStringField>(IBQueryUsers, "USER_ID", 11);
  NewField<TSmallintField>(IBQueryUsers, "PSWD_VALID");
  NewField<TStringField>(IBQueryUsers, "GRUPA", 30);
  IBQueryUsers->OnFilterRecord = [this](TDataSet *dataSet, bool &accept) {
    IBQueryUsersFilterRecord(dataSet, accept);
  };

  CreateUsersTable();
  CreateConnections();
}

void TUprawnieniaForm::CreateUsersTable() {
  MemUsers = new TwoxMemTable(this);
  MemUsers->setObjectName(QStringLiteral("MemUsers"));
  MemUsers->SetLanguageID(kLanguagePolish);
  NewField<TStringField>(MemUsers, "USER_NAME", 50, "Użytkownik")->SetRequired(true);
  NewField<TDateTimeField>(MemUsers, "PSWD_DATE");
  NewField<TStringField>(MemUsers, "FIRST_NAME", 50, "Imię");
  NewField<TStringField>(MemUsers, "SECOND_NAME", 50, "Nazwisko");
  NewField<TStringField>(MemUsers, "USER_ID", 11);
  NewField<TSmallintField>(MemUsers, "PSWD_VALID");
  NewField<TBooleanField>(MemUsers, "CHECK", 0, "Zazn.");
  NewField<TStringField>(MemUsers, "GRUPA", 30);
  for (TField *field : MemUsers->FieldList())
    field->SetReadOnly(field->FieldName() != QStringLiteral("CHECK") &&
                       field->FieldName() != QStringLiteral("GRUPA"));
  MemUsers->IndexDefs().Add(QStringLiteral("MemUsersIndex"), QStringLiteral("SECOND_NAME;FIRST_NAME"), {});
  MemUsers->SetIndexName(QStringLiteral("MemUsersIndex"));
  MemUsers->Open();
  DSMemUsers = new TDataSource(this);
  DSMemUsers->SetDataSet(MemUsers);
}

void TUprawnieniaForm::CreateConnections() {
  Databases = NewConnection(this, "Databases");
  DBTransaction = NewTransaction(this, "DBTransaction", Databases);
  // A run commits what it wrote; nothing left pending is ever committed by a disconnect.
  DBTransaction->SetDefaultAction(taRollback);
  Databases->SetDefaultTransaction(DBTransaction);
  IBSQL = new TIBSQL(this);
  IBSQL->SetDatabase(Databases);
  IBSQL->SetTransaction(DBTransaction);
  IBQuery = new TIBQuery(this);
  IBQuery->setObjectName(QStringLiteral("IBQuery"));
  IBQuery->SetDatabase(Databases);
  IBQuery->SetTransaction(DBTransaction);
  IBUpdateSQL = new TIBUpdateSQL(this);
  IBQuery->SetUpdateObject(IBUpdateSQL);

  // The sister files' transactions roll back unless a run commits them.
  const auto sister = [this](const char *name, const char *transactionName, TIBTransaction *&transaction) {
    TIBDatabase *database = NewConnection(this, name);
    database->Params().SetText(QStringLiteral("user_name=SYSDBA\nlc_ctype=WIN1250"));
    transaction = NewTransaction(this, transactionName, database);
    transaction->SetDefaultAction(taRollback);
    database->SetDefaultTransaction(transaction);
    return database;
  };
  DatabasesFDD = sister("DatabasesFDD", "DBTransactionFDD", DBTransactionFDD);
  DatabasesFDR = sister("DatabasesFDR", "DBTransactionFDR", DBTransactionFDR);
}

QWidget *TUprawnieniaForm::CreateTopArea() {
  auto *area = new QWidget(this);
  auto *grid = new QGridLayout(area);
  grid->setContentsMargins(0, 0, 0, 0);
  grid->addWidget(new QLabel(QStringLiteral("Programy"), area), 0, 0);
  grid->addWidget(new QLabel(QString::fromUtf8("Użytkownicy"), area), 0, 1);

  grid->addWidget(CreateProgramTree(area), 1, 0, 2, 1);
  grid->setColumnStretch(0, 0);

  ExDBGrid1 = new TExDBGrid(area);
  ExDBGrid1->setObjectName(QStringLiteral("ExDBGrid1"));
  ExDBGrid1->SetDataSource(DSMemUsers);
  for (const char *name : {"CHECK", "SECOND_NAME", "FIRST_NAME", "USER_NAME"})
    ExDBGrid1->Columns().Add()->SetFieldName(QString::fromLatin1(name));
  ExDBGrid1->Columns()[0]->SetWidth(40);
  ExDBGrid1->Columns()[1]->SetWidth(130);
  ExDBGrid1->Columns()[2]->SetWidth(100);
  ExDBGrid1->Columns()[3]->SetWidth(180);
  ExDBGrid1->SetValueChecked(1);
  ExDBGrid1->SetValueUnChecked(0);
  ExDBGrid1->SetAllowAutoAppend(false);
  ExDBGrid1->SetRowColor1(kUserRowColor);
  ExDBGrid1->SetRowColor2(clWindow);
  ExDBGrid1->SetUseRowColors(true);
  ExDBGrid1->SetDefaultRowHeight(17);
  grid->addWidget(ExDBGrid1, 1, 1);

  CBAllUsers = new QCheckBox(QString::fromUtf8("Zaznacz/odznacz wszystkich użytkowników"), area);
  CBAllUsers->setObjectName(QStringLiteral("CBAllUsers"));
  connect(CBAllUsers, &QCheckBox::toggled, this,
          [this] { Guarded(this, [this] { CBAllUsersClick(CBAllUsers); }); });
  CBDaneOsobowe = new QCheckBox(QStringLiteral("Podmieniaj dane osobowe"), area);
  CBDaneOsobowe->setObjectName(QStringLiteral("CBDaneOsobowe"));
  BPokazPrawa = new TButton(area, QString::fromUtf8("Pokaż prawa"));
  BPokazPrawa->setObjectName(QStringLiteral("BPokazPrawa"));
  connect(BPokazPrawa, &QPushButton::clicked, this,
          [this] { Guarded(this, [this] { BPokazPrawaClick(BPokazPrawa); }); });
  BitBtn2 = new TButton(area, QStringLiteral("Przypisz prawa"));
  BitBtn2->setObjectName(QStringLiteral("BitBtn2"));
  BitBtn2->SetDefault(true);
  connect(BitBtn2, &QPushButton::clicked, this, [this] { Guarded(this, [this] { BitBtn2Click(BitBtn2); }); });
  BitBtn1 = new TButton(area, QStringLiteral("Zamknij"));
  BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
  BitBtn1->SetModalResult(mrCancel);
  auto *checks = new QHBoxLayout;
  checks->addWidget(CBAllUsers);
  checks->addWidget(CBDaneOsobowe);
  checks->addStretch(1);
  auto *buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(BPokazPrawa);
  buttons->addWidget(BitBtn2);
  buttons->addWidget(BitBtn1);
  auto *controls = new QVBoxLayout;
  controls->addLayout(checks);
  controls->addLayout(buttons);
  grid->addLayout(controls, 2, 1);
  grid->setColumnMinimumWidth(0, 300);
  grid->setColumnStretch(1, 1);
  area->setFixedHeight(300);
  return area;
}

void TUprawnieniaForm::InitRightsEditor(TIBDatabase *Database, const QString &Server,
                                        const QString &FileName) {
  FFileName = FileName;
  FServer = Server;
  MemTable->Open();
  // The list window's rules: a list read with a loss is refused here too, not shown half.
  woxCSVStreamFormat1->SetFileName(ProgramFolder() + FFileName);
  LoadDatabaseList(*MemTable, ProgramFolder() + FFileName);
  BuildProgramTree();
  ShowTreeCheckBoxes();
  if (!Database->Connected())
    Database->Open();
  UsersTransaction->SetDefaultDatabase(Database);
  IBQueryUsers->SetDatabase(Database);
  Databases->Params().Clear();
  SetApplicationLogin(Databases->Params(), Database->Params());
  SetApplicationLogin(DatabasesFDD->Params(), Database->Params());
  SetApplicationLogin(DatabasesFDR->Params(), Database->Params());
  LoadUsers();
  UpdateProgramTabs();
  TellUnknownGroups();
}

void TUprawnieniaForm::LoadUsers() {
  UsersTransaction->SetActive(false);
  IBQueryUsers->Close();
  UsersTransaction->SetActive(true);
  IBQueryUsers->Open();
  IBQueryUsers->SetFiltered(FGroup != kAllGroups);
  if (!MemUsers->Active())
    MemUsers->Open();
  MemUsers->LoadFromDataSet(IBQueryUsers, {});
}

void TUprawnieniaForm::FormCreate(QObject *) {
  ExDBGrid1->SetSelectedField(MemUsers->FieldByName(QStringLiteral("SECOND_NAME")));
}

void TUprawnieniaForm::FormShow(QObject *) {
  RefreshKorvinRightsLists();
  RefreshTormiskRightsLists();
}

int TUprawnieniaForm::ShowModal() {
  FormShow(this);
  return TForm::ShowModal();
}

void TUprawnieniaForm::keyPressEvent(QKeyEvent *event) {
  // "Zamknij" is no cancel button: Escape leaves the window open.
  if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
    event->accept();
    return;
  }
  TForm::keyPressEvent(event);
}

void TUprawnieniaForm::CBAllUsersClick(QObject *) {
  TField *check = MemUsers->FieldByName(QStringLiteral("CHECK"));
  MemUsers->DisableControls();
  try {
    for (MemUsers->First(); !MemUsers->Eof(); MemUsers->Next()) {
      if (MemUsers->State() != dsEdit)
        MemUsers->Edit();
      check->SetAsBoolean(CBAllUsers->isChecked());
    }
  } catch (...) {
    MemUsers->EnableControls();
    throw;
  }
  MemUsers->EnableControls();
}

void TUprawnieniaForm::IBQueryUsersFilterRecord(TDataSet *DataSet, bool &Accept) {
  TField *group = DataSet->FieldByName(QStringLiteral("GRUPA"));
  Accept = !group->IsNull() && group->AsString() == FGroup;
}

void TUprawnieniaForm::PostPendingTick() {
  if (MemUsers->State() == dsEdit || MemUsers->State() == dsInsert)
    MemUsers->Post();
}

QStringList TUprawnieniaForm::TickedUsers() {
  QStringList users;
  TField *name = MemUsers->FieldByName(QStringLiteral("USER_NAME"));
  TField *check = MemUsers->FieldByName(QStringLiteral("CHECK"));
  const TBookmark current = MemUsers->GetBookmark();
  MemUsers->DisableControls();
  for (MemUsers->First(); !MemUsers->Eof(); MemUsers->Next())
    if (check->AsBoolean())
      users.append(name->AsString().trimmed());
  if (MemUsers->BookmarkValid(current))
    MemUsers->GotoBookmark(current);
  MemUsers->EnableControls();
  return users;
}
