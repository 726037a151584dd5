#include "MainFormFixture.h"

#include "Actions.h"
#include "IBDatabase.h"
#include "IBQuery.h"
#include "IBSQL.h"
#include "IBTransaction.h"
#include "UDMSecurity.h"
#include "USqlMon.h"

#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QPointer>

namespace {
QPointer<TSQLMonitorForm> OpenMonitor() {
  for (QWidget *widget : QApplication::topLevelWidgets())
    if (auto *monitor = qobject_cast<TSQLMonitorForm *>(widget))
      return monitor;
  return nullptr;
}
} // namespace

TEST_F(MainFormTest, MonitorSqlOpensTheModelessConsoleOnTheConnection) {
  CreateSecurityDatabase();
  ConnectAsSysdba();
  ASSERT_TRUE(Form->MonitorSQLA->Execute());
  QPointer<TSQLMonitorForm> monitor = OpenMonitor();
  ASSERT_FALSE(monitor.isNull());
  EXPECT_TRUE(monitor->isVisible());
  EXPECT_FALSE(monitor->isModal());
  EXPECT_EQ(monitor->parent(), nullptr);
  EXPECT_TRUE(monitor->Query->Database() == Form->DM()->Database);
  monitor->close();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(monitor.isNull());
}

// The statement guard as the administrator meets it: the console that "Monitor SQL" opens (always
// with manager rights), driven through its actions. Probe counts rows the statement may touch, in the
// console's own transaction (changed) and from another connection (committed).
struct GuardCase {
  const char *Name;
  const char *Before; // work left pending in the console's transaction first, or nullptr
  const char *Sql;
  bool Script;
  std::vector<int> Answers;
  std::vector<const char *> Captions;
  const char *Probe;
  int Changed;
  int Committed;
};

void PrintTo(const GuardCase &c, std::ostream *out) { *out << c.Name; }

const char *const RowsOfT1 = "select count(*) from T1";
// Runs in the console's transaction through a statement of the test's own, as no unasked statement
// of the console can write any more.
const char *const PendingInsert = "insert into T1 values (9, 'x')";
const char *const TableT2 = "select count(*) from RDB$RELATIONS where RDB$RELATION_NAME = 'T2'";

class MonitorGuardTest : public MainFormTest, public testing::WithParamInterface<GuardCase> {
protected:
  void SetUp() override {
    MainFormTest::SetUp();
    if (IsSkipped())
      return;
    CreateSecurityDatabase();
    Db->Execute(
        {QStringLiteral("create table T1 (ID integer not null primary key, NAME varchar(30))"),
         QStringLiteral("create procedure P2 returns (R integer) as begin insert into T1 values (9, 'x'); "
                        "R = 1; suspend; end")});
    Db->Execute({QStringLiteral("insert into T1 values (1, 'Alfa')"),
                 QStringLiteral("insert into T1 values (2, 'Beta')")});
    ConnectAsSysdba();
    Dialogs.Clear();
    ASSERT_TRUE(Form->MonitorSQLA->Execute());
    Monitor = OpenMonitor();
    ASSERT_FALSE(Monitor.isNull());
  }
  void TearDown() override {
    delete Monitor.data();
    MainFormTest::TearDown();
  }
  void RunInEditor(const QString &sql, bool script) {
    Monitor->SetEditorText(sql);
    (script ? Monitor->ExecuteSQLScriptA : Monitor->ExecuteSQLAction)->Execute();
  }
  // Runs sql in the console's transaction; the first value of its result, if any.
  int InConsoleTransaction(const QString &sql) {
    TIBSQL statement;
    statement.SetDatabase(Form->DM()->Database);
    statement.SetTransaction(Monitor->IBTransaction);
    statement.SQL().SetText(sql);
    statement.ExecQuery();
    return statement.SQLType() == SQLSelect ? statement.Fields(0).AsInteger() : 0;
  }
  int SeenByConsole(const QString &sql) { return InConsoleTransaction(sql); }

  QPointer<TSQLMonitorForm> Monitor;
};

TEST_P(MonitorGuardTest, AsksByWhatTheStatementCanDoAndCommitsOnlyWhatIsConfirmed) {
  const GuardCase &c = GetParam();
  if (c.Before)
    InConsoleTransaction(QString::fromUtf8(c.Before));
  ASSERT_TRUE(Dialogs.Messages().empty());
  for (int answer : c.Answers)
    Dialogs.AnswerMessage(answer);
  RunInEditor(QString::fromUtf8(c.Sql), c.Script);
  QStringList captions, expected;
  for (const TMessageRequest &message : Dialogs.Messages())
    captions.append(message.Caption);
  for (const char *caption : c.Captions)
    expected.append(QString::fromUtf8(caption));
  EXPECT_EQ(captions, expected);
  EXPECT_TRUE(Dialogs.Exhausted());
  EXPECT_EQ(SeenByConsole(QString::fromUtf8(c.Probe)), c.Changed);
  EXPECT_EQ(Db->QueryValue(QString::fromUtf8(c.Probe)).toInt(), c.Committed);
}

