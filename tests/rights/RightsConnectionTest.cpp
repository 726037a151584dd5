#include "RightsFormFixture.h"

#include "ApplicationDatabase.h"
#include "ApplicationLogin.h"
#include "IBDatabase.h"
#include "IBSQL.h"
#include "IBTransaction.h"
#include "StringList.h"
#include "TestServer.h"

namespace {

struct LoginCase {
  const char *Name;
  QStringList Security; // the security database's connection
  QStringList Before;   // what the application connection held
  QStringList After;
};

void PrintTo(const LoginCase &c, std::ostream *os) { *os << c.Name; }

const LoginCase kLoginCases[] = {
    {"Sysdba",
     {"user_name=SYSDBA", "password=tajne", "lc_ctype=WIN1250"},
     {},
     {"user_name=SYSDBA", "password=tajne", "lc_ctype=WIN1250"}},
    {"SysdbaInLowerCaseTakesNoRole",
     {"user_name=sysdba", "password=tajne", "lc_ctype=WIN1250", "sql_role_name=RDB$ADMIN"},
     {},
     {"user_name=sysdba", "password=tajne", "lc_ctype=WIN1250"}},
    {"AnAdministratorKeepsTheRole",
     {"user_name=ADMIN1", "password=Zażółć!1", "lc_ctype=WIN1250", "sql_role_name=RDB$ADMIN"},
     {},
     {"user_name=ADMIN1", "password=Zażółć!1", "sql_role_name=RDB$ADMIN", "lc_ctype=WIN1250"}},
    {"ASisterConnectionKeepsItsOwnLines",
     {"user_name=ADMIN1", "password=x", "sql_role_name=RDB$ADMIN"},
     {"user_name=SYSDBA", "lc_ctype=WIN1250", "page_size=8192"},
     {"user_name=ADMIN1", "lc_ctype=WIN1250", "page_size=8192", "password=x", "sql_role_name=RDB$ADMIN"}},
    {"ACharacterSetOtherThanWin1250IsReplaced",
     {"user_name=SYSDBA", "password=x", "lc_ctype=UTF8"},
     {"lc_ctype=NONE", "sql_role_name=ODCZYT"},
     {"lc_ctype=WIN1250", "user_name=SYSDBA", "password=x"}},
};

class ApplicationLogin : public testing::TestWithParam<LoginCase> {};

TEST_P(ApplicationLogin, TakesTheUserPasswordRoleOfAnAdministratorAndWin1250) {
  const LoginCase &c = GetParam();
  TStringList security, params;
  for (const QString &line : c.Security)
    security.Add(line);
  for (const QString &line : c.Before)
    params.Add(line);
  SetApplicationLogin(params, security);
  EXPECT_EQ(params.ToStringList(), c.After);
}

INSTANTIATE_TEST_SUITE_P(Logins, ApplicationLogin, testing::ValuesIn(kLoginCases),
                         [](const testing::TestParamInfo<LoginCase> &info) { return info.param.Name; });

// The three application connections of the window after its set-up, for the logins the main
// window makes.
TEST_F(RightsFormTest, TheApplicationConnectionsTakeTheLoginOfTheSecurityDatabase) {
  struct Login {
    std::unique_ptr<TDMSecurity> Module;
    QString User, Password, Role;
  };
  std::vector<Login> logins;
  logins.push_back({People->Connect(), "SYSDBA", TestServer::SysdbaPassword(), ""});
  logins.push_back(
      {People->Connect("sysdba", TestServer::SysdbaPassword()), "sysdba", TestServer::SysdbaPassword(), ""});
  logins.push_back({People->ConnectAsAdministrator(), People->AdministratorName(),
                    People->AdministratorPassword(), "RDB$ADMIN"});
  WriteDatabaseList(ListPath(), {{"Ewidencja", "/db/v.fdb", "VELDAR"}});
  for (const Login &login : logins) {
    SCOPED_TRACE(login.User.toStdString());
    TUprawnieniaForm form;
    form.FGroup = "Wszystkie";
    form.InitRightsEditor(login.Module->Database, People->Server(), "bazy.txt");
    for (TIBDatabase *database : {form.Databases, form.DatabasesFDD, form.DatabasesFDR}) {
      SCOPED_TRACE(database->objectName().toStdString());
      EXPECT_EQ(database->Params().Values("user_name"), login.User);
      EXPECT_EQ(database->Params().Values("password"), login.Password);
      EXPECT_EQ(database->Params().Values("sql_role_name"), login.Role);
      EXPECT_EQ(database->Params().Values("lc_ctype"), "WIN1250");
    }
    EXPECT_EQ(form.Databases->Params().Count(), login.Role.isEmpty() ? 3 : 4);
  }
}

// Polish personal data reach a UTF8 column over the application connection; a WIN1250 and a NONE
// column get the same Windows-1250 bytes as before.
TEST_F(RightsFormTest, PolishPersonalDataReachEveryCharacterSet) {
  ApplicationDatabaseOptions utf8;
  utf8.CharacterSet = "UTF8";
  ApplicationDatabase unicode("PLOMER", utf8);
  ApplicationDatabase windows("PLOMER");
  windows.Execute("alter table USERS add NOTE varchar(20) character set NONE");
  Open({{"Unicode", unicode.Path(), "PLOMER"}, {"Windows", windows.Path(), "PLOMER"}});
  const QString name = QString::fromUtf8("Żaneta Łódź");
  for (const char *listed : {"Unicode", "Windows"}) {
    SCOPED_TRACE(listed);
    Form->Databases->Close();
    Form->Databases->SetDatabaseName(Form->LookupDatabasePath(listed, "PLOMER"));
    Form->Databases->Open();
    Form->DBTransaction->StartTransaction();
    Form->IBSQL->SQL().SetText("Insert into USERS (UID, IMIE, USR_NAME) values (1, :IMIE, 'ZIELINSKA')");
    Form->IBSQL->ParamByName("IMIE").SetAsString(name);
    EXPECT_NO_THROW(Form->IBSQL->ExecQuery());
    Form->IBSQL->Close();
    Form->DBTransaction->Commit();
  }
  EXPECT_EQ(unicode.QueryValue("select IMIE from USERS").toString(), name);
  EXPECT_EQ(windows.QueryValue("select IMIE from USERS").toString(), name);
  // "Ł" is 0xA3 in Windows-1250; a NONE column keeps the byte.
  Form->Databases->Close();
  Form->Databases->SetDatabaseName(Form->LookupDatabasePath("Windows", "PLOMER"));
  Form->Databases->Open();
  Form->DBTransaction->StartTransaction();
  Form->IBSQL->SQL().SetText("update USERS set NOTE = :NOTE");
  Form->IBSQL->ParamByName("NOTE").SetAsString(QString::fromUtf8("Łódź"));
  Form->IBSQL->ExecQuery();
  Form->IBSQL->Close();
  Form->DBTransaction->Commit();
  Form->Databases->Close();
  EXPECT_EQ(windows.QueryValue("select ascii_val(NOTE) from USERS").toInt(), 0xA3);
}

} // namespace
