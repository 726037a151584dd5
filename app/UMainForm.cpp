#include "UMainForm.h"

#include "Actions.h"
#include "Application.h"
#include "DBCtrls.h"
#include "DBGridColumns.h"
#include "DataSource.h"
#include "Dialogs.h"
#include "Exceptions.h"
#include "Fields.h"
#include "IBDatabase.h"
#include "IBQuery.h"
#include "IBServices.h"
#include "IBTransaction.h"
#include "IniFiles.h"
#include "MxCtrls.h"
#include "MxDBCtrl.h"
#include "MxToolEdit.h"
#include "StdCtrls.h"
#include "UDMSecurity.h"
#include "UMatrycaUprawnien.h"
#include "USqlMon.h"
#include "UUprawnienia.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QRadioButton>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QVBoxLayout>

namespace {

const QString kAllGroups = QStringLiteral("Wszystkie");
const QString kIniName = QStringLiteral("meridox_sec.ini");

TDBEdit *PolicyEdit(QWidget *parent, TDataSource *source, const char *name, const char *column,
                    const char *hint = nullptr) {
  auto *edit = new TDBEdit(parent);
  edit->setObjectName(QString::fromLatin1(name));
  edit->SetDataSource(source);
  edit->SetDataField(QString::fromLatin1(column));
  if (hint) {
    edit->setToolTip(QString::fromUtf8(hint));
    edit->setStatusTip(QString::fromUtf8(hint));
  }
  edit->setMaximumWidth(60);
  return edit;
}

const QStringList kNavigatorHints = {QStringLiteral("Pierwszy"), QStringLiteral("Poprzedni"),
                                     QStringLiteral("Następny"), QStringLiteral("Ostatni"),
                                     QStringLiteral("Wstaw"),    QStringLiteral("Usuń"),
                                     QStringLiteral("Edycja"),   QStringLiteral("Zatwierdż zmiany"),
                                     QStringLiteral("Anuluj"),   QStringLiteral("Odśwież")};

TDBNavigator *PostCancelNavigator(QWidget *parent, TDataSource *source, const char *name) {
  auto *navigator = new TDBNavigator(parent);
  navigator->setObjectName(QString::fromLatin1(name));
  navigator->SetDataSource(source);
  navigator->SetVisibleButtons({nbPost, nbCancel});
  navigator->SetHints(kNavigatorHints);
  return navigator;
}

TMxSpeedButton *ActionButton(QWidget *parent, const char *name, TAction *action) {
  auto *button = new TMxSpeedButton(parent);
  button->setObjectName(QString::fromLatin1(name));
  button->SetAction(action);
  button->setMinimumSize(150, 25);
  return button;
}

TButton *LinkedButton(QWidget *parent, const char *name, TAction *action) {
  auto *button = new TButton(parent);
  button->setObjectName(QString::fromLatin1(name));
  button->SetAction(action);
  return button;
}

} // namespace

QString TMainForm::DefaultIniFileName() {
  const QString exe = Application() ? Application()->ExeName() : QString();
  return QFileInfo(exe).absolutePath() + u'/' + kIniName;
}

