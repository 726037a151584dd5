// How the program ends: the main window closed by hand with "Monitor SQL" open, the end of the
// desktop session (a real SIGTERM to a running program), and an .ini that cannot be written.
#include "Actions.h"
#include "Application.h"
#include "IBDatabase.h"
#include "IBError.h"
#include "IBSQL.h"
#include "IBTransaction.h"
#include "MainFormFixture.h"
#include "PendingWork.h"
#include "ProgramProcess.h"
#include "TestServer.h"
#include "UDMSecurity.h"
#include "USqlMon.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPointer>
#include <QProcess>
#include <QScopeGuard>
#include <QThread>
#include <QTimer>
#include <csignal>
#include <sys/resource.h>

namespace {

// A second connection's view: whether it can change row 1 of T1 at once (no other transaction holds
// it), and what the row's name is.
struct SecondConnection {
  explicit SecondConnection(ScratchDatabase &db) {
    Database.SetDatabaseName(db.DatabaseName());
    Database.Params().SetValues(QStringLiteral("user_name"), QStringLiteral("SYSDBA"));
    Database.Params().SetValues(QStringLiteral("password"), TestServer::SysdbaPassword());
    Database.Params().SetValues(QStringLiteral("lc_ctype"), QStringLiteral("WIN1250"));
    Transaction.SetDefaultDatabase(&Database);
    Transaction.Params().SetText(QStringLiteral("read_committed\nrec_version\nnowait"));
    Database.Open();
  }
  bool CanChangeRow1() {
    Transaction.StartTransaction();
    TIBSQL sql;
    sql.SetDatabase(&Database);
    sql.SetTransaction(&Transaction);
    sql.SQL().SetText(QStringLiteral("update T1 set NAME = NAME where ID = 1"));
    try {
      sql.ExecQuery();
    } catch (const EIBError &) {
      Transaction.Rollback();
      return false;
    }
    Transaction.Commit();
    return true;
  }
  TIBDatabase Database;
  TIBTransaction Transaction;
};

// A table whose row the console changes in its own transaction without committing, as a console
// holds work the person confirmed but has not committed yet.
void LayPendingWorkObjects(ScratchDatabase &db) {
  db.Execute({QStringLiteral("create table T1 (ID integer not null primary key, NAME varchar(30))")});
  db.Execute(QStringLiteral("insert into T1 values (1, 'Alfa')"));
}
const char *const PendingWork = "update T1 set NAME = 'zmienione' where ID = 1";

int OtherAttachments(ScratchDatabase &db) {
  return db
      .QueryValue(QStringLiteral("select count(*) from MON$ATTACHMENTS where MON$SYSTEM_FLAG = 0 and "
                                 "MON$ATTACHMENT_ID <> current_connection"))
      .toInt();
}

QPointer<TSQLMonitorForm> OpenMonitor() {
  for (QWidget *widget : QApplication::topLevelWidgets())
    if (auto *monitor = qobject_cast<TSQLMonitorForm *>(widget))
      return monitor;
  return nullptr;
}

TEST_F(MainFormTest, ClosingTheMainWindowEndsTheProgramAndTheConsoleWithIt) {
  CreateSecurityDatabase();
  LayPendingWorkObjects(*Db);
  ConnectAsSysdba();
  Form->show();
  Application()->SetMainForm(Form.get());
  const auto notMain = qScopeGuard([] { Application()->SetMainForm(nullptr); });
  ASSERT_TRUE(Form->MonitorSQLA->Execute());
  QPointer<TSQLMonitorForm> monitor = OpenMonitor();
  ASSERT_FALSE(monitor.isNull());
  LeavePendingWork(*monitor, QString::fromUtf8(PendingWork));
  SecondConnection second(*Db);
  ASSERT_FALSE(second.CanChangeRow1()) << "the console holds no pending change";

  QTimer::singleShot(0, Form.get(), [this] { Form->close(); });
  // Should the loop outlive the window, this ends it with a code the test refuses.
  QTimer watchdog;
  QObject::connect(&watchdog, &QTimer::timeout, [] { Application()->exit(7); });
  watchdog.start(30000);
  EXPECT_EQ(Application()->Run(), 0);
  EXPECT_TRUE(monitor.isNull());
  // The console went first and rolled back; the window's own connection is still there.
  EXPECT_TRUE(second.CanChangeRow1());
  EXPECT_EQ(Db->QueryValue(QStringLiteral("select NAME from T1 where ID = 1")).toString(), "Alfa");
  EXPECT_EQ(OtherAttachments(*Db), 2);

  Form.reset(); // as the main routine does once the loop has ended
  EXPECT_EQ(OtherAttachments(*Db), 1);
  EXPECT_TRUE(ReadIni().startsWith("[LAST_SERVER]\r\nSERVER=" + Db->Server().toUtf8() + "\r\n"));
}

// An end of the session that comes while the windows are still being built waits for the loop.
TEST_F(MainFormOfflineTest, SessionEndBeforeTheLoopRunsEndsItOnceItDoes) {
  Form->show();
  Application()->SetMainForm(Form.get());
  const auto notMain = qScopeGuard([] { Application()->SetMainForm(nullptr); });
  Application()->EndSession();
  QTimer watchdog;
  QObject::connect(&watchdog, &QTimer::timeout, [] { Application()->exit(7); });
  watchdog.start(30000);
  EXPECT_EQ(Application()->Run(), 0);
  EXPECT_FALSE(Form->isVisible());
}

// The window is written whole or not at all; the person is told what was lost and why.
struct UnwritableIniCase {
  const char *Name;
  std::function<QString(const QString &folder)> Prepare; // the .ini's path
  const char *Reason;
  std::function<void()> Limit;
};

void PrintTo(const UnwritableIniCase &c, std::ostream *out) { *out << c.Name; }

class UnwritableIniTest : public MainFormTest, public testing::WithParamInterface<UnwritableIniCase> {
protected:
  void SetUp() override {}
};

TEST_P(UnwritableIniTest, ThePersonIsToldWhatWasNotSavedAndWhy) {
  const UnwritableIniCase &c = GetParam();
  const QString ini = c.Prepare(IniDir.path());
  QByteArray before;
  if (QFileInfo(ini).isFile()) {
    QFile file(ini);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    before = file.readAll();
  }
  Form = std::make_unique<TMainForm>(nullptr, ini);
  Form->edSerwer->setEditText(QStringLiteral("nowy-serwer"));
  Dialogs.AnswerMessage(mrOk);
  {
    // Root writes anywhere it likes; a limit on the file size stops it too.
    rlimit saved = {};
    getrlimit(RLIMIT_FSIZE, &saved);
    const auto restore = qScopeGuard([&] {
      setrlimit(RLIMIT_FSIZE, &saved);
      std::signal(SIGXFSZ, SIG_DFL);
    });
    if (c.Limit)
      c.Limit();
    Form.reset();
  }
  ASSERT_EQ(Dialogs.Messages().size(), 1u);
  const TMessageRequest &message = Dialogs.Messages()[0];
  EXPECT_EQ(message.Caption, QString::fromUtf8("Błąd"));
  EXPECT_EQ(message.Icon, mtError);
  EXPECT_TRUE(message.Text.startsWith(
      QString::fromUtf8(
          "Nie zapisano ustawień programu (ostatni serwer, lista serwerów, domyślna grupa) w pliku:\n") +
      ini))
      << message.Text.toStdString();
  EXPECT_TRUE(message.Text.contains(QString::fromUtf8(c.Reason), Qt::CaseInsensitive))
      << message.Text.toStdString();
  if (!before.isEmpty()) {
    QFile file(ini);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), before);
  }
  // Nothing half-written is left beside it.
  EXPECT_EQ(QDir(QFileInfo(ini).absolutePath()).entryList(QDir::Files | QDir::Hidden).size(),
            before.isEmpty() ? 0 : 1);
}

