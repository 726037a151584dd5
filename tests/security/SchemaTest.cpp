#include "IBDatabase.h"
#include "IBQuery.h"
#include "IBScript.h"
#include "IBTransaction.h"
#include "SecurityFixture.h"
#include "StringList.h"
#include "TestServer.h"

namespace {

QStringList Columns(TDMSecurity &dm, const QString &table) {
  TStringList list;
  dm.Database->GetFieldNames(table, list);
  return list.ToStringList();
}

// A security database from before schema versions: no VER, OPTIONS or INI, no version procedures.
const char *const kPreVersioningSchema = R"sql(
CREATE DOMAIN DMN_DATE AS TIMESTAMP;
CREATE DOMAIN DMN_LOG AS BLOB SUB_TYPE 0 SEGMENT SIZE 80;
CREATE DOMAIN DMN_NAME AS VARCHAR(50) CHARACTER SET WIN1250 COLLATE PXW_PLK;
CREATE DOMAIN DMN_PASSWORD AS VARCHAR(200) CHARACTER SET WIN1250 COLLATE PXW_PLK;
CREATE DOMAIN DMN_PSWD_VALID AS SMALLINT;
CREATE DOMAIN DMN_USERNAME AS VARCHAR(50) CHARACTER SET WIN1250 COLLATE PXW_PLK;
CREATE DOMAIN DMN_USER_ID AS VARCHAR(11) CHARACTER SET WIN1250 COLLATE PXW_PLK;
CREATE TABLE CONFIG (PASS_LENGTH SMALLINT, PASS_COUNT SMALLINT, VALIDATE_DAYS SMALLINT, EXTRA_CHARS SMALLINT);
CREATE TABLE LOGS (USER_NAME DMN_USERNAME, LOG_DATE DMN_DATE, LOG DMN_LOG);
CREATE TABLE PASSWORDS (USER_NAME DMN_USERNAME, PSWD DMN_PASSWORD, PSWD_DATE DMN_DATE);
CREATE TABLE USERS (USER_NAME DMN_USERNAME NOT NULL PRIMARY KEY, PSWD_DATE DMN_DATE, FIRST_NAME DMN_NAME,
  SECOND_NAME DMN_NAME, USER_ID DMN_USER_ID, PSWD_VALID DMN_PSWD_VALID);
SET TERM ^ ;
CREATE PROCEDURE MODIFY_PASS_TIME (USERNAME VARCHAR(50) CHARACTER SET WIN1250)
AS BEGIN update users set PSWD_DATE=Current_timestamp where USER_NAME=:USERNAME; END^
CREATE PROCEDURE GET_PSWD_DATE RETURNS (PSWD_DATE TIMESTAMP)
AS BEGIN SELECT U.PSWD_DATE FROM USERS U WHERE U.USER_NAME = CURRENT_USER INTO :PSWD_DATE; SUSPEND; END^
CREATE PROCEDURE GET_VALIDATE_DAYS RETURNS (DAY_COUNT SMALLINT)
AS BEGIN SELECT C.VALIDATE_DAYS FROM CONFIG C INTO :DAY_COUNT; SUSPEND; END^
CREATE PROCEDURE CHECK_VALID_PASSWORD RETURNS (VALIDATE SMALLINT)
AS BEGIN VALIDATE = 1; SUSPEND; END^
SET TERM ; ^
INSERT INTO CONFIG VALUES (8, 5, 30, 1);
INSERT INTO USERS (USER_NAME, PSWD_VALID) VALUES ('OLDUSER', 1);
COMMIT WORK;
)sql";

TEST_F(SecurityTest, NewDatabaseIsAtVersionOneThenTheConnectBringsItToFour) {
  CreateDatabase();
  EXPECT_EQ(DM->GetSchemaVersion(), 1);
  EXPECT_EQ(
      QueryValue("select PASS_LENGTH || ',' || PASS_COUNT || ',' || VALIDATE_DAYS || ',' || EXTRA_CHARS "
                 "|| ',' || VER || ',' || OPTIONS from CONFIG")
          .toString(),
      "6,10,30,2,1,0");
  ASSERT_TRUE(ConnectAsSysdba());
  EXPECT_EQ(DM->GetSchemaVersion(), 4);
  EXPECT_TRUE(DM->config->Active());
  EXPECT_TRUE(DM->users->Active());
  EXPECT_TRUE(Columns(*DM, "USERS").contains("PSWD_ALWAYS_VALID"));
  EXPECT_TRUE(Columns(*DM, "CONFIG").contains("LOWER_CASES"));
}

TEST_F(SecurityTest, DatabaseWithoutVersionRunsAllFourScripts) {
  {
    TIBDatabase database;
    database.SetDatabaseName(Server + u':' + Path);
    database.Params().SetText(
        QStringLiteral(" USER 'SYSDBA' PASSWORD '%1' PAGE_SIZE 8192 DEFAULT CHARACTER SET WIN1250")
            .arg(TestServer::SysdbaPassword()));
    database.CreateDatabase();
    TIBTransaction transaction;
    transaction.SetDefaultDatabase(&database);
    TIBScript script;
    script.SetDatabase(&database);
    script.SetTransaction(&transaction);
    script.Script().SetText(QString::fromLatin1(kPreVersioningSchema));
    script.ExecuteScript();
    database.Close();
  }
  ASSERT_TRUE(ConnectAsSysdba());
  EXPECT_EQ(DM->GetSchemaVersion(), 4);
  EXPECT_EQ(Columns(*DM, "CONFIG"),
            QStringList({"PASS_LENGTH", "PASS_COUNT", "VALIDATE_DAYS", "EXTRA_CHARS", "INI", "VER", "OPTIONS",
                         "DIGITS", "UPPER_CASES", "LOWER_CASES"}));
  EXPECT_EQ(Columns(*DM, "USERS").mid(6), QStringList({"GRUPA", "PSWD_ALWAYS_VALID"}));
  EXPECT_EQ(QueryValue("select PSWD_ALWAYS_VALID from USERS where USER_NAME='OLDUSER'").toInt(), 0);
  EXPECT_EQ(QueryValue("select OPTIONS from CONFIG").toInt(), 0);
  EXPECT_EQ(QueryValue("select PASS_LENGTH from CONFIG").toInt(), 8) << "the policy row survives the upgrade";
}

