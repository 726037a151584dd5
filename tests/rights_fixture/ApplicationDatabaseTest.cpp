#include "ApplicationDatabase.h"
#include "DB.h"
#include "IBDatabase.h"
#include "IBError.h"
#include "IBQuery.h"
#include "IBSQL.h"
#include "IBTransaction.h"
#include "ProgramGroups.h"
#include "ProgramUserTables.h"
#include "SecurityPeople.h"
#include "TestConnection.h"
#include "TestServer.h"
#include "UAdminRights.h"
#include "UDMSecurity.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {

const char *const kRoleQuery =
    "select RDB$RELATION_NAME from RDB$USER_PRIVILEGES where RDB$USER=:username and "
    "rdb$user_type=8 and rdb$object_type=13";

class EveryGroup : public testing::TestWithParam<const char *> {};

// The writers' statements, generator, key and sister files fit the group's fixture database.
TEST_P(EveryGroup, TheDesignsStatementsPrepareOnItsDatabase) {
  REQUIRE_TEST_SERVER();
  const QString groupName = QString::fromLatin1(GetParam());
  const TProgramUserTable &table = ProgramUserTable(ProgramGroupIndex(groupName));
  ApplicationDatabase database(groupName);
  EXPECT_EQ(UserTableOf(groupName).Table, table.Table);
  EXPECT_EQ(UserTableOf(groupName).KeyColumn, table.KeyColumn);
  QStringList sisters;
  for (const TSisterFile &sister : table.Sisters)
    sisters << sister.Extension;
  EXPECT_EQ(SisterExtensionsOf(groupName), sisters);
  TestConnection connection(database.DatabaseName());
  for (const QString &sql :
       {table.SelectSQL, table.ModifySQL, table.InsertSQL, QString::fromLatin1(kRoleQuery)})
    EXPECT_NO_THROW(connection.Prepare(sql)) << sql.toStdString();
  EXPECT_NO_THROW(
      connection.Run(QStringLiteral("select gen_id(%1, 1) from RDB$DATABASE").arg(table.Generator)));
  const TProgramGroup &programGroup = ProgramGroups()[size_t(ProgramGroupIndex(groupName))];
  EXPECT_EQ(
      database.Main().QueryStrings("select trim(RDB$ROLE_NAME) from RDB$ROLES where RDB$SYSTEM_FLAG = 0 "
                                   "order by 1"),
      QStringList({programGroup.ReadRole, programGroup.WriteRole}));
}

TEST_P(EveryGroup, ItsSistersHoldOnlyTheGroupsRoles) {
  REQUIRE_TEST_SERVER();
  ApplicationDatabase database(QString::fromLatin1(GetParam()));
  for (const QString &extension : SisterExtensionsOf(database.Group())) {
    ScratchDatabase &sister = database.Sister(extension);
    EXPECT_EQ(sister.Path(), database.SisterPath(extension));
    EXPECT_EQ(sister.Path().chopped(4), database.Path().chopped(4)) << "same path and stem";
    EXPECT_EQ(
        sister.QueryStrings("select trim(RDB$ROLE_NAME) from RDB$ROLES where RDB$SYSTEM_FLAG = 0 order by 1"),
        QStringList({"ODCZYT", "ZAPIS"}));
    EXPECT_EQ(sister.QueryValue("select count(*) from RDB$RELATIONS where RDB$SYSTEM_FLAG = 0").toInt(), 0);
  }
}

INSTANTIATE_TEST_SUITE_P(Groups, EveryGroup,
                         testing::Values("KORVIN", "VELDAR", "PLOMER", "SARNIK", "TULVAR", "BRONTEL", "FENNO",
                                         "DRAVEL", "HOLMAR", "GRESSON", "PELKAR", "NIRVOS", "TESSAL",
                                         "QUENTO", "BAVIRO", "SOLMET", "TORMISK", "KAPRENA"),
                         [](const testing::TestParamInfo<const char *> &info) { return info.param; });

TEST(ApplicationDatabase, SisterFilesAreThoseOfTheGroup) {
  EXPECT_EQ(SisterExtensionsOf("VELDAR"), QStringList({".fdd", ".fdr"}));
  for (const char *group : {"SARNIK", "TESSAL", "QUENTO", "SOLMET"})
    EXPECT_EQ(SisterExtensionsOf(group), QStringList({".fdr"})) << group;
  for (const char *group : {"KORVIN", "PLOMER", "BAVIRO", "TORMISK", "KAPRENA"})
    EXPECT_TRUE(SisterExtensionsOf(group).isEmpty()) << group;
}

