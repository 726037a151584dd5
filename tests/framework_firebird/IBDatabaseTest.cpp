#include "FirebirdFixture.h"
#include "IBError.h"
#include "IBQuery.h"
#include "IBSQL.h"
#include "TestServer.h"

#include <QFile>
#include <QUuid>

namespace {

QString UniqueUserName(const QString &stem) {
  return stem + QUuid::createUuid().toString(QUuid::Id128).left(8).toUpper();
}

} // namespace

TEST_F(FirebirdTest, ConnectsAsSysdba) {
  EXPECT_TRUE(Database.Connected());
  EXPECT_EQ(QueryValue(QStringLiteral("select current_user from rdb$database")).toString(),
            QStringLiteral("SYSDBA"));
}

TEST_F(FirebirdTest, WrongPasswordGivesTheServersMessage) {
  TIBDatabase other;
  SetLogin(other, QStringLiteral("SYSDBA"), TestServer::SysdbaPassword() + QStringLiteral("x"));
  try {
    other.Open();
    FAIL() << "connected with a wrong password";
  } catch (const EIBError &error) {
    EXPECT_TRUE(error.Message().contains(QStringLiteral("Your user name and password are not defined")))
        << error.Message().toStdString();
    EXPECT_EQ(error.IBErrorCode(), isc_login);
  }
  EXPECT_FALSE(other.Connected());
}

// A missing file and a file that is no database fail the attach differently: the codes under the
// heading one tell them apart.
TEST_F(FirebirdTest, AFailedAttachCarriesEveryCodeOfTheStatus) {
  const QString folder = TestServer::DataDir();
  const QString garbage = folder + QStringLiteral("/") + UniqueUserName(QStringLiteral("garbage")) + ".fdb";
  QFile file(garbage);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(QByteArray(8192, 'Z'));
  file.close();
  struct Case {
    const char *Name;
    QString Path;
    long Heading;
    bool OpenError;
  } cases[] = {
      {"missing", folder + QStringLiteral("/") + UniqueUserName(QStringLiteral("missing")) + ".fdd",
       isc_io_error, true},
      {"garbage", garbage, isc_bad_db_format, false},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.Name);
    TIBDatabase other;
    SetLogin(other, QStringLiteral("SYSDBA"), TestServer::SysdbaPassword());
    other.SetDatabaseName(TestServer::Address() + u':' + c.Path);
    try {
      other.Open();
      ADD_FAILURE() << "attached";
    } catch (const EIBError &error) {
      ASSERT_FALSE(error.Codes().empty());
      EXPECT_EQ(error.Codes().front(), error.IBErrorCode());
      EXPECT_EQ(error.IBErrorCode(), c.Heading);
      EXPECT_EQ(error.HasCode(isc_io_open_err), c.OpenError) << error.Message().toStdString();
    }
  }
  QFile::remove(garbage);
}

TEST_F(FirebirdTest, UserConnectsWithAndWithoutRole) {
  const QString user = UniqueUserName(QStringLiteral("MXROLE"));
  Execute({QStringLiteral("create user %1 password 'Secret1'").arg(user),
           QStringLiteral("grant RDB$ADMIN to %1").arg(user)});
  struct Case {
    QString Role;
    QString Expected;
  };
  for (const Case &c : {Case{QStringLiteral("RDB$ADMIN"), QStringLiteral("RDB$ADMIN")},
                        Case{QString(), QStringLiteral("NONE")}}) {
    TIBDatabase login;
    SetLogin(login, user, QStringLiteral("Secret1"));
    if (!c.Role.isEmpty())
      login.Params().Add(QStringLiteral("sql_role_name=") + c.Role);
    TIBTransaction transaction;
    transaction.SetDefaultDatabase(&login);
    TIBSQL query;
    query.SetTransaction(&transaction);
    login.Open();
    query.SQL().SetText(QStringLiteral("select current_user, current_role from rdb$database"));
    query.ExecQuery();
    EXPECT_EQ(query.Fields(0).AsString().trimmed(), user);
    EXPECT_EQ(query.Fields(1).AsString().trimmed(), c.Expected) << c.Role.toStdString();
  }
  Execute(QStringLiteral("drop user %1").arg(user));
}

TEST_F(FirebirdTest, CreatesTheDatabaseThroughTheAlias) {
  const QString file = TestServer::DataDir() + QStringLiteral("/meridox_sec.fdb");
  if (QFile::exists(file))
    GTEST_SKIP() << "the alias's database exists already";
  TIBDatabase created;
  created.SetDatabaseName(TestServer::Address() + QStringLiteral(":meridox_sec"));
  created.Params().SetText(QStringLiteral(" USER 'SYSDBA' PASSWORD '") + TestServer::SysdbaPassword() +
                           QStringLiteral("' PAGE_SIZE ") + QStringLiteral("8192") +
                           QStringLiteral(" DEFAULT CHARACTER SET ") + QStringLiteral("WIN1250"));
  created.CreateDatabase();
  EXPECT_TRUE(created.Connected());
  EXPECT_TRUE(QFile::exists(file));
  TIBTransaction transaction;
  transaction.SetDefaultDatabase(&created);
  TIBSQL query;
  query.SetTransaction(&transaction);
  query.SQL().SetText(
      QStringLiteral("select MON$PAGE_SIZE, trim(RDB$CHARACTER_SET_NAME) from MON$DATABASE, RDB$DATABASE"));
  query.ExecQuery();
  EXPECT_EQ(query.Fields(0).AsInteger(), 8192);
  EXPECT_EQ(query.Fields(1).AsString(), QStringLiteral("WIN1250"));
  query.Close();
  created.DropDatabase();
}