TMainForm::TMainForm(QWidget *owner, const QString &iniFileName)
    : TForm(owner), FIniFileName(iniFileName.isEmpty() ? DefaultIniFileName() : iniFileName) {
  setObjectName(QStringLiteral("MainForm"));
  FDM = new TDMSecurity(this);
  dsConfig = new TDataSource(this);
  dsConfig->SetDataSet(FDM->config);
  dsUsers = new TDataSource(this);
  dsUsers->SetDataSet(FDM->users);

  Security = new TIBSecurityService(this);
  Security->SetProtocol(TCP);
  Security->SetServerName(QStringLiteral("localhost"));
  // The login is the one typed in the connection area, set before every attach.
  Security->SetLoginPrompt(false);

  // The sibling import's own connection; the import sets its file and login before it attaches.
  Database = new TIBDatabase(this);
  Database->SetSQLDialect(3);
  Database->SetLoginPrompt(false);
  Database->SetDatabaseName(QStringLiteral("MERIDOX_SEC"));
  Transaction = new TIBTransaction(this);
  Transaction->SetDefaultDatabase(Database);
  Database->SetDefaultTransaction(Transaction);
  Query = new TIBQuery(this);
  Query->SetDatabase(Database);
  Query->SetTransaction(Transaction);

  CreateActions();
  auto *layout = new QVBoxLayout(this);
  layout->addWidget(CreateConnectionArea());
  layout->addWidget(CreatePolicyBox());
  layout->addWidget(CreateUsersBox(), 1);
  StatusBar1 = new QStatusBar(this);
  StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
  StatusBar1->setSizeGripEnabled(false);
  layout->addWidget(StatusBar1);
  PopupMenu1 = new QMenu(this);
  PopupMenu1->addAction(PobierzUzytkownikowZSerweraA);
  PopupMenu1->addAction(PobierzZVeldarA);
  PopupMenu1->addSeparator();
  PopupMenu1->addAction(MatrycaUprawnienA);

  SetAction(UpdateFormA);
  resize(798, 647);
  setMinimumSize(778, 571);
  SetPosition(poDesktopCenter);

  FDM->users->BeforeInsert = [this](TDataSet *d) { usersBeforeInsert(d); };
  FDM->users->AfterInsert = [this](TDataSet *d) { usersAfterInsert(d); };
  FDM->users->OnFilterRecord = [this](TDataSet *d, bool &accept) { usersFilterRecord(d, accept); };
  FDM->users->BeforeDelete = [this](TDataSet *d) { usersBeforeDelete(d); };
  if (Application())
    Application()->OnException = [this](QObject *sender, Exception &e) {
      ApplicationEventsException(sender, e);
    };

  ReadIniFile();
  if (!FDefaultGroup.isEmpty())
    edGrupa->SetText(FDefaultGroup);

  // Carried, but not offered: nothing enables or shows these again.
  PobierzZVeldarA->SetEnabled(false);
  MatrycaUprawnienA->SetEnabled(false);
  btnMatryca->hide();
  btnPobierzZVeldar->hide();
  btnUprawnienia->hide();
  UprawnieniaA->SetEnabled(false);
}

TMainForm::~TMainForm() {
  if (Application())
    Application()->OnException = nullptr;
  try {
    WriteIniFile();
  } catch (const EInOutError &e) {
    // The file is written whole or not at all: the one from before, if any, is still there.
    MessageBox(
        WithSystemReason(QString::fromUtf8("Nie zapisano ustawień programu (ostatni serwer, lista serwerów, "
                                           "domyślna grupa) w pliku:\n") +
                             FIniFileName,
                         e.Reason()),
        QString::fromUtf8("Błąd"), MB_OK | MB_ICONERROR);
  }
}

void TMainForm::CreateActions() {
  const auto action = [this](const char *name, const char *caption, void (TMainForm::*handler)(QObject *)) {
    auto *a = new TAction(this, QString::fromLatin1(name), QString::fromUtf8(caption));
    if (handler)
      a->OnExecute = [this, handler](QObject *sender) { (this->*handler)(sender); };
    return a;
  };
  DBConnectA = action("DBConnectA", "Połącz", &TMainForm::DBConnectAExecute);
  DBDisconnectA = action("DBDisconnectA", "Rozłącz", &TMainForm::DBDisconnectAExecute);
  NowyUzytkownikA = action("NowyUzytkownikA", "Nowy użytkownik", &TMainForm::NowyUzytkownikAExecute);
  ZmienHasloA = action("ZmienHasloA", "Zmień hasło", &TMainForm::ZmienHasloAExecute);
  UsunUzytkownikaA = action("UsunUzytkownikaA", "Usuń użytkownika", &TMainForm::UsunUzytkownikaAExecute);
  GrantAdminRoleA = action("GrantAdminRoleA", "Nadaj/odbierz admin", &TMainForm::GrantAdminRoleAExecute);
  SynchroA = action("SynchroA", "Aktualizacja listy użytkowników", &TMainForm::SynchroAExecute);
  PobierzUzytkownikowZSerweraA = action("PobierzUzytkownikowZSerweraA", "Pobierz użytkowników z serwera",
                                        &TMainForm::PobierzUzytkownikowZSerweraAExecute);
  MonitorSQLA = action("MonitorSQLA", "Monitor SQL", &TMainForm::MonitorSQLAExecute);
  PobierzZVeldarA =
      action("PobierzZVeldarA", "Pobierz użytkowników z VELDAR", &TMainForm::PobierzZVeldarAExecute);
  // The rights editor's windows: the actions stay disabled.
  MatrycaUprawnienA = action("MatrycaUprawnienA", "Matryca uprawnień", &TMainForm::MatrycaUprawnienAExecute);
  UprawnieniaA = action("UprawnieniaA", "Uprawnienia", &TMainForm::UprawnieniaAExecute);
  UpdateFormA = action("UpdateFormA", "Menadżer użytkowników MERIDOX", nullptr);
  UpdateFormA->OnUpdate = [this](QObject *sender) { UpdateFormAUpdate(sender); };
}

