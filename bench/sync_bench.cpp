// The main window's synchronisation of USERS with the server's users, beside the floor: one
// "select sec$user_name from sec$users" over the same server, fetched whole. Rounds of the two are
// interleaved and the best of each is kept. Printed, with the ratio to the floor:
// - taking over 1,000, 3,000 and 10,000 new server users (the server holds just these);
// - the same synchronisation again with nothing to do, at 10,000 users;
// - removing the rows of 10,000 users that are no longer on the server;
// - beside them, the service's user list that the synchronisation reads (it reads it once).
//
// Needs the private server of tools/fbserver: MERIDOX_TEST_SERVER, MERIDOX_TEST_PASSWORD and
// MERIDOX_TEST_DATADIR as its server.env sets them. Runs offscreen.
#include "Actions.h"
#include "BenchServer.h"
#include "IBDatabase.h"
#include "IBQuery.h"
#include "IBSQL.h"
#include "IBServices.h"
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
#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>

namespace {

constexpr int kRounds = 3;
constexpr int kSizes[] = {1000, 3000, 10000};

struct TSetup {
  QString Server, Password, Path, Prefix, GonePrefix;
  std::unique_ptr<TMainForm> Form;
};

TSetup &Setup() {
  static TSetup setup;
  return setup;
}

// A SYSDBA connection of its own to the bench database.
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

// Runs a statement as SYSDBA on the bench database and commits it.
void Execute(const QString &statement) {
  TSysdbaStatement connection;
  connection.SQL.SQL().SetText(statement);
  connection.SQL.ExecQuery();
  connection.Transaction.Commit();
}

// For each i in [from, to): runs the statement with prefix || i (five digits) in place of "{name}".
QString ForEachName(const QString &statement, const QString &prefix, int from, int to) {
  QString text = statement;
  text.replace(u'\'', QStringLiteral("''"));
  text.replace(QStringLiteral("{name}"), QStringLiteral("' || '%1' || lpad(i, 5, '0') || '").arg(prefix));
  return QStringLiteral("execute block as declare i integer = %1; begin while (i < %2) do begin "
                        "execute statement '%3'; i = i + 1; end end")
      .arg(from)
      .arg(to)
      .arg(text);
}

void CreateServerUsers(int from, int to) {
  Execute(ForEachName(QStringLiteral("create user {name} password 'x1'"), Setup().Prefix, from, to));
}

void ReopenUsers() {
  Setup().Form->DM()->users->Close();
  Setup().Form->DM()->users->Open();
}

double Seconds(const std::function<void()> &work) {
  QElapsedTimer timer;
  timer.start();
  work();
  return timer.nsecsElapsed() / 1e9;
}

// The floor: the server's user list read once, every name fetched.
double SelectServerUsers(int expected) {
  TSysdbaStatement connection;
  TIBSQL &sql = connection.SQL;
  sql.SQL().SetText(QStringLiteral("select sec$user_name from sec$users"));
  sql.Prepare();
  int rows = 0;
  const double seconds = Seconds([&] {
    for (sql.ExecQuery(); !sql.Eof(); sql.Next())
      rows += sql.Fields(0).AsString().isEmpty() ? 0 : 1;
    sql.Close();
  });
  if (rows < expected)
    throw std::runtime_error("users missing from sec$users");
  return seconds;
}

double ReadServiceList() {
  return Seconds([] { Setup().Form->Security->DisplayUsers(); });
}

double Synchronise() {
  return Seconds([] { Setup().Form->SynchroA->Execute(); });
}

int RowsStartingWith(const QString &prefix) {
  TSysdbaStatement connection;
  connection.SQL.SQL().SetText(
      QStringLiteral("select count(*) from USERS where USER_NAME starting with '%1'").arg(prefix));
  connection.SQL.ExecQuery();
  return connection.SQL.Fields(0).AsInteger();
}

struct TBest {
  double Value = 0;
  void Add(double seconds) { Value = Value == 0 ? seconds : std::min(Value, seconds); }
};

void Print(const char *work, int users, const TBest &sync, const TBest &floor) {
  std::printf("%-28s %6d users: %8.3f s, floor %.3f s, ratio %.2f\n", work, users, sync.Value, floor.Value,
              sync.Value / floor.Value);
}

// Takes over `users` new server users and then synchronises again with nothing to do.
void MeasureSize(int users) {
  TBest takeOver, nothing, service, floor;
  for (int round = 0; round < kRounds; ++round) {
    Execute(QStringLiteral("delete from USERS where USER_NAME starting with '%1'").arg(Setup().Prefix));
    ReopenUsers();
    floor.Add(SelectServerUsers(users));
    takeOver.Add(Synchronise());
    if (RowsStartingWith(Setup().Prefix) != users)
      throw std::runtime_error("users missing after the synchronisation");
    floor.Add(SelectServerUsers(users));
    nothing.Add(Synchronise());
    floor.Add(SelectServerUsers(users));
    service.Add(ReadServiceList());
  }
  Print("take-over", users, takeOver, floor);
  Print("nothing to do", users, nothing, floor);
  Print("(the service's user list)", users, service, floor);
}

// Rows of 10,000 users that the server does not know, removed by the synchronisation.
void MeasureRemoval(int users) {
  TBest removal, floor;
  for (int round = 0; round < kRounds; ++round) {
    Execute(ForEachName(QStringLiteral("insert into USERS (USER_NAME, PSWD_VALID) values ('{name}', 0)"),
                        Setup().GonePrefix, 0, users));
    ReopenUsers();
    floor.Add(SelectServerUsers(users));
    removal.Add(Synchronise());
    if (RowsStartingWith(Setup().GonePrefix) != 0)
      throw std::runtime_error("rows left after the synchronisation");
  }
  Print("removal of dropped users", users, removal, floor);
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
  const QString token = QUuid::createUuid().toString(QUuid::Id128).left(8).toUpper();
  Setup().Path = QDir(server.DataDir).filePath(QStringLiteral("sync_bench_%1.fdb").arg(token));
  Setup().Prefix = QStringLiteral("BENCH") + token + u'_';
  Setup().GonePrefix = QStringLiteral("GONE") + token + u'_';
  QTemporaryDir iniDir;
  int made = 0;
  int status = 0;
  try {
    Setup().Form = std::make_unique<TMainForm>(nullptr, iniDir.filePath(QStringLiteral("meridox_sec.ini")));
    TMainForm &form = *Setup().Form;
    form.DM()->SecurityAlias = Setup().Path;
    form.DM()->CreateSecurityDatabase(Setup().Server, Setup().Password);
    form.DM()->Database->Close();
    form.edSerwer->setEditText(Setup().Server);
    form.edUserName->setText(QStringLiteral("SYSDBA"));
    form.edAdminPswd->setText(Setup().Password);
    // Shown, as the administrator sees it: the grid follows the list.
    form.show();
    form.DBConnectA->Execute();
    std::printf("Rounds interleaved with the floor, best of %d each; the machine may be shared.\n", kRounds);
    for (const int users : kSizes) {
      CreateServerUsers(made, users);
      made = users;
      MeasureSize(users);
    }
    MeasureRemoval(kSizes[std::size(kSizes) - 1]);
  } catch (const std::exception &error) {
    std::fprintf(stderr, "%s\n", error.what());
    status = 1;
  }
  try {
    if (Setup().Form)
      Setup().Form->DM()->Database->Close();
    if (made > 0)
      Execute(ForEachName(QStringLiteral("drop user {name}"), Setup().Prefix, 0, made));
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
  return status;
}
