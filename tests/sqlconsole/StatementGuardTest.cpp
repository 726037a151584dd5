#include "StatementGuard.h"
#include "ScriptedDialogs.h"

#include <gtest/gtest.h>

namespace {

using K = TStatementKind;

struct KindCase {
  const char *Name;
  const char *Sql;
  TIBSQLTypes Type;
  K Expected;
};

class StatementKindTest : public testing::TestWithParam<KindCase> {};

TEST_P(StatementKindTest, FollowsTheServersTypeButAnExecuteBlockAlwaysChangesData) {
  const KindCase &c = GetParam();
  EXPECT_EQ(StatementKind(QString::fromUtf8(c.Sql), c.Type), c.Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Statements, StatementKindTest,
    testing::Values(
        KindCase{"Select", "select * from T1", SQLSelect, K::skReads},
        KindCase{"TypedCommit", "commit", SQLCommit, K::skReads},
        KindCase{"TypedRollback", "rollback", SQLRollback, K::skReads},
        KindCase{"Insert", "insert into T1 values (1)", SQLInsert, K::skChangesData},
        KindCase{"SelectForUpdate", "select * from T1 for update", SQLSelectForUpdate, K::skChangesData},
        KindCase{"SetGenerator", "set generator G to 1", SQLSetGenerator, K::skChangesData},
        KindCase{"Unclassified", "whatever", SQLUnknown, K::skChangesData},
        KindCase{"Ddl", "create table T2 (A integer)", SQLDDL, K::skChangesStructure},
        KindCase{"Procedure", "execute procedure P1", SQLExecProcedure, K::skRunsProcedure},
        KindCase{"InsertReturning", "insert into T1 values (3, 'x') returning ID", SQLExecProcedure,
                 K::skChangesData},
        KindCase{"DeleteReturningAfterAComment", "/* go */ delete from T1 where ID = 1 returning NAME",
                 SQLExecProcedure, K::skChangesData},
        KindCase{"UpdateOrInsertReturning", "update or insert into T1 values (1, 'y') returning ID",
                 SQLExecProcedure, K::skChangesData},
        KindCase{"ProcedureNamedInsert", "execute procedure \"INSERT\"", SQLExecProcedure,
                 K::skRunsProcedure},
        KindCase{"ExecuteBlockReportedAsProcedure", "execute block as begin end", SQLExecProcedure,
                 K::skChangesData},
        KindCase{"SelectableExecuteBlock", "EXECUTE BLOCK RETURNS (R INTEGER) AS BEGIN R = 1; SUSPEND; END",
                 SQLSelect, K::skChangesData},
        KindCase{"ExecuteBlockAfterComments", "-- note\n/* more */\n  Execute\n\tBlock as begin end",
                 SQLSelect, K::skChangesData},
        KindCase{"SelectMentioningExecuteBlock", "select 'execute block' from RDB$DATABASE", SQLSelect,
                 K::skReads}),
    [](const testing::TestParamInfo<KindCase> &info) { return std::string(info.param.Name); });

struct ScriptCase {
  const char *Name;
  QStringList Statements;
  K Expected;
};

class ScriptKindTest : public testing::TestWithParam<ScriptCase> {};

TEST_P(ScriptKindTest, TheStrongestStatementDecides) {
  EXPECT_EQ(ScriptKind(GetParam().Statements), GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Scripts, ScriptKindTest,
    testing::Values(ScriptCase{"Empty", {}, K::skReads},
                    ScriptCase{"OnlyReading",
                               {"select 1 from RDB$DATABASE",
                                "with X as (select 1 A from RDB$DATABASE) select A from X", "commit",
                                "SET TRANSACTION", "rollback", "savepoint S1", "release savepoint S1"},
                               K::skReads},
                    ScriptCase{"AWrite",
                               {"select 1 from RDB$DATABASE", "/* why */ update T1 set NAME = 'x'"},
                               K::skChangesData},
                    ScriptCase{"AProcedureIsAWrite", {"execute procedure P1"}, K::skChangesData},
                    ScriptCase{"AnExecuteBlock", {"execute block as begin end"}, K::skChangesData},
                    ScriptCase{"UnknownCountsAsAWrite", {"merge into T1 using ..."}, K::skChangesData},
                    ScriptCase{"DdlOverWrites",
                               {"insert into T1 values (3)", "create table T3 (A integer)", "delete from T1"},
                               K::skChangesStructure},
                    ScriptCase{"GrantIsStructure", {"grant select on T1 to PUBLIC"}, K::skChangesStructure},
                    ScriptCase{"SetStatistics", {"set statistics index PK_T1"}, K::skChangesStructure}),
    [](const testing::TestParamInfo<ScriptCase> &info) { return std::string(info.param.Name); });

struct TransactionCase {
  const char *Name;
  const char *Sql;
  bool Expected;
};

class TransactionStatementTest : public testing::TestWithParam<TransactionCase> {};

// What is not told apart as a transaction statement is read as a select, whatever it starts with.
TEST_P(TransactionStatementTest, OnlyTheLeadingWordsOfTransactionControlCount) {
  EXPECT_EQ(IsTransactionStatement(QString::fromUtf8(GetParam().Sql)), GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Statements, TransactionStatementTest,
    testing::Values(TransactionCase{"Commit", "commit work", true},
                    TransactionCase{"RollbackToASavepoint", "ROLLBACK TO SAVEPOINT S1", true},
                    TransactionCase{"Savepoint", "savepoint S1", true},
                    TransactionCase{"Release", "release savepoint S1 only", true},
                    TransactionCase{"SetTransaction", "set transaction read committed", true},
                    TransactionCase{"AfterACommentEndingAtACR", "-- note\rcommit", true},
                    TransactionCase{"Select", "select 1 from RDB$DATABASE", false},
                    TransactionCase{"CommitInAComment", "/* commit */ select 1 from RDB$DATABASE", false},
                    TransactionCase{"AWordThatStartsLikeCommit", "committed", false},
                    TransactionCase{"SetGenerator", "set generator G to 1", false},
                    TransactionCase{"Nothing", "(select 1 from RDB$DATABASE)", false}),
    [](const testing::TestParamInfo<TransactionCase> &info) { return std::string(info.param.Name); });

struct CheckCase {
  const char *Name;
  K Kind;
  bool Rights;
  std::vector<int> Answers;
  const char *Caption; // of the one box shown, or nullptr for none
  bool Passes;
  bool AskCommit;
};

class GuardCheckTest : public testing::TestWithParam<CheckCase> {};

TEST_P(GuardCheckTest, RefusesOrAsksThroughTheSeam) {
  const CheckCase &c = GetParam();
  ScriptedDialogs dialogs;
  for (int answer : c.Answers)
    dialogs.AnswerMessage(answer);
  TStatementGuard guard(c.Rights);
  EXPECT_EQ(guard.Check(c.Kind), c.Passes);
  EXPECT_EQ(guard.AskCommit(), c.AskCommit);
  if (c.Caption) {
    ASSERT_EQ(dialogs.Messages().size(), 1u);
    EXPECT_EQ(dialogs.Messages()[0].Caption, QString::fromUtf8(c.Caption));
  } else {
    EXPECT_TRUE(dialogs.Messages().empty());
  }
  EXPECT_TRUE(dialogs.Exhausted());
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, GuardCheckTest,
    testing::Values(CheckCase{"ReadsWithRights", K::skReads, true, {}, nullptr, true, false},
                    CheckCase{"ReadsWithoutRights", K::skReads, false, {}, nullptr, true, false},
                    CheckCase{"DataYes", K::skChangesData, true, {mrYes}, "Uwaga!", true, true},
                    CheckCase{"DataNo", K::skChangesData, true, {mrNo}, "Uwaga!", false, false},
                    CheckCase{"DataWithoutRights", K::skChangesData, false, {}, nullptr, false, false},
                    CheckCase{"StructureYes", K::skChangesStructure, true, {mrYes}, "Uwaga", true, true},
                    CheckCase{"StructureNo", K::skChangesStructure, true, {mrNo}, "Uwaga", false, false},
                    CheckCase{
                        "StructureWithoutRights", K::skChangesStructure, false, {mrOk}, "Błąd", false, false},
                    CheckCase{"ProcedureWithRights", K::skRunsProcedure, true, {mrOk}, "Błąd", false, false}),
    [](const testing::TestParamInfo<CheckCase> &info) { return std::string(info.param.Name); });

TEST(GuardCheckTest, TheQuestionsAreTheConsolesOwn) {
  ScriptedDialogs dialogs;
  dialogs.AnswerMessage(mrYes);
  dialogs.AnswerMessage(mrNo);
  TStatementGuard guard(true);
  guard.Check(K::skChangesData);
  EXPECT_FALSE(TStatementGuard::ConfirmCommit());
  ASSERT_EQ(dialogs.Messages().size(), 2u);
  EXPECT_EQ(dialogs.Messages()[0].Text,
            QString::fromUtf8("Zostaną dokonane zmiany w bazie co może spowodować utratę "
                              "jej spójności.\nCzy chcesz dokonać tych zmian?"));
  EXPECT_EQ(dialogs.Messages()[0].Icon, mtWarning);
  EXPECT_EQ(dialogs.Messages()[1].Text, QString::fromUtf8("Czy chcesz zatwierdzić zmiany w bazie danych?"));
}

} // namespace
