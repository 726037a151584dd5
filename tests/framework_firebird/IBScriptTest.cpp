#include "IBScript.h"
#include "FirebirdFixture.h"
#include "IBDataSet.h"
#include "IBError.h"
#include "IBSQL.h"

namespace {

class IBScriptTest : public FirebirdTest {
protected:
  void SetUp() override {
    FirebirdTest::SetUp();
    if (IsSkipped())
      return;
    Script.SetDatabase(&Database);
    Script.SetTransaction(&Transaction);
  }
  TIBScript Script;
};

} // namespace

TEST_F(IBScriptTest, RunsTerminatorSwitchesProcedureBodiesAndCommitWork) {
  Script.Script().SetText(
      QStringLiteral("/* schema */\r\n"
                     "CREATE DOMAIN DMN_USERNAME AS VARCHAR(50) CHARACTER SET WIN1250 COLLATE PXW_PLK;\r\n"
                     "-- a table and its first row; ';' inside a literal ends nothing\r\n"
                     "CREATE TABLE USERS (USER_NAME DMN_USERNAME NOT NULL, NOTE VARCHAR(20));\r\n"
                     "INSERT INTO USERS VALUES ('ADAM', 'a;b');\r\n"
                     "COMMIT WORK;\r\n"
                     "SET TERM ^ ;\r\n"
                     "CREATE PROCEDURE MODIFY_NOTE (USERNAME VARCHAR(50) CHARACTER SET WIN1250)\r\n"
                     "AS\r\n"
                     "BEGIN\r\n"
                     "  update USERS set NOTE='done' where USER_NAME=:USERNAME;\r\n"
                     "END^\r\n"
                     "SET TERM ; ^\r\n"
                     "EXECUTE PROCEDURE MODIFY_NOTE 'ADAM';\r\n"));
  Script.ExecuteScript();
  Transaction.Commit();
  EXPECT_EQ(QueryValue(QStringLiteral("select NOTE from USERS")).toString(), QStringLiteral("done"));
  EXPECT_EQ(Script.Terminator(), QStringLiteral(";"));
}

TEST_F(IBScriptTest, CommitWorkKeepsWhatCameBeforeAFailure) {
  Script.Script().SetText(QStringLiteral("CREATE TABLE T (A INTEGER);\n"
                                         "INSERT INTO T VALUES (1);\n"
                                         "COMMIT WORK;\n"
                                         "INSERT INTO T VALUES (2);\n"
                                         "\n"
                                         "INSERT INTO NO_SUCH\n"
                                         "  VALUES (3);\n"
                                         "INSERT INTO T VALUES (4);\n"));
  try {
    Script.ExecuteScript();
    FAIL() << "the script ran past its failing statement";
  } catch (const EIBError &error) {
    EXPECT_TRUE(error.Message().contains(QStringLiteral("Table unknown\nNO_SUCH")))
        << error.Message().toStdString();
    EXPECT_TRUE(
        error.Message().endsWith(QStringLiteral("Statement at line 6:\nINSERT INTO NO_SUCH\r\n  VALUES (3)")))
        << error.Message().toStdString();
    EXPECT_EQ(error.SQLCode(), -204);
  }
  Transaction.Rollback();
  EXPECT_EQ(QueryValue(QStringLiteral("select list(A) from T")).toString(), QStringLiteral("1"));
}

TEST_F(IBScriptTest, RunsThroughItsDatasetWhoseParamCheckIsOff) {
  TIBDataSet scriptDS;
  scriptDS.SetDatabase(&Database);
  scriptDS.SetTransaction(&Transaction);
  scriptDS.SetParamCheck(false);
  TIBScript script;
  script.SetDataset(&scriptDS);
  script.Script().SetText(
      QStringLiteral("create table T (A integer);\n"
                     "set term ^ ;\n"
                     "execute block as declare x integer = 5; begin insert into T values (:x); end^\n"));
  script.ExecuteScript();
  EXPECT_EQ(script.Database(), &Database);
  Transaction.Commit();
  EXPECT_EQ(QueryValue(QStringLiteral("select A from T")).toInt(), 5);
}

TEST(IBScriptStatementsTest, ListsWhatRunsWithTheTerminatorSwitchesApplied) {
  TIBScript script;
  script.Script().SetText(QStringLiteral("/* only a comment */;\r\n"
                                         "create table T (A integer);\r\n"
                                         "\r\n"
                                         "  insert into T values (';');\r\n"
                                         "insert into T values (q'[;']');\r\n"
                                         "set term ^ ;\r\n"
                                         "execute block as begin insert into T values (1); end^\r\n"
                                         "SET TERM ; ^\r\n"
                                         "commit work;\r\n"
                                         "select A from T"));
  const QList<TIBScriptStatement> statements = script.Statements();
  QStringList texts;
  QList<int> lines;
  for (const TIBScriptStatement &statement : statements) {
    texts.append(statement.Text);
    lines.append(statement.Line);
  }
  EXPECT_EQ(texts, (QStringList{QStringLiteral("create table T (A integer)"),
                                QStringLiteral("insert into T values (';')"),
                                QStringLiteral("insert into T values (q'[;']')"),
                                QStringLiteral("execute block as begin insert into T values (1); end"),
                                QStringLiteral("commit work"), QStringLiteral("select A from T")}));
  EXPECT_EQ(lines, (QList<int>{2, 4, 5, 7, 9, 10}));
}

// As on the server, a line comment ends at a lone CR too: what follows it is read, terminator and all.
TEST(IBScriptStatementsTest, ALineCommentEndsAtALoneCR) {
  TIBScript script;
  script.Script().SetText(QStringLiteral("select 1 from RDB$DATABASE -- note\r; delete from T -- more\n;"));
  QStringList texts;
  for (const TIBScriptStatement &statement : script.Statements())
    texts.append(statement.Text);
  EXPECT_EQ(texts, (QStringList{QStringLiteral("select 1 from RDB$DATABASE -- note"),
                                QStringLiteral("delete from T -- more")}));
}

TEST_F(IBScriptTest, TellsAfterEachStatementWhetherItCommittedTheWorkBeforeIt) {
  Script.Script().SetText(QStringLiteral("create table T (A integer);\n"
                                         "insert into T values (1);\n"
                                         "commit;\n"
                                         "insert into T values (2);\n"
                                         "rollback;\n"));
  QList<std::pair<int, bool>> reported;
  Script.AfterStatement = [&reported](QObject *, int index, bool committed) {
    reported.append({index, committed});
  };
  Script.ExecuteScript();
  EXPECT_EQ(reported,
            (QList<std::pair<int, bool>>{{0, true}, {1, false}, {2, true}, {3, false}, {4, false}}));
}