TEST(ApplicationDatabase, EveryFileGoesAtTheEnd) {
  REQUIRE_TEST_SERVER();
  QStringList files;
  {
    ApplicationDatabaseOptions options;
    options.GarbageSister = ".fdd";
    ApplicationDatabase database("VELDAR", options);
    files = {database.Path(), database.SisterPath(".fdd"), database.SisterPath(".fdr")};
    for (const QString &file : files)
      EXPECT_TRUE(QFile::exists(file)) << file.toStdString();
  }
  for (const QString &file : files)
    EXPECT_FALSE(QFile::exists(file)) << file.toStdString();
}

TEST(ApplicationDatabase, BaviroCaseFileRightsGoInByPosition) {
  REQUIRE_TEST_SERVER();
  ApplicationDatabase database("BAVIRO");
  TestConnection connection(database.DatabaseName());
  connection.Run("Delete from PRAWA where IDO=7");
  connection.Run("Insert into PRAWA SELECT ID, 7, 2 from SPRAWY");
  connection.Transaction.Commit();
  EXPECT_EQ(
      database.Main().QueryStrings("select ID_SPRAWY || ':' || IDO || ':' || PRAWO from PRAWA order by 1"),
      QStringList({"1:7:2", "2:7:2", "5:7:2"}));
}

// A variant refuses what the plain database of its group takes.
struct RefusalCase {
  const char *Name;
  const char *Group;
  void (*Vary)(ApplicationDatabaseOptions &);
  const char *Allowed;
  const char *Refused;
};

void PrintTo(const RefusalCase &c, std::ostream *os) { *os << c.Name; }

const RefusalCase kRefusals[] = {
    {"BaviroRefusesARightOfTwo", "BAVIRO", [](ApplicationDatabaseOptions &o) { o.RightBelowTwo = true; },
     "Insert into PRAWA SELECT ID, 7, 1 from SPRAWY", "Insert into PRAWA SELECT ID, 8, 2 from SPRAWY"},
    {"WithoutTheWriteRole", "KORVIN", [](ApplicationDatabaseOptions &o) { o.WithoutWriteRole = true; },
     "Grant \"KN_ODCZYT\" to \"NOWAK\"", "Grant \"KN_ZAPIS\" to \"NOWAK\""},
    {"AShortKeyRefusesLongerNames", "TORMISK", [](ApplicationDatabaseOptions &o) { o.KeyLength = 8; },
     "insert into TK_USERS (ID, TKNAZWA) values (1, 'KOWALSKI')",
     "insert into TK_USERS (ID, TKNAZWA) values (2, 'KOWALSKA1')"},
};

class Variant : public testing::TestWithParam<RefusalCase> {};

TEST_P(Variant, RefusesWhatThePlainDatabaseTakes) {
  REQUIRE_TEST_SERVER();
  const RefusalCase &c = GetParam();
  ApplicationDatabase plain(c.Group);
  TestConnection plainConnection(plain.DatabaseName());
  EXPECT_NO_THROW(plainConnection.Run(c.Refused));
  ApplicationDatabaseOptions options;
  c.Vary(options);
  ApplicationDatabase variant(c.Group, options);
  TestConnection connection(variant.DatabaseName());
  EXPECT_NO_THROW(connection.Run(c.Allowed));
  EXPECT_THROW(connection.Run(c.Refused), EIBError);
}

INSTANTIATE_TEST_SUITE_P(Refusals, Variant, testing::ValuesIn(kRefusals),
                         [](const testing::TestParamInfo<RefusalCase> &info) { return info.param.Name; });

TEST(ApplicationDatabase, VariantInUtf8TakesPolishLettersOverAWin1250Login) {
  REQUIRE_TEST_SERVER();
  ApplicationDatabaseOptions options;
  options.CharacterSet = "UTF8";
  ApplicationDatabase database("PLOMER", options);
  EXPECT_EQ(database.QueryValue("select trim(RDB$CHARACTER_SET_NAME) from RDB$DATABASE").toString(), "UTF8");
  database.Execute(
      QString::fromUtf8("insert into USERS (UID, IMIE, USR_NAME) values (1, 'Żaneta', 'ZIELINSKA')"));
  EXPECT_EQ(database.QueryValue("select IMIE from USERS").toString(), QString::fromUtf8("Żaneta"));
}

TEST(ApplicationDatabase, VariantsWithANullUid) {
  REQUIRE_TEST_SERVER();
  for (const char *group : {"VELDAR", "GRESSON"}) {
    ApplicationDatabaseOptions options;
    options.NullableUid = true;
    ApplicationDatabase database(group, options);
    const ApplicationUserTable table = UserTableOf(group);
    EXPECT_EQ(
        database.QueryValue(QStringLiteral("select count(*) from %1 where UID is null").arg(table.Table))
            .toInt(),
        1)
        << group;
  }
  ApplicationDatabaseOptions options;
  options.NullableUid = true;
  EXPECT_THROW(ApplicationDatabase("SARNIK", options), std::invalid_argument);
}

