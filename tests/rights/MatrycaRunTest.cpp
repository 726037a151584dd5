// "Utwórz matrycę" against application databases on the test server: the page's bytes, where the
// run stops and what it leaves, the login it uses, and the users the options dialog lists.
#include "MatrixFixture.h"

#include "ApplicationDatabase.h"
#include "DB.h"
#include "DatabaseListFile.h"
#include "DateTimeUtils.h"
#include "FormatSettings.h"
#include "GridInput.h"
#include "IBDatabase.h"
#include "IBQuery.h"
#include "MxDBCtrl.h"
#include "ProgramFolder.h"
#include "SecurityPeople.h"
#include "StdCtrls.h"
#include "TestServer.h"
#include "UAdminRights.h"
#include "UDMSecurity.h"
#include "UMatrycaOpcje.h"
#include "Win1250.h"
#include "woxMemTable.h"

#include <QCheckBox>
#include <QDateTime>
#include <QFile>

namespace {

// The users the page tests pick; each name tells what it holds.
const QString kReader = QStringLiteral("CZYTAJACY");
const QString kWriter = QStringLiteral("PISZACY");
const QString kAdministrator = QStringLiteral("ZARZADCA");
const QString kPrefixed = QStringLiteral("PREFIKS");
const QString kUnrelated = QStringLiteral("OBCY");
const QString kTwoRoles = QStringLiteral("DWIE_ROLE");
const QString kMarkup = QStringLiteral("A<B&C");
const QString kPolish = QString::fromUtf8("ŁUKASZ");
// In the users list's order (Polish: Ł after L).
const QStringList kPageUsers = {kMarkup,    kReader, kTwoRoles, kPolish,
                                kUnrelated, kWriter, kPrefixed, kAdministrator};

const QString kEwidencja = QString::fromUtf8("Ewidencja <gruntów> & budynków");

QString Grant(const QString &role, const QString &user) {
  return QStringLiteral("grant %1 to %2").arg(role, QuotedIdentifier(user));
}

// Answers "Elementy matrycy": only these users ticked, the databases as they come (all ticked)
// unless noDatabase.
std::function<int(TMatrycaOpcje &)> Pick(const QStringList &users, bool noDatabase = false) {
  return [users, noDatabase](TMatrycaOpcje &options) {
    EXPECT_EQ(options.Caption(), "Elementy matrycy");
    options.Button4->click();
    if (noDatabase)
      options.Button2->click();
    for (const QString &user : users) {
      EXPECT_TRUE(options.TableUsers->Locate("USER_NAME", user, {})) << user.toStdString();
      options.TableUsers->Edit();
      options.TableUsers->FieldByName("DRUK")->SetAsBoolean(true);
      options.TableUsers->Post();
    }
    return int(mrOk);
  };
}

// The security database with the page's users in USERS, and three application databases whose
// roles those users hold; shared by the suite, as their making takes the server a while.
class MatrixRunTest : public MatrixListTest {
protected:
  static void SetUpTestSuite() {
    if (!TestServer::Available())
      return;
    People = std::make_unique<SecurityPeople>();
    QStringList inserts;
    for (const QString &user : kPageUsers)
      inserts << QStringLiteral("insert into USERS (USER_NAME, FIRST_NAME, SECOND_NAME, PSWD_VALID) "
                                "values ('%1', 'Imię', 'Nazwisko', 1)")
                     .arg(user);
    // Two roles in the security database: the users list still holds the user once.
    inserts << "create role KSIEGOWA" << Grant("KSIEGOWA", kTwoRoles) << Grant("RDB$ADMIN", kTwoRoles);
    People->Database().Execute(inserts);
    Module = People->Connect();

    Veldar = std::make_unique<ApplicationDatabase>("VELDAR");
    Veldar->Execute({"create role ZAPIS_ARCH", Grant("ODCZYT", kReader), Grant("ZAPIS", kWriter),
                     Grant("RDB$ADMIN", kAdministrator), Grant("ZAPIS_ARCH", kUnrelated),
                     Grant("ODCZYT", kTwoRoles), Grant("ZAPIS", kTwoRoles), Grant("ODCZYT", kMarkup),
                     Grant("ZAPIS", kPolish)});
    Korvin = std::make_unique<ApplicationDatabase>("KORVIN");
    Korvin->Execute({Grant("KN_ZAPIS", kPrefixed), Grant("KN_ODCZYT", kTwoRoles)});
    Tormisk = std::make_unique<ApplicationDatabase>("TORMISK");
    Tormisk->Execute({Grant("TK_ODCZYT", kPrefixed), Grant("TK_ZAPIS", kAdministrator),
                      Grant("RDB$ADMIN", kAdministrator)});
  }
  static void TearDownTestSuite() {
    Veldar.reset();
    Korvin.reset();
    Tormisk.reset();
    Module.reset();
    People.reset();
  }