TEST_F(SecurityTest, DatabaseAtVersionFourRunsNoScript) {
  CreateDatabase();
  ASSERT_TRUE(ConnectAsSysdba());
  DM->Database->Close();
  // The upgrade to version 4 would reset this column.
  Execute("insert into USERS (USER_NAME, PSWD_VALID, PSWD_ALWAYS_VALID) values ('KEEP', 1, 1)");
  ASSERT_TRUE(ConnectAsSysdba());
  EXPECT_EQ(QueryValue("select PSWD_ALWAYS_VALID from USERS where USER_NAME='KEEP'").toInt(), 1);
}

class SchemaBehaviourTest : public SecurityTest {
protected:
  void SetUp() override {
    if (!SetUpWithDatabase())
      return;
    ASSERT_TRUE(ConnectAsSysdba());
    DM->Database->Close();
  }
};

TEST_F(SchemaBehaviourTest, ChangingThePasswordCountEmptiesTheWholeHistory) {
  Execute({"insert into PASSWORDS values ('A', 'x', current_timestamp)",
           "insert into PASSWORDS values ('B', 'y', current_timestamp)"});
  Execute("update CONFIG set VALIDATE_DAYS = 60");
  EXPECT_EQ(QueryValue("select count(*) from PASSWORDS").toInt(), 2) << "other columns keep the history";
  Execute("update CONFIG set PASS_COUNT = 4");
  EXPECT_EQ(QueryValue("select count(*) from PASSWORDS").toInt(), 0);
}

TEST_F(SchemaBehaviourTest, DeletingAUserRemovesOnlyThatUsersHistoryAndLog) {
  Execute({"insert into USERS (USER_NAME) values ('A')", "insert into USERS (USER_NAME) values ('B')",
           "insert into PASSWORDS values ('A', 'x', current_timestamp)",
           "insert into PASSWORDS values ('B', 'y', current_timestamp)",
           "insert into LOGS values ('A', current_timestamp, 'a')",
           "insert into LOGS values ('B', current_timestamp, 'b')"});
  Execute("delete from USERS where USER_NAME = 'A'");
  EXPECT_EQ(QueryValue("select list(USER_NAME) from PASSWORDS").toString(), "B");
  EXPECT_EQ(QueryValue("select list(USER_NAME) from LOGS").toString(), "B");
}

TEST_F(SchemaBehaviourTest, ChangePasswordKeepsAtMostPassCountEarlierPasswords) {
  Execute("update CONFIG set PASS_COUNT = 3");
  for (const char *old : {"p1", "p2", "p3", "p4", "p5"})
    Execute(QStringLiteral("execute procedure CHANGE_PASSWORD '%1'").arg(old));
  EXPECT_EQ(QueryValue("select count(*) from PASSWORDS where USER_NAME = 'SYSDBA'").toInt(), 3);
  EXPECT_EQ(QueryValue("select count(*) from PASSWORDS where PSWD = 'p5'").toInt(), 1);
  EXPECT_EQ(QueryValue("select EXIST from CHECK_ARCH_PASSWORD('p5')").toInt(), 1);
  EXPECT_EQ(QueryValue("select EXIST from CHECK_ARCH_PASSWORD('p1')").toInt(), 0);
  EXPECT_EQ(QueryValue("select PSWD_VALID from USERS where USER_NAME = 'SYSDBA'").toInt(), 1);
  EXPECT_EQ(QueryValue("select count(*) from LOGS where USER_NAME = 'SYSDBA'").toInt(), 5);
  EXPECT_EQ(QueryValue("select first 1 cast(LOG as varchar(20)) from LOGS").toString(), "Zmiana hasla");
}

TEST_F(SchemaBehaviourTest, CheckValidPasswordVersionFour) {
  struct Case {
    const char *AlwaysValid;
    const char *PswdValid;
    int DaysAgo;
    int ValidateDays;
    int Expected;
  };
  const Case cases[] = {
      {"1", "1", 100, 30, 1},                          // never expires, even when older than the validity
      {"0", "1", 100, 30, 0},                          // expired
      {"0", "1", 10, 30, 1},                           // still valid
      {"1", "0", 10, 30, 0},                           // must change at the next login, whatever the dates
      {"0", "0", 10, 0, 0},     {"0", "1", 100, 0, 1}, // validity 0: never checked
      {"null", "1", 10, 30, 1},
  };
  Execute("insert into USERS (USER_NAME) values ('SYSDBA')");
  for (const Case &c : cases) {
    Execute(
        {QStringLiteral("update CONFIG set VALIDATE_DAYS = %1").arg(c.ValidateDays),
         QStringLiteral(
             "update USERS set PSWD_ALWAYS_VALID = %1, PSWD_VALID = %2, PSWD_DATE = current_timestamp - %3 "
             "where USER_NAME = 'SYSDBA'")
             .arg(c.AlwaysValid, c.PswdValid)
             .arg(c.DaysAgo)});
    EXPECT_EQ(QueryValue("select VALIDATE from CHECK_VALID_PASSWORD").toInt(), c.Expected)
        << c.AlwaysValid << "/" << c.PswdValid << " " << c.DaysAgo << " days, validity " << c.ValidateDays;
  }
}

} // namespace