TEST(ApplicationDatabase, VariantWithGarbageWhereASisterBelongs) {
  REQUIRE_TEST_SERVER();
  ApplicationDatabaseOptions options;
  options.GarbageSister = ".fdr";
  ApplicationDatabase database("SOLMET", options);
  TIBDatabase sister;
  sister.SetDatabaseName(database.Main().Server() + u':' + database.SisterPath(".fdr"));
  sister.Params().SetText(QStringLiteral("user_name=SYSDBA\npassword=%1").arg(TestServer::SysdbaPassword()));
  EXPECT_THROW(sister.Open(), EIBError);
  EXPECT_THROW(database.Sister(".fdr"), std::invalid_argument);
}

TEST(ApplicationDatabase, AdministratorsHoldTheRoleWhereverTheVariantGrantsIt) {
  REQUIRE_TEST_SERVER();
  SecurityPeople people;
  const QString admin = people.AdministratorName();
  ApplicationDatabaseOptions options;
  options.Administrators = {admin};
  options.SisterWithoutAdministrators = ".fdr";
  ApplicationDatabase database("VELDAR", options);
  EXPECT_EQ(database.RolesOf(admin), QStringList({"RDB$ADMIN"}));
  EXPECT_EQ(database.RolesOf(admin, ".fdd"), QStringList({"RDB$ADMIN"}));
  EXPECT_TRUE(database.RolesOf(admin, ".fdr").isEmpty());
  // The administrator's own login with the role is an admin login there, and not in the sister.
  TIBDatabase asAdmin;
  asAdmin.Params().SetText(QStringLiteral("user_name=%1\npassword=%2\nsql_role_name=RDB$ADMIN")
                               .arg(admin, people.AdministratorPassword()));
  asAdmin.SetDatabaseName(database.DatabaseName());
  asAdmin.Open();
  EXPECT_TRUE(IsConnectedAsAdmin(&asAdmin));
  asAdmin.Close();
  asAdmin.SetDatabaseName(database.Main().Server() + u':' + database.SisterPath(".fdr"));
  asAdmin.Open();
  EXPECT_FALSE(IsConnectedAsAdmin(&asAdmin));
}

TEST(SecurityPeople, ArePeopleOfTheSecurityDatabaseAndOfTheServer) {
  REQUIRE_TEST_SERVER();
  SecurityPeople people;
  auto module = people.Connect();
  TDataSet *users = module->users;
  for (const SecurityPerson &person : people.People()) {
    SCOPED_TRACE(person.Stem.toStdString());
    EXPECT_EQ(person.Name, person.Name.toUpper());
    ASSERT_TRUE(users->Locate("USER_NAME", person.Name, {}));
    EXPECT_EQ(users->FieldByName("FIRST_NAME")->AsString(), person.FirstName);
    EXPECT_EQ(users->FieldByName("SECOND_NAME")->AsString(), person.Surname);
    EXPECT_EQ(users->FieldByName("USER_ID")->AsString(), person.Pesel);
    EXPECT_EQ(users->FieldByName("GRUPA")->IsNull(), person.Group.isNull());
    // Each one logs in to the server with the password.
    TIBDatabase login;
    login.SetDatabaseName(people.Server() + u':' + people.Path());
    login.Params().SetText(
        QStringLiteral("user_name=%1\npassword=%2").arg(person.Name, people.PersonPassword()));
    EXPECT_NO_THROW(login.Open());
  }
  const auto &nowak = people.Person("NOWAK").Pesel;
  const auto &nowakowa = people.Person("NOWAKOWA").Pesel;
  ASSERT_EQ(nowak.size(), 11);
  for (int i = 0; i < 11; ++i)
    EXPECT_EQ(nowak[i] == nowakowa[i], i != 6 && i != 10) << "position " << i + 1;
}

TEST(SecurityPeople, TheSecondAdministratorLogsInWithTheRole) {
  REQUIRE_TEST_SERVER();
  SecurityPeople people;
  auto module = people.ConnectAsAdministrator();
  EXPECT_EQ(module->Database->Params().Values("sql_role_name"), "RDB$ADMIN");
  EXPECT_TRUE(IsConnectedAsAdmin(module->Database));
}

TEST(SecurityPeople, ManyMoreJoinInOneRun) {
  REQUIRE_TEST_SERVER();
  SecurityPeople people;
  people.AddMany("MANY", 10000, "MASA");
  EXPECT_EQ(people.Database().QueryValue("select count(*) from USERS where GRUPA = 'MASA'").toInt(), 10000);
}

} // namespace
