// "Przypisz prawa": the walk over the ticked databases, the admin check, the record-limit check, and
// what stays written when a step fails.
#include "RightsFormFixture.h"
#include "UserRows.h"

#include "Application.h"
#include "IBTransaction.h"
#include "MxSpin.h"
#include "NumberRows.h"

#include <QCheckBox>

namespace {

using AssignmentRun = RightsFormTest;

// As the second administrator: the databases that do not let him administer them are told in the
// tree's order and skipped, the others written; two rows of one name and group are two databases.
TEST_F(AssignmentRun, WalksTheTickedDatabasesInTheTreesOrderAndSkipsThoseItMayNotAdminister) {
  ApplicationDatabaseOptions administered;
  administered.Administrators = {People->AdministratorName()};
  ApplicationDatabase &refusing = AddDatabase("PLOMER");
  ApplicationDatabase &korvin = AddDatabase("KORVIN");
  ApplicationDatabase &plomer = AddDatabase("PLOMER", administered);
  ApplicationDatabase &tormisk = AddDatabase("TORMISK");
  ApplicationDatabase &unticked = AddDatabase("SARNIK", administered);
  OpenAsAdministrator({{"Ewidencja", refusing.Path(), "PLOMER"},
                       {"Mapy", korvin.Path(), "KORVIN"},
                       {"Ewidencja", plomer.Path(), "PLOMER"},
                       {"Wnioski", tormisk.Path(), "TORMISK"},
                       {"Kadry", unticked.Path(), "SARNIK"}});
  TickNodes({"Mapy", "PLOMER", "Wnioski"});
  Form->SetTabSettings(pgPlomer, TabWith(0));
  const auto expectRefusals = [&] {
    const ApplicationDatabase *inOrder[] = {&korvin, &refusing, &tormisk};
    ASSERT_EQ(Dialogs.Messages().size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
      const TMessageRequest &message = Dialogs.Messages()[i];
      EXPECT_EQ(message.Text, QString::fromUtf8("Nie posiadasz praw administratora do bazy\n") +
                                  inOrder[i]->DatabaseName());
      EXPECT_EQ(message.Caption, QString::fromUtf8("Brak uprawnień"));
      EXPECT_EQ(message.Icon, mtWarning);
    }
  };
  const QStringList users = {Name("ADAMCZYK"), Name("NOWAK")};

  // No user ticked: every ticked database is still checked, nothing is written.
  for (int i = 0; i < 3; ++i)
    Dialogs.AnswerMessage(mrOk);
  Assign();
  expectRefusals();
  for (const QString &user : users) {
    EXPECT_EQ(RowsOf(plomer, user), 0);
    EXPECT_TRUE(plomer.RolesOf(user).isEmpty());
  }

  Dialogs.Clear();
  TickUsers(users);
  for (int i = 0; i < 3; ++i)
    Dialogs.AnswerMessage(mrOk);
  Assign();
  expectRefusals();
  for (const QString &user : users) {
    SCOPED_TRACE(user.toStdString());
    EXPECT_EQ(RowsOf(plomer, user), 1);
    EXPECT_EQ(plomer.RolesOf(user), QStringList{"ODCZYT"});
    for (ApplicationDatabase *other : {&refusing, &korvin, &tormisk, &unticked}) {
      EXPECT_EQ(RowsOf(*other, user), 0) << other->Group().toStdString();
      EXPECT_TRUE(other->RolesOf(user).isEmpty()) << other->Group().toStdString();
    }
  }
}

// A group's writer called by name writes the first listed database of that name; the run writes
// each database its tree node stands for.
TEST_F(AssignmentRun, TwoDatabasesOfOneNameAreOneByNameAndTwoInTheRun) {
  ApplicationDatabase &first = AddDatabase("PLOMER");
  ApplicationDatabase &second = AddDatabase("PLOMER");
  Open({{"Ewidencja", first.Path(), "PLOMER"}, {"Ewidencja", second.Path(), "PLOMER"}});
  TickUsers({Name("NOWAK")});
  Form->WritePlomerRights("Ewidencja");
  EXPECT_EQ(RowsOf(first, Name("NOWAK")), 1);
  EXPECT_EQ(RowsOf(second, Name("NOWAK")), 0);
  TickNodes({"PLOMER"});
  Assign();
  EXPECT_EQ(RowsOf(first, Name("NOWAK")), 1);
  EXPECT_EQ(RowsOf(second, Name("NOWAK")), 1);
  EXPECT_EQ(second.RolesOf(Name("NOWAK")), QStringList{"ODCZYT"});

  // The window's role model on the connection the run left open: nothing is committed by it.
  Form->SetUserServerRole(Name("NOWAK"), "ODCZYT", "ZAPIS", 1, Form->DBTransaction);
  EXPECT_EQ(second.RolesOf(Name("NOWAK")), QStringList{"ODCZYT"});
  Form->DBTransaction->Commit();
  EXPECT_EQ(second.RolesOf(Name("NOWAK")), QStringList{"ZAPIS"});
}

// The record limit is checked first, whether or not a BRONTEL database is ticked: a database
// that cannot be reached shows that nothing was connected.
TEST_F(AssignmentRun, ARecordLimitOutsideItsColumnStopsTheRunBeforeAnythingConnects) {
  Open({{"Mapy", "/nie/ma/takiej/bazy.fdb", "KORVIN"}});
  TickUsers({Name("NOWAK")});
  TickNodes({"Mapy"});
  for (const double limit : {-1.0, -0.5, 2147483648.0}) {
    SCOPED_TRACE(limit);
    Dialogs.Clear();
    Form->BrontelIle->SetValue(limit);
    Dialogs.AnswerMessage(mrOk);
    Assign();
    ASSERT_EQ(Dialogs.Messages().size(), 1u);
    EXPECT_EQ(Dialogs.Messages()[0].Text, QString::fromUtf8("Niepoprawna ilość rekordów w zakładce Brontel"));
    EXPECT_EQ(Dialogs.Messages()[0].Caption, QString::fromUtf8("Błąd. Zakładka Brontel"));
    EXPECT_EQ(Dialogs.Messages()[0].Icon, mtCustom);
    EXPECT_EQ(Dialogs.Messages()[0].Buttons, TMsgDlgButtons{mbOK});
  }
  // A limit that fits reaches the database, which is not there: the run stops before any user, and
  // the server's own text stands below.
  Dialogs.Clear();
  Form->BrontelIle->SetValue(0);
  Dialogs.AnswerMessage(mrOk);
  Assign();
  ASSERT_EQ(Dialogs.Messages().size(), 1u);
  const QString text = Dialogs.Messages()[0].Text;
  const QString path = Form->NodeDatabasePath(RightsWindow::Node(*Form, "Mapy"));
  EXPECT_TRUE(
      text.startsWith(QString::fromUtf8("Przypisywanie praw przerwane.\nProgram: KORVIN\nBaza: Mapy (%1)\n\n"
                                        "Bazy przed tą bazą zostały zapisane. Ta baza i bazy po niej nie "
                                        "zostały zapisane.\n\n")
                          .arg(path)))
      << text.toStdString();
  EXPECT_FALSE(text.contains(QString::fromUtf8("Użytkownik:")));
  EXPECT_GT(text.lastIndexOf("/nie/ma/takiej/bazy.fdb"), text.indexOf("\n\n", text.indexOf("zapisane.")))
      << "the server names the file below";
}

TEST_F(AssignmentRun, NoTickedDatabaseDoesNothing) {
  Open({{"Mapy", "/nie/ma/takiej/bazy.fdb", "KORVIN"}});
  TickUsers({Name("NOWAK")});
  Assign();
  EXPECT_TRUE(Dialogs.Messages().empty());
}

// A grant that fails (no role ZAPIS) is shown; the revokes before it are rolled back with it.
TEST_F(AssignmentRun, AFailedGrantLeavesTheUserTheRoleHeldBefore) {
  ApplicationDatabaseOptions noWriteRole;
  noWriteRole.WithoutWriteRole = true;
  ApplicationDatabase &database = AddDatabase("PLOMER", noWriteRole);
  database.Execute(QStringLiteral("grant ODCZYT to %1").arg(Name("NOWAK")));
  Open({{"Ewidencja", database.Path(), "PLOMER"}});
  TickUsers({Name("NOWAK")});
  TickNodes({"Ewidencja"});
  Form->SetTabSettings(pgPlomer, TabWith(1));
  Dialogs.AnswerMessage(mrOk);
  Assign();
  ASSERT_EQ(Dialogs.Messages().size(), 1u);
  EXPECT_TRUE(Dialogs.Messages()[0].Text.contains("ZAPIS")) << Dialogs.Messages()[0].Text.toStdString();
  EXPECT_EQ(Dialogs.Messages()[0].Caption, Application()->Title());
  EXPECT_EQ(Dialogs.Messages()[0].Icon, mtError);
  EXPECT_EQ(database.RolesOf(Name("NOWAK")), QStringList{"ODCZYT"});
  EXPECT_EQ(RowsOf(database, Name("NOWAK")), 0);
  // Nothing of the failed user is left pending for a later commit.
  EXPECT_FALSE(Form->DBTransaction->Active());
}

// The case-file rights are deleted and inserted again; a refused insert keeps the old ones.
TEST_F(AssignmentRun, RefusedCaseFileRightsKeepTheOldOnes) {
  ApplicationDatabaseOptions rightBelowTwo;
  rightBelowTwo.RightBelowTwo = true;
  ApplicationDatabase &baviro = AddDatabase("BAVIRO", rightBelowTwo);
  Open({{"Sprawy", baviro.Path(), "BAVIRO"}});
  TickUsers({Name("NOWAK")});
  TickNodes({"Sprawy"});
  Form->SetTabSettings(pgBaviro, TabWith(0));
  Assign();
  const QString rights = QStringLiteral(
      "select list(ID_SPRAWY || ':' || PRAWO, ',') from (select * from PRAWA order by ID_SPRAWY)");
  ASSERT_EQ(baviro.QueryValue(rights).toString(), "1:1,2:1,5:1");

  Form->SetTabSettings(pgBaviro, TabWith(1, {"BAVIROCheckBox"}));
  Dialogs.AnswerMessage(mrOk);
  Assign();
  ASSERT_EQ(Dialogs.Messages().size(), 1u);
  EXPECT_EQ(Dialogs.Messages()[0].Icon, mtError);
  EXPECT_EQ(baviro.QueryValue(rights).toString(), "1:1,2:1,5:1");
  EXPECT_EQ(baviro.RolesOf(Name("NOWAK")), QStringList{"ODCZYT"});
  EXPECT_EQ(RowOf(baviro, Name("NOWAK"), {"OPCJE", "ROLE_NAME"}), "OPCJE=0;ROLE_NAME=ODCZYT");
}

// A failure ends the run: users and databases before it are written, those after it untouched.
TEST_F(AssignmentRun, AFailureEndsTheRunAfterWhatItWrote) {
  ApplicationDatabaseOptions nullUid;
  nullUid.NullableUid = true;
  // The tree lists the groups in their fixed order: KORVIN, VELDAR, ..., KAPRENA.
  ApplicationDatabase &before = AddDatabase("KORVIN");
  ApplicationDatabase &failing = AddDatabase("VELDAR", nullUid);
  ApplicationDatabase &after = AddDatabase("KAPRENA");
  // NOWAK's row has no UID: its update matches nothing.
  failing.Execute(QStringLiteral("update USERS set USR_NAME = '%1'").arg(Name("NOWAK")));
  Open({{"Po", after.Path(), "KAPRENA"},
        {"Ewidencja", failing.Path(), "VELDAR"},
        {"Przed", before.Path(), "KORVIN"}});
  const QStringList users = {Name("ADAMCZYK"), Name("NOWAK")};
  TickUsers(users);
  TickNodes({"Programy"});
  for (int group : {pgKorvin, pgVeldar, pgKaprena})
    Form->SetTabSettings(group, TabWith(1));
  Dialogs.AnswerMessage(mrOk);
  Assign();
  ASSERT_EQ(Dialogs.Messages().size(), 1u);
  // Where the run stopped and what it wrote, then the error's own text.
  const TMessageRequest &message = Dialogs.Messages()[0];
  EXPECT_TRUE(message.Text.startsWith(
      QString::fromUtf8(
          "Przypisywanie praw przerwane.\nProgram: VELDAR\nBaza: Ewidencja (%1)\nUżytkownik: %2\n\n"
          "Bazy przed tą bazą zostały zapisane, a w tej bazie użytkownicy przed tym "
          "użytkownikiem. Ten użytkownik, użytkownicy po nim i bazy po tej bazie nie zostały "
          "zapisane.\n\n")
          .arg(failing.DatabaseName(), Name("NOWAK"))))
      << message.Text.toStdString();
  EXPECT_TRUE(message.Text.contains(QString::fromUtf8("\n\nNie zapisano użytkownika %1 w bazie\n%2:\n")
                                        .arg(Name("NOWAK"), failing.DatabaseName())))
      << message.Text.toStdString();
  EXPECT_EQ(message.Caption, Application()->Title());
  EXPECT_EQ(message.Icon, mtError);
  for (const QString &user : users) {
    EXPECT_EQ(RowsOf(before, user), 1);
    EXPECT_EQ(before.RolesOf(user), QStringList{"KN_ZAPIS"});
    EXPECT_EQ(RowsOf(after, user), 0);
    EXPECT_TRUE(after.RolesOf(user).isEmpty());
  }
  EXPECT_EQ(RowOf(failing, Name("ADAMCZYK"), {"ID", "ROLE_NAME"}), "ID=900101234;ROLE_NAME=ZAPIS");
  EXPECT_EQ(failing.RolesOf(Name("ADAMCZYK")), QStringList{"ZAPIS"});
  EXPECT_EQ(failing.RolesOf(Name("ADAMCZYK"), ".fdd"), QStringList{"ODCZYT"});
  for (const QString &extension : {QString(), QStringLiteral(".fdd"), QStringLiteral(".fdr")})
    EXPECT_TRUE(failing.RolesOf(Name("NOWAK"), extension).isEmpty()) << extension.toStdString();
}

} // namespace