QWidget *TMainForm::CreateConnectionArea() {
  auto *area = new QWidget(this);
  auto *grid = new QGridLayout(area);
  grid->setContentsMargins(0, 0, 0, 0);
  edSerwer = new QComboBox(area);
  edSerwer->setObjectName(QStringLiteral("edSerwer"));
  edSerwer->setEditable(true);
  edSerwer->setInsertPolicy(QComboBox::NoInsert);
  edUserName = new QLineEdit(area);
  edUserName->setObjectName(QStringLiteral("edUserName"));
  edAdminPswd = new QLineEdit(area);
  edAdminPswd->setObjectName(QStringLiteral("edAdminPswd"));
  edAdminPswd->setEchoMode(QLineEdit::Password);
  grid->addWidget(new QLabel(QStringLiteral("Serwer:"), area), 0, 0);
  grid->addWidget(edSerwer, 0, 1);
  grid->addWidget(new QLabel(QString::fromUtf8("Użytkownik:"), area), 1, 0);
  grid->addWidget(edUserName, 1, 1);
  grid->addWidget(new QLabel(QString::fromUtf8("Hasło:"), area), 2, 0);
  grid->addWidget(edAdminPswd, 2, 1);
  Button1 = LinkedButton(area, "Button1", DBConnectA);
  Button2 = LinkedButton(area, "Button2", DBDisconnectA);
  SpeedButton5 = new TMxSpeedButton(area);
  SpeedButton5->setObjectName(QStringLiteral("SpeedButton5"));
  SpeedButton5->SetCaption(QString::fromUtf8("Utwórz nową bazę"));
  SpeedButton5->setMinimumSize(130, 25);
  SpeedButton5->OnClick = [this](QObject *) { SpeedButton5Click(); };
  Button3 = LinkedButton(area, "Button3", MonitorSQLA);
  btnMatryca = LinkedButton(area, "btnMatryca", MatrycaUprawnienA);
  btnUprawnienia = LinkedButton(area, "btnUprawnienia", UprawnieniaA);
  grid->addWidget(Button1, 0, 2);
  grid->addWidget(Button2, 1, 2);
  grid->addWidget(SpeedButton5, 2, 2);
  grid->addWidget(Button3, 0, 3);
  grid->addWidget(btnMatryca, 1, 3);
  grid->addWidget(btnUprawnienia, 2, 3);
  grid->setColumnStretch(4, 1);
  return area;
}