TEST_F(FirebirdTest, PolishTextRoundTripsWithAndWithoutCharset) {
  const QString polish = QStringLiteral("Zażółć gęślą jaźń ŁÓDŹ ąćęłńóśźż");
  Execute(QStringLiteral("create table T (ID integer, S varchar(50) character set WIN1250)"));
  int id = 0;
  for (const QString &charset : {QStringLiteral("WIN1250"), QString(), QStringLiteral("UTF8")}) {
    SCOPED_TRACE(charset.toStdString());
    TIBDatabase connection;
    SetLogin(connection, QStringLiteral("SYSDBA"), TestServer::SysdbaPassword(), charset);
    connection.Open();
    TIBTransaction transaction;
    transaction.SetDefaultDatabase(&connection);
    TIBSQL query;
    query.SetTransaction(&transaction);
    query.SQL().SetText(QStringLiteral("insert into T (ID, S) values (:ID, :S)"));
    query.ParamByName(QStringLiteral("id")).SetAsInteger(++id);
    query.ParamByName(QStringLiteral("s")).SetAsString(polish);
    query.ExecQuery();
    query.SQL().SetText(QStringLiteral("select S, char_length(S), octet_length(S) from T where ID = :ID"));
    query.ParamByName(QStringLiteral("ID")).SetAsInteger(id);
    query.ExecQuery();
    EXPECT_EQ(query.Fields(0).AsString(), polish);
    // One byte a letter on the server: the text is stored as Windows-1250.
    EXPECT_EQ(query.Fields(1).AsInteger(), polish.size());
    EXPECT_EQ(query.Fields(2).AsInteger(), polish.size());
    query.Close();
    TIBQuery dataset;
    dataset.SetTransaction(&transaction);
    dataset.SQL().SetText(QStringLiteral("select S from T where ID = %1").arg(id));
    dataset.Open();
    EXPECT_EQ(dataset.FieldByName(QStringLiteral("S"))->AsString(), polish);
    dataset.Close();
    transaction.Commit();
  }
  EXPECT_EQ(QueryValue(QStringLiteral("select count(distinct S) || '/' || count(*) from T")).toString(),
            QStringLiteral("1/3"));
}

TEST_F(FirebirdTest, TextOutsideWindows1250RaisesConvertError) {
  Execute(QStringLiteral("create table T (S varchar(20))"));
  TIBSQL query;
  query.SetDatabase(&Database);
  query.SQL().SetText(QStringLiteral("insert into T (S) values (:S)"));
  query.ParamByName(QStringLiteral("S")).SetAsString(QStringLiteral("日本"));
  EXPECT_THROW(query.ExecQuery(), EConvertError);
  Transaction.Commit();
  EXPECT_EQ(QueryValue(QStringLiteral("select count(*) from T")).toInt(), 0);
}

TEST_F(FirebirdTest, ListsFieldsInOrderAndUserTables) {
  Execute({"create table CONFIG (PASS_LENGTH smallint, VER integer, INI varchar(100))",
           "create table USERS (USER_NAME varchar(50))", "create view V as select * from USERS"});
  TStringList fields;
  Database.GetFieldNames(QStringLiteral("CONFIG"), fields);
  EXPECT_EQ(fields.ToStringList(), QStringList({"PASS_LENGTH", "VER", "INI"}));
  TStringList tables;
  Database.GetTableNames(tables);
  EXPECT_EQ(tables.ToStringList(), QStringList({"CONFIG", "USERS"}));
  Database.GetTableNames(tables, true);
  EXPECT_TRUE(tables.IndexOf(QStringLiteral("RDB$RELATIONS")) >= 0);
}

TEST_F(FirebirdTest, CloseEndsStatementsAndTransactions) {
  TIBSQL query;
  query.SetDatabase(&Database);
  query.SQL().SetText(QStringLiteral("select RDB$RELATION_NAME from RDB$RELATIONS"));
  query.ExecQuery();
  ASSERT_TRUE(query.Open());
  Database.Close();
  EXPECT_FALSE(query.Open());
  EXPECT_FALSE(query.Prepared());
  EXPECT_FALSE(Transaction.InTransaction());
  Database.Open();
  query.ExecQuery();
  EXPECT_FALSE(query.Eof());
}

TEST_F(FirebirdTest, LostConnectionNamesItAndLeavesNothingOpen) {
  TIBSQL query;
  query.SetDatabase(&Database);
  query.SQL().SetText(QStringLiteral("select current_connection from rdb$database"));
  query.ExecQuery();
  const qint64 attachment = query.Fields(0).AsInt64();
  query.Close();
  TIBDatabase killer;
  SetLogin(killer, QStringLiteral("SYSDBA"), TestServer::SysdbaPassword());
  killer.Open();
  TIBTransaction killing;
  killing.SetDefaultDatabase(&killer);
  TIBSQL kill;
  kill.SetTransaction(&killing);
  kill.SQL().SetText(
      QStringLiteral("delete from MON$ATTACHMENTS where MON$ATTACHMENT_ID = %1").arg(attachment));
  kill.ExecQuery();
  killing.Commit();
  TIBSQL probe;
  probe.SetDatabase(&Database);
  probe.SQL().SetText(QStringLiteral("select 1 from rdb$database"));
  try {
    probe.ExecQuery();
    FAIL() << "the killed connection still answered";
  } catch (const EIBError &error) {
    EXPECT_TRUE(error.ConnectionLost());
    EXPECT_TRUE(error.Message().startsWith(QStringLiteral("Connection lost to database ") + DatabaseName))
        << error.Message().toStdString();
  }
  EXPECT_FALSE(Database.Connected());
  EXPECT_FALSE(Transaction.InTransaction());
  EXPECT_FALSE(query.Prepared());
  Database.Open();
  query.ExecQuery();
  EXPECT_NE(query.Fields(0).AsInt64(), attachment);
}