namespace {

// Ten thousand security users and ten thousand rows: a hundred ticked users, half of them with a
// row far down the table, half new.
TEST_F(AssignmentRun, TenThousandUsersAndRows) {
  SecurityPeople many;
  many.AddMany("MANY", 10000, "MASA");
  const auto module = many.Connect();
  ApplicationDatabase &plomer = AddDatabase("PLOMER");
  plomer.Execute(
      {QStringLiteral("insert into USERS (UID, ID, USR_NAME, IMIE) select n + 1, n + 1, "
                      "iif(mod(n, 2) = 1, 'MANY' || lpad(n, 5, '0'), 'INNY' || n), 'Stare' from %1")
           .arg(NumberRows(4)),
       "alter sequence UID_USERS_G restart with 10000"});
  WriteDatabaseList(ListPath(), {{"Ewidencja", plomer.Path(), "PLOMER"}});
  Form->FGroup = "MASA";
  Form->InitRightsEditor(module->Database, many.Server(), "bazy.txt");
  QStringList ticked;
  for (int i = 0; i < 10000; i += 99)
    ticked << QStringLiteral("MANY%1").arg(i, 5, 10, QChar(u'0'));
  TickUsers(ticked);
  TickNodes({"Ewidencja"});
  Form->SetTabSettings(pgPlomer, TabWith(1));
  Assign();
  EXPECT_TRUE(Dialogs.Messages().empty());
  EXPECT_EQ(plomer.QueryValue("select count(*) from USERS").toInt(), 10000 + ticked.size() / 2);
  for (const QString &user : {ticked.first(), ticked.at(1), ticked.at(ticked.size() - 2), ticked.last()}) {
    SCOPED_TRACE(user.toStdString());
    const bool existing = user.right(5).toInt() % 2 == 1;
    EXPECT_EQ(RowOf(plomer, user, {"IMIE"}),
              existing ? QStringLiteral("IMIE=Stare")
                       : QString::fromUtf8("IMIE=Imię %1").arg(user.right(5).toInt()));
    EXPECT_EQ(RowsOf(plomer, user), 1);
    EXPECT_EQ(plomer.RolesOf(user), QStringList{"ZAPIS"});
  }
}

} // namespace
