// "Pokaż prawa": what the ticked databases hold for one ticked user, read back onto the tabs.
#include "RightsFormFixture.h"
#include "UserRows.h"

#include "Application.h"
#include "DB.h"
#include "Field.h"
#include "MxCheckTreeView.h"
#include "NumberRows.h"
#include "ProgramUserTables.h"
#include "RadioGroup.h"
#include "StdCtrls.h"
#include "UAdminRights.h"
#include "woxMemTable.h"

#include <QCheckBox>
#include <QListWidget>

namespace {

// Two settings of a group's tab, each what the tab shows after the other was written and read.
struct ShowRightsCase {
  int Group;
  TTabSettings First;
  TTabSettings Second;
};

const std::vector<ShowRightsCase> &ShowRightsCases() {
  static const std::vector<ShowRightsCase> cases = {
      // Item 32 is the sign bit; bits that no list shows stay in the rights mask.
      {pgKorvin, TabWithMasks(1, 0x80000005u, 0, 0x100 | 0x10000 | 0x8 | 0x1),
       TabWithMasks(2, 0, 0, 0x7000000)},
      // ".fdr" gives "Baza skanów"; the administrator level gives it write access.
      {pgVeldar, TabWith(1, {"PrintCheck", "ExpCheck"}, 1),
       TabWith(2, {"ADMCheck", "PrintCheck", "EditCheck", "ExpCheck"}, 2)},
      {pgPlomer, TabWith(0), TabWith(1)},
      {pgSarnik, TabWith(0, {"CBSarnik"}), TabWith(2)},
      {pgTulvar, TabWith(1, {"CBTulvar"}), TabWith(0)},
      {pgBrontel, TabWithMasks(1, 0x105, 25, 0), TabWithMasks(2, 0x1FF, 0, 0)},
      {pgFenno, TabWith(2, {"FENNOCheckBox"}), TabWith(0)},
      {pgDravel, TabWith(1, {"CBDravelPRINT", "CBDravelEDIT"}),
       TabWith(0, {"CBDravelADM", "CBDravelPRINT", "CBDravelEDIT"})},
      {pgHolmar, TabWith(0, {"CheckBoxODS"}), TabWith(2, {"CheckBoxADM", "CheckBoxPRINT", "CheckBoxODS"})},
      {pgGresson, TabWith(2), TabWith(1)},
      {pgPelkar, TabWith(1), TabWith(0)},
      {pgNirvos, TabWith(0), TabWith(2)},
      {pgTessal, TabWith(1, {"al", "aa", "sp", "se", "du"}), TabWith(0, TessalBoxNames())},
      {pgQuento, TabWith(2), TabWith(1)},
      {pgBaviro, TabWith(1, {"BAVIROCheckBox"}), TabWith(0)},
      {pgSolmet, TabWith(0), TabWith(2)},
      // Bits above the four listed rights stay in the mask.
      {pgTormisk, TabWithMasks(1, 0, 0, 5), TabWithMasks(2, 0, 0, 0x135)},
      {pgKaprena, TabWith(1, {"FINANSECheckBox"}), TabWith(0)},
  };
  return cases;
}

class ShowRights : public RightsFormTest {
protected:
  // "Pokaż prawa" as its click runs it: an error reaches the application's handler.
  void Show() { Form->BPokazPrawa->click(); }
  // One database of every group, in the groups' order, listed as "Baza <group>".
  void OpenEveryGroup(const ApplicationDatabaseOptions &options = {}) {
    std::vector<ListedDatabase> list;
    for (const TProgramGroup &group : ProgramGroups()) {
      list.push_back(
          {QStringLiteral("Baza %1").arg(group.Name), AddDatabase(group.Name, options).Path(), group.Name});
    }
    Open(list);
  }
  void SetTabs(TTabSettings ShowRightsCase::*values) {
    for (const ShowRightsCase &c : ShowRightsCases())
      Form->SetTabSettings(c.Group, c.*values);
  }
  // The grant of a role to the user, as the server takes the name.
  static QString Grant(const QString &role, const QString &user) {
    return QStringLiteral("grant %1 to %2").arg(role, QuotedIdentifier(user));
  }
};

// Written with the writers, shown with the readers: every group's tab shows exactly what was
// written, whatever the tab showed before; twice, with other values each time.
TEST_F(ShowRights, EveryGroupShowsWhatItsWriterWrote) {
  OpenEveryGroup();
  TickUsers({Name("NOWAK")});
  TickNodes({"Programy"});
  const auto pass = [&](TTabSettings ShowRightsCase::*written, TTabSettings ShowRightsCase::*before) {
    SetTabs(written);
    Assign();
    ASSERT_TRUE(Dialogs.Messages().empty()) << Dialogs.Messages().front().Text.toStdString();
    SetTabs(before);
    Show();
    ASSERT_TRUE(Dialogs.Messages().empty()) << Dialogs.Messages().front().Text.toStdString();
    for (const ShowRightsCase &c : ShowRightsCases()) {
      SCOPED_TRACE(ProgramGroups()[size_t(c.Group)].Name.toStdString());
      EXPECT_EQ(Form->TabSettings(c.Group), c.*written);
    }
    EXPECT_EQ(Form->FKorvinObjectRights, qint32(Form->TabSettings(pgKorvin).ListMask));
  };
  pass(&ShowRightsCase::First, &ShowRightsCase::Second);
  pass(&ShowRightsCase::Second, &ShowRightsCase::First);
}

// What a user without a row, or with a row of nulls, sees: the reset values, and the level of the
// group's role where the row is there (VELDAR: its level and scans come from roles alone).
struct MissingCase {
  const char *Name;
  bool Row;
  bool Roles;
};

void PrintTo(const MissingCase &c, std::ostream *os) { *os << c.Name; }

const MissingCase kMissingCases[] = {
    {"NoRowAndNoRole", false, false},
    {"NoRowButTheWriteRole", false, true},
    {"ARowOfNullsAndTheWriteRole", true, true},
};

class MissingRows : public ShowRights, public testing::WithParamInterface<MissingCase> {};

TEST_P(MissingRows, ShowTheResetValues) {
  const MissingCase &c = GetParam();
  OpenEveryGroup();
  const QString user = Name("ZIELINSKA");
  for (size_t i = 0; i < Databases.size(); ++i) {
    ApplicationDatabase &database = *Databases[i];
    const TProgramUserTable &table = ProgramUserTable(int(i));
    if (c.Row)
      database.Execute(QStringLiteral("insert into %1 (%2, %3) values (1, '%4')")
                           .arg(table.Table, table.GeneratorField, table.KeyColumn, user));
    if (c.Roles)
      database.Execute(Grant(ProgramGroups()[i].WriteRole, user));
  }
  if (c.Roles)
    Databases[pgVeldar]->Sister(".fdr").Execute(Grant("ODCZYT", user));
  TickUsers({user});
  TickNodes({"Programy"});
  SetTabs(&ShowRightsCase::Second);
  Show();
  EXPECT_TRUE(Dialogs.Messages().empty()) << Dialogs.Messages().front().Text.toStdString();
  for (int group = 0; group < ProgramGroupCount; ++group) {
    SCOPED_TRACE(ProgramGroups()[size_t(group)].Name.toStdString());
    // A row of nulls clears every box; no row shows the group's own reset values.
    TTabSettings expected = c.Row ? TTabSettings{} : ResetTabSettings(group);
    if (c.Roles && (c.Row || group == pgVeldar))
      expected.Level = rlWrite;
    if (c.Roles && group == pgVeldar)
      expected.Scans = 1;
    EXPECT_EQ(Form->TabSettings(group), expected);
  }
  // Both mask lists show every right under "Wszystkie prawa:".
  EXPECT_EQ(Form->UserRights->count(), 0);
  EXPECT_EQ(Form->AllRights->count(), 6);
  EXPECT_EQ(Form->TormiskUserRights->count(), 0);
  EXPECT_EQ(Form->TormiskAllRights->count(), 4);
  EXPECT_EQ(Form->FKorvinObjectRights, 0);
}

INSTANTIATE_TEST_SUITE_P(Cases, MissingRows, testing::ValuesIn(kMissingCases),
                         [](const testing::TestParamInfo<MissingCase> &info) { return info.param.Name; });

// SARNIK's "Prawo globalnej zmiany pól" and TULVAR's "Zapis do słownika adresów" show ticked for a
// user without a row, whatever they showed before, and the next "Przypisz prawa" writes them as 1.
TEST_F(ShowRights, SarnikAndTulvarShowTheirBoxTickedForAUserWithoutARow) {
  ApplicationDatabase &sarnik = AddDatabase("SARNIK");
  ApplicationDatabase &tulvar = AddDatabase("TULVAR");
  const QString user = Name("NOWAK");
  Open({{"Kadry", sarnik.Path(), "SARNIK"}, {"Adresy", tulvar.Path(), "TULVAR"}});
  TickUsers({user});
  TickNodes({"Kadry", "Adresy"});
  Form->SetTabSettings(pgSarnik, TabWith(1));
  Form->SetTabSettings(pgTulvar, TabWith(2));
  Show();
  EXPECT_TRUE(Dialogs.Messages().empty());
  EXPECT_TRUE(Form->CBSarnik->isChecked());
  EXPECT_TRUE(Form->CBTulvar->isChecked());
  EXPECT_EQ(Form->TabSettings(pgSarnik), TabWith(0, {"CBSarnik"}));
  EXPECT_EQ(Form->TabSettings(pgTulvar), TabWith(0, {"CBTulvar"}));
  Assign();
  EXPECT_TRUE(Dialogs.Messages().empty());
  EXPECT_EQ(RowOf(sarnik, user, {"OPCJE", "ROLE_NAME"}), "OPCJE=1;ROLE_NAME=ODCZYT");
  EXPECT_EQ(RowOf(tulvar, user, {"ACCESS"}), "ACCESS=1");
  // A row that holds 0 clears the box the reset ticked.
  sarnik.Execute(QStringLiteral("update USERS set OPCJE = 0"));
  tulvar.Execute(QStringLiteral("update USERS set ACCESS = 0"));
  Show();
  EXPECT_FALSE(Form->CBSarnik->isChecked());
  EXPECT_FALSE(Form->CBTulvar->isChecked());
}

// A KORVIN user without a row ends nothing: the VELDAR database after it in the tree is read, and
// the KORVIN mask of the previous user is gone.
TEST_F(ShowRights, AKorvinUserWithoutARowLetsTheNextDatabaseBeRead) {
  ApplicationDatabase &korvin = AddDatabase("KORVIN");
  ApplicationDatabase &veldar = AddDatabase("VELDAR");
  const QString user = Name("CWIK");
  veldar.Execute({QStringLiteral("insert into USERS (UID, USR_NAME, ADM, PRINT, EDIT, EXP) values (1, '%1', "
                                 "0, 1, 0, 1)")
                      .arg(user),
                  Grant("RDB$ADMIN", user)});
  veldar.Sister(".fdr").Execute(Grant("ZAPIS", user));
  Open({{"Mapy", korvin.Path(), "KORVIN"}, {"Ewidencja", veldar.Path(), "VELDAR"}});
  TickUsers({user});
  TickNodes({"Mapy", "Ewidencja"});
  TTabSettings previous;
  previous.Level = rlWrite;
  previous.ListMask = 0x81;
  previous.Rights = 0x3F00;
  Form->SetTabSettings(pgKorvin, previous);
  Show();
  EXPECT_TRUE(Dialogs.Messages().empty());
  EXPECT_EQ(Form->TabSettings(pgKorvin), TTabSettings{});
  EXPECT_EQ(Form->FKorvinRights, 0);
  EXPECT_EQ(Form->UserRights->count(), 0);
  TTabSettings expected;
  expected.Level = rlAdministrator;
  expected.Ticked = {"PrintCheck", "ExpCheck"};
  expected.Scans = 2;
  EXPECT_EQ(Form->TabSettings(pgVeldar), expected);
}

// The level comes from every role the user holds, the group's own only, the strongest of them.
TEST_F(ShowRights, TheLevelIsTheStrongestOfTheGroupsRoles) {
  struct Case {
    const char *Name;
    const char *Group;
    QStringList NewRoles; // made in the database first
    QStringList Roles;    // granted in this order
    int Level;
  };
  const Case cases[] = {
      {"AnUnrelatedRoleListedFirst", "PLOMER", {"INNA"}, {"INNA", "ZAPIS"}, rlWrite},
      {"AnotherGroupsRoleOnly", "PLOMER", {"KN_ZAPIS"}, {"KN_ZAPIS"}, rlRead},
      {"ReadAndWrite", "SARNIK", {}, {"ODCZYT", "ZAPIS"}, rlWrite},
      {"AdministratorAndRead", "GRESSON", {}, {"RDB$ADMIN", "ODCZYT"}, rlAdministrator},
      {"TormisksOwnRolesOnly", "TORMISK", {"ZAPIS"}, {"ZAPIS", "TK_ODCZYT"}, rlRead},
      {"KaprenaWithAdministratorStaysRead", "KAPRENA", {}, {"RDB$ADMIN"}, rlRead},
      {"KaprenaWithAdministratorAndWrite", "KAPRENA", {}, {"RDB$ADMIN", "ZAPIS"}, rlWrite},
  };
  const QString user = Name("NOWAKOWA");
  for (const Case &c : cases) {
    SCOPED_TRACE(c.Name);
    NewWindow();
    ApplicationDatabase &database = AddDatabase(c.Group);
    const int group = ProgramGroupIndex(c.Group);
    const TProgramUserTable &table = ProgramUserTable(group);
    QStringList statements;
    for (const QString &role : c.NewRoles)
      statements << QStringLiteral("create role ") + role;
    for (const QString &role : c.Roles)
      statements << Grant(role, user);
    statements << QStringLiteral("insert into %1 (%2, %3) values (1, '%4')")
                      .arg(table.Table, table.GeneratorField, table.KeyColumn, user);
    database.Execute(statements);
    Open({{"Baza", database.Path(), c.Group}});
    TickUsers({user});
    TickNodes({"Baza"});
    Form->LevelRadioGroup(group)->SetItemIndex(1);
    Show();
    EXPECT_TRUE(Dialogs.Messages().empty());
    EXPECT_EQ(Form->TabSettings(group).Level, c.Level);
  }
}

// Not exactly one user, or two databases of one group: a message, and no database is opened.
struct RefusalCase {
  const char *Name;
  QStringList Users; // stems
  QStringList Nodes;
  const char *Message;
};

void PrintTo(const RefusalCase &c, std::ostream *os) { *os << c.Name; }

const char *const kOneUser = "Aktualne prawa można wyświetlić tylko dla jednego użytkownika";
const char *const kOneDatabase = "Aktualne prawa można wyświetlić tylko dla jednej bazy z danego programu";

const RefusalCase kRefusalCases[] = {
    {"NoUser", {}, {"Mapy"}, kOneUser},
    {"TwoUsers", {"NOWAK", "ADAMCZYK"}, {"Mapy"}, kOneUser},
    {"TwoUsersAndTwoDatabasesOfOneGroup", {"NOWAK", "ADAMCZYK"}, {"PLOMER"}, kOneUser},
    {"TwoDatabasesOfOneGroup", {"NOWAK"}, {"Mapy", "PLOMER"}, kOneDatabase},
    {"TwoTormiskDatabases", {"NOWAK"}, {"TORMISK"}, kOneDatabase},
    {"EveryDatabase", {"NOWAK"}, {"Programy"}, kOneDatabase},
};

class Refusals : public ShowRights, public testing::WithParamInterface<RefusalCase> {};

TEST_P(Refusals, ShowTheMessageAndReadNothing) {
  const RefusalCase &c = GetParam();
  // None of them is there: a database opened would be an error too.
  Open({{"Mapy", "/nie/ma/mapy.fdb", "KORVIN"},
        {"Ewidencja", "/nie/ma/ewidencja.fdb", "PLOMER"},
        {"Ewidencja 2", "/nie/ma/ewidencja2.fdb", "PLOMER"},
        {"Wnioski", "/nie/ma/wnioski.fdb", "TORMISK"},
        {"Wnioski 2", "/nie/ma/wnioski2.fdb", "TORMISK"}});
  QStringList users;
  for (const QString &stem : c.Users)
    users << People->Person(stem).Name;
  TickUsers(users);
  TickNodes(c.Nodes);
  TTabSettings before;
  before.Level = rlWrite;
  before.Rights = 5;
  Form->SetTabSettings(pgTormisk, before);
  Dialogs.AnswerMessage(mrOk);
  Show();
  ASSERT_EQ(Dialogs.Messages().size(), 1u);
  const TMessageRequest &message = Dialogs.Messages()[0];
  EXPECT_EQ(message.Text, QString::fromUtf8(c.Message));
  EXPECT_EQ(message.Caption, QString::fromUtf8("Błąd"));
  EXPECT_EQ(message.Icon, mtWarning);
  EXPECT_EQ(message.Buttons, TMsgDlgButtons{mbOK});
  EXPECT_EQ(Form->TabSettings(pgTormisk), before);
}

INSTANTIATE_TEST_SUITE_P(Cases, Refusals, testing::ValuesIn(kRefusalCases),
                         [](const testing::TestParamInfo<RefusalCase> &info) { return info.param.Name; });

// A tick still being edited in the grid counts, as it does for "Przypisz prawa".
TEST_F(ShowRights, ATickBeingEditedCounts) {
  ApplicationDatabase &plomer = AddDatabase("PLOMER");
  plomer.Execute({QStringLiteral("insert into USERS (UID, USR_NAME) values (1, '%1')").arg(Name("NOWAK")),
                  Grant("ZAPIS", Name("NOWAK"))});
  Open({{"Ewidencja", plomer.Path(), "PLOMER"}});
  TickNodes({"Ewidencja"});
  TDataSet *users = Form->MemUsers;
  ASSERT_TRUE(users->Locate("USER_NAME", Name("NOWAK"), {}));
  users->Edit();
  users->FieldByName("CHECK")->SetAsBoolean(true);
  Show();
  EXPECT_TRUE(Dialogs.Messages().empty());
  EXPECT_EQ(Form->TabSettings(pgPlomer).Level, rlWrite);
}

// A database that cannot be opened ends the show: what was read before stays, its own tab shows
// the reset values, the tabs after it keep what they showed.
TEST_F(ShowRights, ADatabaseThatCannotBeOpenedEndsTheShow) {
  ApplicationDatabase &korvin = AddDatabase("KORVIN");
  ApplicationDatabase &kaprena = AddDatabase("KAPRENA");
  const QString user = Name("NOWAK");
  korvin.Execute(
      {QStringLiteral("insert into KN_USERS (ID, KNNAME, RIGHTS, OBJRIGHTS) values (1, '%1', 8, 3)")
           .arg(user),
       Grant("KN_ZAPIS", user)});
  kaprena.Execute({QStringLiteral("insert into USERS (ID, USR_NAME, OPCJE) values (1, '%1', 1)").arg(user),
                   Grant("ZAPIS", user)});
  Open({{"Mapy", korvin.Path(), "KORVIN"},
        {"Ewidencja", "/nie/ma/takiej/bazy.fdb", "VELDAR"},
        {"Kasa", kaprena.Path(), "KAPRENA"}});
  TickUsers({user});
  TickNodes({"Programy"});
  TTabSettings before;
  before.Level = rlRead;
  before.Ticked = {"ExpCheck", "FINANSECheckBox"};
  before.Scans = 1;
  for (int group : {pgKorvin, pgVeldar, pgKaprena})
    Form->SetTabSettings(group, before);
  const TTabSettings kaprenaBefore = Form->TabSettings(pgKaprena);
  Dialogs.AnswerMessage(mrOk);
  Show();
  ASSERT_EQ(Dialogs.Messages().size(), 1u);
  const TMessageRequest &message = Dialogs.Messages()[0];
  EXPECT_TRUE(message.Text.contains("/nie/ma/takiej/bazy.fdb")) << message.Text.toStdString();
  EXPECT_EQ(message.Caption, Application()->Title());
  EXPECT_EQ(message.Icon, mtError);
  TTabSettings korvinRead;
  korvinRead.Level = rlWrite;
  korvinRead.ListMask = 3;
  korvinRead.Rights = 8;
  EXPECT_EQ(Form->TabSettings(pgKorvin), korvinRead);
  EXPECT_EQ(Form->TabSettings(pgVeldar), TTabSettings{});
  EXPECT_EQ(Form->TabSettings(pgKaprena), kaprenaBefore);
}

// "Baza skanów" is the user's role in the ".fdr" file; a file that is not there reads as "Brak",
// one that is no database is an error.
TEST_F(ShowRights, VeldarsScansComeFromItsFdrFile) {
  struct Case {
    const char *Name;
    ApplicationDatabaseOptions Options;
    QStringList Roles; // in the ".fdr" file
    int Scans;
    bool Error;
  };
  ApplicationDatabaseOptions missing, garbage;
  missing.MissingSisters = {".fdr"};
  garbage.GarbageSister = ".fdr";
  const Case cases[] = {
      {"NoRole", {}, {}, 0, false},
      {"ReadAndWrite", {}, {"ODCZYT", "ZAPIS"}, 2, false},
      {"Administrator", {}, {"RDB$ADMIN"}, 2, false},
      {"TheFileIsMissing", missing, {}, 0, false},
      {"TheFileIsNoDatabase", garbage, {}, 0, true},
  };
  const QString user = Name("ADAMCZYK");
  for (const Case &c : cases) {
    SCOPED_TRACE(c.Name);
    NewWindow();
    Dialogs.Clear();
    ApplicationDatabase &veldar = AddDatabase("VELDAR", c.Options);
    veldar.Execute({QStringLiteral("insert into USERS (UID, USR_NAME, ADM) values (1, '%1', 1)").arg(user),
                    Grant("ODCZYT", user)});
    for (const QString &role : c.Roles)
      veldar.Sister(".fdr").Execute(Grant(role, user));
    Open({{"Ewidencja", veldar.Path(), "VELDAR"}});
    TickUsers({user});
    TickNodes({"Ewidencja"});
    Form->SetTabSettings(pgVeldar, TabWith(2, {"EditCheck"}, 1));
    if (c.Error)
      Dialogs.AnswerMessage(mrOk);
    Show();
    ASSERT_EQ(Dialogs.Messages().size(), c.Error ? 1u : 0u);
    TTabSettings expected;
    if (!c.Error) {
      expected.Ticked = {"ADMCheck", "PrintCheck", "EditCheck", "ExpCheck"};
      expected.Scans = c.Scans;
    }
    EXPECT_EQ(Form->TabSettings(pgVeldar), expected);
  }
}

// Names the server takes only as quoted identifiers are found as they stand; the name is trimmed
// for the row and for the roles.
TEST_F(ShowRights, NamesWithQuotesBlanksAndPolishLettersAreReadAsTheyStand) {
  // The people serve the program's other tests too: these go again.
  const PeopleWithOddNames odd(*People);
  const QStringList &names = PeopleWithOddNames::Names();
  ApplicationDatabase &sarnik = AddDatabase("SARNIK");
  Open({{"Kadry", sarnik.Path(), "SARNIK"}}, PeopleWithOddNames::Group());
  TickUsers(names);
  TickNodes({"Kadry"});
  TTabSettings written;
  written.Level = rlWrite;
  written.Ticked = {"CBSarnik"};
  Form->SetTabSettings(pgSarnik, written);
  Assign();
  ASSERT_TRUE(Dialogs.Messages().empty());
  for (const QString &name : names) {
    SCOPED_TRACE(name.toStdString());
    TickUsers({name});
    Form->SetTabSettings(pgSarnik, TTabSettings{});
    Show();
    EXPECT_TRUE(Dialogs.Messages().empty());
    EXPECT_EQ(Form->TabSettings(pgSarnik), written);
    Form->SetTabSettings(pgSarnik, TTabSettings{});
    Form->ShowUserRights(u' ' + name + QStringLiteral("   "));
    EXPECT_EQ(Form->TabSettings(pgSarnik), written) << "trimmed";
  }
}

// A group's reader called by name reads the first listed database of that name.
TEST_F(ShowRights, AReaderByNameReadsTheFirstListedDatabase) {
  ApplicationDatabase &first = AddDatabase("TORMISK");
  ApplicationDatabase &second = AddDatabase("TORMISK");
  const QString user = Name("NOWAK");
  first.Execute({QStringLiteral("insert into TK_USERS (ID, TKNAZWA, PRAWA) values (1, '%1', 9)").arg(user),
                 Grant("TK_ZAPIS", user)});
  second.Execute({QStringLiteral("insert into TK_USERS (ID, TKNAZWA, PRAWA) values (1, '%1', 2)").arg(user),
                  Grant("TK_ODCZYT", user)});
  Open({{"Wnioski", first.Path(), "TORMISK"}, {"Wnioski", second.Path(), "TORMISK"}});
  Form->ReadTormiskRights("Wnioski", user);
  EXPECT_EQ(Form->FTormiskRights, 9);
  EXPECT_EQ(Form->TabSettings(pgTormisk).Level, rlWrite);
  QStringList listed;
  for (int i = 0; i < Form->TormiskUserRights->count(); ++i)
    listed << Form->TormiskUserRights->item(i)->text();
  EXPECT_EQ(listed, QStringList({"Modyfikacja rejestru", "Wnioski"}));
  // The tree reads each database its node stands for.
  TickUsers({user});
  TTreeNode *secondNode = Form->TreeView->Items()->Item(3);
  ASSERT_EQ(secondNode->Text(), "Wnioski");
  Form->TreeView->SetChecked(secondNode, true);
  Form->UpdateProgramTabs();
  Show();
  EXPECT_TRUE(Dialogs.Messages().empty());
  EXPECT_EQ(Form->FTormiskRights, 2);
  EXPECT_EQ(Form->TabSettings(pgTormisk).Level, rlRead);
}

// Ten thousand security users and ten thousand rows: the one ticked user's row is the last one.
TEST_F(ShowRights, TenThousandUsersAndRows) {
  SecurityPeople many;
  many.AddMany("MANY", 10000, "MASA");
  const auto module = many.Connect();
  ApplicationDatabase &plomer = AddDatabase("PLOMER");
  plomer.Execute({QStringLiteral("insert into USERS (UID, USR_NAME) select n + 1, 'MANY' || lpad(n, 5, '0') "
                                 "from %1 order by n desc")
                      .arg(NumberRows(4)),
                  Grant("ZAPIS", "MANY00000"), Grant("ODCZYT", "MANY09999")});
  WriteDatabaseList(ListPath(), {{"Ewidencja", plomer.Path(), "PLOMER"}});
  Form->FGroup = "MASA";
  Form->InitRightsEditor(module->Database, many.Server(), "bazy.txt");
  TickNodes({"Ewidencja"});
  for (const char *user : {"MANY00000", "MANY09999"}) {
    SCOPED_TRACE(user);
    TickUsers({user});
    Form->SetTabSettings(pgPlomer, TTabSettings{});
    Show();
    EXPECT_TRUE(Dialogs.Messages().empty());
    EXPECT_EQ(Form->TabSettings(pgPlomer).Level, QLatin1String(user) == "MANY00000" ? rlWrite : rlRead);
  }
}

} // namespace
