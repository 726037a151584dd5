#include "ConsoleFixture.h"

#include "Actions.h"
#include "Application.h"
#include "DB.h"
#include "Exceptions.h"
#include "IBQuery.h"
#include "IBTransaction.h"

#include <QCoreApplication>
#include <QEvent>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTabWidget>

TEST_F(ConsoleTest, OpensOnTheAdvancedTabWithTheUserTablesAndTheFirstTablesFields) {
  OpenConsole();
  EXPECT_EQ(Console->Caption(), QString::fromUtf8("Monitor zapytań SQL"));
  EXPECT_EQ(Console->pgcProfil->currentWidget(), Console->tabZaawansowane);
  ASSERT_EQ(Console->TabeleList->count(), 1); // no system tables
  EXPECT_EQ(Console->TabeleList->item(0)->text(), QStringLiteral("T1"));
  EXPECT_EQ(Console->TabeleList->currentRow(), 0);
  ASSERT_EQ(Console->PolaList->count(), 2);
  EXPECT_EQ(Console->PolaList->item(1)->text(), QStringLiteral("NAME"));
  EXPECT_TRUE(Console->IBTransaction->Active());
  EXPECT_EQ(Console->HistoryIndex(), -1);
}

TEST_F(ConsoleTest, ASelectRunsWithoutAnyQuestionAndFillsTheGrid) {
  OpenConsole(false);
  Run(QStringLiteral("select * from T1 order by ID"));
  EXPECT_TRUE(Dialogs.Messages().empty());
  ASSERT_TRUE(Console->Query->Active());
  Console->Query->Last();
  EXPECT_EQ(Console->Query->RecordCount(), 2);
  EXPECT_EQ(Console->Query->FieldByName(QStringLiteral("NAME"))->AsString(), QStringLiteral("Beta"));
  EXPECT_EQ(Console->History().Count(), 1);
}

struct GuardCase {
  const char *Name;
  const char *Sql;
  bool Rights;
  std::vector<int> Answers;
  std::vector<const char *> Captions;
  bool InHistory;
  int RowsAfter; // rows of T1 seen from another connection
};

class ConsoleGuardTest : public ConsoleTest, public testing::WithParamInterface<GuardCase> {};

TEST_P(ConsoleGuardTest, RefusesOrAsksByStatementTypeAndRights) {
  const GuardCase &c = GetParam();
  OpenConsole(c.Rights);
  for (int answer : c.Answers)
    Dialogs.AnswerMessage(answer);
  Run(QString::fromUtf8(c.Sql));
  QStringList expected;
  for (const char *caption : c.Captions)
    expected.append(QString::fromUtf8(caption));
  EXPECT_EQ(MessageCaptions(), expected);
  EXPECT_EQ(Console->History().Count(), c.InHistory ? 1 : 0);
  EXPECT_EQ(RowsOfT1(), c.RowsAfter);
}

INSTANTIATE_TEST_SUITE_P(
    Statements, ConsoleGuardTest,
    testing::Values(
        GuardCase{"InsertCommitted", "insert into T1 values (3, 'Gamma')", true, {mrYes, mrYes}, {"Uwaga!", "Uwaga!"}, true, 3},
        GuardCase{"InsertRolledBack", "insert into T1 values (3, 'Gamma')", true, {mrYes, mrNo}, {"Uwaga!", "Uwaga!"}, true, 2},
        GuardCase{"InsertDeclined", "insert into T1 values (3, 'Gamma')", true, {mrNo}, {"Uwaga!"}, false, 2},
        GuardCase{"DeleteWithoutRights", "delete from T1", false, {mrOk}, {"Brak uprawnień"}, false, 2},
        GuardCase{"DdlWithoutRights", "create table T2 (A integer)", false, {mrOk, mrOk}, {"Błąd", "Brak uprawnień"}, false, 2},
        GuardCase{"ProcedureWithoutRights", "execute procedure P1", false, {mrOk, mrOk}, {"Błąd", "Brak uprawnień"}, false, 2},
        GuardCase{"ProcedureWithRights", "execute procedure P1", true, {mrOk}, {"Błąd"}, false, 2},
        GuardCase{"UpdateCommitted", "update T1 set NAME = 'X'", true, {mrYes, mrYes}, {"Uwaga!", "Uwaga!"}, true, 2}),
    [](const testing::TestParamInfo<GuardCase> &info) { return std::string(info.param.Name); });

