// The server stopped half-way through "Usuń użytkownika" and "Nowy użytkownik", and restarted
// under a connected window: the person reads in Polish what was done and what is left, and the
// first "Połącz" afterwards brings the list and the server's users in step again.
#include "Actions.h"
#include "DB.h"
#include "Exceptions.h"
#include "IBDatabase.h"
#include "IBQuery.h"
#include "IBServices.h"
#include "MainFormFixture.h"
#include "OwnServer.h"
#include "TestServer.h"
#include "UDMSecurity.h"

#include <QSet>

namespace {

QSet<QString> Trimmed(const QStringList &names) {
  QSet<QString> set;
  for (const QString &name : names)
    set.insert(name.trimmed());
  return set;
}

// Connected as SYSDBA to a security database on a server of the test's own, which it stops.
class ServerLostTest : public MainFormTest {
protected:
  void SetUp() override {
    if (!Server.Started())
      GTEST_FAIL() << Server.Error().toStdString();
    MainFormTest::SetUp();
    CreateSecurityDatabase();
    ConnectAsSysdba();
  }
  void StartAgain() {
    ASSERT_TRUE(Server.Start()) << Server.Error().toStdString();
    ASSERT_EQ(TestServer::Address(), Db->Server()) << "the server's port was taken meanwhile";
  }
  // The server's users and the rows of USERS: the same names once they are in step.
  QSet<QString> ServerUsers() {
    return Trimmed(Db->QueryStrings(QStringLiteral("select SEC$USER_NAME from SEC$USERS")));
  }
  QSet<QString> Rows() { return Trimmed(Db->QueryStrings(QStringLiteral("select USER_NAME from USERS"))); }
  bool RowOf(const QString &user) { return Rows().contains(user); }
  // Runs the data module's handler, then stops the server, once.
  std::function<void(TDataSet *)> StoppingAfter(std::function<void(TDataSet *)> handler) {
    return [this, handler](TDataSet *d) {
      if (handler)
        handler(d);
      if (!FStopped) {
        FStopped = true;
        Server.Stop();
      }
    };
  }

  TOwnServer Server;
  bool FStopped = false;
};

TEST_F(ServerLostTest, DeleteSaysTheServerUserIsGoneAndWhatTheNextConnectRemoves) {
  const QString user = Db->CreateServerUser(QStringLiteral("LOSTDEL"), QStringLiteral("secret1"));
  Db->Execute(QStringLiteral("grant RDB$ADMIN to %1").arg(user));
  Form->SynchroA->Execute();
  ASSERT_TRUE(SelectUser(user));
  TDataSet *users = Form->DM()->users;
  const auto beforeDelete = users->BeforeDelete;
  // The server user is deleted; the server goes before the row does.
  users->BeforeDelete = StoppingAfter(beforeDelete);
  Dialogs.AnswerMessage(mrYes);
  Dialogs.AnswerMessage(mrOk);
  EXPECT_THROW(Form->UsunUzytkownikaA->Execute(), EAbort);
  users->BeforeDelete = beforeDelete;
  ASSERT_TRUE(FStopped);

  ASSERT_EQ(Dialogs.Messages().size(), 2u);
  const TMessageRequest &report = Dialogs.Messages()[1];
  const QString account =
      QString::fromUtf8("Użytkownik %1 został usunięty z serwera, ale jego wiersz na liście nie "
                        "został usunięty.\nWiersz, historia haseł i uprawnienie RDB$ADMIN zostaną "
                        "usunięte przy następnym „Połącz”.\n\n")
          .arg(user);
  EXPECT_TRUE(report.Text.startsWith(account)) << report.Text.toStdString();
  EXPECT_TRUE(report.Text.mid(account.size()).contains(QStringLiteral("Connection lost")))
      << "the server's text below";
  EXPECT_EQ(report.Caption, QString::fromUtf8("Błąd"));
  EXPECT_EQ(report.Icon, mtError);

  StartAgain();
  EXPECT_FALSE(ServerHasUser(*Db, user)) << "done, as the message says";
  EXPECT_TRUE(RowOf(user)) << "left, as the message says";
  ConnectAsSysdba();
  EXPECT_EQ(Dialogs.Messages().size(), 2u);
  EXPECT_TRUE(Form->DM()->Database->Connected());
  EXPECT_FALSE(RowOf(user));
  EXPECT_EQ(Rows(), ServerUsers());
}

TEST_F(ServerLostTest, NewUserSaysTheServerUserExistsWithoutItsRowAndWhatWasTyped) {
  const QString name = QStringLiteral("LOSTNEW") + UniqueToken();
  Db->ForgetServerUser(name);
  TDataSet *users = Form->DM()->users;
  const auto beforePost = users->BeforePost;
  // The server user is added; the server goes before the row is saved.
  users->BeforePost = StoppingAfter(beforePost);
  Dialogs.AnswerModalAs<TNowyUzytkownikF>(
      Fill({name, "Jan", QString::fromUtf8("Kowalski-Żak"), "80010112345", "Ab1!x#yz", "Ab1!x#yz"}));
  Dialogs.AnswerMessage(mrOk);
  EXPECT_THROW(Form->NowyUzytkownikA->Execute(), EAbort);
  users->BeforePost = beforePost;
  ASSERT_TRUE(FStopped);

  ASSERT_EQ(Dialogs.Messages().size(), 1u);
  const TMessageRequest &report = Dialogs.Messages()[0];
  const QString account =
      QString::fromUtf8(
          "Użytkownik %1 został dodany na serwerze, ale jego wiersz nie został zapisany na liście, a "
          "użytkownika nie udało się usunąć z serwera.\nPrzy następnym „Połącz” zostanie przejęty bez "
          "imienia, nazwiska i numeru PESEL i bez wymaganej zmiany hasła przy następnym logowaniu: te "
          "dane trzeba wprowadzić ponownie.\nWpisane dane: imię „Jan”, nazwisko „Kowalski-Żak”, PESEL "
          "„80010112345”.\n\n")
          .arg(name);
  EXPECT_TRUE(report.Text.startsWith(account)) << report.Text.toStdString();
  EXPECT_TRUE(report.Text.mid(account.size()).contains(QStringLiteral("Connection lost")))
      << "the server's text below";
  EXPECT_EQ(report.Caption, QString::fromUtf8("Błąd"));

  StartAgain();
  EXPECT_TRUE(ServerHasUser(*Db, name)) << "left, as the message says";
  EXPECT_FALSE(RowOf(name));
  ConnectAsSysdba();
  EXPECT_EQ(Dialogs.Messages().size(), 1u);
  EXPECT_EQ(Rows(), ServerUsers());
  EXPECT_EQ(
      Db->QueryValue(
            QStringLiteral("select coalesce(FIRST_NAME, '') || PSWD_VALID from USERS where USER_NAME = '%1'")
                .arg(name))
          .toString(),
      "1")
      << "taken over without the typed data, as the message says";
}

TEST_F(ServerLostTest, TheFirstConnectAfterARestartConnectsAndSynchronises) {
  Server.Stop();
  StartAgain();
  const QString user = Db->CreateServerUser(QStringLiteral("AFTER"), QStringLiteral("secret1"));
  ConnectAsSysdba();
  EXPECT_TRUE(Dialogs.Messages().empty());
  EXPECT_TRUE(Form->DM()->Database->Connected());
  EXPECT_TRUE(Form->Security->Active());
  EXPECT_TRUE(ListedUsers().contains(user));
  EXPECT_EQ(Rows(), ServerUsers());
}

} // namespace
