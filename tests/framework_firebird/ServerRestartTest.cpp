// A server restarted under open connections: a database and a service that find their connection
// lost treat it as closed, so that connecting again needs nothing more than connecting.
#include "FirebirdFixture.h"
#include "IBError.h"
#include "IBSQL.h"
#include "IBServices.h"
#include "OwnServer.h"
#include "TestServer.h"

namespace {

class ServerRestartTest : public FirebirdTest {
protected:
  void SetUp() override {
    if (!Server.Started())
      GTEST_FAIL() << Server.Error().toStdString();
    FirebirdTest::SetUp();
    Service.SetServerName(TestServer::Address());
    Service.Params().SetText(
        QStringLiteral("user_name=SYSDBA\npassword=%1").arg(TestServer::SysdbaPassword()));
    Service.SetActive(true);
  }
  // Stops and starts the server; the connections made before are dead afterwards.
  void Restart() {
    const QString before = TestServer::Address();
    Server.Stop();
    ASSERT_TRUE(Server.Start()) << Server.Error().toStdString();
    DatabaseName = TestServer::Address() + DatabaseName.mid(before.size());
  }

  // Built before the fixture's database, which it holds, and stopped after it is dropped.
  TOwnServer Server;
  TIBSecurityService Service;
};

TEST_F(ServerRestartTest, ClosingAfterARestartIsNoErrorAndConnectingAgainWorks) {
  Transaction.StartTransaction();
  TIBSQL query;
  query.SetDatabase(&Database);
  query.SQL().SetText(QStringLiteral("select RDB$RELATION_NAME from RDB$RELATIONS"));
  query.ExecQuery();
  Service.DisplayUsers();
  Restart();

  EXPECT_NO_THROW(Database.Close());
  EXPECT_FALSE(Database.Connected());
  EXPECT_FALSE(Transaction.InTransaction());
  EXPECT_NO_THROW(Service.SetActive(false));
  EXPECT_FALSE(Service.Active());

  SetLogin(Database, QStringLiteral("SYSDBA"), TestServer::SysdbaPassword());
  Database.Open();
  query.ExecQuery();
  EXPECT_FALSE(query.Eof());
  Service.SetServerName(TestServer::Address());
  Service.SetActive(true);
  Service.DisplayUsers();
  EXPECT_GE(Service.UserInfoCount(), 1);
}

TEST_F(ServerRestartTest, AServiceCallOnALostConnectionRaisesAndLeavesTheServiceInactive) {
  Restart();
  try {
    Service.DisplayUsers();
    FAIL() << "the dead service answered";
  } catch (const EIBError &error) {
    EXPECT_TRUE(error.ConnectionLost());
    EXPECT_TRUE(error.Message().startsWith(QStringLiteral("Connection lost to service ")))
        << error.Message().toStdString();
  }
  EXPECT_FALSE(Service.Active());
  EXPECT_NO_THROW(Service.SetActive(false));
  Service.SetServerName(TestServer::Address());
  Service.SetActive(true);
  Service.DisplayUsers();
  EXPECT_GE(Service.UserInfoCount(), 1);
}

} // namespace