QGroupBox *TMainForm::CreatePolicyBox() {
  GroupBox1 = new QGroupBox(QString::fromUtf8("Ustawienia haseł"), this);
  GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
  auto *grid = new QGridLayout(GroupBox1);
  DBEdit1 = PolicyEdit(GroupBox1, dsConfig, "DBEdit1", "PASS_LENGTH");
  DBEdit2 = PolicyEdit(GroupBox1, dsConfig, "DBEdit2", "PASS_COUNT",
                       "Wartość \"0\" oznacza możliwość ponownego wybrania tego samego hasła");
  DBEdit4 = PolicyEdit(GroupBox1, dsConfig, "DBEdit4", "EXTRA_CHARS");
  DBEdit3 = PolicyEdit(GroupBox1, dsConfig, "DBEdit3", "VALIDATE_DAYS",
                       "Wartość \"0\" wyłącza sprawdzanie ważności haseł");
  DBEdit5 = PolicyEdit(GroupBox1, dsConfig, "DBEdit5", "DIGITS");
  DBEdit6 = PolicyEdit(GroupBox1, dsConfig, "DBEdit6", "LOWER_CASES");
  DBEdit7 = PolicyEdit(GroupBox1, dsConfig, "DBEdit7", "UPPER_CASES");
  const auto row = [&](int r, int c, const char *label, QWidget *edit, const char *after = nullptr) {
    grid->addWidget(new QLabel(QString::fromUtf8(label), GroupBox1), r, c);
    grid->addWidget(edit, r, c + 1);
    if (after)
      grid->addWidget(new QLabel(QString::fromUtf8(after), GroupBox1), r, c + 2);
  };
  row(0, 0, "Długość hasła", DBEdit1);
  row(1, 0, "Ilość haseł w historii", DBEdit2);
  row(2, 0, "Ilość znaków specjalnych", DBEdit4);
  row(3, 0, "Ważność haseł", DBEdit3, "dni.");
  row(0, 3, "Ilość cyfr", DBEdit5);
  row(1, 3, "Ilość małych liter", DBEdit6);
  row(2, 3, "Ilość dużych liter", DBEdit7);
  cbWithAdminOpt = new QCheckBox(QString::fromUtf8("Dotyczy również SYSDBA"), GroupBox1);
  cbWithAdminOpt->setObjectName(QStringLiteral("cbWithAdminOpt"));
  connect(cbWithAdminOpt, &QCheckBox::clicked, this,
          [this] { Guarded(this, [this] { cbWithAdminOptClick(); }); });
  grid->addWidget(cbWithAdminOpt, 3, 3, 1, 2);
  DBNavigator1 = PostCancelNavigator(GroupBox1, dsConfig, "DBNavigator1");
  grid->addWidget(DBNavigator1, 0, 6, 1, 1, Qt::AlignRight);
  grid->setColumnStretch(5, 1);
  return GroupBox1;
}

void TMainForm::CreateUsersGrid() {
  UsrGrid = new TMxDBGrid(GroupBox2);
  UsrGrid->setObjectName(QStringLiteral("UsrGrid"));
  UsrGrid->SetDataSource(dsUsers);
  // The grid's own delete is routed through "Usuń użytkownika", which asks its own question.
  UsrGrid->SetOptions(UsrGrid->Options() & ~TDBGridOptions(dgConfirmDelete));
  struct Column {
    const char *Field;
    int Width;
    bool Shaded;
  };
  for (const Column &c :
       {Column{"USER_NAME", 90, true}, Column{"FIRST_NAME", 73, false}, Column{"SECOND_NAME", 91, false},
        Column{"USER_ID", 91, false}, Column{"PSWD_DATE", 136, true}, Column{"GRUPA", 103, false}}) {
    TColumn *column = UsrGrid->Columns().Add();
    column->SetFieldName(QString::fromLatin1(c.Field));
    column->SetWidth(c.Width);
    if (c.Shaded)
      column->SetColor(clInactiveBorder);
  }
  // A name typed over would rename the row only, and the next synchronisation would drop the row
  // and take the server user over blank; new rows come from "Nowy użytkownik".
  UsrGrid->Columns().Items(0)->SetReadOnly(true);
  UsrGrid->Columns().Items(5)->SetButtonStyle(cbsEllipsis);
  UsrGrid->OnGetCellParams = [this](QObject *sender, TField *field, TFont &font, TColor &background,
                                    bool highlight) {
    UsrGridGetCellParams(sender, field, font, background, highlight);
  };
  UsrGrid->OnEditButtonClick = [this](QObject *sender) { UsrGridEditButtonClick(sender); };
}

