// Grants of RDB$ADMIN that outlived their user: a new user of the same name starts without them,
// and the grants of a user the server still has are never taken for leftovers.
#include "Actions.h"
#include "DB.h"
#include "Exceptions.h"
#include "IBDatabase.h"
#include "IBQuery.h"
#include "IBSQL.h"
#include "IBTransaction.h"
#include "MainFormFixture.h"
#include "UDMSecurity.h"
#include "UGrupy.h"

namespace {

QString Literal(const QString &text) {
  return u'\'' + QString(text).replace(u'\'', QStringLiteral("''")) + u'\'';
}
QString Identifier(const QString &text) {
  return u'"' + QString(text).replace(u'"', QStringLiteral("\"\"")) + u'"';
}

int AdminGrantRows(ScratchDatabase &db, const QString &user) {
  return db
      .QueryValue(QStringLiteral("select count(*) from RDB$USER_PRIVILEGES where RDB$USER = %1 and "
                                 "RDB$RELATION_NAME = 'RDB$ADMIN'")
                      .arg(Literal(user)))
      .toInt();
}

int RowsOf(ScratchDatabase &db, const QString &user) {
  return db.QueryValue(QStringLiteral("select count(*) from USERS where USER_NAME = %1").arg(Literal(user)))
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

// Where the administrator whose name is typed into "Nowy użytkownik" comes from.
enum class TExistingRoad {
  // Listed, but in a group that the visible group hides.
  HiddenByGroup,
  // Made from another connection after the list was read.
  AddedAfterListRead,
  // Made by another connection while the step runs, after the program asked the server.
  AddedDuringStep,
};

struct TExistingCase {
  const char *Label;
  TExistingRoad Road;
  // How the message begins, the name in place of %1.
  const char *Lead;
};

void PrintTo(const TExistingCase &c, std::ostream *os) { *os << c.Label; }

class ExistingAdministratorTest : public UsersTest, public testing::WithParamInterface<TExistingCase> {
protected:
  // The server user, with RDB$ADMIN from SYSDBA and from another administrator.
  QStringList AdministratorStatements(const QString &name, const QString &grantor) const {
    return {QStringLiteral("create user %1 password '%2'").arg(Identifier(name), kOldPassword),
            QStringLiteral("grant RDB$ADMIN to %1").arg(Identifier(name)),
            QStringLiteral("grant RDB$ADMIN to %1 granted by %2").arg(Identifier(name), grantor)};
  }

  // The road's administrator, made so that the list does not show it when "Nowy użytkownik" runs.
  void PrepareRoad(const QString &name, const QString &grantor) {
    switch (GetParam().Road) {
    case TExistingRoad::HiddenByGroup: {
      Db->Execute(AdministratorStatements(name, grantor));
      const QString other = Db->CreateServerUser(QStringLiteral("PLACE"), QStringLiteral("secret1"));
      Form->SynchroA->Execute();
      Db->Execute({QStringLiteral("update USERS set GRUPA = 'Kadry' where USER_NAME = '%1'").arg(name),
                   QString::fromUtf8("update USERS set GRUPA = 'Płace' where USER_NAME = '%1'").arg(other)});
      Form->DM()->users->Close();
      Form->DM()->users->Open();
      Dialogs.AnswerModal([](TForm &f) {
        auto &groups = dynamic_cast<TGrupyForm &>(f);
        EXPECT_TRUE(groups.grupy->Locate(QStringLiteral("GRUPA"), QString::fromUtf8("Płace"), {}));
        return int(mrOk);
      });
      Form->edGrupaButtonClick(nullptr);
      ASSERT_EQ(ListedUsers(), QStringList{other});
      break;
    }
    case TExistingRoad::AddedAfterListRead: Db->Execute(AdministratorStatements(name, grantor)); break;
    case TExistingRoad::AddedDuringStep: {
      // The last rule that the policy check reads makes the administrator, in a transaction of its own:
      // after the program asked the server, before it adds the user.
      QString made;
      for (const QString &statement : AdministratorStatements(name, grantor))
        made += QStringLiteral("    execute statement '%1';\n").arg(QString(statement).replace(u'\'', "''"));
      Db->Execute(QStringLiteral("create or alter procedure GET_UPPER_CASES returns (UPPCS integer) as\n"
                                 "begin\n  in autonomous transaction do\n  begin\n%1  end\n"
                                 "  UPPCS = 0;\n  suspend;\nend")
                      .arg(made));
      break;
    }
    }
    ASSERT_FALSE(SelectUser(name));
  }

  static inline const QString kOldPassword = QStringLiteral("Old1!p@ss");
};

TEST_P(ExistingAdministratorTest, RefusedNewUserLeavesItsRightsAndSaysSoInPolish) {
  const QString name = QStringLiteral("ADM") + UniqueToken();
  const QString grantor = Db->CreateServerUser(QStringLiteral("GRANTOR"), QStringLiteral("secret1"));
  Db->Execute(QStringLiteral("grant RDB$ADMIN to %1").arg(grantor));
  Db->ForgetServerUser(name);
  PrepareRoad(name, grantor);
  if (HasFatalFailure())
    return;
  const int rowsBefore = RowsOf(*Db, name);

  const QString typed = QStringLiteral("New1!p#ss");
  Dialogs.AnswerModalAs<TNowyUzytkownikF>(Fill({name.toLower(), "Jan", "Nowak", "", typed, typed}));
  Dialogs.AnswerMessage(mrOk);
  if (GetParam().Road == TExistingRoad::AddedDuringStep) {
    EXPECT_THROW(Form->NowyUzytkownikA->Execute(), EAbort);
  } else {
    // Refused like a name the list holds: the dialog comes back.
    Dialogs.AnswerModal([](TForm &) { return int(mrCancel); });
    Form->NowyUzytkownikA->Execute();
  }

  ASSERT_EQ(Dialogs.Messages().size(), 1u);
  const TMessageRequest &message = Dialogs.Messages().front();
  EXPECT_EQ(message.Caption, QString::fromUtf8("Błąd"));
  EXPECT_EQ(message.Icon, mtError);
  EXPECT_TRUE(message.Text.startsWith(QString::fromUtf8(GetParam().Lead).arg(name)))
      << message.Text.toStdString();
  EXPECT_TRUE(message.Text.contains(QString::fromUtf8("Niczego nie zmieniono")))
      << message.Text.toStdString();
  if (GetParam().Road == TExistingRoad::AddedDuringStep) {
    EXPECT_TRUE(message.Text.contains(QStringLiteral("\n\n")) &&
                message.Text.contains(QStringLiteral("PLG$SRP")))
        << "the server's text below: " << message.Text.toStdString();
  }
  EXPECT_TRUE(Dialogs.Exhausted());

  EXPECT_EQ(AdminGrantRows(*Db, name), 2) << "both grants stay";
  EXPECT_EQ(RoleOnLogin(*Db, name, kOldPassword), QStringLiteral("RDB$ADMIN"));
  EXPECT_FALSE(CanLogIn(*Db, name, typed)) << "the server user's password changed";
  EXPECT_EQ(RowsOf(*Db, name), rowsBefore);

  // "Połącz" lists it, as the message says, as an administrator.
  ConnectAsSysdba();
  EXPECT_TRUE(ShownRed(name));
  EXPECT_EQ(RowsOf(*Db, name), 1);
}

INSTANTIATE_TEST_SUITE_P(
    Roads, ExistingAdministratorTest,
    testing::Values(TExistingCase{"HiddenByGroup", TExistingRoad::HiddenByGroup,
                                  "Użytkownik %1 istnieje już na serwerze"},
                    TExistingCase{"AddedAfterListRead", TExistingRoad::AddedAfterListRead,
                                  "Użytkownik %1 istnieje już na serwerze"},
                    TExistingCase{"AddedDuringStep", TExistingRoad::AddedDuringStep,
                                  "Użytkownika %1 nie dodano"}),
    [](const testing::TestParamInfo<TExistingCase> &info) { return std::string(info.param.Label); });

// "jan" and "JAN" are two server users; the list shows JAN alone, with JAN's own rights. The stem
// of the two names is the parameter.
class CaseOfNamesTest : public UsersTest, public testing::WithParamInterface<const char *> {
protected:
  void SetUp() override {
    UsersTest::SetUp();
    if (IsSkipped())
      return;
    const QString token = UniqueToken();
    Lower = QString::fromUtf8(GetParam()) + token.toLower();
    Upper = Lower.toUpper();
    Grantor = Db->CreateServerUser(QStringLiteral("GRANTOR"), QStringLiteral("secret1"));
    Db->ForgetServerUser(Lower);
    Db->ForgetServerUser(Upper);
    Db->Execute({QStringLiteral("grant RDB$ADMIN to %1").arg(Grantor),
                 QStringLiteral("create user %1 password 'x1'").arg(Identifier(Lower)),
                 QStringLiteral("create user %1 password 'x1'").arg(Identifier(Upper)),
                 QStringLiteral("grant RDB$ADMIN to %1").arg(Identifier(Lower)),
                 QStringLiteral("grant RDB$ADMIN to %1 granted by %2").arg(Identifier(Lower), Grantor)});
    Form->SynchroA->Execute();
  }

  QString Lower, Upper, Grantor;
};

TEST_P(CaseOfNamesTest, RowShowsAndChangesOnlyItsOwnUsersRights) {
  EXPECT_EQ(ListedUsers().count(Upper), 1);
  EXPECT_EQ(RowsOf(*Db, Upper), 1);
  EXPECT_FALSE(ShownRed(Upper)) << "only jan holds the role";

  ASSERT_TRUE(SelectUser(Upper));
  Form->GrantAdminRoleA->Execute();
  EXPECT_EQ(AdminGrantRows(*Db, Upper), 1) << "JAN is granted the role";
  EXPECT_TRUE(ShownRed(Upper));
  Form->GrantAdminRoleA->Execute();
  EXPECT_EQ(AdminGrantRows(*Db, Upper), 0);
  EXPECT_FALSE(ShownRed(Upper));
  EXPECT_EQ(AdminGrantRows(*Db, Lower), 2) << "jan's grants are jan's";

  ASSERT_TRUE(SelectUser(Upper));
  Form->GrantAdminRoleA->Execute();
  Dialogs.AnswerMessage(mrYes);
  Form->UsunUzytkownikaA->Execute();
  EXPECT_FALSE(ServerHasUser(*Db, Upper));
  EXPECT_EQ(AdminGrantRows(*Db, Upper), 0) << "JAN's grant goes with JAN";
  EXPECT_TRUE(ServerHasUser(*Db, Lower));
  EXPECT_EQ(AdminGrantRows(*Db, Lower), 2);
}

// Dropped by another connection while the window stays connected: the window's transaction read the
// server's users before.
TEST_P(CaseOfNamesTest, BothDroppedLeaveNoGrantForANewUserOfTheName) {
  Db->DropServerUsers({Lower, Upper});
  Form->SynchroA->Execute();
  EXPECT_FALSE(ListedUsers().contains(Upper));
  EXPECT_EQ(AdminGrantRows(*Db, Lower), 0);
  EXPECT_EQ(AdminGrantRows(*Db, Upper), 0);
  EXPECT_EQ(AdminGrantRows(*Db, Grantor), 1) << "a server user's grant stays";

  const QString password = QStringLiteral("Ab1!x#yz");
  Dialogs.AnswerModalAs<TNowyUzytkownikF>(Fill({Lower, "Jan", "Nowak", "", password, password}));
  Form->NowyUzytkownikA->Execute();
  EXPECT_TRUE(Dialogs.Messages().empty());
  ASSERT_TRUE(ServerHasUser(*Db, Upper));
  EXPECT_FALSE(ShownRed(Upper));
  EXPECT_EQ(RoleOnLogin(*Db, Upper, password), QStringLiteral("NONE"));
}

// A lower-case user alone of its upper case is listed under it: the row stands for that user, and
// shows the user's own grant.
TEST_P(CaseOfNamesTest, LoneLowerCaseUsersRowShowsItsGrant) {
  Db->DropServerUsers({Upper});
  ConnectAsSysdba();
  ASSERT_EQ(ListedUsers().count(Upper), 1);
  EXPECT_TRUE(ShownRed(Upper)) << "jan holds the role";
  Db->Execute({QStringLiteral("revoke RDB$ADMIN from %1").arg(Identifier(Lower)),
               QStringLiteral("revoke RDB$ADMIN from %1 granted by %2").arg(Identifier(Lower), Grantor)});
  Form->SynchroA->Execute();
  EXPECT_FALSE(ShownRed(Upper));
}

// Quotes go into the statements that revoke, and a Polish letter upper-cases outside ASCII.
INSTANTIATE_TEST_SUITE_P(Stems, CaseOfNamesTest, testing::Values("jan", "o\"bri'łan"),
                         [](const testing::TestParamInfo<const char *> &info) {
                           return info.index == 0 ? std::string("Plain") : std::string("QuotesAndPolish");
                         });

} // namespace
