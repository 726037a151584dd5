#include "TestConnection.h"

#include "TestServer.h"

TestConnection::TestConnection(const QString &databaseName, const QString &user, const QString &password,
                               const QString &role) {
  Database.SetDatabaseName(databaseName);
  Database.Params().SetText(QStringLiteral("user_name=%1\npassword=%2\nlc_ctype=WIN1250")
                                .arg(user, password.isEmpty() ? TestServer::SysdbaPassword() : password));
  if (!role.isEmpty())
    Database.Params().SetValues(QStringLiteral("sql_role_name"), role);
  Transaction.SetDefaultDatabase(&Database);
  // A later read sees what others committed meanwhile.
  Transaction.Params().SetText(QStringLiteral("read_committed\nrec_version\nnowait"));
  Statement.SetDatabase(&Database);
  Statement.SetTransaction(&Transaction);
  Database.Open();
  Transaction.StartTransaction();
}

void TestConnection::Prepare(const QString &sql) {
  Statement.Close();
  Statement.SQL().SetText(sql);
  Statement.Prepare();
}

void TestConnection::Run(const QString &sql) {
  Prepare(sql);
  Statement.ExecQuery();
  Statement.Close();
}

QList<QVariant> TestConnection::Read(const QString &sql) {
  Prepare(sql);
  QList<QVariant> values;
  for (Statement.ExecQuery(); !Statement.Eof(); Statement.Next())
    values.append(Statement.Fields(0).Value());
  Statement.Close();
  return values;
}
