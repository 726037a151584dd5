// What the console's guard adds to a plain select: the statement prepared, run and its 100 rows
// fetched (the floor), against the same with the guard's look at the names the select reaches in the
// database's metadata first. Both in one transaction, taking turns in each of 200 rounds; prints the
// best time of each and their ratio, for a table and for a view over a view over it.
//
// Needs the private server of tools/fbserver: MERIDOX_TEST_SERVER, MERIDOX_TEST_PASSWORD and
// MERIDOX_TEST_DATADIR as its server.env sets them.
#include "BenchServer.h"
#include "IBDatabase.h"
#include "IBSQL.h"
#include "IBTransaction.h"
#include "SelectRoutines.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QUuid>
#include <algorithm>
#include <cstdio>

namespace {

void Execute(TIBDatabase &database, TIBTransaction &transaction, const QString &sql) {
  TIBSQL statement;
  statement.SetDatabase(&database);
  statement.SetTransaction(&transaction);
  statement.SetParamCheck(false);
  statement.SQL().SetText(sql);
  statement.ExecQuery();
}

// Prepares, runs and fetches the select; with the guard, asks it first.
double RunOnce(TIBDatabase &database, TIBTransaction &transaction, const QString &sql, bool guarded) {
  QElapsedTimer timer;
  timer.start();
  TIBSQL query;
  query.SetDatabase(&database);
  query.SetTransaction(&transaction);
  query.SQL().SetText(sql);
  query.Prepare();
  if (guarded && TSelectRoutines(&transaction).Refine(StatementKind(sql, query.SQLType()), sql) !=
                     TStatementKind::skReads)
    std::fprintf(stderr, "the guard would ask before: %s\n", qPrintable(sql));
  for (query.ExecQuery(); !query.Eof(); query.Next())
    query.Fields(1).AsString();
  query.Close();
  return double(timer.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char **argv) {
  QCoreApplication app(argc, argv);
  TBenchServer server;
  if (!server.FromEnvironment())
    return 1;
  const QString file =
      QDir(server.DataDir)
          .filePath(QStringLiteral("guard_bench_%1.fdb").arg(QUuid::createUuid().toString(QUuid::Id128)));
  TIBDatabase database;
  database.SetDatabaseName(server.Server + u':' + file);
  database.Params().SetText(
      QStringLiteral("USER 'SYSDBA'\nPASSWORD '%1'\nDEFAULT CHARACTER SET WIN1250").arg(server.Password));
  database.CreateDatabase();
  database.Close();
  database.Params().SetText(
      QStringLiteral("user_name=SYSDBA\npassword=%1\nlc_ctype=WIN1250").arg(server.Password));
  database.Open();
  TIBTransaction transaction;
  transaction.SetDefaultDatabase(&database);
  transaction.StartTransaction();
  Execute(database, transaction, QStringLiteral("create table T1 (ID integer, NAME varchar(30))"));
  Execute(database, transaction, QStringLiteral("create view V1 as select ID, NAME from T1"));
  Execute(database, transaction, QStringLiteral("create view V2 as select ID, NAME from V1"));
  transaction.Commit();
  transaction.StartTransaction();
  Execute(database, transaction,
          QStringLiteral("execute block as declare i integer = 0; begin while (i < 100) do begin "
                         "insert into T1 values (:i, 'row ' || :i); i = i + 1; end end"));
  for (const QString &sql : {QStringLiteral("select ID, NAME from T1 where ID >= 0"),
                             QStringLiteral("select ID, NAME from V2 where ID >= 0")}) {
    double floor = 0, guarded = 0;
    for (int round = 0; round < 200; ++round) {
      const double f = RunOnce(database, transaction, sql, false);
      const double g = RunOnce(database, transaction, sql, true);
      floor = round == 0 ? f : std::min(floor, f);
      guarded = round == 0 ? g : std::min(guarded, g);
    }
    std::printf("%-45s floor %.3f ms, guarded %.3f ms, ratio %.2f\n", qPrintable(sql), floor, guarded,
                guarded / floor);
  }
  transaction.Rollback();
  database.DropDatabase();
  return 0;
}
