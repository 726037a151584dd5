// Users a database cannot take are refused before any role, and a row the update cannot find is
// reported, not passed as written.
#include "RightsFormFixture.h"
#include "UserRows.h"

#include "Application.h"
#include "RadioGroup.h"
#include "StdCtrls.h"

#include <QCheckBox>

namespace {

using WriterRefusals = RightsFormTest;

const QString kVeldarRefusal = QString::fromUtf8(
    "Użytkownik %1 nie posiada poprawnego numeru PESEL. \r\nNie może zostać dodany do programu VELDAR.");

// The people's identity numbers take every shape: 11 digits, 10 characters, a letter, and two
// that differ only in the 7th and 11th digit (NOWAKOWA, written first, takes the ID).
TEST_F(WriterRefusals, VeldarTakesOnlyIdentityNumbersThatGiveItAFreeId) {
  ApplicationDatabase &veldar = AddDatabase("VELDAR");
  // An existing row keeps its identity whatever the security database says.
  veldar.Execute(
      QStringLiteral("insert into USERS (UID, ID, PESEL, IMIE, USR_NAME) values (100, 7, '00000000000', "
                     "'Stary', '%1')")
          .arg(Name("CWIK")));
  Open({{"Ewidencja", veldar.Path(), "VELDAR"}});
  TickUsers(
      {Name("ADAMCZYK"), Name("CWIK"), Name("NOWAKOWA"), Name("NOWAK"), Name("WOJCIK"), Name("ZIELINSKA")});
  TickNodes({"Ewidencja"});
  TTabSettings tab;
  tab.Level = 1;
  tab.Ticked = {"PrintCheck"};
  tab.Scans = 1;
  Form->SetTabSettings(pgVeldar, tab);
  Form->CBDaneOsobowe->setChecked(true);
  for (int i = 0; i < 3; ++i)
    Dialogs.AnswerMessage(mrOk);
  Assign();

  ASSERT_EQ(Dialogs.Messages().size(), 3u);
  // NOWAK's number is valid: only the ID it gives is NOWAKOWA's.
  const QString texts[] = {
      QString::fromUtf8("Użytkownik %1 nie może zostać dodany do programu VELDAR: identyfikator 850304234 z "
                        "jego numeru PESEL 85030412345 ma już w tabeli USERS użytkownik %2.")
          .arg(Name("NOWAK"), Name("NOWAKOWA")),
      kVeldarRefusal.arg(Name("WOJCIK")), kVeldarRefusal.arg(Name("ZIELINSKA"))};
  for (size_t i = 0; i < 3; ++i) {
    const TMessageRequest &message = Dialogs.Messages()[i];
    EXPECT_EQ(message.Text, texts[i]);
    EXPECT_EQ(message.Caption, QString::fromUtf8("Bład użytkownika"));
    EXPECT_EQ(message.Icon, mtCustom);
    EXPECT_EQ(message.Buttons, TMsgDlgButtons{mbOK});
  }
  struct Expected {
    const char *Stem;
    QString Row;
    QStringList Main, Printing, Scans;
  };
  const Expected expected[] = {
      {"ADAMCZYK", "PESEL=90010112345;ID=900101234;IMIE=Jan", {"ZAPIS"}, {"ZAPIS"}, {"ODCZYT"}},
      {"CWIK", QString::fromUtf8("PESEL=00000000000;ID=7;IMIE=Gaweł"), {"ZAPIS"}, {"ZAPIS"}, {"ODCZYT"}},
      {"NOWAKOWA", "PESEL=85030422346;ID=850304234;IMIE=Anna", {"ZAPIS"}, {"ZAPIS"}, {"ODCZYT"}},
      {"NOWAK", "", {}, {}, {}},
      {"WOJCIK", "", {}, {}, {}},
      {"ZIELINSKA", "", {}, {}, {}},
  };
  for (const Expected &e : expected) {
    SCOPED_TRACE(e.Stem);
    EXPECT_EQ(RowOf(veldar, Name(e.Stem), {"PESEL", "ID", "IMIE"}), e.Row);
    EXPECT_EQ(veldar.RolesOf(Name(e.Stem)), e.Main);
    EXPECT_EQ(veldar.RolesOf(Name(e.Stem), ".fdd"), e.Printing);
    EXPECT_EQ(veldar.RolesOf(Name(e.Stem), ".fdr"), e.Scans);
  }
}

// A value longer than its column would be cut by the field (a name cut so is never found again,
// a letter string cut loses rights): the user is refused before any role.
TEST_F(WriterRefusals, AValueLongerThanItsColumnRefusesTheUser) {
  struct Case {
    const char *Name;
    const char *Group;
    ApplicationDatabaseOptions Options;
    QStringList Statements;
    TTabSettings Tab;
    // The refused users, in the list's order; the others are written.
    std::vector<const char *> Refused;
    const char *Column;
    int Width;
  };
  ApplicationDatabaseOptions shortKey;
  shortKey.KeyLength = 15;
  TTabSettings allTessal;
  allTessal.Level = 0;
  Form->Button1Click(Form->Button1);
  allTessal.Ticked = Form->TabSettings(pgTessal).Ticked;
  const Case cases[] = {
      // NOWAKOWA + 8 characters is 16 long; NOWAK + 8 is 13.
      {"TheLoginNameAndTheKeyColumn", "PLOMER", shortKey, {}, TTabSettings{}, {"NOWAKOWA"}, "USR_NAME", 15},
      {"TessalsLetterStringAndItsColumn",
       "TESSAL",
       {},
       {"alter table USERS drop PRAWA", "alter table USERS add PRAWA varchar(52)"},
       allTessal,
       {"NOWAKOWA", "NOWAK"},
       "PRAWA",
       52},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.Name);
    NewWindow();
    Dialogs.Clear();
    ApplicationDatabase &database = AddDatabase(c.Group, c.Options);
    if (!c.Statements.isEmpty())
      database.Execute(c.Statements);
    Open({{"Baza", database.Path(), c.Group}});
    TickUsers({Name("NOWAKOWA"), Name("NOWAK")});
    TickNodes({"Baza"});
    Form->SetTabSettings(ProgramGroupIndex(c.Group), c.Tab);
    for (size_t i = 0; i < c.Refused.size(); ++i)
      Dialogs.AnswerMessage(mrOk);
    Assign();
    ASSERT_EQ(Dialogs.Messages().size(), c.Refused.size());
    for (size_t i = 0; i < c.Refused.size(); ++i) {
      const TMessageRequest &message = Dialogs.Messages()[i];
      EXPECT_TRUE(
          message.Text.startsWith(QString::fromUtf8("Użytkownik %1 nie zostanie zapisany w bazie\n%2:\n")
                                      .arg(Name(c.Refused[i]), database.DatabaseName())))
          << message.Text.toStdString();
      EXPECT_TRUE(message.Text.contains(QStringLiteral("kolumna %1 tabeli").arg(c.Column)));
      EXPECT_TRUE(message.Text.contains(QString::fromUtf8("(najwyżej %1 znaków)").arg(c.Width)));
      EXPECT_EQ(message.Caption, QString::fromUtf8("Błąd użytkownika"));
    }
    for (const char *stem : {"NOWAKOWA", "NOWAK"}) {
      const bool refused = std::find_if(c.Refused.begin(), c.Refused.end(), [stem](const char *r) {
                             return QByteArray(r) == stem;
                           }) != c.Refused.end();
      EXPECT_EQ(RowsOf(database, Name(stem)), refused ? 0 : 1) << stem;
      EXPECT_EQ(database.RolesOf(Name(stem)), refused ? QStringList() : QStringList{"ODCZYT"}) << stem;
    }
  }
}