QGroupBox *TMainForm::CreateUsersBox() {
  GroupBox2 = new QGroupBox(QString::fromUtf8("Użytkownicy"), this);
  GroupBox2->setObjectName(QStringLiteral("GroupBox2"));
  auto *grid = new QGridLayout(GroupBox2);
  CreateUsersGrid();
  grid->addWidget(UsrGrid, 0, 0, 6, 3);
  SpeedButton2 = ActionButton(GroupBox2, "SpeedButton2", NowyUzytkownikA);
  SpeedButton1 = ActionButton(GroupBox2, "SpeedButton1", ZmienHasloA);
  SpeedButton4 = ActionButton(GroupBox2, "SpeedButton4", GrantAdminRoleA);
  SpeedButton3 = ActionButton(GroupBox2, "SpeedButton3", UsunUzytkownikaA);
  SpeedButton3->SetFontColor(clRed);
  grid->addWidget(SpeedButton2, 0, 3);
  grid->addWidget(SpeedButton1, 1, 3);
  grid->addWidget(SpeedButton4, 2, 3);
  grid->addWidget(SpeedButton3, 3, 3);

  RadioGroup1 = new QGroupBox(QString::fromUtf8("Sortuj według:"), GroupBox2);
  RadioGroup1->setObjectName(QStringLiteral("RadioGroup1"));
  auto *radios = new QGridLayout(RadioGroup1);
  RadioGroup1Items[0] = new QRadioButton(QString::fromUtf8("Nazwy użytkownika"), RadioGroup1);
  RadioGroup1Items[1] = new QRadioButton(QString::fromUtf8("Nazwiska i imienia"), RadioGroup1);
  radios->addWidget(RadioGroup1Items[0], 0, 0);
  radios->addWidget(RadioGroup1Items[1], 0, 1);
  RadioGroup1Items[0]->setChecked(true);
  for (QRadioButton *item : RadioGroup1Items)
    connect(item, &QRadioButton::clicked, this, [this] { Guarded(this, [this] { RadioGroup1Click(); }); });
  grid->addWidget(RadioGroup1, 6, 0);

  auto *groupArea = new QWidget(GroupBox2);
  auto *groupRow = new QGridLayout(groupArea);
  groupRow->setContentsMargins(0, 0, 0, 0);
  edGrupa = new TComboEdit(groupArea);
  edGrupa->setObjectName(QStringLiteral("edGrupa"));
  edGrupa->SetDirectInput(false);
  edGrupa->SetGlyphKind(gkEllipsis);
  edGrupa->SetText(kAllGroups);
  edGrupa->OnButtonClick = [this](QObject *sender) { edGrupaButtonClick(sender); };
  groupRow->addWidget(new QLabel(QStringLiteral("Widoczna grupa:"), groupArea), 0, 0);
  groupRow->addWidget(edGrupa, 0, 1);
  btnPobierzZVeldar = LinkedButton(groupArea, "btnPobierzZVeldar", PobierzZVeldarA);
  groupRow->addWidget(btnPobierzZVeldar, 0, 2);
  grid->addWidget(groupArea, 6, 1);
  DBNavigator2 = PostCancelNavigator(GroupBox2, dsUsers, "DBNavigator2");
  grid->addWidget(DBNavigator2, 6, 2, Qt::AlignRight);

  DBCheckBox1 = new TDBCheckBox(GroupBox2);
  DBCheckBox1->setObjectName(QStringLiteral("DBCheckBox1"));
  DBCheckBox1->setText(QString::fromUtf8("Wymagana zmiana hasła przy następnym logowaniu"));
  DBCheckBox1->SetDataSource(dsUsers);
  DBCheckBox1->SetDataField(QStringLiteral("PSWD_VALID"));
  DBCheckBox1->SetValueChecked(QStringLiteral("0"));
  DBCheckBox1->SetValueUnchecked(QStringLiteral("1"));
  DBCheckBox2 = new TDBCheckBox(GroupBox2);
  DBCheckBox2->setObjectName(QStringLiteral("DBCheckBox2"));
  DBCheckBox2->setText(QString::fromUtf8("Hasło nigdy nie wygasa"));
  DBCheckBox2->SetDataSource(dsUsers);
  DBCheckBox2->SetDataField(QStringLiteral("PSWD_ALWAYS_VALID"));
  DBCheckBox2->SetValueChecked(QStringLiteral("1"));
  DBCheckBox2->SetValueUnchecked(QStringLiteral("0"));
  grid->addWidget(DBCheckBox1, 7, 0, 1, 2);
  grid->addWidget(DBCheckBox2, 7, 2, 1, 2);
  grid->setColumnStretch(1, 1);
  grid->setRowStretch(5, 1);
  return GroupBox2;
}

