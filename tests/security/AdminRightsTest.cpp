#include "IBDatabase.h"
#include "IBQuery.h"
#include "IBSQL.h"
#include "IBTransaction.h"
#include "SecurityFixture.h"
#include "TestServer.h"

namespace {

class AdminRightsTest : public SecurityTest {
protected:
  void SetUp() override {
    if (!SetUpWithDatabase())
      return;
    DM->Database->Close();
  }
};

TEST_F(AdminRightsTest, SysdbaInLowerCaseIsSysdbaWithoutARole) {
  ASSERT_TRUE(Connect("sysdba", TestServer::SysdbaPassword()));
  EXPECT_EQ(DM->Database->Params().Values("sql_role_name"), "");
  EXPECT_TRUE(IsConnectedAsAdmin(DM->Database));
  EXPECT_TRUE(Dialogs.Messages().empty());
}

TEST_F(AdminRightsTest, RoleAskedForButNeverGrantedIsRefusedAndDisconnected) {
  const QString user = CreateServerUser("PLAIN", "secret1");
  Dialogs.AnswerMessage(mrOk);
  EXPECT_FALSE(Connect(user.toLower(), "secret1"));
  EXPECT_FALSE(DM->Database->Connected());
  ASSERT_EQ(Dialogs.Messages().size(), 1u);
  EXPECT_EQ(Dialogs.Messages()[0].Text,
            QString::fromUtf8("Nie posiadasz praw administratora do bazy użytkowników"));
  EXPECT_EQ(Dialogs.Messages()[0].Caption, QString::fromUtf8("Brak uprawnień"));
  EXPECT_EQ(Dialogs.Messages()[0].Icon, mtWarning);
}

TEST_F(AdminRightsTest, HolderOfTheRoleConnectsAndUpgrades) {
  const QString user = CreateServerUser("ADM", "secret2");
  Execute(QStringLiteral("GRANT RDB$ADMIN TO %1").arg(user));
  ASSERT_TRUE(Connect(user, "secret2"));
  EXPECT_EQ(DM->Database->Params().Values("sql_role_name"), "RDB$ADMIN");
  EXPECT_EQ(DM->GetSchemaVersion(), 4);
  EXPECT_TRUE(HasAdminRole(DM->Database, user.toLower()));
  EXPECT_TRUE(CheckAdminAccess(DM->Database, true));
  EXPECT_TRUE(DM->users->Active());
}

TEST_F(AdminRightsTest, GrantorsOfARoleAreAllFound) {
  const QString boss = CreateServerUser("BOSS", "secret3");
  const QString user = CreateServerUser("USR", "secret4");
  Execute({QStringLiteral("GRANT RDB$ADMIN TO %1 WITH ADMIN OPTION").arg(boss),
           QStringLiteral("GRANT RDB$ADMIN TO %1").arg(user)});
  {
    TIBDatabase asBoss;
    asBoss.SetDatabaseName(Server + u':' + Path);
    asBoss.Params().SetText(
        QStringLiteral("user_name=%1\npassword=secret3\nsql_role_name=RDB$ADMIN").arg(boss));
    TIBTransaction transaction;
    transaction.SetDefaultDatabase(&asBoss);
    asBoss.SetDefaultTransaction(&transaction);
    asBoss.Open();
    TIBSQL grant;
    grant.SetDatabase(&asBoss);
    grant.SQL().SetText(QStringLiteral("GRANT RDB$ADMIN TO %1").arg(user));
    grant.ExecQuery();
    transaction.Commit();
  }
  ASSERT_TRUE(ConnectAsSysdba());
  QStringList grantors = GetRoleGrantors(DM->Database, user.toLower(), "rdb$admin");
  grantors.sort();
  QStringList expected{boss, "SYSDBA"};
  expected.sort();
  EXPECT_EQ(grantors, expected);
  QString first;
  GetRoleGrantor(DM->Database, user, "RDB$ADMIN", first);
  EXPECT_TRUE(expected.contains(first));
  GetRoleGrantor(DM->Database, boss + "X", "RDB$ADMIN", first);
  EXPECT_EQ(first, "");
}

TEST_F(AdminRightsTest, CheckAdminAccessNamesTheDatabase) {
  const QString user = CreateServerUser("NOBODY", "secret5");
  TIBDatabase db;
  db.SetDatabaseName(Server + u':' + Path);
  db.Params().SetText(QStringLiteral("user_name=%1\npassword=secret5").arg(user));
  db.Open();
  Dialogs.AnswerMessage(mrOk);
  EXPECT_FALSE(CheckAdminAccess(&db, false));
  ASSERT_EQ(Dialogs.Messages().size(), 1u);
  EXPECT_EQ(Dialogs.Messages()[0].Text,
            QString::fromUtf8("Nie posiadasz praw administratora do bazy\n") + Server + u':' + Path);
  db.Close();
}

} // namespace
