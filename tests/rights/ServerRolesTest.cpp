// The role model: whatever roles a user held, the user ends with exactly the one of the level.
#include "ServerRoles.h"
#include "ApplicationDatabase.h"
#include "GridInput.h" // readable texts in failures
#include "IBDatabase.h"
#include "IBSQL.h"
#include "IBTransaction.h"
#include "ProgramGroups.h"
#include "TestConnection.h"
#include "TestServer.h"
#include "UAdminRights.h"

#include <gtest/gtest.h>
#include <memory>

namespace {

// What a user holds before: the roles granted to the user by SYSDBA, a write role granted by a
// second grantor as well, and a write role granted to the user's name in lower case.
struct Holding {
  const char *Name;
  QStringList Roles; // "read", "write", "admin"
  bool WriteFromSecondGrantor = false;
  bool LowerCaseWrite = false;
};

const Holding kHoldings[] = {
    {"None", {}},
    {"Read", {"read"}},
    {"Write", {"write"}},
    {"Administrator", {"admin"}},
    {"AllThree", {"read", "write", "admin"}},
    {"WriteFromTwoGrantors", {"write"}, true},
    {"ReadBesideALowerCaseGrantee", {"read"}, false, true},
};

struct Level {
  const char *Name;
  quint8 Value;
  const char *Expected; // "read", "write", "admin" or "" for none
};

const Level kLevels[] = {{"Read", 0, "read"},
                         {"Write", 1, "write"},
                         {"Administrator", 2, "admin"},
                         {"NoSelection", static_cast<quint8>(-1), ""}};

struct RolePair {
  const char *Name;
  const char *Group; // a group of that role pair, without sister files
};

void PrintTo(const RolePair &pair, std::ostream *os) { *os << pair.Name; }

class RoleModel : public testing::TestWithParam<RolePair> {
protected:
  void SetUp() override { REQUIRE_TEST_SERVER(); }

  QString RoleOf(const TProgramGroup &group, const QString &kind) {
    return kind == "read" ? group.ReadRole : kind == "write" ? group.WriteRole : AdministratorRole();
  }
};

TEST_P(RoleModel, LeavesExactlyTheRoleOfTheLevelWhateverWasHeld) {
  ApplicationDatabase database(GetParam().Group);
  const TProgramGroup &group = ProgramGroups()[static_cast<size_t>(ProgramGroupIndex(GetParam().Group))];
  const QString grantorPassword = QStringLiteral("Grant1!x");
  const QString grantor = database.Main().CreateServerUser(QStringLiteral("GRANTOR"), grantorPassword);
  database.Execute(QStringLiteral("grant RDB$ADMIN to %1").arg(grantor));

  // One user per holding and level, all laid first, so that writing one user touches no other.
  struct Case {
    QString User;
    const Holding *Held;
    const Level *To;
  };
  std::vector<Case> cases;
  QStringList setUp;
  TestConnection second(database.DatabaseName(), grantor, grantorPassword, AdministratorRole());
  for (const Holding &holding : kHoldings)
    for (const Level &level : kLevels) {
      const QString user = QStringLiteral("HELD%1_TO%2").arg(&holding - kHoldings).arg(&level - kLevels);
      cases.push_back({user, &holding, &level});
      for (const QString &kind : holding.Roles)
        setUp << QStringLiteral("grant %1 to %2").arg(RoleOf(group, kind), user);
      if (holding.WriteFromSecondGrantor)
        second.Run(QStringLiteral("grant %1 to %2").arg(group.WriteRole, user));
      if (holding.LowerCaseWrite)
        setUp << QStringLiteral("grant %1 to %2").arg(group.WriteRole, QuotedIdentifier(user.toLower()));
    }
  second.Transaction.Commit();
  database.Execute(setUp);

  TestConnection sysdba(database.DatabaseName());
  QStringList grantors =
      ExactRoleGrantors(sysdba.Statement, &sysdba.Transaction, "HELD5_TO0", group.WriteRole);
  grantors.sort();
  ASSERT_EQ(grantors, QStringList({grantor, "SYSDBA"}))
      << "the grant from the second grantor stands beside SYSDBA's";
  for (const Case &c : cases)
    SetServerRole(sysdba.Statement, &sysdba.Transaction, c.User, group.ReadRole, group.WriteRole,
                  c.To->Value);
  sysdba.Transaction.Commit();

  for (const Case &c : cases) {
    SCOPED_TRACE(QStringLiteral("%1 to %2").arg(c.Held->Name, c.To->Name).toStdString());
    const QString expected = QString::fromLatin1(c.To->Expected);
    EXPECT_EQ(database.RolesOf(c.User),
              expected.isEmpty() ? QStringList() : QStringList{RoleOf(group, expected)});
    if (c.Held->LowerCaseWrite) {
      EXPECT_EQ(database.RolesOf(c.User.toLower()), QStringList{group.WriteRole})
          << "a grant to another name is not the user's";
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Pairs, RoleModel,
                         testing::Values(RolePair{"Plain", "PLOMER"}, RolePair{"Korvin", "KORVIN"},
                                         RolePair{"Tormisk", "TORMISK"}),
                         [](const testing::TestParamInfo<RolePair> &info) { return info.param.Name; });

// Names the server takes only as quoted identifiers keep their grants apart from their look-alikes.
TEST(ServerRoles, NamesWithQuotesBlanksAndPolishLettersAreQuoted) {
  REQUIRE_TEST_SERVER();
  ApplicationDatabase database("PLOMER");
  const QString names[] = {QStringLiteral("O\"BRIEN"), QStringLiteral("JAN KOWALSKI"),
                           QString::fromUtf8("ŻÓŁW"), QStringLiteral("\"; drop table USERS; --")};
  QStringList setUp;
  for (const QString &name : names)
    setUp << QStringLiteral("grant ODCZYT to %1").arg(QuotedIdentifier(name));
  database.Execute(setUp);
  TestConnection sysdba(database.DatabaseName());
  for (const QString &name : names)
    SetServerRole(sysdba.Statement, &sysdba.Transaction, name, "ODCZYT", "ZAPIS", 1);
  sysdba.Transaction.Commit();
  for (const QString &name : names) {
    SCOPED_TRACE(name.toStdString());
    EXPECT_EQ(database.RolesOf(name), QStringList{"ZAPIS"});
  }
  EXPECT_EQ(database.QueryValue("select count(*) from USERS").toInt(), 0) << "the table is still there";
}

// Nothing is committed by the role model: the caller commits a user's roles with the user's row.
TEST(ServerRoles, ARollbackKeepsWhatTheUserHeld) {
  REQUIRE_TEST_SERVER();
  ApplicationDatabaseOptions noWriteRole;
  noWriteRole.WithoutWriteRole = true;
  ApplicationDatabase database("PLOMER", noWriteRole);
  database.Execute("grant ODCZYT to NOWAK");
  TestConnection sysdba(database.DatabaseName());
  EXPECT_ANY_THROW(SetServerRole(sysdba.Statement, &sysdba.Transaction, "NOWAK", "ODCZYT", "ZAPIS", 1));
  sysdba.Transaction.Rollback();
  EXPECT_EQ(database.RolesOf("NOWAK"), QStringList{"ODCZYT"});
  // An inactive transaction (a sister file that is not there) is passed over.
  EXPECT_NO_THROW(SetServerRole(sysdba.Statement, &sysdba.Transaction, "NOWAK", "ODCZYT", "ZAPIS", 0));
}

} // namespace