  void SetUp() override {
    if (!People)
      GTEST_SKIP() << "no test server: run tools/test.sh";
    MatrixListTest::SetUp();
    FormatSettings() = TFormatSettings::Polish();
    SetClock([] { return MatrixRunTime(); });
  }
  void TearDown() override {
    SetClock(nullptr);
    MatrixListTest::TearDown();
  }

  std::vector<ListedDatabase> ThreeDatabases() const {
    return {{kEwidencja, Veldar->Path(), "VELDAR"},
            {"Mapy", Korvin->Path(), "KORVIN"},
            {"Rejestr", Tormisk->Path(), "TORMISK"}};
  }
  // Writes the list, opens the window with the main window's login as SYSDBA.
  void OpenOn(const std::vector<ListedDatabase> &rows, const QString &server) {
    WriteDatabaseList(ListPath(), rows);
    OpenWindow();
    Form->FDM = Module.get();
    Form->FUserName = "SYSDBA";
    Form->FPassword = TestServer::SysdbaPassword();
    Form->FServer = server;
  }
  QString PagePath() const { return Folder.filePath("matryca.html"); }

  static std::unique_ptr<SecurityPeople> People;
  static std::unique_ptr<TDMSecurity> Module;
  static std::unique_ptr<ApplicationDatabase> Veldar, Korvin, Tormisk;
  TFormatSettingsScope Settings;
};

std::unique_ptr<SecurityPeople> MatrixRunTest::People;
std::unique_ptr<TDMSecurity> MatrixRunTest::Module;
std::unique_ptr<ApplicationDatabase> MatrixRunTest::Veldar, MatrixRunTest::Korvin, MatrixRunTest::Tormisk;

const QByteArray kHead = MatrixPageHead();
const QByteArray kTail = MatrixPageTail();
const QByteArray kUserCells = "<td width=\"50\" align=center>A&lt;B&amp;C</td>\r\n"
                              "<td width=\"50\" align=center>CZYTAJACY</td>\r\n"
                              "<td width=\"50\" align=center>DWIE_ROLE</td>\r\n"
                              "<td width=\"50\" align=center>\xA3UKASZ</td>\r\n"
                              "<td width=\"50\" align=center>OBCY</td>\r\n"
                              "<td width=\"50\" align=center>PISZACY</td>\r\n"
                              "<td width=\"50\" align=center>PREFIKS</td>\r\n"
                              "<td width=\"50\" align=center>ZARZADCA</td>\r\n"
                              "</tr>\r\n";

// The page as text, so that a difference reads as one; the bytes are Windows-1250.
QString PageText(const QByteArray &bytes) { return Win1250::Decode(bytes); }

// The texts between each opening and the closing that follows it, in page order.
QStringList CellsBetween(const QString &page, const QString &open, const QString &close) {
  QStringList cells;
  for (qsizetype at = page.indexOf(open); at >= 0; at = page.indexOf(open, at)) {
    at += open.size();
    cells << page.mid(at, page.indexOf(close, at) - at);
  }
  return cells;
}

QByteArray Row(const QByteArray &name, const QList<QByteArray> &cells) {
  QByteArray row = "<tr>\r\n<td>" + name + "</td>\r\n";
  for (const QByteArray &cell : cells)
    row += "<td align=center>" + cell + "</td>\r\n";
  return row + "</tr>\r\n";
}

const QByteArray N = "&nbsp";
const QByteArray kThreeRows =
    // A<B&C, CZYTAJACY, DWIE_ROLE, ŁUKASZ, OBCY, PISZACY, PREFIKS, ZARZADCA
    Row("Ewidencja &lt;grunt\xF3w&gt; &amp; budynk\xF3w", {"O", "O", "Z", "Z", N, "Z", N, "A"}) +
    Row("Mapy", {N, N, "O", N, N, N, "Z", N}) + Row("Rejestr", {N, N, N, N, N, N, "O", "A"});

struct PageCase {
  const char *Name;
  bool EmptyServer;  // the server text is empty and "Baza" holds the server too
  QStringList Users; // picked
  bool NoDatabase;   // every database unticked
  QByteArray Body;   // the page between the corner cell and the tail
};

void PrintTo(const PageCase &c, std::ostream *os) { *os << c.Name; }

class MatrixPageTest : public MatrixRunTest, public testing::WithParamInterface<PageCase> {};

TEST_P(MatrixPageTest, ThePageShowsTheRolesTheDatabasesGrant) {
  const PageCase &c = GetParam();
  std::vector<ListedDatabase> rows = ThreeDatabases();
  if (c.EmptyServer)
    for (ListedDatabase &row : rows)
      row.Baza = People->Server() + u':' + row.Baza;
  // Never opened when nothing is picked: it would stop the run.
  rows.push_back({"Nieosiągalna", "/nie/ma/takiej.fdb", "PLOMER"});
  OpenOn(rows, c.EmptyServer ? QString() : People->Server());
  Dialogs.AnswerModalAs<TMatrycaOpcje>([&](TMatrycaOpcje &options) {
    Pick(c.Users, c.NoDatabase)(options);
    if (!c.NoDatabase) {
      EXPECT_TRUE(options.TableBazy->Locate("Nazwa", QString::fromUtf8("Nieosiągalna"), {}));
      options.TableBazy->Edit();
      options.TableBazy->FieldByName("Druk")->SetAsBoolean(false);
      options.TableBazy->Post();
    }
    return int(mrOk);
  });
  Dialogs.AnswerFile(PagePath());
  Form->cbPokaz->setChecked(false);
  Click(Form->BitBtn1);
  EXPECT_TRUE(Dialogs.Messages().empty()) << Dialogs.Messages()[0].Text.toStdString();
  EXPECT_EQ(PageText(FileBytes(PagePath())), PageText(kHead + c.Body + kTail));
  EXPECT_EQ(Form->ModalResult(), mrOk);
  EXPECT_EQ(Form->Database->Connected(), !c.NoDatabase);
  EXPECT_TRUE(Dialogs.Opened().empty()) << "not shown without \"Pokaż w przeglądarce\"";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MatrixPageTest,
    testing::Values(PageCase{"EveryKindOfRole", false, kPageUsers, false, kUserCells + kThreeRows},
                    PageCase{"EmptyServerText", true, kPageUsers, false, kUserCells + kThreeRows},
                    PageCase{"NoUserPicked",
                             false,
                             {},
                             false,
                             "</tr>\r\n" + Row("Ewidencja &lt;grunt\xF3w&gt; &amp; budynk\xF3w", {}) +
                                 Row("Mapy", {}) + Row("Rejestr", {})},
                    PageCase{"NoDatabasePicked", false, kPageUsers, true, kUserCells}),
    [](const testing::TestParamInfo<PageCase> &info) { return std::string(info.param.Name); });

// --- where a run stops, and what it leaves

struct OutcomeCase {
  const char *Name;
  bool OptionsConfirmed;
  bool Unreachable; // a picked database that cannot be opened
  bool SaveConfirmed;
  TShellOutcome Viewer;
  QString Message; // "" = none; "%1" stands for the page's file, "%2" for the server
  QString Caption;
  TMsgDlgType Icon;
  bool Completed; // page and list written, window closed
};

void PrintTo(const OutcomeCase &c, std::ostream *os) { *os << c.Name; }

class MatrixOutcomeTest : public MatrixRunTest, public testing::WithParamInterface<OutcomeCase> {};

TEST_P(MatrixOutcomeTest, WritesThePageAndTheListTogetherOrNeither) {
  const OutcomeCase &c = GetParam();
  std::vector<ListedDatabase> rows = {{"Ewidencja", Veldar->Path(), "VELDAR"}};
  if (c.Unreachable)
    rows.push_back({QString::fromUtf8("Nieosiągalna"), "/nie/ma/takiej.fdb", "PLOMER"});
  OpenOn(rows, People->Server());
  const QByteArray listBefore = FileBytes(ListPath());
  // An edit left open in the grid: the run posts it, and saves it only when it completes.
  Form->TableBazy->First();
  Form->TableBazy->Edit();
  Form->TableBazy->FieldByName("Nazwa")->SetAsString("Ewidencja 2");
  Dialogs.AnswerModalAs<TMatrycaOpcje>(
      [&](TMatrycaOpcje &options) { return c.OptionsConfirmed ? Pick({kWriter})(options) : int(mrCancel); });
  if (c.OptionsConfirmed && !c.Unreachable)
    Dialogs.AnswerFile(c.SaveConfirmed ? PagePath() : QString());
  Dialogs.AnswerShell(c.Viewer);
  if (!c.Message.isEmpty())
    Dialogs.AnswerMessage(mrOk);

  Click(Form->BitBtn1);

  const QString message = QString(c.Message).replace("%1", PagePath()).replace("%2", People->Server());
  ASSERT_EQ(Dialogs.Messages().size(), message.isEmpty() ? 0u : 1u);
  if (!message.isEmpty()) {
    EXPECT_EQ(Dialogs.Messages()[0].Text, message);
    EXPECT_EQ(Dialogs.Messages()[0].Caption, c.Caption);
    EXPECT_EQ(Dialogs.Messages()[0].Icon, c.Icon);
    EXPECT_EQ(Dialogs.Messages()[0].ButtonCaptions(), QStringList{MsgDlgButtonCaption(mbOK)});
  }
  EXPECT_EQ(Form->ModalResult(), c.Completed ? mrOk : mrNone);
  EXPECT_EQ(QFile::exists(PagePath()), c.Completed);
  EXPECT_EQ(ListedRows(*Form).first(), "Ewidencja 2|" + Veldar->Path() + "|VELDAR") << "the edit stays";
  if (c.Completed) {
    EXPECT_EQ(FileBytes(ListPath()), "\"Nazwa\",\"Baza\",\"Grupa\",\r\n\"Ewidencja 2\",\"" +
                                         Veldar->Path().toUtf8() + "\",\"VELDAR\",\r\n");
    EXPECT_EQ(Dialogs.Opened(), std::vector<QString>{PagePath()});
  } else {
    EXPECT_EQ(FileBytes(ListPath()), listBefore);
    EXPECT_TRUE(Dialogs.Opened().empty());
  }
}

INSTANTIATE_TEST_SUITE_P(
    Outcomes, MatrixOutcomeTest,
    testing::Values(
        OutcomeCase{"OptionsCancelled", false, false, false, TShellOutcome::Opened, "", "", mtCustom, false},
        OutcomeCase{
            "DatabaseCannotBeOpened", true, true, false, TShellOutcome::Opened,
            QString::fromUtf8("Nie powiodło się otwarcie bazy: Nieosiągalna (%2:/nie/ma/takiej.fdb )"),
            QString::fromUtf8("Błąd otwarcia bazy"), mtWarning, false},
        OutcomeCase{"SaveCancelled", true, false, false, TShellOutcome::Opened, "", "", mtCustom, false},
        OutcomeCase{"ShownInTheViewer", true, false, true, TShellOutcome::Opened, "", "", mtCustom, true},
        OutcomeCase{"ViewerFindsNoFile", true, false, true, TShellOutcome::NoSuchFile, "Brak pliku: %1",
                    QString::fromUtf8("Błąd"), mtCustom, true},
        OutcomeCase{"NoViewer", true, false, true, TShellOutcome::NoViewer,
                    QString::fromUtf8("Nie określono przeglądarki pliku HTML"), QString::fromUtf8("Błąd"),
                    mtCustom, true},
        OutcomeCase{"ViewerFails", true, false, true, TShellOutcome::Failed,
                    QString::fromUtf8("Błąd podczas otwierania pliku: %1"), QString::fromUtf8("Błąd"),
                    mtCustom, true}),
    [](const testing::TestParamInfo<OutcomeCase> &info) { return std::string(info.param.Name); });

// --- the login each database is opened with

struct LoginCase {
  const char *Name;
  bool Administrator; // the security database's second administrator, else SYSDBA spelt as given
  const char *Sysdba;
  bool Role;
};

void PrintTo(const LoginCase &c, std::ostream *os) { *os << c.Name; }

class MatrixLoginTest : public MatrixRunTest, public testing::WithParamInterface<LoginCase> {};

TEST_P(MatrixLoginTest, TheMainWindowsLoginWithTheAdministratorRoleForAnyoneButSysdba) {
  const LoginCase &c = GetParam();
  OpenOn({{"Ewidencja", Veldar->Path(), "VELDAR"}}, People->Server());
  Form->FUserName = c.Administrator ? People->AdministratorName() : QString::fromLatin1(c.Sysdba);
  Form->FPassword = c.Administrator ? SecurityPeople::AdministratorPassword() : TestServer::SysdbaPassword();
  Form->cbPokaz->setChecked(false);
  Dialogs.AnswerModalAs<TMatrycaOpcje>(Pick({kWriter, kReader}));
  Dialogs.AnswerFile(PagePath());
  Click(Form->BitBtn1);
  EXPECT_TRUE(Dialogs.Messages().empty());
  const TStringList &params = Form->Database->Params();
  EXPECT_EQ(params.Values("user_name"), Form->FUserName);
  EXPECT_EQ(params.Values("sql_role_name"), c.Role ? "RDB$ADMIN" : "");
  EXPECT_EQ(params.IndexOfName("sql_role_name") >= 0, c.Role);
  EXPECT_TRUE(PageText(FileBytes(PagePath()))
                  .contains("<td>Ewidencja</td>\r\n<td align=center>O</td>\r\n<td align=center>Z</td>\r\n"));
}

INSTANTIATE_TEST_SUITE_P(Logins, MatrixLoginTest,
                         testing::Values(LoginCase{"Sysdba", false, "SYSDBA", false},
                                         LoginCase{"SysdbaInLowerCase", false, "sysdba", false},
                                         LoginCase{"Administrator", true, "", true}),
                         [](const testing::TestParamInfo<LoginCase> &info) {
                           return std::string(info.param.Name);
                         });

// --- the users the options dialog lists

TEST_F(MatrixRunTest, AUserHoldingTwoRolesInTheSecurityDatabaseIsListedOnce) {
  OpenOn({{"Ewidencja", Veldar->Path(), "VELDAR"}}, People->Server());
  Form->cbPokaz->setChecked(false);
  int listed = -1;
  Dialogs.AnswerModalAs<TMatrycaOpcje>([&](TMatrycaOpcje &options) {
    listed = 0;
    TDataSet *users = options.TableUsers;
    for (users->First(); !users->Eof(); users->Next())
      listed += users->FieldByName("USER_NAME")->AsString() == kTwoRoles;
    return int(mrOk);
  });
  Dialogs.AnswerFile(PagePath());
  Click(Form->BitBtn1);
  EXPECT_EQ(listed, 1);
  EXPECT_EQ(PageText(FileBytes(PagePath())).count(">DWIE_ROLE<"), 1);
}

TEST_F(MatrixRunTest, EveryoneStartsPickedAndTheButtonsPickAndClearAll) {
  OpenOn(ThreeDatabases(), People->Server());
  Dialogs.AnswerModalAs<TMatrycaOpcje>([&](TMatrycaOpcje &options) {
    const auto ticked = [](TDataSet *table, const char *box) {
      int count = 0;
      for (table->First(); !table->Eof(); table->Next())
        count += table->FieldByName(box)->AsBoolean();
      return count;
    };
    const int users = options.TableUsers->RecordCount();
    EXPECT_GE(users, kPageUsers.size());
    EXPECT_EQ(options.TableBazy->RecordCount(), 3);
    EXPECT_EQ(ticked(options.TableBazy, "Druk"), 3);
    EXPECT_EQ(ticked(options.TableUsers, "DRUK"), users);
    options.Button2->click();
    options.Button4->click();
    EXPECT_EQ(ticked(options.TableBazy, "Druk"), 0);
    EXPECT_EQ(ticked(options.TableUsers, "DRUK"), 0);
    options.Button1->click();
    options.Button3->click();
    EXPECT_EQ(ticked(options.TableBazy, "Druk"), 3);
    EXPECT_EQ(ticked(options.TableUsers, "DRUK"), users);
    EXPECT_TRUE(options.TableUsers->FieldByName("USER_NAME")->ReadOnly());
    EXPECT_EQ(options.TableUsers->FieldByName("DRUK")->DisplayLabel(), "Drukuj");
    return int(mrCancel);
  });
  Click(Form->BitBtn1);
  EXPECT_TRUE(Dialogs.Exhausted());
}

TEST_F(MatrixRunTest, EnterMakesTheMatrixAndNeverSavesTheListUnasked) {
  OpenOn(ThreeDatabases(), People->Server());
  const QByteArray before = FileBytes(ListPath());
  GridInput::ShowFocused(*Form, *Form->DBGrid);
  Form->DBGrid->SetSelectedField(Form->TableBazy->FieldByName("Nazwa"));
  GridInput::Type("Nowa");
  GridInput::Press(Qt::Key_Return);
  EXPECT_TRUE(Dialogs.ModalForms().empty()) << "Enter in the grid stays in the grid";
  Form->cbPokaz->setFocus();
  Dialogs.AnswerModalAs<TMatrycaOpcje>([](TMatrycaOpcje &) { return int(mrCancel); });
  GridInput::Press(Qt::Key_Return);
  EXPECT_EQ(Dialogs.ModalForms(), std::vector<QString>{"TMatrycaOpcje"});
  EXPECT_EQ(Form->ModalResult(), mrNone);
  EXPECT_EQ(FileBytes(ListPath()), before);
}

TEST_F(MatrixRunTest, TenThousandUsersMakeOneColumnEach) {
  People->AddMany("MASA", 10000, "MASA");
  Veldar->Execute(Grant("ZAPIS", "MASA05000"));
  const auto refresh = [] {
    Module->users->Close();
    Module->users->Open();
  };
  refresh();
  OpenOn({{"Ewidencja", Veldar->Path(), "VELDAR"}}, People->Server());
  Form->cbPokaz->setChecked(false);
  int listed = 0;
  Dialogs.AnswerModalAs<TMatrycaOpcje>([&](TMatrycaOpcje &options) {
    listed = options.TableUsers->RecordCount();
    return int(mrOk);
  });
  Dialogs.AnswerFile(PagePath());
  Click(Form->BitBtn1);
  People->Database().Execute("delete from USERS where USER_NAME starting with 'MASA'");
  refresh();
  const QString page = PageText(FileBytes(PagePath()));
  const QStringList users = CellsBetween(page, "<td width=\"50\" align=center>", "</td>");
  const QStringList cells = CellsBetween(page, "<td align=center>", "</td>");
  EXPECT_GE(listed, 10000);
  EXPECT_EQ(users.size(), listed);
  ASSERT_EQ(cells.size(), users.size());
  EXPECT_EQ(cells[users.indexOf("MASA05000")], "Z");
  EXPECT_EQ(cells[users.indexOf("MASA04999")], "&nbsp");
  EXPECT_EQ(cells[users.indexOf("MASA05001")], "&nbsp");
  EXPECT_EQ(cells[users.indexOf(kWriter)], "Z");
  EXPECT_EQ(cells[users.indexOf(kAdministrator)], "A");
}

} // namespace
