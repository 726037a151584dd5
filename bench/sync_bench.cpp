// The main window's synchronisation ("Aktualizacja listy użytkowników") of 10,000 server users into
// an empty users list, beside the floor: one "select sec$user_name from sec$users" over the same
// server, fetched whole. Prints both times and their ratio.
//
// Needs the private server of tools/fbserver: MERIDOX_TEST_SERVER, MERIDOX_TEST_PASSWORD and
// MERIDOX_TEST_DATADIR as its server.env sets them. Runs offscreen.
#include "Actions.h"
#include "BenchServer.h"
#include "IBDatabase.h"
#include "IBQuery.h"
#include "IBSQL.h"
#include "IBTransaction.h"
#include "UDMSecurity.h"
#include "UMainForm.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QUuid>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <memory>

namespace {

constexpr int kUsers = 10000;

struct TSetup {
  QString Server, Password, Path, Prefix;
  std::unique_ptr<TMainForm> Form;
};

TSetup &Setup() {
  static TSetup setup;
  return setup;
}

double gSyncBest = 0, gFloorBest = 0;

// A SYSDBA statement of its own on the bench database.
struct TSysdbaStatement {
  TIBDatabase Database;
  TIBTransaction Transaction;
  TIBSQL SQL;

  TSysdbaStatement() {
    Database.SetDatabaseName(Setup().Server + u':' + Setup().Path);
    Database.Params().SetText(
        QStringLiteral("user_name=SYSDBA\npassword=%1\nlc_ctype=WIN1250").arg(Setup().Password));
    Transaction.SetDefaultDatabase(&Database);
    Database.Open();
    SQL.SetDatabase(&Database);
    SQL.SetTransaction(&Transaction);
  }
};

// Runs statements as SYSDBA on the bench database, committing each.
void Execute(const QStringList &statements) {
  TSysdbaStatement connection;
  TIBSQL &sql = connection.SQL;
  TIBTransaction &transaction = connection.Transaction;
  for (const QString &statement : statements) {
    sql.Close();
    sql.SQL().SetText(statement);
    sql.ExecQuery();
    transaction.Commit();
  }
}

QString UsersBlock(const QString &statement) {
  return QStringLiteral("execute block as declare i integer = 0; begin while (i < %1) do begin "
                        "execute statement '%2 %3' || lpad(i, 5, '0') || '%4'; i = i + 1; end end")
      .arg(kUsers)
      .arg(statement, Setup().Prefix,
           statement.startsWith(QStringLiteral("create")) ? QStringLiteral(" password ''x1''") : QString());
}

void Synchronise(benchmark::State &state) {
  TMainForm &form = *Setup().Form;
  for (auto _ : state) {
    Execute({QStringLiteral("delete from USERS where USER_NAME starting with '%1'").arg(Setup().Prefix)});
    form.DM()->users->Close();
    form.DM()->users->Open();
    QElapsedTimer timer;
    timer.start();
    form.SynchroA->Execute();
    const double seconds = timer.nsecsElapsed() / 1e9;
    state.SetIterationTime(seconds);
    gSyncBest = gSyncBest == 0 ? seconds : std::min(gSyncBest, seconds);
    if (form.DM()->users->RecordCount() < kUsers)
      state.SkipWithError("users missing after the synchronisation");
  }
}

void SelectServerUsers(benchmark::State &state) {
  TSysdbaStatement connection;
  TIBSQL &sql = connection.SQL;
  TIBTransaction &transaction = connection.Transaction;
  sql.SQL().SetText(QStringLiteral("select sec$user_name from sec$users"));
  for (auto _ : state) {
    QElapsedTimer timer;
    timer.start();
    int rows = 0;
    for (sql.ExecQuery(); !sql.Eof(); sql.Next())
      rows += sql.Fields(0).AsString().isEmpty() ? 0 : 1;
    sql.Close();
    transaction.Commit();
    const double seconds = timer.nsecsElapsed() / 1e9;
    state.SetIterationTime(seconds);
    gFloorBest = gFloorBest == 0 ? seconds : std::min(gFloorBest, seconds);
    if (rows < kUsers)
      state.SkipWithError("users missing from sec$users");
  }
}

} // namespace

int main(int argc, char **argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  TBenchServer server;
  if (!server.FromEnvironment())
    return 2;
  Setup().Server = server.Server;
  Setup().Password = server.Password;
  const QString dataDir = server.DataDir;
  const QString token = QUuid::createUuid().toString(QUuid::Id128).left(8).toUpper();
  Setup().Path = QDir(dataDir).filePath(QStringLiteral("sync_bench_%1.fdb").arg(token));
  Setup().Prefix = QStringLiteral("BENCH") + token + u'_';
  benchmark::Initialize(&argc, argv);
  QTemporaryDir iniDir;
  bool usersMade = false;
  int status = 0;
  try {
    Setup().Form = std::make_unique<TMainForm>(nullptr, iniDir.filePath(QStringLiteral("meridox_sec.ini")));
    TMainForm &form = *Setup().Form;
    form.DM()->SecurityAlias = Setup().Path;
    form.DM()->CreateSecurityDatabase(Setup().Server, Setup().Password);
    form.DM()->Database->Close();
    Execute({UsersBlock(QStringLiteral("create user"))});
    usersMade = true;
    form.edSerwer->setEditText(Setup().Server);
    form.edUserName->setText(QStringLiteral("SYSDBA"));
    form.edAdminPswd->setText(Setup().Password);
    // Shown, as the administrator sees it: the grid follows the list.
    form.show();
    form.DBConnectA->Execute();
    benchmark::RegisterBenchmark("synchronisation", Synchronise)
        ->UseManualTime()
        ->Iterations(3)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("select sec$user_name", SelectServerUsers)
        ->UseManualTime()
        ->Iterations(3)
        ->Unit(benchmark::kMillisecond);
    benchmark::RunSpecifiedBenchmarks();
  } catch (const std::exception &error) {
    std::fprintf(stderr, "%s\n", error.what());
    status = 1;
  }
  try {
    if (Setup().Form)
      Setup().Form->DM()->Database->Close();
    if (usersMade)
      Execute({UsersBlock(QStringLiteral("drop user"))});
    TIBDatabase database;
    database.SetDatabaseName(Setup().Server + u':' + Setup().Path);
    database.Params().SetText(QStringLiteral("user_name=SYSDBA\npassword=%1").arg(Setup().Password));
    database.Open();
    database.DropDatabase();
  } catch (const std::exception &error) {
    std::fprintf(stderr, "clean-up: %s\n", error.what());
    status = 1;
  }
  Setup().Form.reset();
  if (status == 0)
    std::printf("%d server users: synchronisation %.3f s, select sec$user_name %.3f s, ratio %.1f\n", kUsers,
                gSyncBest, gFloorBest, gFloorBest > 0 ? gSyncBest / gFloorBest : 0.0);
  return status;
}
