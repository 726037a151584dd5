// Fetches 1,000,000 rows of a five-column table on the same server through TIBQuery (each value read
// in its own type, and each read as text as a grid shows it), through a plain client loop (the
// floor: isc_dsql_fetch into one buffer, every value decoded into its native type: the integers,
// the text into a QString, the timestamp and the scaled numeric into doubles) and through isql-fb
// (output to /dev/null), and prints the times, their ratios to the floor and TIBQuery's heap per
// fetched row. All four take turns in each of five rounds, in an order that turns from round to
// round, and each keeps its best round.
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
#include "Win1250.h"

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
#include <functional>
#include <ibase.h>
#include <malloc.h>
#include <stdexcept>

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
  database.Params().SetText(
      QStringLiteral("user_name=SYSDBA\npassword=%1\nlc_ctype=WIN1250").arg(Setup().Password));
}

void CreateTable() {
  TIBDatabase database;
  database.SetDatabaseName(Setup().DatabaseName);
  database.Params().SetText(
      QStringLiteral(" USER 'SYSDBA' PASSWORD '%1' PAGE_SIZE 8192 DEFAULT CHARACTER SET WIN1250")
          .arg(Setup().Password));
  database.CreateDatabase();
  TIBTransaction transaction;
  transaction.SetDefaultDatabase(&database);
  TIBSQL sql;
  sql.SetTransaction(&transaction);
  sql.SetParamCheck(false);
  for (const QString &statement :
       {QStringLiteral("create table BENCH (ID integer, NAME varchar(50), STAMP timestamp, AMOUNT "
                       "numeric(15,2), FLAG smallint)"),
        QStringLiteral("execute block as declare i integer = 0; begin while (i < %1) do begin "
                       "insert into BENCH values (:i, 'Użytkownik numer ' || :i, dateadd(:i second to "
                       "timestamp '2020-01-01 00:00:00'), "
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
      sum +=
          id->AsInteger() + name->AsString().size() + stamp->AsDateTime() + bcd.Precision + flag->AsInteger();
    }
  }
  const double seconds = timer.nsecsElapsed() / 1e9;
  gBytesPerRow = double(HeapInUse() - heapBefore) / std::max(rows, 1);
  query.Close();
  benchmark::DoNotOptimize(sum);
  return seconds;
}

// The floor: the client library's own fetch into one buffer, every value decoded into its native
// type and dropped.
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
  double sum = 0;
  rows = 0;
  const XSQLVAR *var = columns->sqlvar;
  auto isNull = [&](int i) { return *var[i].sqlind != 0; };
  while (isc_dsql_fetch(status, &statement, 3, columns) == 0) {
    if (!isNull(0))
      sum += *reinterpret_cast<const ISC_LONG *>(var[0].sqldata);
    if (!isNull(1)) {
      const QString name =
          Win1250::Decode(var[1].sqldata + 2, *reinterpret_cast<const short *>(var[1].sqldata));
      sum += double(name.size());
    }
    if (!isNull(2)) {
      const auto *stamp = reinterpret_cast<const ISC_TIMESTAMP *>(var[2].sqldata);
      sum += double(stamp->timestamp_date) * 86400000.0 + stamp->timestamp_time / 10;
    }
    if (!isNull(3))
      sum += double(*reinterpret_cast<const ISC_INT64 *>(var[3].sqldata)) / 100.0;
    if (!isNull(4))
      sum += *reinterpret_cast<const short *>(var[4].sqldata);
    ++rows;
  }
  isc_dsql_free_statement(status, &statement, DSQL_drop);
  const double seconds = timer.nsecsElapsed() / 1e9;
  std::free(columns);
  transaction.Commit();
  benchmark::DoNotOptimize(sum);
  return seconds;
}

double FetchThroughIsql(const QString &scriptName) {
  QProcess isql;
  isql.setStandardOutputFile(QProcess::nullDevice());
  QElapsedTimer timer;
  timer.start();
  isql.start(QStringLiteral("isql-fb"),
             {QStringLiteral("-user"), QStringLiteral("SYSDBA"), QStringLiteral("-password"),
              Setup().Password, QStringLiteral("-ch"), QStringLiteral("WIN1250"), QStringLiteral("-q"),
              QStringLiteral("-i"), scriptName, Setup().DatabaseName});
  if (!isql.waitForFinished(-1) || isql.exitCode() != 0)
    throw std::runtime_error("isql-fb failed");
  return timer.nsecsElapsed() / 1e9;
}

// The floor, both kinds of TIBQuery fetch and isql-fb in turn in every round, so that the load
// other work puts on the shared machine touches all four alike.
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
  QTemporaryFile script;
  script.open();
  script.write((kSelect + QStringLiteral(";\n")).toLatin1());
  script.close();
  int plainRows = 0, queryRows = 0, textRows = 0;
  const std::vector<std::function<void()>> contenders = {
      [&] { KeepBest(gPlainBest, FetchThroughPlainLoop(plainDatabase, plainTransaction, plainRows)); },
      [&] { KeepBest(gQueryBest, FetchThroughQuery(query, false, queryRows)); },
      [&] { KeepBest(gTextBest, FetchThroughQuery(query, true, textRows)); },
      [&] { KeepBest(gIsqlBest, FetchThroughIsql(script.fileName())); },
  };
  // Each round starts one further on and every second round goes backwards, so that no contender
  // always follows the same one (the one before leaves the heap and the server's caches behind).
  std::size_t round = 0;
  const std::size_t count = contenders.size();
  for (auto _ : state) {
    for (std::size_t i = 0; i < count; ++i)
      contenders[(round + (round % 2 ? count - i : i)) % count]();
    ++round;
    if (plainRows != gRows || queryRows != gRows || textRows != gRows)
      state.SkipWithError("wrong row count");
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
  Setup().DatabaseName =
      Setup().Server + u':' +
      QDir(dataDir).filePath(
          QStringLiteral("bench_%1.fdb").arg(QUuid::createUuid().toString(QUuid::Id128).left(8)));
  benchmark::Initialize(&argc, argv);
  if (argc > 1)
    gRows = std::max(1, std::atoi(argv[1]));
  try {
    CreateTable();
    benchmark::RegisterBenchmark("plain loop, TIBQuery, TIBQuery as text, isql-fb", FetchRounds)
        ->Iterations(5)
        ->Unit(benchmark::kMillisecond);
    benchmark::RunSpecifiedBenchmarks();
    DropDatabase();
  } catch (const std::exception &error) {
    std::fprintf(stderr, "%s\n", error.what());
    return 1;
  }
  auto ratio = [](double time) { return gPlainBest > 0 ? time / gPlainBest : 0.0; };
  std::printf("\n%d rows x 5 columns, best of five rounds (the machine may be loaded: read the ratios)\n",
              gRows);
  std::printf("  plain client loop (the floor)  %7.3f s\n", gPlainBest);
  std::printf("  TIBQuery, values in own types  %7.3f s   ratio to the floor %5.2f   goal 1.2  %s\n",
              gQueryBest, ratio(gQueryBest), ratio(gQueryBest) <= 1.2 ? "met" : "MISSED");
  std::printf("  TIBQuery, values read as text  %7.3f s   ratio to the floor %5.2f   goal 1.3  %s\n",
              gTextBest, ratio(gTextBest), ratio(gTextBest) <= 1.3 ? "met" : "MISSED");
  std::printf("  isql-fb to /dev/null           %7.3f s   ratio to the floor %5.2f\n", gIsqlBest,
              ratio(gIsqlBest));
  std::printf("  TIBQuery keeps %.0f bytes of heap per fetched row\n", gBytesPerRow);
  return 0;
}