INSTANTIATE_TEST_SUITE_P(
    Folders, UnwritableIniTest,
    testing::Values(UnwritableIniCase{"IniIsAFolder",
                                      [](const QString &folder) {
                                        QDir(folder).mkdir(QStringLiteral("meridox_sec.ini"));
                                        return folder + QStringLiteral("/meridox_sec.ini");
                                      },
                                      "katalog", nullptr},
                    UnwritableIniCase{"ProgramFolderIsGone",
                                      [](const QString &folder) {
                                        return folder + QStringLiteral("/usunięty/meridox_sec.ini");
                                      },
                                      "Brak pliku lub katalogu", nullptr},
                    UnwritableIniCase{"DiskFull",
                                      [](const QString &folder) {
                                        QFile file(folder + QStringLiteral("/meridox_sec.ini"));
                                        file.open(QIODevice::WriteOnly);
                                        file.write("[LAST_SERVER]\r\nSERVER=stary\r\n");
                                        return file.fileName();
                                      },
                                      "Plik jest za duży",
                                      [] {
                                        std::signal(SIGXFSZ, SIG_IGN);
                                        const rlimit tiny = {8, RLIM_INFINITY};
                                        setrlimit(RLIMIT_FSIZE, &tiny);
                                      }}),
    [](const testing::TestParamInfo<UnwritableIniCase> &info) { return std::string(info.param.Name); });

