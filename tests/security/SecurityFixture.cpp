#include "SecurityFixture.h"

#include "IBDatabase.h"
#include "TestServer.h"

void SecurityTest::SetUp() {
  if (!TestServer::Available())
    GTEST_SKIP() << "no test server: run tools/test.sh";
  Db = std::make_unique<ScratchDatabase>(QStringLiteral("security"));
  Server = Db->Server();
  Path = Db->Path();
  DM = std::make_unique<TDMSecurity>();
  DM->SecurityAlias = Path;
}

void SecurityTest::TearDown() {
  if (DM)
    DM->Database->Close();
  DM.reset();
  Db.reset();
}

bool SecurityTest::SetUpWithDatabase() {
  SecurityTest::SetUp();
  if (IsSkipped())
    return false;
  CreateDatabase();
  return true;
}

void SecurityTest::CreateDatabase() { DM->CreateSecurityDatabase(Server, TestServer::SysdbaPassword()); }

bool SecurityTest::Connect(const QString &user, const QString &password) {
  return DM->Connect(Server, user, password);
}

bool SecurityTest::ConnectAsSysdba() {
  return Connect(QStringLiteral("SYSDBA"), TestServer::SysdbaPassword());
}
