// Selects that change data through what they reach, and the data changes the server reports as
// procedure calls, under the statement guard: compared from a second connection, nothing changes
// unless the person with manager rights allowed it. Plain reads still run unasked.
#include "ConsoleFixture.h"

#include "Actions.h"
#include "DB.h"
#include "IBQuery.h"
#include "IBTransaction.h"

namespace {

// Besides the fixture's T1 and P2: a selectable procedure that deletes, a function that deletes, a
// sequence, a packaged procedure that deletes, views over writing routines, a table whose computed
// column calls the deleting function, a view over T1 and a table with columns named like routines.
const QStringList WritingObjects{
    QStringLiteral(
        "create procedure P3 returns (R integer) as begin delete from T1 where ID = 1; R = 1; suspend; "
        "end"),
    QStringLiteral("create function F1 returns integer as begin delete from T1 where ID = 2; return 1; end"),
    QStringLiteral("create sequence G"),
    QStringLiteral("create package PK as begin procedure PP returns (R integer); end"),
    QStringLiteral(
        "create package body PK as begin procedure PP returns (R integer) as begin delete from T1; "
        "R = 1; suspend; end end"),
    QStringLiteral("create view V2 as select R from P2"),
    QStringLiteral("create view V3 as select gen_id(G, 1) A from RDB$DATABASE"),
    QStringLiteral("create table T4 (A integer, C computed by (F1()))"),
    QStringLiteral("create view V5 as select A, C from T4"),
    QStringLiteral("create view V1 as select ID, NAME from T1"),
    QStringLiteral("create table T5 (P2 integer, F1 integer, G integer)"),
};

// What another connection sees of everything the statements may touch.
const QString Fingerprint = QStringLiteral(
    "select (select count(*) from T1) || ':' || (select coalesce(sum(ID), 0) from T1) || ':' || gen_id(G, 0) "
    "from RDB$DATABASE");

class SelectGuardTest : public ConsoleTest {
protected:
  void SetUp() override {
    ConsoleTest::SetUp();
    if (IsSkipped())
      return;
    Db->Execute(WritingObjects);
    Db->Execute(
        {QStringLiteral("insert into T4 (A) values (1)"), QStringLiteral("insert into T5 values (1, 2, 3)")});
  }
  QString Committed() { return Db->QueryValue(Fingerprint).toString(); }
  void RunAs(const QString &sql, bool script) {
    Console->SetEditorText(sql);
    (script ? Console->ExecuteSQLScriptA : Console->ExecuteSQLAction)->Execute();
  }
};

struct WritingCase {
  const char *Name;
  const char *Sql;
};

void PrintTo(const WritingCase &c, std::ostream *out) { *out << c.Name; }

enum class TWho { RightsNo, RightsYes, NoRights };
const char *const WhoNames[] = {"RightsAnswerNo", "RightsAnswerYes", "NoRights"};
void PrintTo(TWho who, std::ostream *out) { *out << WhoNames[int(who)]; }

using WritingParam = std::tuple<WritingCase, bool /*script*/, TWho>;

class SelectThatWritesTest : public SelectGuardTest, public testing::WithParamInterface<WritingParam> {};

TEST_P(SelectThatWritesTest, ChangesNothingUnlessAllowed) {
  const auto &[statement, script, who] = GetParam();
  OpenConsole(who != TWho::NoRights);
  const QString before = Committed();
  QStringList expected;
  if (who == TWho::NoRights) {
    Dialogs.AnswerMessage(mrOk);
    expected = QStringList{QString::fromUtf8("Brak uprawnień")};
  } else {
    Dialogs.AnswerMessage(who == TWho::RightsYes ? mrYes : mrNo);
    expected.append(QStringLiteral("Uwaga!"));
    if (who == TWho::RightsYes && !script) {
      Dialogs.AnswerMessage(mrYes); // commit
      expected.append(QStringLiteral("Uwaga!"));
    }
  }
  RunAs(QString::fromUtf8(statement.Sql) + (script ? QStringLiteral(";") : QString()), script);
  EXPECT_EQ(MessageCaptions(), expected);
  if (who == TWho::RightsYes)
    EXPECT_NE(Committed(), before);
  else
    EXPECT_EQ(Committed(), before);
  // Nothing is left pending either: the console's own transaction sees what was committed.
  EXPECT_EQ(RowsSeenByConsole(), RowsOfT1());
}

const WritingCase Writing[] = {
    {"SelectableProcedureThatInserts", "select R from P2"},
    {"SelectableProcedureThatDeletes", "select R from P3"},
    {"QuotedProcedureAfterAComment", "select /* from T1 */ R from \"P3\""},
    {"PackagedProcedure", "select R from PK.PP"},
    {"FunctionThatDeletes", "select F1() from RDB$DATABASE"},
    {"FunctionInAWhere", "select ID from T1 where F1() = 1"},
    {"GenId", "select gen_id(G, 10) from RDB$DATABASE"},
    {"NextValueFor", "select next value for G from RDB$DATABASE"},
    {"CommonTableOverAWritingProcedure", "with X as (select R from P2) select * from X"},
    {"SubqueryOfAWritingProcedure", "select ID from T1 where ID in (select R from P3)"},
    {"ViewOverAWritingProcedure", "select * from V2"},
    {"ViewThatStepsASequence", "select * from V3"},
    {"ComputedColumnOverADeletingFunction", "select * from T4"},
    {"ViewOverSuchATable", "select * from V5"},
    {"InsertReturning", "insert into T1 values (3, 'Gamma') returning ID"},
    {"DeleteReturning", "delete from T1 where ID = 2 returning NAME"},
    {"UpdateOrInsertReturning", "update or insert into T1 values (4, 'Delta') returning ID"},
};

std::string WritingName(const testing::TestParamInfo<WritingParam> &info) {
  const auto &[statement, script, who] = info.param;
  return std::string(statement.Name) + (script ? "InAScript" : "AsAStatement") + WhoNames[int(who)];
}

INSTANTIATE_TEST_SUITE_P(Statements, SelectThatWritesTest,
                         testing::Combine(testing::ValuesIn(Writing), testing::Bool(),
                                          testing::Values(TWho::RightsNo, TWho::RightsYes, TWho::NoRights)),
                         WritingName);

struct ReadingCase {
  const char *Name;
  const char *Sql;
  const char *Shown; // the first value of the result
};

void PrintTo(const ReadingCase &c, std::ostream *out) { *out << c.Name; }

using ReadingParam = std::tuple<ReadingCase, bool /*managerRights*/>;

class PlainSelectTest : public SelectGuardTest, public testing::WithParamInterface<ReadingParam> {};

// Work the console's transaction holds uncommitted is seen by a plain select, which runs unasked.
TEST_P(PlainSelectTest, RunsUnaskedInTheConsolesTransaction) {
  const auto &[statement, rights] = GetParam();
  OpenConsole(rights);
  LeavePending(QStringLiteral("insert into T1 values (7, 'Pending')"));
  Run(QString::fromUtf8(statement.Sql));
  EXPECT_TRUE(Dialogs.Messages().empty());
  ASSERT_TRUE(Console->Query->Active());
  EXPECT_EQ(Console->Query->Fields(0)->AsString(), QString::fromUtf8(statement.Shown));
  Console->SetEditorText(QString::fromUtf8(statement.Sql) + u';');
  Console->ExecuteSQLScriptA->Execute();
  EXPECT_TRUE(Dialogs.Messages().empty());
}

const ReadingCase Reading[] = {
    {"Table", "select count(*) from T1", "3"},
    {"View", "select count(*) from V1", "3"},
    {"ColumnsNamedLikeRoutines", "select P2 + F1 + G from T5 where P2 = 1 order by P2", "6"},
    {"NamesInLiteralsAndComments",
     "select 'from P2 ' || q'{gen_id(G, 1)}' from T1 -- from P3\r\n where ID = 7", "from P2 gen_id(G, 1)"},
    {"CommonTableNamedLikeAProcedure", "with P2 as (select ID from T1) select count(*) from P2", "3"},
    {"BuiltInFunctionsAndSequenceRead",
     "select upper(NAME) || gen_id(G, 0) || extract(year from date '2020-01-01') from T1 where ID = 7",
     "PENDING02020"},
    {"SystemTable", "select count(*) from RDB$DATABASE", "1"},
};

INSTANTIATE_TEST_SUITE_P(Statements, PlainSelectTest,
                         testing::Combine(testing::ValuesIn(Reading), testing::Bool()),
                         [](const testing::TestParamInfo<ReadingParam> &info) {
                           return std::string(std::get<0>(info.param).Name) +
                                  (std::get<1>(info.param) ? "WithRights" : "WithoutRights");
                         });

} // namespace
