// Selects that change data through what they reach, and the data changes the server reports as
// procedure calls, under the statement guard: compared from a second connection, nothing changes
// unless the person with manager rights allowed it. Plain reads still run unasked.
#include "ConsoleFixture.h"

#include "Actions.h"
#include "DB.h"
#include "IBQuery.h"
#include "IBSQL.h"
#include "IBTransaction.h"
#include "TestServer.h"

namespace {

// Besides the fixture's T1 and P2: a selectable procedure that deletes, a function that deletes, a
// sequence, a packaged procedure that deletes, views over writing routines, a table whose computed
// column calls the deleting function, a view over T1 and a table with columns named like routines;
// views two and three levels over the inserting procedure, a table whose computed column and a domain
// whose check read such a view, and what only reads at such depths.
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
    QStringLiteral("create view VV2 as select R from V2"),
    QStringLiteral("create view VV3 as select R from VV2"),
    QStringLiteral("create table T6 (A integer, C computed by ((select count(*) from VV2)))"),
    QStringLiteral("create view VV1 as select ID, NAME from V1"),
    QStringLiteral("create domain D0 as integer check (value > 0)"),
};

// What another connection sees of everything the statements may touch.
const QString Fingerprint = QStringLiteral(
    "select (select count(*) from T1) || ':' || (select coalesce(sum(ID), 0) from T1) || ':' || gen_id(G, 0) "
    "from RDB$DATABASE");

enum class TWho { RightsNo, RightsYes, NoRights };
const char *const WhoNames[] = {"RightsAnswerNo", "RightsAnswerYes", "NoRights"};
void PrintTo(TWho who, std::ostream *out) { *out << WhoNames[int(who)]; }

class SelectGuardTest : public ConsoleTest {
protected:
  void SetUp() override {
    ConsoleTest::SetUp();
    if (IsSkipped())
      return;
    Db->Execute(WritingObjects);
    // The server records what a domain's check reads only from views already committed.
    Db->Execute(
        QStringLiteral("create domain D2 as integer check (value is null or value in (select R from VV2))"));
    Db->Execute({QStringLiteral("insert into T4 (A) values (1)"),
                 QStringLiteral("insert into T5 values (1, 2, 3)"),
                 QStringLiteral("insert into T6 (A) values (1)")});
  }
  QString Committed() { return Db->QueryValue(Fingerprint).toString(); }
  // Runs the statement alone or as a script of its own.
  void RunAs(const char *sql, bool script) {
    Console->SetEditorText(QString::fromUtf8(sql) + (script ? QStringLiteral(";") : QString()));
    (script ? Console->ExecuteSQLScriptA : Console->ExecuteSQLAction)->Execute();
  }
  // Opens the console for who and scripts the answers: who's to the guard and, after a Yes to a
  // statement, commitAnswer to the commit question. Returns the captions the run is to show.
  QStringList OpenAndAnswer(TWho who, bool script, int commitAnswer) {
    OpenConsole(who != TWho::NoRights);
    if (who == TWho::NoRights) {
      Dialogs.AnswerMessage(mrOk);
      return {QString::fromUtf8("Brak uprawnień")};
    }
    Dialogs.AnswerMessage(who == TWho::RightsYes ? mrYes : mrNo);
    if (who != TWho::RightsYes || script)
      return {QStringLiteral("Uwaga!")};
    Dialogs.AnswerMessage(commitAnswer);
    return {QStringLiteral("Uwaga!"), QStringLiteral("Uwaga!")};
  }
};

struct WritingCase {
  const char *Name;
  const char *Sql;
};

void PrintTo(const WritingCase &c, std::ostream *out) { *out << c.Name; }

using WritingParam = std::tuple<WritingCase, bool /*script*/, TWho>;

class SelectThatWritesTest : public SelectGuardTest, public testing::WithParamInterface<WritingParam> {};

TEST_P(SelectThatWritesTest, ChangesNothingUnlessAllowed) {
  const auto &[statement, script, who] = GetParam();
  const QStringList expected = OpenAndAnswer(who, script, mrYes);
  const QString before = Committed();
  RunAs(statement.Sql, script);
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
    // Spellings the server reads as a number, a literal or a comment glued to the next word.
    {"NumberGluedToFrom", "select 1from P3"},
    {"ExponentGluedToFrom", "select 1e1from P3"},
    {"PointGluedToFrom", "select 1.from P3"},
    {"GluedNumberBeforeAJoin", "select 1from T1 join P3 on 1 = 1"},
    {"GluedNumberBeforeAComma", "select 1.5e-1from T1, P3"},
    {"HexAndCommentsGlued", "select 0x1F/**/from/**/T1--x\n,P3"},
    {"LiteralsGluedToFrom", "select x'41'||q'{it's}'||'a''b'\"R\"from P3"},
    {"ViewOverAViewOverAWritingProcedure", "select * from VV2"},
    {"ThreeLevelsOfViews", "select R from VV3"},
    {"ComputedColumnOverSuchAView", "select C from T6"},
    {"DomainCheckOverSuchAView", "select cast(1 as D2) from RDB$DATABASE"},
};

// A case's name, where it runs and who answers: for the writing and the locking tables alike.
template <class Param> std::string CaseName(const testing::TestParamInfo<Param> &info) {
  const auto &[statement, script, who] = info.param;
  return std::string(statement.Name) + (script ? "InAScript" : "AsAStatement") + WhoNames[int(who)];
}

