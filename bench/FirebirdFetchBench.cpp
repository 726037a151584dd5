// Fetches 1,000,000 rows of a five-column table through TIBQuery and through isql-fb (output to
// /dev/null) on the same server, and prints both times and their ratio.
//
// Needs the private server of tools/fbserver: MERIDOX_TEST_SERVER, MERIDOX_TEST_PASSWORD and
// MERIDOX_TEST_DATADIR as its server.env sets them.
#include "BenchServer.h"
#include "IBDatabase.h"
#include "IBQuery.h"
#include "IBSQL.h"
#include "IBTransaction.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryFile>
#include <QUuid>
#include <benchmark/benchmark.h>
#include <cstdio>

namespace {

constexpr int kRows = 1000000;
const QString kSelect = QStringLiteral("select ID, NAME, STAMP, AMOUNT, FLAG from BENCH");

struct TSetup {
  QString Server, Password, DatabaseName;
};

TSetup &Setup() {
  static TSetup setup;
  return setup;
}

double gQueryBest = 0, gIsqlBest = 0;

void Login(TIBDatabase &database) {
  database.SetDatabaseName(Setup().DatabaseName);
  database.Params().SetText(QStringLiteral("user_name=SYSDBA\npassword=%1\nlc_ctype=WIN1250").arg(Setup().Password));
}

void CreateTable() {
  TIBDatabase database;
  database.SetDatabaseName(Setup().DatabaseName);
  database.Params().SetText(QStringLiteral(" USER 'SYSDBA' PASSWORD '%1' PAGE_SIZE 8192 DEFAULT CHARACTER SET WIN1250")
                                .arg(Setup().Password));
  database.CreateDatabase();
  TIBTransaction transaction;
  transaction.SetDefaultDatabase(&database);
  TIBSQL sql;
  sql.SetTransaction(&transaction);
  sql.SetParamCheck(false);
  for (const QString &statement :
       {QStringLiteral("create table BENCH (ID integer, NAME varchar(50), STAMP timestamp, AMOUNT numeric(15,2), FLAG smallint)"),
        QStringLiteral("execute block as declare i integer = 0; begin while (i < %1) do begin "
                       "insert into BENCH values (:i, 'Użytkownik numer ' || :i, dateadd(:i second to timestamp '2020-01-01 00:00:00'), "
                       ":i * 1.25, mod(:i, 2)); i = i + 1; end end")
            .arg(kRows)}) {
    sql.SQL().SetText(statement);
    sql.ExecQuery();
    transaction.Commit();
  }
}

void DropDatabase() {
  TIBDatabase database;
  Login(database);
  database.Open();
  database.DropDatabase();
}

void FetchThroughQuery(benchmark::State &state) {
  TIBDatabase database;
  Login(database);
  database.Open();
  TIBTransaction transaction;
  transaction.SetDefaultDatabase(&database);
  TIBQuery query;
  query.SetDatabase(&database);
  query.SetTransaction(&transaction);
  query.SQL().SetText(kSelect);
  for (auto _ : state) {
    QElapsedTimer timer;
    timer.start();
    query.Open();
    TField *id = query.Fields(0), *name = query.Fields(1), *stamp = query.Fields(2), *amount = query.Fields(3),
           *flag = query.Fields(4);
    int rows = 0;
    double sum = 0;
    TBcd bcd;
    // Every value is read in its own type, as a program reads its rows.
    for (; !query.Eof(); query.Next(), ++rows) {
      amount->GetData(&bcd);
      sum += id->AsInteger() + name->AsString().size() + stamp->AsDateTime() + bcd.Precision + flag->AsInteger();
    }
    query.Close();
    const double seconds = timer.nsecsElapsed() / 1e9;
    if (rows != kRows)
      state.SkipWithError("wrong row count");
    benchmark::DoNotOptimize(sum);
    state.SetIterationTime(seconds);
    gQueryBest = gQueryBest == 0 ? seconds : std::min(gQueryBest, seconds);
  }
}

void FetchThroughIsql(benchmark::State &state) {
  QTemporaryFile script;
  script.open();
  script.write((kSelect + QStringLiteral(";\n")).toLatin1());
  script.close();
  for (auto _ : state) {
    QProcess isql;
    isql.setStandardOutputFile(QProcess::nullDevice());
    QElapsedTimer timer;
    timer.start();
    isql.start(QStringLiteral("isql-fb"), {QStringLiteral("-user"), QStringLiteral("SYSDBA"), QStringLiteral("-password"),
                                           Setup().Password, QStringLiteral("-ch"), QStringLiteral("WIN1250"),
                                           QStringLiteral("-q"), QStringLiteral("-i"), script.fileName(),
                                           Setup().DatabaseName});
    if (!isql.waitForFinished(-1) || isql.exitCode() != 0)
      state.SkipWithError("isql-fb failed");
    const double seconds = timer.nsecsElapsed() / 1e9;
    state.SetIterationTime(seconds);
    gIsqlBest = gIsqlBest == 0 ? seconds : std::min(gIsqlBest, seconds);
  }
}

} // namespace

int main(int argc, char **argv) {
  QCoreApplication app(argc, argv);
  TBenchServer server;
  if (!server.FromEnvironment())
    return 2;
  Setup().Server = server.Server;
  Setup().Password = server.Password;
  const QString dataDir = server.DataDir;
  Setup().DatabaseName = Setup().Server + u':' +
                         QDir(dataDir).filePath(QStringLiteral("bench_%1.fdb").arg(QUuid::createUuid().toString(QUuid::Id128).left(8)));
  benchmark::Initialize(&argc, argv);
  try {
    CreateTable();
    benchmark::RegisterBenchmark("TIBQuery fetch", FetchThroughQuery)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("isql-fb to /dev/null", FetchThroughIsql)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
    benchmark::RunSpecifiedBenchmarks();
    DropDatabase();
  } catch (const std::exception &error) {
    std::fprintf(stderr, "%s\n", error.what());
    return 1;
  }
  std::printf("%d rows: TIBQuery %.3f s, isql-fb %.3f s, ratio TIBQuery/isql-fb %.2f\n", kRows, gQueryBest, gIsqlBest,
              gIsqlBest > 0 ? gQueryBest / gIsqlBest : 0.0);
  return 0;
}