void TMainForm::ReadIniFile() {
  TMemIniFile ini(FIniFileName);
  TStringList servers;
  ini.ReadSectionValues(QStringLiteral("SERVERS"), servers);
  edSerwer->addItems(servers.ToStringList());
  edSerwer->setEditText(
      ini.ReadString(QStringLiteral("LAST_SERVER"), QStringLiteral("SERVER"), QStringLiteral("127.0.0.1")));
  FDefaultGroup = ini.ReadString(QStringLiteral("GROUPS"), QStringLiteral("Default"), QString());
  FChangeEnabled = static_cast<unsigned char>(
      ini.ReadInteger(QStringLiteral("GROUPS"), QStringLiteral("ChangeEnabled"), 1));
}

void TMainForm::WriteIniFile() {
  TMemIniFile ini(FIniFileName);
  TStringList text;
  text.Add(QStringLiteral("[LAST_SERVER]"));
  text.Add(QStringLiteral("SERVER=") + edSerwer->currentText());
  text.Add(QStringLiteral("[SERVERS]"));
  for (int i = 0; i < edSerwer->count(); ++i)
    text.Add(edSerwer->itemText(i));
  ini.SetStrings(text);
  ini.WriteString(QStringLiteral("GROUPS"), QStringLiteral("Default"), FDefaultGroup);
  ini.WriteInteger(QStringLiteral("GROUPS"), QStringLiteral("ChangeEnabled"), FChangeEnabled);
  ini.UpdateFile();
}

bool TMainForm::ConnectedAsSysdba() const {
  return FDM->Database->Connected() && IsSysdba(FDM->Database->Params().Values(QStringLiteral("user_name")));
}

void TMainForm::UpdateFormAUpdate(QObject *) {
  if (FDM) {
    const QSignalBlocker detached(cbWithAdminOpt);
    if (!FDM->config->Active()) {
      cbWithAdminOpt->setChecked(false);
      cbWithAdminOpt->setEnabled(false);
    } else {
      cbWithAdminOpt->setEnabled(true);
      cbWithAdminOpt->setChecked(FDM->GetConfigSysdbaFlag());
    }
  }
  const bool connected = FDM->Database->Connected();
  const bool sysdba = ConnectedAsSysdba();
  SynchroA->SetEnabled(sysdba);
  GrantAdminRoleA->SetEnabled(sysdba);
  MonitorSQLA->SetEnabled(connected);
  NowyUzytkownikA->SetEnabled(sysdba);
  ZmienHasloA->SetEnabled(sysdba);
  UsunUzytkownikaA->SetEnabled(sysdba);
  edSerwer->setEnabled(!connected);
  edGrupa->setEnabled(connected && FChangeEnabled != 0);
}

void TMainForm::cbWithAdminOptClick() { FDM->SetConfigSysdbaFlag(cbWithAdminOpt->isChecked()); }

QString TMainForm::TranslatedMessage(const QString &message) {
  QString text = message;
  if (text.contains(QStringLiteral("Your user name and password are not defined")))
    text = QString::fromUtf8("Nazwa użytkownika lub hasło są nieprawidłowe. Skontaktuj się z administratorem "
                             "systemu w celu zweryfikowania nazwy użytkownika i hasła.");
  if (text.contains(QStringLiteral("Error while trying to open file")))
    text = QString::fromUtf8("Błąd otwarcia pliku.");
  return text;
}