// The real program, started as the desktop starts it, ended as the session manager ends it.

using ProgramProcess::EndSession;
using ProgramProcess::StartOffscreen;

// The probe on a security database of the test's own, its console holding pending work.
class SessionProbeTest : public MainFormTest {
protected:
  void TearDown() override {
    Probe.kill();
    Probe.waitForFinished();
    MainFormTest::TearDown();
  }
  // Starts the probe with these further arguments and waits until it is ready.
  void StartProbe(const QStringList &more = {}) {
    CreateSecurityDatabase();
    LayPendingWorkObjects(*Db);
    Form.reset();
    QFile::remove(IniPath());
    StartOffscreen(Probe, QStringLiteral(SESSION_PROBE),
                   QStringList{IniPath(), Db->Server(), Db->Path(), TestServer::SysdbaPassword(),
                               QString::fromUtf8(PendingWork)} +
                       more,
                   IniDir.path());
    while (!Probe.canReadLine())
      ASSERT_TRUE(Probe.waitForReadyRead(30000)) << Probe.readAllStandardError().toStdString();
    ASSERT_EQ(Probe.readLine(), "ready\n");
  }

  QProcess Probe;
};

TEST_F(SessionProbeTest, SessionEndOfTheConnectedProgramWritesItsIniAndClosesTheConnection) {
  ASSERT_NO_FATAL_FAILURE(StartProbe());
  SecondConnection second(*Db);
  ASSERT_FALSE(second.CanChangeRow1()) << "the console holds no pending change";

  EndSession(Probe);
  EXPECT_EQ(Db->QueryValue(QStringLiteral("select NAME from T1 where ID = 1")).toString(), "Alfa");
  EXPECT_TRUE(second.CanChangeRow1());
  EXPECT_EQ(OtherAttachments(*Db), 1); // the second connection's
  EXPECT_EQ(ReadIni(), "[LAST_SERVER]\r\nSERVER=" + Db->Server().toUtf8() + "\r\n\r\n[SERVERS]\r\n" +
                           Db->Server().toUtf8() + "\r\n\r\n[GROUPS]\r\nDefault=\r\nChangeEnabled=1\r\n\r\n");
}

// Counts the statements that the server runs now for other connections than the asking one.
int RunningStatements(ScratchDatabase &db) {
  return db
      .QueryValue(QStringLiteral("select count(*) from MON$STATEMENTS where MON$STATE = 1 and "
                                 "MON$ATTACHMENT_ID <> current_connection"))
      .toInt();
}

