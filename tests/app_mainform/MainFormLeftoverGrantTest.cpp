// Grants of RDB$ADMIN that outlived their user: a new user of the same name starts without them.
#include "Actions.h"
#include "DB.h"
#include "IBDatabase.h"
#include "IBQuery.h"
#include "IBSQL.h"
#include "IBTransaction.h"
#include "MainFormFixture.h"
#include "UDMSecurity.h"

namespace {

int AdminGrantRows(ScratchDatabase &db, const QString &user) {
  return db
      .QueryValue(QStringLiteral("select count(*) from RDB$USER_PRIVILEGES where RDB$USER = '%1' and "
                                 "RDB$RELATION_NAME = 'RDB$ADMIN'")
                      .arg(user))
      .toInt();
}

// The role the server gives this login when it asks for RDB$ADMIN.
QString RoleOnLogin(ScratchDatabase &db, const QString &user, const QString &password) {
  TIBDatabase login;
  login.SetDatabaseName(db.DatabaseName());
  login.Params().SetText(
      QStringLiteral("user_name=%1\npassword=%2\nsql_role_name=RDB$ADMIN").arg(user, password));
  login.Open();
  TIBTransaction transaction;
  transaction.SetDefaultDatabase(&login);
  transaction.StartTransaction();
  TIBSQL query;
  query.SetDatabase(&login);
  query.SetTransaction(&transaction);
  query.SQL().SetText(QStringLiteral("select CURRENT_ROLE from RDB$DATABASE"));
  query.ExecQuery();
  const QString role = query.Fields(0).AsString().trimmed();
  query.Close();
  transaction.Commit();
  login.Close();
  return role;
}

TEST_F(UsersTest, NewUserDoesNotInheritAdminGrantsLeftForItsName) {
  const QString name = QStringLiteral("LEFT") + UniqueToken();
  const QString grantor = Db->CreateServerUser(QStringLiteral("GRANTOR"), QStringLiteral("secret1"));
  Db->ForgetServerUser(name);
  // Left by a user dropped outside the program: two grantors, and no server user of the name.
  Db->Execute({QStringLiteral("grant RDB$ADMIN to %1").arg(grantor),
               QStringLiteral("grant RDB$ADMIN to %1").arg(name),
               QStringLiteral("grant RDB$ADMIN to %1 granted by %2").arg(name, grantor)});
  ASSERT_EQ(AdminGrantRows(*Db, name), 2);
  ASSERT_FALSE(ServerHasUser(*Db, name));

  const QString password = QStringLiteral("Ab1!x#yz");
  Dialogs.AnswerModalAs<TNowyUzytkownikF>(Fill({name.toLower(), "Jan", "Nowak", "", password, password}));
  Form->NowyUzytkownikA->Execute();

  EXPECT_TRUE(Dialogs.Messages().empty());
  ASSERT_TRUE(ServerHasUser(*Db, name));
  EXPECT_EQ(AdminGrantRows(*Db, name), 0);
  EXPECT_EQ(RoleOnLogin(*Db, name, password), QStringLiteral("NONE"));
  ASSERT_TRUE(SelectUser(name));
  EXPECT_EQ(Form->DM()->users->FieldByName(QStringLiteral("RDB$RELATION_NAME"))->AsString().trimmed(),
            QString())
      << "the list shows no administrator";
  EXPECT_EQ(AdminGrantRows(*Db, grantor), 1) << "another user's grant stays";
}

} // namespace