const char *const WritingBlock = "execute block as begin insert into T1 values (5, 'e'); end";
const char *const SelectableWritingBlock =
    "execute block returns (R integer) as begin insert into T1 values (6, 'f'); R = 1; suspend; end";
const char *const ReadingBlock = "execute block returns (R integer) as begin R = 1; suspend; end";
const char *const Insert = "insert into T1 values (3, 'Gamma')";
const char *const Ddl = "create table T2 (A integer)";
const char *const WritingScript = "insert into T1 values (3, 'c');\r\ninsert into T1 values (4, 'd');";
const char *const DdlScript = "create table T2 (A integer);\r\ninsert into T2 values (1);";

INSTANTIATE_TEST_SUITE_P(
    Statements, MonitorGuardTest,
    testing::Values(
        GuardCase{"Select", nullptr, "select * from T1", false, {}, {}, RowsOfT1, 2, 2},
        GuardCase{"SelectOfAWritingProcedureIsAskedLikeAWrite",
                  nullptr,
                  "select R from P2",
                  false,
                  {mrNo},
                  {"Uwaga!"},
                  RowsOfT1,
                  2,
                  2},
        GuardCase{"SelectOfAWritingProcedureYesCommit",
                  nullptr,
                  "select R from P2",
                  false,
                  {mrYes, mrYes},
                  {"Uwaga!", "Uwaga!"},
                  RowsOfT1,
                  3,
                  3},
        GuardCase{"TypedCommitCommitsPendingWork", PendingInsert, "commit", false, {}, {}, RowsOfT1, 3, 3},
        GuardCase{"TypedRollbackDropsPendingWork", PendingInsert, "rollback", false, {}, {}, RowsOfT1, 2, 2},
        GuardCase{
            "InsertYesCommit", nullptr, Insert, false, {mrYes, mrYes}, {"Uwaga!", "Uwaga!"}, RowsOfT1, 3, 3},
        GuardCase{
            "InsertYesRollback", nullptr, Insert, false, {mrYes, mrNo}, {"Uwaga!", "Uwaga!"}, RowsOfT1, 2, 2},
        GuardCase{"InsertNo", nullptr, Insert, false, {mrNo}, {"Uwaga!"}, RowsOfT1, 2, 2},
        GuardCase{"ExecuteBlockYesCommit",
                  nullptr,
                  WritingBlock,
                  false,
                  {mrYes, mrYes},
                  {"Uwaga!", "Uwaga!"},
                  RowsOfT1,
                  3,
                  3},
        GuardCase{"ExecuteBlockNo", nullptr, WritingBlock, false, {mrNo}, {"Uwaga!"}, RowsOfT1, 2, 2},
        GuardCase{"SelectableExecuteBlockYesCommit",
                  nullptr,
                  SelectableWritingBlock,
                  false,
                  {mrYes, mrYes},
                  {"Uwaga!", "Uwaga!"},
                  RowsOfT1,
                  3,
                  3},
        GuardCase{"SelectableExecuteBlockYesRollback",
                  nullptr,
                  SelectableWritingBlock,
                  false,
                  {mrYes, mrNo},
                  {"Uwaga!", "Uwaga!"},
                  RowsOfT1,
                  2,
                  2},
        GuardCase{"SelectableExecuteBlockNo",
                  nullptr,
                  SelectableWritingBlock,
                  false,
                  {mrNo},
                  {"Uwaga!"},
                  RowsOfT1,
                  2,
                  2},
        GuardCase{"ExecuteBlockWithoutWritesIsAskedToo",
                  nullptr,
                  ReadingBlock,
                  false,
                  {mrYes, mrYes},
                  {"Uwaga!", "Uwaga!"},
                  RowsOfT1,
                  2,
                  2},
        GuardCase{"DdlYesCommit", nullptr, Ddl, false, {mrYes, mrYes}, {"Uwaga", "Uwaga!"}, TableT2, 1, 1},
        GuardCase{"DdlYesRollback", nullptr, Ddl, false, {mrYes, mrNo}, {"Uwaga", "Uwaga!"}, TableT2, 0, 0},
        GuardCase{"DdlNo", nullptr, Ddl, false, {mrNo}, {"Uwaga"}, TableT2, 0, 0},
        GuardCase{"ScriptWithWritesYes", nullptr, WritingScript, true, {mrYes}, {"Uwaga!"}, RowsOfT1, 4, 4},
        GuardCase{"ScriptWithWritesNo", nullptr, WritingScript, true, {mrNo}, {"Uwaga!"}, RowsOfT1, 2, 2},
        GuardCase{"ScriptOfSelects",
                  nullptr,
                  "select * from T1;\r\nselect ID from T1;",
                  true,
                  {},
                  {},
                  RowsOfT1,
                  2,
                  2},
        GuardCase{"ScriptWithDdlYes", nullptr, DdlScript, true, {mrYes}, {"Uwaga"}, TableT2, 1, 1},
        GuardCase{"ScriptWithDdlNo", nullptr, DdlScript, true, {mrNo}, {"Uwaga"}, TableT2, 0, 0}),
    [](const testing::TestParamInfo<GuardCase> &info) { return std::string(info.param.Name); });
