// Fetches 1,000,000 rows of a five-column table on the same server through TIBQuery (each value read
// in its own type, and each read as text as a grid shows it), through a plain client loop (the
// floor: isc_dsql_fetch into one buffer, each column touched, nothing converted) and through isql-fb
// (output to /dev/null), and prints the times, their ratios to the floor and TIBQuery's heap per
// fetched row. The floor and the two TIBQuery fetches take turns in each of five rounds.
//
//   firebird_fetch_bench            1,000,000 rows
//   firebird_fetch_bench 100000     another row count (a profiler's run)
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
#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <ibase.h>
#include <malloc.h>

namespace {

// Rows in the table: 1,000,000 unless the first argument says otherwise.
int gRows = 1000000;
const QString kSelect = QStringLiteral("select ID, NAME, STAMP, AMOUNT, FLAG from BENCH");

struct TSetup {
  QString Server, Password, DatabaseName;
};

TSetup &Setup() {
  static TSetup setup;
  return setup;
}

double gQueryBest = 0, gTextBest = 0, gPlainBest = 0, gIsqlBest = 0;
double gBytesPerRow = 0;

void KeepBest(double &best, double seconds) { best = best == 0 ? seconds : std::min(best, seconds); }

std::size_t HeapInUse() {
  const struct mallinfo2 info = mallinfo2();
  return info.uordblks + info.hblkhd;
}

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
            .arg(gRows)}) {
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

// One fetch of every row through TIBQuery; asText: every value read as the text a grid shows, else
// each in its own type. Answers the seconds; rows is what it read.
double FetchThroughQuery(TIBQuery &query, bool asText, int &rows) {
  const std::size_t heapBefore = HeapInUse();
  QElapsedTimer timer;
  timer.start();
  query.Open();
  TField *id = query.Fields(0), *name = query.Fields(1), *stamp = query.Fields(2), *amount = query.Fields(3),
         *flag = query.Fields(4);
  rows = 0;
  double sum = 0;
  TBcd bcd;
  for (; !query.Eof(); query.Next(), ++rows) {
    if (asText) {
      for (TField *field : {id, name, stamp, amount, flag})
        sum += field->DisplayText().size();
    } else {
      amount->GetData(&bcd);
      sum += id->AsInteger() + name->AsString().size() + stamp->AsDateTime() + bcd.Precision + flag->AsInteger();
    }
  }
  const double seconds = timer.nsecsElapsed() / 1e9;
  gBytesPerRow = double(HeapInUse() - heapBefore) / std::max(rows, 1);
  query.Close();
  benchmark::DoNotOptimize(sum);
  return seconds;
}

// The floor: the client library's own fetch into one buffer, each column's indicator and first byte
// touched, nothing converted or kept.
double FetchThroughPlainLoop(TIBDatabase &database, TIBTransaction &transaction, int &rows) {
  const QByteArray sql = kSelect.toLatin1();
  transaction.StartTransaction();
  ISC_STATUS_ARRAY status{};
  isc_stmt_handle statement = 0;
  auto *columns = static_cast<XSQLDA *>(std::calloc(1, XSQLDA_LENGTH(5)));
  columns->version = SQLDA_VERSION1;
  columns->sqln = 5;
  QElapsedTimer timer;
  timer.start();
  isc_dsql_allocate_statement(status, database.Handle(), &statement);
  isc_dsql_prepare(status, transaction.Handle(), &statement, 0, sql.constData(), 3, columns);
  std::vector<char> row;
  std::size_t size = 0;
  for (int i = 0; i < columns->sqld; ++i)
    size += (columns->sqlvar[i].sqllen + 2 + sizeof(short) + 7) / 8 * 8;
  row.resize(size);
  std::size_t offset = 0;
  for (int i = 0; i < columns->sqld; ++i) {
    XSQLVAR &column = columns->sqlvar[i];
    column.sqldata = row.data() + offset;
    column.sqlind = reinterpret_cast<short *>(row.data() + offset + column.sqllen + 2);
    offset += (column.sqllen + 2 + sizeof(short) + 7) / 8 * 8;
  }
  isc_dsql_execute(status, transaction.Handle(), &statement, 3, nullptr);
  long touched = 0;
  rows = 0;
  while (isc_dsql_fetch(status, &statement, 3, columns) == 0) {
    for (int i = 0; i < columns->sqld; ++i)
      touched += *columns->sqlvar[i].sqlind + columns->sqlvar[i].sqldata[0];
    ++rows;
  }
  isc_dsql_free_statement(status, &statement, DSQL_drop);
  const double seconds = timer.nsecsElapsed() / 1e9;
  std::free(columns);
  transaction.Commit();
  benchmark::DoNotOptimize(touched);
  return seconds;
}

// The floor and both kinds of TIBQuery fetch in turn in every round, so that the load other work puts
// on the shared machine touches all three alike; each keeps its best round.
void FetchRounds(benchmark::State &state) {
  TIBDatabase plainDatabase, queryDatabase;
  Login(plainDatabase);
  plainDatabase.Open();
  Login(queryDatabase);
  queryDatabase.Open();
  TIBTransaction plainTransaction, queryTransaction;
  plainTransaction.SetDefaultDatabase(&plainDatabase);
  queryTransaction.SetDefaultDatabase(&queryDatabase);
  TIBQuery query;
  query.SetDatabase(&queryDatabase);
  query.SetTransaction(&queryTransaction);
  query.SQL().SetText(kSelect);
  for (auto _ : state) {
    int plainRows = 0, queryRows = 0, textRows = 0;
    const double plain = FetchThroughPlainLoop(plainDatabase, plainTransaction, plainRows);
    KeepBest(gPlainBest, plain);
    KeepBest(gQueryBest, FetchThroughQuery(query, false, queryRows));
    KeepBest(gTextBest, FetchThroughQuery(query, true, textRows));
    if (plainRows != gRows || queryRows != gRows || textRows != gRows)
      state.SkipWithError("wrong row count");
    state.SetIterationTime(plain);
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
    KeepBest(gIsqlBest, seconds);
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
  if (argc > 1)
    gRows = std::max(1, std::atoi(argv[1]));
  try {
    CreateTable();
    benchmark::RegisterBenchmark("plain loop, TIBQuery, TIBQuery as text", FetchRounds)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("isql-fb to /dev/null", FetchThroughIsql)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
    benchmark::RunSpecifiedBenchmarks();
    DropDatabase();
  } catch (const std::exception &error) {
    std::fprintf(stderr, "%s\n", error.what());
    return 1;
  }
  auto ratio = [](double time) { return gPlainBest > 0 ? time / gPlainBest : 0.0; };
  std::printf("\n%d rows x 5 columns, best of five rounds (isql-fb: of three)\n", gRows);
  std::printf("  plain client loop (the floor)  %7.3f s\n", gPlainBest);
  std::printf("  TIBQuery, values in own types  %7.3f s   ratio to the floor %5.2f   goal 1.2  %s\n", gQueryBest,
              ratio(gQueryBest), ratio(gQueryBest) <= 1.2 ? "met" : "MISSED");
  std::printf("  TIBQuery, values read as text  %7.3f s   ratio to the floor %5.2f   goal 1.2  %s\n", gTextBest,
              ratio(gTextBest), ratio(gTextBest) <= 1.2 ? "met" : "MISSED");
  std::printf("  isql-fb to /dev/null           %7.3f s   ratio to the floor %5.2f\n", gIsqlBest, ratio(gIsqlBest));
  std::printf("  TIBQuery keeps %.0f bytes of heap per fetched row\n", gBytesPerRow);
  return 0;
}
