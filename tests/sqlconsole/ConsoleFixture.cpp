#include "ConsoleFixture.h"

#include "Actions.h"
#include "IBSQL.h"
#include "IBTransaction.h"
#include "TestServer.h"
#include "USqlItem.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QPlainTextEdit>

void ConsoleTest::SetUp() {
  if (!TestServer::Available())
    GTEST_SKIP() << "no test server: run tools/test.sh";
  Db = std::make_unique<ScratchDatabase>(QStringLiteral("sqlconsole"));
  {
    TIBDatabase creator;
    creator.SetDatabaseName(Db->DatabaseName());
    creator.Params().SetText(QStringLiteral("USER 'SYSDBA'\nPASSWORD '%1'\nDEFAULT CHARACTER SET WIN1250")
                                 .arg(TestServer::SysdbaPassword()));
    creator.CreateDatabase();
    creator.Close();
  }
  Db->Execute(
      {QStringLiteral("create table T1 (ID integer not null primary key, NAME varchar(30))"),
       QStringLiteral("create procedure P1 as begin end"),
       QStringLiteral("create procedure P2 returns (R integer) as begin insert into T1 values (9, 'x'); "
                      "R = 1; suspend; end")});
  Db->Execute({QStringLiteral("insert into T1 values (1, 'Alfa')"),
               QStringLiteral("insert into T1 values (2, 'Beta')")});
  Database = std::make_unique<TIBDatabase>();
  Database->SetDatabaseName(Db->DatabaseName());
  Database->Params().SetText(
      QStringLiteral("user_name=SYSDBA\npassword=%1\nlc_ctype=WIN1250").arg(TestServer::SysdbaPassword()));
  Database->Open();
  SetSQLFolder(Folder.path());
}

void ConsoleTest::TearDown() {
  delete Console.data();
  SetSQLFolder(QString());
  Database.reset();
  Db.reset();
  EXPECT_TRUE(Dialogs.Exhausted());
}

void ConsoleTest::OpenConsole(bool managerRights) {
  Console = new TSQLMonitorForm(Database.get(), managerRights);
  Console->show();
}

void ConsoleTest::Run(const QString &sql) {
  Console->SetEditorText(sql);
  Console->ExecuteSQLAction->Execute();
}

int ConsoleTest::RowsSeenByConsole() {
  TIBSQL count;
  count.SetDatabase(Database.get());
  count.SetTransaction(Console->IBTransaction);
  count.SQL().SetText(QStringLiteral("select count(*) from T1"));
  count.ExecQuery();
  return count.Fields(0).AsInteger();
}

void ConsoleTest::LeavePending(const QString &sql) {
  TIBSQL statement;
  statement.SetDatabase(Database.get());
  statement.SetTransaction(Console->IBTransaction);
  statement.SQL().SetText(sql);
  statement.ExecQuery();
}

QStringList ConsoleTest::MessageCaptions() const {
  QStringList captions;
  for (const TMessageRequest &m : Dialogs.Messages())
    captions.append(m.Caption);
  return captions;
}

void ConsoleTest::WriteFile(const QString &path, const QByteArray &bytes) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(bytes);
}
