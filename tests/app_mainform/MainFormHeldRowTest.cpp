// Rows that another connection holds (a change it has not committed: a family application's login, an
// isql session) and a connection lost half-way through the synchronisation: each step tells in Polish
// what it did and what it did not do, the server's text below, and a later step finishes the work.
#include "Actions.h"
#include "DB.h"
#include "DBCtrls.h"
#include "DateTimeUtils.h"
#include "Exceptions.h"
#include "IBDatabase.h"
#include "IBQuery.h"
#include "IBSQL.h"
#include "IBTransaction.h"
#include "MainFormFixture.h"
#include "StdCtrls.h"
#include "TestServer.h"
#include "UDMSecurity.h"
#include "UZmianaHaslaF.h"

#include <QDateTime>
#include <QLineEdit>

namespace {

// A transaction of another connection, left open with what it changed.
class TOtherConnection {
public:
  explicit TOtherConnection(ScratchDatabase &db) {
    FDatabase.SetDatabaseName(db.DatabaseName());
    FDatabase.Params().SetText(
        QStringLiteral("user_name=SYSDBA\npassword=%1\nlc_ctype=WIN1250").arg(TestServer::SysdbaPassword()));
    FDatabase.Open();
    FTransaction.SetDefaultDatabase(&FDatabase);
    FTransaction.Params().SetText(QStringLiteral("read_committed\nrec_version\nnowait"));
    FTransaction.StartTransaction();
  }
  void Hold(const QString &sql) {
    TIBSQL statement;
    statement.SetDatabase(&FDatabase);
    statement.SetTransaction(&FTransaction);
    statement.SQL().SetText(sql);
    statement.ExecQuery();
  }
  void Release() { FTransaction.Rollback(); }

private:
  TIBDatabase FDatabase;
  TIBTransaction FTransaction;
};

const char *const NewPassword = "New1!p#ss";

// The server itself breaks the window's connection off as it is about to insert, update or delete the
// user's row (the external statement's report of its own connection going with it is swallowed: it is
// not the error to look at). "drop trigger USERS_CUT" lets the row be written again.
void CutOffWhenWritten(ScratchDatabase &db, const char *event, const QString &user) {
  db.Execute(QStringLiteral("create trigger USERS_CUT for USERS before %1 as begin "
                            "if (%2.USER_NAME = '%3') then begin execute statement "
                            "'delete from MON$ATTACHMENTS where MON$ATTACHMENT_ID = ' || current_connection "
                            "on external '%4' as user 'SYSDBA' password '%5'; when any do begin end end end")
                 .arg(QString::fromLatin1(event), qstrcmp(event, "delete") == 0 ? "old" : "new", user,
                      db.DatabaseName(), TestServer::SysdbaPassword()));
}

// The message's lead line, then the server's own text.
void ExpectLeadOverServerText(const TMessageRequest &message, const QString &lead, const char *serverText) {
  EXPECT_TRUE(message.Text.startsWith(lead + QStringLiteral("\n\n"))) << message.Text.toStdString();
  EXPECT_TRUE(message.Text.mid(lead.size()).contains(QString::fromLatin1(serverText)))
      << message.Text.toStdString();
}

// A user of the list whose row the test lets another connection hold.
class HeldRowTest : public UsersTest {
protected:
  void SetUp() override {
    UsersTest::SetUp();
    if (IsSkipped())
      return;
    User = Db->CreateServerUser(QStringLiteral("HELD"), QStringLiteral("Old1!pass"));
    Form->SynchroA->Execute();
    Db->Execute(QStringLiteral("update USERS set PSWD_DATE = '2020-01-02 03:04:05' where USER_NAME = '%1'")
                    .arg(User));
    Form->DM()->users->Close();
    Form->DM()->users->Open();
    Other = std::make_unique<TOtherConnection>(*Db);
  }
  void TearDown() override {
    Other.reset();
    UsersTest::TearDown();
  }
  void HoldTheRow() {
    Other->Hold(QStringLiteral("update USERS set PSWD_VALID = 1 where USER_NAME = '%1'").arg(User));
  }
  QDateTime StoredDate() {
    return Db->QueryValue(QStringLiteral("select PSWD_DATE from USERS where USER_NAME = '%1'").arg(User))
        .toDateTime();
  }
  QString Stored(const char *column) {
    return Db
        ->QueryValue(QStringLiteral("select coalesce(%1, '<null>') from USERS where USER_NAME = '%2'")
                         .arg(QString::fromLatin1(column), User))
        .toString();
  }