INSTANTIATE_TEST_SUITE_P(Statements, SelectThatWritesTest,
                         testing::Combine(testing::ValuesIn(Writing), testing::Bool(),
                                          testing::Values(TWho::RightsNo, TWho::RightsYes, TWho::NoRights)),
                         CaseName<WritingParam>);

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
  RunAs(statement.Sql, true);
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
    {"NumbersGluedToWords", "select 0x1F+1from T1 where ID = 7", "32"},
    {"ViewOverAView", "select count(*) from VV1", "3"},
    {"CommonTableNamedLock", "with lock as (select ID from T1) select count(*) from lock", "3"},
    {"CastToADomainWithAPlainCheck", "select cast(ID as D0) from T1 where ID = 7", "7"},
};

INSTANTIATE_TEST_SUITE_P(Statements, PlainSelectTest,
                         testing::Combine(testing::ValuesIn(Reading), testing::Bool()),
                         [](const testing::TestParamInfo<ReadingParam> &info) {
                           return std::string(std::get<0>(info.param).Name) +
                                  (std::get<1>(info.param) ? "WithRights" : "WithoutRights");
                         });

// Whether another connection can change row 1 of T1 at once: false while a lock holds it.
bool RowOneFree(const QString &databaseName) {
  TIBDatabase other;
  other.SetDatabaseName(databaseName);
  other.Params().SetText(
      QStringLiteral("user_name=SYSDBA\npassword=%1\nlc_ctype=WIN1250").arg(TestServer::SysdbaPassword()));
  other.Open();
  TIBTransaction transaction;
  transaction.SetDefaultDatabase(&other);
  transaction.Params().SetText(QStringLiteral("read_committed\nrec_version\nnowait"));
  transaction.StartTransaction();
  TIBSQL update;
  update.SetDatabase(&other);
  update.SetTransaction(&transaction);
  update.SQL().SetText(QStringLiteral("update T1 set NAME = NAME where ID = 1"));
  try {
    update.ExecQuery();
  } catch (const Exception &) {
    return false;
  }
  transaction.Rollback();
  return true;
}

struct LockingCase {
  const char *Name;
  const char *Sql;
};

void PrintTo(const LockingCase &c, std::ostream *out) { *out << c.Name; }

using LockingParam = std::tuple<LockingCase, bool /*script*/, TWho>;

class SelectThatLocksTest : public SelectGuardTest, public testing::WithParamInterface<LockingParam> {};

// A select that locks rows is a select for update to the guard: asked with rights, refused without;
// one that did not run holds no lock on the row.
TEST_P(SelectThatLocksTest, IsAskedLikeASelectForUpdate) {
  const auto &[statement, script, who] = GetParam();
  // No commit after a Yes: the locks go with the rollback.
  const QStringList expected = OpenAndAnswer(who, script, mrNo);
  RunAs(statement.Sql, script);
  EXPECT_EQ(MessageCaptions(), expected);
  if (who == TWho::RightsYes && !script) {
    ASSERT_TRUE(Console->Query->Active());
    EXPECT_EQ(Console->Query->Fields(0)->AsInteger(), 1);
  }
  if (who != TWho::RightsYes) {
    EXPECT_TRUE(RowOneFree(Db->DatabaseName()));
  }
}

const LockingCase Locking[] = {
    {"WithLock", "select ID from T1 where ID = 1 with lock"},
    {"WithLockAfterAComment", "select ID from T1 where ID = 1 with/* rows */lock"},
    {"ForUpdateWithLock", "select ID from T1 where ID = 1 for update of ID with lock"},
    {"ForUpdate", "select ID from T1 where ID = 1 for update"},
};

INSTANTIATE_TEST_SUITE_P(Statements, SelectThatLocksTest,
                         testing::Combine(testing::ValuesIn(Locking), testing::Bool(),
                                          testing::Values(TWho::RightsNo, TWho::RightsYes, TWho::NoRights)),
                         CaseName<LockingParam>);

class ViewChangedElsewhereTest : public SelectGuardTest, public testing::WithParamInterface<bool> {};

// Another connection makes a view read the inserting procedure after the console's transaction
// began: the console's snapshot still shows the old view, the server runs the new one.
TEST_P(ViewChangedElsewhereTest, IsAskedAboutAsItIsNow) {
  const bool rights = GetParam();
  OpenConsole(rights);
  Db->Execute(QStringLiteral("alter view V1 as select R ID, 'x' NAME from P2"));
  const QString before = Committed();
  Dialogs.AnswerMessage(rights ? mrNo : mrOk);
  Run(QStringLiteral("select * from V1"));
  EXPECT_EQ(MessageCaptions(), QStringList{QString::fromUtf8(rights ? "Uwaga!" : "Brak uprawnień")});
  EXPECT_EQ(Committed(), before);
  EXPECT_EQ(RowsSeenByConsole(), RowsOfT1());
}

INSTANTIATE_TEST_SUITE_P(Rights, ViewChangedElsewhereTest, testing::Bool(),
                         [](const testing::TestParamInfo<bool> &info) {
                           return std::string(info.param ? "WithRights" : "WithoutRights");
                         });

} // namespace