TEST_F(ConsoleTest, DdlWithRightsAsksTwiceAndCreatesTheTable) {
  OpenConsole();
  Dialogs.AnswerMessage(mrYes);
  Dialogs.AnswerMessage(mrYes);
  Run(QStringLiteral("create table T2 (A integer)"));
  EXPECT_EQ(MessageCaptions(), (QStringList{QStringLiteral("Uwaga"), QStringLiteral("Uwaga!")}));
  EXPECT_EQ(Db->QueryValue(QStringLiteral("select count(*) from RDB$RELATIONS where RDB$RELATION_NAME = 'T2'")).toInt(), 1);
}

TEST_F(ConsoleTest, AStatementTheServerRejectsRaisesAndStaysOutOfTheHistory) {
  OpenConsole();
  EXPECT_THROW(Run(QStringLiteral("select * from NO_SUCH_TABLE")), EDatabaseError);
  EXPECT_EQ(Console->History().Count(), 0);
  EXPECT_FALSE(Console->Query->Active());
}

TEST_F(ConsoleTest, HistoryWalksBackAndForthAndKeepsLineBreaks) {
  OpenConsole();
  const QString first = QStringLiteral("select ID\r\nfrom T1");
  Run(first);
  Application()->DoIdle();
  EXPECT_FALSE(Console->PoprzedniePytA->Enabled());
  EXPECT_FALSE(Console->NastepnePytA->Enabled());
  Run(QStringLiteral("select NAME from T1"));
  Application()->DoIdle();
  EXPECT_TRUE(Console->PoprzedniePytA->Enabled());
  EXPECT_FALSE(Console->NastepnePytA->Enabled());
  Console->PoprzedniePytA->Execute();
  EXPECT_EQ(Console->EditorText(), first);
  EXPECT_EQ(Console->Memo->document()->blockCount(), 2);
  Application()->DoIdle();
  EXPECT_FALSE(Console->PoprzedniePytA->Enabled());
  Console->NastepnePytA->Execute();
  EXPECT_EQ(Console->EditorText(), QStringLiteral("select NAME from T1"));
  EXPECT_EQ(Console->HistoryIndex(), 1);
}

TEST_F(ConsoleTest, ExecutingNeedsTextInTheEditor) {
  OpenConsole();
  EXPECT_FALSE(Console->ExecuteSQLAction->Execute());
  EXPECT_FALSE(Console->ExecuteSQLScriptA->Execute());
  EXPECT_TRUE(Dialogs.Messages().empty());
}

TEST_F(ConsoleTest, AScriptRunsWithoutTheGuardAndIsCommitted) {
  OpenConsole();
  Console->SetEditorText(QStringLiteral("insert into T1 values (3, 'Gamma');\r\ncreate table T3 (A integer);\r\n"
                                        "insert into T3 values (1);"));
  ASSERT_TRUE(Console->ExecuteSQLScriptA->Execute());
  EXPECT_TRUE(Dialogs.Messages().empty());
  EXPECT_EQ(RowsOfT1(), 3);
  EXPECT_EQ(Db->QueryValue(QStringLiteral("select count(*) from T3")).toInt(), 1);
}

TEST_F(ConsoleTest, AScriptIsRefusedWithoutManagerRights) {
  OpenConsole(false);
  Dialogs.AnswerMessage(mrOk);
  Console->SetEditorText(QStringLiteral("delete from T1;"));
  Console->ExecuteSQLScriptA->Execute();
  EXPECT_EQ(MessageCaptions(), QStringList{QString::fromUtf8("Brak uprawnień")});
  EXPECT_EQ(RowsOfT1(), 2);
}

TEST_F(ConsoleTest, AFailedScriptLeavesNothingForALaterCommit) {
  OpenConsole();
  Console->SetEditorText(QStringLiteral("insert into T1 values (3, 'Gamma');\r\ninsert into NO_SUCH_TABLE values (1);"));
  EXPECT_THROW(Console->ExecuteSQLScriptA->Execute(), EDatabaseError);
  Dialogs.AnswerMessage(mrYes);
  Dialogs.AnswerMessage(mrYes);
  Run(QStringLiteral("insert into T1 values (4, 'Delta')"));
  EXPECT_EQ(Db->QueryValue(QStringLiteral("select count(*) from T1 where ID = 3")).toInt(), 0);
  EXPECT_EQ(RowsOfT1(), 3);
}

TEST_F(ConsoleTest, ClosingTheConsoleCommitsNothingUnconfirmed) {
  // Selectable work that changes data is not guarded: a procedure body run through a select.
  Db->Execute(QStringLiteral("create procedure P2 returns (R integer) as begin insert into T1 values (9, 'x'); "
                             "R = 1; suspend; end"));
  OpenConsole();
  Run(QStringLiteral("select R from P2"));
  EXPECT_TRUE(Dialogs.Messages().empty());
  Console->close();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(RowsOfT1(), 2);
}
