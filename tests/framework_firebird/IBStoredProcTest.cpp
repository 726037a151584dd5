#include "IBStoredProc.h"
#include "FirebirdFixture.h"
#include "IBError.h"

TEST_F(FirebirdTest, StoredProcedureTakesInputsAndGivesOutputsByName) {
  Execute({"create table USERS (USER_NAME varchar(50), PSWD_DATE timestamp)",
           "insert into USERS values ('ADAM', null)",
           "create procedure MODIFY_PASS_TIME (USERNAME varchar(50)) as begin "
           "update users set PSWD_DATE=Current_timestamp where USER_NAME=:USERNAME; end",
           "create procedure GET_VERSION returns (VER integer) as begin VER = 4; suspend; end"});
  TIBStoredProc proc;
  proc.SetDatabase(&Database);
  proc.SetTransaction(&Transaction);
  proc.SetStoredProcName(QStringLiteral("MODIFY_PASS_TIME"));
  ASSERT_EQ(proc.Params().Count(), 1);
  proc.ParamByName(QStringLiteral("USERNAME"))->SetAsString(QStringLiteral("ADAM"));
  proc.ExecProc();
  Transaction.Commit();
  EXPECT_EQ(QueryValue(QStringLiteral("select count(*) from USERS where PSWD_DATE is not null")).toInt(), 1);

  proc.SetStoredProcName(QStringLiteral("GET_VERSION"));
  proc.ExecProc();
  EXPECT_EQ(proc.ParamByName(QStringLiteral("VER"))->AsInteger(), 4);
  EXPECT_EQ(proc.ParamByName(QStringLiteral("VER"))->ParamType(), ptOutput);

  proc.SetStoredProcName(QStringLiteral("NO_SUCH_PROC"));
  EXPECT_THROW(proc.ExecProc(), EDatabaseError);
}