// A name longer than the server takes in a grant, or longer than the key column (and holding "%1",
// which must not be filled in again), refuses that user with a message; the next one is written.
TEST_F(WriterRefusals, ALongSecurityUserNameRefusesThatUserAndTheRunGoesOn) {
  const QString percent = QStringLiteral("PROCENT_%1_%2_ZA_DLUGA");
  const QString overServer = QStringLiteral("NAZWA_DLUZSZA_NIZ_TRZYDZIESCI_JEDEN");
  ASSERT_GT(overServer.toUtf8().size(), 31);
  People->Database().Execute(
      {QStringLiteral("insert into USERS (USER_NAME, FIRST_NAME, SECOND_NAME) values ('%1', 'A', 'A')")
           .arg(percent),
       QStringLiteral("insert into USERS (USER_NAME, FIRST_NAME, SECOND_NAME) values ('%1', 'B', 'B')")
           .arg(overServer)});
  struct Cleanup {
    ~Cleanup() {
      RightsFormTest::People->Database().Execute(
          QStringLiteral("delete from USERS where FIRST_NAME in ('A', 'B') and SECOND_NAME in ('A', 'B')"));
    }
  } cleanup;
  ApplicationDatabase &plomer = AddDatabase("PLOMER");
  // A key column of 20 refuses the first by its own length.
  plomer.Execute({"alter table USERS drop USR_NAME", "alter table USERS add USR_NAME varchar(20)"});
  Open({{"Ewidencja", plomer.Path(), "PLOMER"}});
  TickUsers({percent, overServer, Name("NOWAK")});
  TickNodes({"Ewidencja"});
  Form->SetTabSettings(pgPlomer, TabWith(1));
  Dialogs.AnswerMessage(mrOk);
  Dialogs.AnswerMessage(mrOk);
  Assign();
  ASSERT_EQ(Dialogs.Messages().size(), 2u);
  // The list is sorted by surname: "A" before "B".
  EXPECT_EQ(Dialogs.Messages()[0].Text,
            QString::fromUtf8("Użytkownik %1 nie zostanie zapisany w bazie\n%2:\nwartość \"%1\" jest dłuższa "
                              "niż kolumna USR_NAME tabeli USERS (najwyżej 20 znaków).")
                .arg(percent, plomer.DatabaseName()));
  EXPECT_EQ(
      Dialogs.Messages()[1].Text,
      QString::fromUtf8("Użytkownik %1 nie zostanie zapisany w bazie\n%2:\nnazwa ma 35 bajtów w UTF-8, a "
                        "serwer przyjmuje nazwy użytkowników najwyżej 31-bajtowe (kolumna RDB$USER "
                        "tabeli RDB$USER_PRIVILEGES).")
          .arg(overServer, plomer.DatabaseName()));
  for (const TMessageRequest &message : Dialogs.Messages()) {
    EXPECT_EQ(message.Caption, QString::fromUtf8("Błąd użytkownika"));
    EXPECT_EQ(message.Icon, mtWarning);
  }
  EXPECT_EQ(RowsOf(plomer, percent), 0);
  EXPECT_EQ(RowsOf(plomer, overServer), 0);
  EXPECT_EQ(RowsOf(plomer, Name("NOWAK")), 1);
  EXPECT_EQ(plomer.RolesOf(Name("NOWAK")), QStringList{"ZAPIS"});
  EXPECT_TRUE(plomer.RolesOf(percent).isEmpty());
}