void TMainForm::ApplicationEventsException(QObject *, Exception &E) {
  E.SetMessage(TranslatedMessage(E.Message()));
  Application()->ShowException(E);
}

void TMainForm::usersBeforeInsert(TDataSet *) {
  if (FAllowInsert == 0)
    Abort();
}

QVariant TMainForm::PresetGroup() const {
  if (edGrupa->Text() == kAllGroups)
    return {};
  return edGrupa->Text().left(FDM->users->FieldByName(QStringLiteral("GRUPA"))->Size());
}

void TMainForm::usersAfterInsert(TDataSet *DataSet) {
  if (const QVariant group = PresetGroup(); !group.isNull())
    DataSet->FieldByName(QStringLiteral("GRUPA"))->SetAsString(group.toString());
}

void TMainForm::usersFilterRecord(TDataSet *DataSet, bool &Accept) {
  if (edGrupa->Text() == kAllGroups) {
    Accept = true;
    return;
  }
  TField *group = DataSet->FieldByName(QStringLiteral("GRUPA"));
  Accept = !group->IsNull() && group->AsString() == edGrupa->Text();
}

void TMainForm::usersBeforeDelete(TDataSet *) {
  if (FAllowDelete != 0)
    return;
  // A row deleted on its own would leave the server user behind, and the next synchronisation
  // would bring the user back without names, PESEL or group.
  UsunUzytkownikaA->Execute();
  Abort();
}

void TMainForm::ApplyGroupFilter() { FDM->users->SetFiltered(edGrupa->Text() != kAllGroups); }

int TMainForm::RadioGroup1ItemIndex() const {
  for (int i = 0; i < 2; ++i)
    if (RadioGroup1Items[i]->isChecked())
      return i;
  return -1;
}

void TMainForm::SetRadioGroup1ItemIndex(int index) {
  if (index >= 0 && index < 2)
    RadioGroup1Items[index]->setChecked(true);
  RadioGroup1Click();
}

void TMainForm::RadioGroup1Click() {
  const int index = RadioGroup1ItemIndex();
  if (index != 0 && index != 1)
    return;
  FDM->users->Close();
  FDM->users->SQL().Assign(
      TDMSecurity::UsersSelectLines() +
      QStringList{index == 0 ? TDMSecurity::UsersOrderByName() : TDMSecurity::UsersOrderBySurname()});
  FDM->users->Open();
}

void TMainForm::UsrGridGetCellParams(QObject *, TField *, TFont &AFont, TColor &, bool) {
  if (FDM->CurrentUserHoldsAdminRole())
    AFont.SetColor(clRed);
}

void TMainForm::MonitorSQLAExecute(QObject *) {
  // Modeless and owned by the application: the console frees itself when closed, and goes when the
  // program ends.
  auto *monitor = new TSQLMonitorForm(FDM->Database, true);
  monitor->show();
}

void TMainForm::MatrycaUprawnienAExecute(QObject *) {
  auto form = std::make_unique<TMatrycaUprawnien>(this);
  form->FDM = FDM;
  form->FPassword = edAdminPswd->text();
  form->FUserName = edUserName->text();
  form->FServer = edSerwer->currentText();
  form->ShowModal();
}

void TMainForm::UprawnieniaAExecute(QObject *) {
  auto form = std::make_unique<TUprawnieniaForm>(this);
  form->FGroup = edGrupa->Text();
  form->InitRightsEditor(FDM->Database, edSerwer->currentText(), QStringLiteral("bazy.txt"));
  form->ShowModal();
}

bool TMainForm::event(QEvent *event) {
  if (event->type() == QEvent::StatusTip) {
    StatusBar1->showMessage(static_cast<QStatusTipEvent *>(event)->tip());
    return true;
  }
  return TForm::event(event);
}