  QString User;
  const QDateTime OldDate{QDate(2020, 1, 2), QTime(3, 4, 5)};
  std::unique_ptr<TOtherConnection> Other;
};

// What keeps "Zmień hasło" from recording the date once the server has the new password.
struct TUnrecordedDateCase {
  const char *Name;
  bool Lost; // the connection breaks, else another connection holds the row
  const char *Why;
  const char *ServerText;
};

void PrintTo(const TUnrecordedDateCase &c, std::ostream *os) { *os << c.Name; }

class UnrecordedDateTest : public HeldRowTest, public testing::WithParamInterface<TUnrecordedDateCase> {
protected:
  void Hinder() {
    if (!GetParam().Lost)
      return HoldTheRow();
    CutOffWhenWritten(*Db, "update", User);
    // A connection keeps the procedures it has run as it compiled them, without the new trigger.
    ConnectAsSysdba();
  }
  void StopHindering() {
    if (GetParam().Lost)
      Db->Execute(QStringLiteral("drop trigger USERS_CUT"));
    else
      Other->Release();
  }
};

TEST_P(UnrecordedDateTest, TheMessageNamesTheChangedPasswordAndTheNextConnectRecordsTheDate) {
  const TUnrecordedDateCase &c = GetParam();
  Hinder();
  ASSERT_TRUE(SelectUser(User));
  Dialogs.AnswerModalAs<TZmianaHaslaF>(TypeNewPassword(QString::fromLatin1(NewPassword)));
  Dialogs.AnswerMessage(mrOk);
  EXPECT_THROW(Form->ZmienHasloA->Execute(), EAbort);
  ASSERT_EQ(Dialogs.Messages().size(), 1u);
  ExpectLeadOverServerText(
      Dialogs.Messages()[0],
      QString::fromUtf8(
          "Hasło użytkownika %1 zostało zmienione na serwerze: obowiązuje już nowe hasło. Daty "
          "zmiany hasła nie zapisano na liście: %2.\nProgram zapisze ją przy następnym „Połącz”, "
          "jeśli nie zostanie wcześniej zamknięty; do tego czasu ważność hasła liczy się od "
          "poprzedniej daty.")
          .arg(User, QString::fromUtf8(c.Why)),
      c.ServerText);
  EXPECT_EQ(Dialogs.Messages()[0].Caption, QString::fromUtf8("Błąd"));
  EXPECT_TRUE(CanLogIn(*Db, User, QString::fromLatin1(NewPassword))) << "changed, as the message says";
  EXPECT_EQ(StoredDate(), OldDate) << "not recorded, as the message says";

  // Still in the way at the next "Połącz": the date still waits.
  Dialogs.AnswerMessage(mrOk);
  EXPECT_THROW(ConnectAsSysdba(), EAbort);
  ASSERT_EQ(Dialogs.Messages().size(), 2u);
  ExpectLeadOverServerText(
      Dialogs.Messages()[1],
      QString::fromUtf8("Nadal nie zapisano dat zmiany haseł (użytkownicy: %1): %2.\nProgram zapisze je przy "
                        "następnym „Połącz”, jeśli nie zostanie wcześniej zamknięty.")
          .arg(User, QString::fromUtf8(c.Why)),
      c.ServerText);
  EXPECT_EQ(StoredDate(), OldDate);

  StopHindering();
  const QDateTime freed =
      Db->QueryValue(QStringLiteral("select current_timestamp from RDB$DATABASE")).toDateTime();
  ConnectAsSysdba();
  EXPECT_EQ(Dialogs.Messages().size(), 2u);
  EXPECT_GE(StoredDate(), freed) << "the date of the change is recorded now";
  ASSERT_TRUE(SelectUser(User));
  EXPECT_EQ(DateTimeToQDateTime(Form->DM()->users->FieldByName(QStringLiteral("PSWD_DATE"))->AsDateTime()),
            StoredDate())
      << "the list shows it";

  // Recorded once: a later "Połącz" leaves the date as it is.
  const QDateTime recorded = StoredDate();
  ConnectAsSysdba();
  EXPECT_EQ(StoredDate(), recorded);
}

INSTANTIATE_TEST_SUITE_P(
    Hindrances, UnrecordedDateTest,
    testing::Values(
        TUnrecordedDateCase{"RowHeld", false,
                            "blokuje to niezatwierdzona zmiana innego połączenia (np. logowanie w "
                            "innym programie, sesja SQL)",
                            "update conflicts with concurrent update"},
        TUnrecordedDateCase{"ConnectionLost", true, "połączenie z serwerem zostało przerwane",
                            "Connection lost"}),
    [](const testing::TestParamInfo<TUnrecordedDateCase> &info) { return std::string(info.param.Name); });

TEST_F(HeldRowTest, APostOnAHeldRowKeepsWhatWasTypedUntilTheRowIsFree) {
  HoldTheRow();
  TDataSet *users = Form->DM()->users;
  ASSERT_TRUE(SelectUser(User));
  users->Edit();
  users->FieldByName(QStringLiteral("FIRST_NAME"))->SetAsString(QStringLiteral("Anna"));
  Dialogs.AnswerMessage(mrOk);
  Form->DBNavigator2->Button(nbPost)->click();
  ASSERT_EQ(Dialogs.Messages().size(), 1u);
  ExpectLeadOverServerText(
      Dialogs.Messages()[0],
      QString::fromUtf8(
          "Zmian użytkownika %1 nie zapisano: inne połączenie (np. logowanie w innym programie, "
          "sesja SQL) ma niezatwierdzoną zmianę tego wiersza. Wpisane wartości pozostawiono; "
          "zatwierdź je ponownie, gdy tamta zmiana zostanie zatwierdzona lub wycofana.")
          .arg(User),
      "concurrent");
  EXPECT_EQ(Dialogs.Messages()[0].Caption, QStringLiteral("Uwaga"));
  EXPECT_EQ(users->State(), dsEdit);
  EXPECT_EQ(users->FieldByName(QStringLiteral("FIRST_NAME"))->AsString(), QStringLiteral("Anna"));
  EXPECT_EQ(Stored("FIRST_NAME"), QStringLiteral("<null>"));

  Other->Release();
  Form->DBNavigator2->Button(nbPost)->click();
  EXPECT_EQ(Dialogs.Messages().size(), 1u);
  EXPECT_EQ(users->State(), dsBrowse);
  EXPECT_EQ(Stored("FIRST_NAME"), QStringLiteral("Anna"));
}

TEST_F(HeldRowTest, DeletingAHeldUserSaysTheServerUserIsGoneAndTheNextConnectRemovesTheRow) {
  HoldTheRow();
  ASSERT_TRUE(SelectUser(User));
  Dialogs.AnswerMessage(mrYes);
  Dialogs.AnswerMessage(mrOk);
  EXPECT_THROW(Form->UsunUzytkownikaA->Execute(), EAbort);
  ASSERT_EQ(Dialogs.Messages().size(), 2u);
  ExpectLeadOverServerText(
      Dialogs.Messages()[1],
      QString::fromUtf8("Użytkownik %1 został usunięty z serwera, ale jego wiersz na liście "
                        "nie został usunięty.\nWiersz i historia haseł zostaną usunięte "
                        "przy następnym „Połącz”.")
          .arg(User),
      "update conflicts with concurrent update");
  EXPECT_FALSE(ServerHasUser(*Db, User)) << "done, as the message says";
  EXPECT_TRUE(RowListed(*Db, User)) << "left, as the message says";

  Other->Release();
  ConnectAsSysdba();
  EXPECT_EQ(Dialogs.Messages().size(), 2u);
  EXPECT_FALSE(RowListed(*Db, User));
}

// A step of the synchronisation that "Połącz" cannot finish: a row held by another connection, or the
// connection lost while the server writes it.
struct TStoppedStepCase {
  const char *Name;
  bool Removal; // the step that removes rows of users gone from the server, else the take-over
  bool Lost;    // the connection breaks, else another connection holds the row
  const char *Lead;
  const char *ServerText;
};

void PrintTo(const TStoppedStepCase &c, std::ostream *os) { *os << c.Name; }

class StoppedStepTest : public UsersTest, public testing::WithParamInterface<TStoppedStepCase> {};

TEST_P(StoppedStepTest, SaysWhatWasNotDoneAndTheNextConnectDoesIt) {
  const TStoppedStepCase &c = GetParam();
  QString name;
  if (c.Removal) {
    name = QStringLiteral("GONE") + UniqueToken();
    Db->Execute(QStringLiteral("insert into USERS (USER_NAME, PSWD_VALID) values ('%1', 0)").arg(name));
  } else {
    name = Db->CreateServerUser(QStringLiteral("NEW"), QStringLiteral("secret1"));
  }
  TOtherConnection other(*Db);
  if (c.Lost)
    CutOffWhenWritten(*Db, c.Removal ? "delete" : "insert", name);
  else if (c.Removal)
    other.Hold(QStringLiteral("update USERS set FIRST_NAME = 'Ewa' where USER_NAME = '%1'").arg(name));
  else
    other.Hold(QStringLiteral("insert into USERS (USER_NAME, PSWD_VALID) values ('%1', 1)").arg(name));

  Dialogs.AnswerMessage(mrOk);
  EXPECT_THROW(ConnectAsSysdba(), EAbort);
  ASSERT_EQ(Dialogs.Messages().size(), 1u);
  ExpectLeadOverServerText(Dialogs.Messages()[0], QString::fromUtf8(c.Lead), c.ServerText);
  EXPECT_EQ(Dialogs.Messages()[0].Caption, QString::fromUtf8("Błąd"));
  EXPECT_EQ(RowListed(*Db, name), c.Removal) << "not done, as the message says";
  EXPECT_TRUE(ServerHasUser(*Db, name) != c.Removal);

  if (c.Lost)
    Db->Execute(QStringLiteral("drop trigger USERS_CUT"));
  else
    other.Release();
  ConnectAsSysdba();
  EXPECT_EQ(Dialogs.Messages().size(), 1u);
  EXPECT_EQ(RowListed(*Db, name), !c.Removal) << "done at the next connect, as the message says";
  EXPECT_EQ(ListedUsers().contains(name), !c.Removal);
}

INSTANTIATE_TEST_SUITE_P(
    Steps, StoppedStepTest,
    testing::Values(
        TStoppedStepCase{
            "TakeOverOfAHeldRow", false, false,
            "Użytkowników serwera nie przejęto na listę: inne połączenie właśnie dopisało wiersz "
            "jednego z nich albo ma jego niezatwierdzoną zmianę (np. logowanie w innym programie, "
            "sesja SQL). Żaden nie został dopisany; przy następnym „Połącz” zostaną przejęci ci, "
            "którzy nadal nie mają wiersza.",
            "PRIMARY or UNIQUE KEY"},
        TStoppedStepCase{
            "RemovalOfAHeldRow", true, false,
            "Użytkownicy serwera bez wiersza zostali przejęci na listę, ale użytkowników, których "
            "nie ma już na serwerze, nie usunięto z listy: inne połączenie ma niezatwierdzoną "
            "zmianę wiersza jednego z nich (np. logowanie w innym programie, sesja SQL). Nie "
            "usunięto żadnego z tych wierszy ani nie odebrano ich uprawnień RDB$ADMIN; zostaną "
            "usunięte przy następnym „Połącz”, gdy tamta zmiana zostanie zatwierdzona lub "
            "wycofana.",
            "update conflicts with concurrent update"},
        TStoppedStepCase{
            "TakeOverCutOff", false, true,
            "Połączenie z serwerem zostało przerwane podczas przejmowania użytkowników serwera na "
            "listę: żaden z nich nie został dopisany. Zostaną przejęci przy następnym „Połącz”.",
            "Connection lost"},
        TStoppedStepCase{
            "RemovalCutOff", true, true,
            "Użytkownicy serwera bez wiersza zostali przejęci na listę, ale połączenie z serwerem "
            "zostało przerwane podczas usuwania z listy użytkowników, których nie ma już na "
            "serwerze: nie usunięto żadnego z tych wierszy ani nie odebrano ich uprawnień "
            "RDB$ADMIN. Zostaną usunięte przy następnym „Połącz”.",
            "Connection lost"}),
    [](const testing::TestParamInfo<TStoppedStepCase> &info) { return std::string(info.param.Name); });

} // namespace