// Four copies of a system table joined: minutes of counting.
const char *const LongStatement = "select count(*) from RDB$TYPES a, RDB$TYPES b, RDB$TYPES c, RDB$TYPES d";

struct TLongRunCase {
  const char *Name;
  const char *Action;
  const char *Text;
};

void PrintTo(const TLongRunCase &c, std::ostream *out) { *out << c.Name; }

class LongRunTest : public SessionProbeTest, public testing::WithParamInterface<TLongRunCase> {
protected:
  void TearDown() override {
    Probe.kill();
    Probe.waitForFinished();
    // Left running, the statement would keep the server busy long after the test.
    if (Db)
      Db->Execute(QStringLiteral("delete from MON$STATEMENTS where MON$STATE = 1 and "
                                 "MON$ATTACHMENT_ID <> current_connection"));
    SessionProbeTest::TearDown();
  }
};

TEST_P(LongRunTest, SessionEndStopsItOnTheServerAndClosesAsUsual) {
  ASSERT_NO_FATAL_FAILURE(
      StartProbe({QString::fromUtf8(GetParam().Text), QString::fromLatin1(GetParam().Action)}));
  QElapsedTimer waited;
  waited.start();
  while (RunningStatements(*Db) == 0) {
    ASSERT_LT(waited.elapsed(), 30000) << "the console never ran the statement";
    QThread::msleep(50);
  }

  QElapsedTimer ending;
  ending.start();
  EndSession(Probe);
  EXPECT_LT(ending.elapsed(), 10000) << "the end waited for the statement";
  EXPECT_EQ(RunningStatements(*Db), 0) << "the statement still runs on the server";
  // The console rolled back as it closed, and the window wrote its .ini.
  EXPECT_EQ(Db->QueryValue(QStringLiteral("select NAME from T1 where ID = 1")).toString(), "Alfa");
  EXPECT_EQ(OtherAttachments(*Db), 0);
  EXPECT_TRUE(ReadIni().startsWith("[LAST_SERVER]\r\nSERVER=" + Db->Server().toUtf8() + "\r\n"));
  EXPECT_EQ(QString::fromUtf8(Probe.readAllStandardOutput()).toStdString(), "")
      << "the stopped statement is no error to show";
}

INSTANTIATE_TEST_SUITE_P(
    ConsoleRuns, LongRunTest,
    testing::Values(TLongRunCase{"Statement", "ExecuteSQLAction", LongStatement},
                    TLongRunCase{"Script", "ExecuteSQLScriptA",
                                 "select count(*) from RDB$DATABASE;\r\nselect count(*) from RDB$TYPES a, "
                                 "RDB$TYPES b, RDB$TYPES c, RDB$TYPES d;"}),
    [](const testing::TestParamInfo<TLongRunCase> &info) { return std::string(info.param.Name); });

TEST(SessionEndTest, ProgramNotConnectedWritesItsIniAndExitsCleanly) {
  // The program keeps its .ini beside itself: a copy in a folder of its own.
  QTemporaryDir folder;
  const QString program = folder.filePath(QStringLiteral("meridox_sec"));
  ASSERT_TRUE(QFile::copy(QStringLiteral(MERIDOX_SEC_PROGRAM), program));
  QFile ini(folder.filePath(QStringLiteral("meridox_sec.ini")));
  ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
  ini.write("[SERVERS]\r\nalfa\r\n[LAST_SERVER]\r\nSERVER=alfa\r\n[INNE]\r\nX=1\r\n");
  ini.close();
  QProcess process;
  StartOffscreen(process, program, {}, folder.path());
  const auto stop = qScopeGuard([&] {
    process.kill();
    process.waitForFinished();
  });
  EndSession(process);
  ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
  EXPECT_EQ(ini.readAll(), QByteArray("[LAST_SERVER]\r\nSERVER=alfa\r\n\r\n[SERVERS]\r\nalfa\r\n\r\n"
                                      "[GROUPS]\r\nDefault=\r\nChangeEnabled=1\r\n\r\n"));
}

} // namespace
