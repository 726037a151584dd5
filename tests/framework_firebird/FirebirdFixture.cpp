#include "FirebirdFixture.h"

#include "IBSQL.h"
#include "TestServer.h"

void FirebirdTest::SetUp() {
  REQUIRE_TEST_SERVER();
  DatabaseName = TestServer::FreshDatabase(QStringLiteral("firebird"));
  Database.SetDatabaseName(DatabaseName);
  Database.Params().SetText(
      QStringLiteral(" USER 'SYSDBA' PASSWORD '%1' PAGE_SIZE 8192 DEFAULT CHARACTER SET WIN1250")
          .arg(TestServer::SysdbaPassword()));
  Database.CreateDatabase();
  Database.Close();
  SetLogin(Database, QStringLiteral("SYSDBA"), TestServer::SysdbaPassword());
  Database.Open();
  Transaction.SetDefaultDatabase(&Database);
  Transaction.Params().SetText(QStringLiteral("read_committed\nrec_version\nnowait"));
  Database.SetDefaultTransaction(&Transaction);
}

void FirebirdTest::TearDown() {
  if (DatabaseName.isEmpty())
    return;
  Database.Close();
  SetLogin(Database, QStringLiteral("SYSDBA"), TestServer::SysdbaPassword());
  Database.Open();
  Database.DropDatabase();
}

void FirebirdTest::SetLogin(TIBDatabase &database, const QString &user, const QString &password,
                            const QString &charset) const {
  database.SetDatabaseName(DatabaseName);
  database.Params().Clear();
  database.Params().Add(QStringLiteral("user_name=") + user);
  database.Params().Add(QStringLiteral("password=") + password);
  if (!charset.isEmpty())
    database.Params().Add(QStringLiteral("lc_ctype=") + charset);
}

void FirebirdTest::Execute(const QStringList &statements) {
  TIBTransaction transaction;
  transaction.SetDefaultDatabase(&Database);
  TIBSQL query;
  query.SetTransaction(&transaction);
  query.SetParamCheck(false);
  for (const QString &statement : statements) {
    query.SQL().SetText(statement);
    query.ExecQuery();
    transaction.CommitRetaining();
  }
  transaction.Commit();
}

QVariant FirebirdTest::QueryValue(const QString &sql) {
  TIBTransaction transaction;
  transaction.SetDefaultDatabase(&Database);
  TIBSQL query;
  query.SetTransaction(&transaction);
  query.SQL().SetText(sql);
  query.ExecQuery();
  const QVariant value = query.Eof() ? QVariant() : query.Fields(0).Value();
  query.Close();
  transaction.Commit();
  return value;
}