// A row whose UID is null cannot be updated by its key: the user's roles are rolled back and the
// error is shown.
TEST_F(WriterRefusals, AnUpdateThatMatchesNoRowIsAnError) {
  for (const char *group : {"VELDAR", "GRESSON"}) {
    SCOPED_TRACE(group);
    NewWindow();
    Dialogs.Clear();
    ApplicationDatabaseOptions nullUid;
    nullUid.NullableUid = true;
    ApplicationDatabase &database = AddDatabase(group, nullUid);
    const ApplicationUserTable table = UserTableOf(group);
    database.Execute(
        QStringLiteral("update %1 set %2 = '%3'").arg(table.Table, table.KeyColumn, Name("NOWAK")));
    Open({{"Baza", database.Path(), group}});
    TickUsers({Name("NOWAK")});
    TickNodes({"Baza"});
    Form->SetTabSettings(ProgramGroupIndex(group), TTabSettings{});
    Form->CBDaneOsobowe->setChecked(true);
    Dialogs.AnswerMessage(mrOk);
    Assign();
    ASSERT_EQ(Dialogs.Messages().size(), 1u);
    const TMessageRequest &message = Dialogs.Messages()[0];
    EXPECT_TRUE(message.Text.contains(
        QString::fromUtf8(
            "Nie zapisano użytkownika %1 w bazie\n%2:\nżaden wiersz tabeli %3 nie ma już wartości UID")
            .arg(Name("NOWAK"), database.DatabaseName(), table.Table)))
        << message.Text.toStdString();
    EXPECT_EQ(message.Caption, Application()->Title());
    EXPECT_EQ(message.Icon, mtError);
    EXPECT_TRUE(database.RolesOf(Name("NOWAK")).isEmpty());
    EXPECT_EQ(
        database.QueryValue(QStringLiteral("select count(*) from %1 where UID is null").arg(table.Table))
            .toInt(),
        1)
        << "the row stays as it was";
  }
}

} // namespace

namespace {

// Names the server takes only as quoted identifiers are written as they stand: their rows found
// again by the next run, their roles their own.
TEST_F(WriterRefusals, NamesWithQuotesBlanksAndPolishLettersAreWrittenAsTheyStand) {
  // The people serve the program's other tests too: these go again.
  const PeopleWithOddNames odd(*People);
  const QStringList &names = PeopleWithOddNames::Names();
  ApplicationDatabase &plomer = AddDatabase("PLOMER");
  Open({{"Ewidencja", plomer.Path(), "PLOMER"}}, PeopleWithOddNames::Group());
  TickUsers(names);
  TickNodes({"Ewidencja"});
  Form->SetTabSettings(pgPlomer, TTabSettings{});
  Assign();
  Form->LevelRadioGroup(pgPlomer)->SetItemIndex(1);
  Assign();
  EXPECT_TRUE(Dialogs.Messages().empty());
  for (const QString &name : names) {
    SCOPED_TRACE(name.toStdString());
    EXPECT_EQ(RowsOf(plomer, name), 1);
    EXPECT_EQ(RowOf(plomer, name, {"IMIE"}), QString::fromUtf8("IMIE=Imię"));
    EXPECT_EQ(plomer.RolesOf(name), QStringList{"ZAPIS"});
  }
  EXPECT_EQ(plomer.QueryValue("select count(*) from USERS").toInt(), names.size());
}

} // namespace
