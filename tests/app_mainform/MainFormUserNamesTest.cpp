// User names that the server's user service reads differently, and Polish letters in names and
// passwords, through the main window's actions and the dialog seam.
#include "Actions.h"
#include "DB.h"
#include "Exceptions.h"
#include "IBDatabase.h"
#include "IBError.h"
#include "IBQuery.h"
#include "IBServices.h"
#include "MainFormFixture.h"
#include "StdCtrls.h"
#include "TestServer.h"
#include "UDMSecurity.h"
#include "UZmianaHaslaF.h"

#include <QLineEdit>

namespace {

const QString kOldPassword = QStringLiteral("Old1!p@ss");
const QString kNewPassword = QStringLiteral("New1!p#ss");

QString Literal(const QString &text) {
  return u'\'' + QString(text).replace(u'\'', QStringLiteral("''")) + u'\'';
}
QString Identifier(const QString &text) {
  return u'"' + QString(text).replace(u'"', QStringLiteral("\"\"")) + u'"';
}

bool HoldsAdminRole(ScratchDatabase &db, const QString &user) {
  return db.QueryValue(QStringLiteral("select count(*) from RDB$USER_PRIVILEGES where RDB$USER = %1 and "
                                      "RDB$RELATION_NAME = 'RDB$ADMIN'")
                           .arg(Literal(user)))
             .toInt() > 0;
}

bool RowExists(ScratchDatabase &db, const QString &user) {
  return db.QueryValue(QStringLiteral("select count(*) from USERS where USER_NAME = %1").arg(Literal(user)))
             .toInt() == 1;
}

enum class TUserAction { NewUser, ChangePassword, Delete, GrantAdmin };

struct TNameCase {
  const char *Label;
  QString (*Make)(const QString &token);
  // The service acts on exactly this name; otherwise every action refuses it.
  bool Carried;
  // What the service would act on instead, when something other than the name itself.
  QString (*ReadAs)(const QString &token);
};

QString Padded(const QString &stem, int length) { return stem + QString(length - stem.size(), u'X'); }

const TNameCase kNames[] = {
    {"WithSpace", [](const QString &t) { return QStringLiteral("WITH%1 SPACE").arg(t); }, false,
     [](const QString &t) { return QStringLiteral("WITH%1").arg(t); }},
    {"SysdbaAndMore", [](const QString &t) { return QStringLiteral("SYSDBA ") + t; }, false,
     [](const QString &) { return QStringLiteral("SYSDBA"); }},
    {"Tab", [](const QString &t) { return QStringLiteral("TAB%1\tX").arg(t); }, false, nullptr},
    {"ThirtyOneCharacters", [](const QString &t) { return Padded(QStringLiteral("L31") + t, 31); }, true,
     nullptr},
    {"ThirtyTwoCharacters", [](const QString &t) { return Padded(QStringLiteral("L32") + t, 32); }, false,
     [](const QString &t) { return Padded(QStringLiteral("L32") + t, 31); }},
    {"DoubleQuote", [](const QString &t) { return QStringLiteral("QUO\"TED") + t; }, true, nullptr},
    {"Apostrophe", [](const QString &t) { return QStringLiteral("O'BRIEN") + t; }, true, nullptr},
};

struct TNameActionCase {
  TNameCase Name;
  TUserAction Action;
};

std::string ActionLabel(TUserAction action) {
  switch (action) {
  case TUserAction::NewUser: return "NewUser";
  case TUserAction::ChangePassword: return "ChangePassword";
  case TUserAction::Delete: return "Delete";
  case TUserAction::GrantAdmin: return "GrantAdmin";
  }
  return "";
}

void PrintTo(const TNameActionCase &c, std::ostream *os) {
  *os << c.Name.Label << " / " << ActionLabel(c.Action);
}

std::vector<TNameActionCase> NameActionCases() {
  std::vector<TNameActionCase> cases;
  for (const TNameCase &name : kNames)
    for (TUserAction action :
         {TUserAction::NewUser, TUserAction::ChangePassword, TUserAction::Delete, TUserAction::GrantAdmin})
      cases.push_back({name, action});
  return cases;
}

class UserNameTest : public UsersTest, public testing::WithParamInterface<TNameActionCase> {
protected:
  // A server user made in SQL, as any user administrator can, and its row after a synchronisation;
  // a name the server cannot hold gets a row only.
  void ListServerUser(const QString &name) {
    Db->ForgetServerUser(name);
    if (name.toUtf8().size() <= TIBSecurityService::MaxUserNameBytes)
      Db->Execute(QStringLiteral("create user %1 password %2").arg(Identifier(name), Literal(kOldPassword)));
    Form->SynchroA->Execute();
    if (!RowExists(*Db, name))
      Db->Execute(
          QStringLiteral("insert into USERS (USER_NAME, PSWD_VALID) values (%1, 0)").arg(Literal(name)));
    Form->DM()->users->Close();
    Form->DM()->users->Open();
    ASSERT_TRUE(SelectUser(name));
    ASSERT_EQ(Form->DM()->users->FieldByName("USER_NAME")->AsString(), name);
  }

  void ExpectRefusal() {
    ASSERT_FALSE(Dialogs.Messages().empty());
    const TMessageRequest &message = Dialogs.Messages().back();
    EXPECT_EQ(message.Caption, QString::fromUtf8("Błąd"));
    EXPECT_EQ(message.Icon, mtError);
    EXPECT_TRUE(message.Text.contains(QString::fromUtf8("Nazwa użytkownika"))) << message.Text.toStdString();
  }
};

TEST_P(UserNameTest, RefusedOrDoneToExactlyThatServerUser) {
  const TNameCase &c = GetParam().Name;
  const QString token = UniqueToken();
  const QString name = c.Make(token);
  const QString readAs = c.ReadAs ? c.ReadAs(token) : name;
  Db->ForgetServerUser(name);
  if (readAs != QStringLiteral("SYSDBA"))
    Db->ForgetServerUser(readAs);

  switch (GetParam().Action) {
  case TUserAction::NewUser: {
    Dialogs.AnswerModalAs<TNowyUzytkownikF>(Fill({name, "Jan", "Nowak", "", kOldPassword, kOldPassword}));
    if (!c.Carried) {
      Dialogs.AnswerMessage(mrOk);
      Dialogs.AnswerModal([](TForm &) { return int(mrCancel); });
    }
    Form->NowyUzytkownikA->Execute();
    if (c.Carried) {
      EXPECT_TRUE(Dialogs.Messages().empty());
      EXPECT_TRUE(ServerHasUser(*Db, name));
      EXPECT_TRUE(RowExists(*Db, name));
      EXPECT_TRUE(CanLogIn(*Db, name, kOldPassword));
    } else {
      ExpectRefusal();
      EXPECT_FALSE(ServerHasUser(*Db, name));
      EXPECT_FALSE(RowExists(*Db, name));
      if (readAs != QStringLiteral("SYSDBA")) {
        EXPECT_FALSE(ServerHasUser(*Db, readAs)) << "the service made another user";
      }
    }
    break;
  }
  case TUserAction::ChangePassword: {
    ListServerUser(name);
    if (c.Carried) {
      Dialogs.AnswerModalAs<TZmianaHaslaF>(TypeNewPassword(kNewPassword));
      Form->ZmienHasloA->Execute();
      EXPECT_TRUE(CanLogIn(*Db, name, kNewPassword));
    } else {
      Dialogs.AnswerMessage(mrOk);
      EXPECT_THROW(Form->ZmienHasloA->Execute(), EAbort);
      ExpectRefusal();
      EXPECT_TRUE(Dialogs.ModalForms().empty()) << "refused before the password is asked for";
      if (ServerHasUser(*Db, name)) {
        EXPECT_TRUE(CanLogIn(*Db, name, kOldPassword));
      }
    }
    break;
  }
  case TUserAction::Delete: {
    ListServerUser(name);
    const bool onServer = ServerHasUser(*Db, name);
    if (c.Carried) {
      Dialogs.AnswerMessage(mrYes);
      Form->UsunUzytkownikaA->Execute();
      EXPECT_FALSE(ServerHasUser(*Db, name));
      EXPECT_FALSE(RowExists(*Db, name));
    } else {
      Dialogs.AnswerMessage(mrOk);
      EXPECT_THROW(Form->UsunUzytkownikaA->Execute(), EAbort);
      ExpectRefusal();
      EXPECT_EQ(ServerHasUser(*Db, name), onServer);
      EXPECT_TRUE(RowExists(*Db, name));
    }
    break;
  }
  case TUserAction::GrantAdmin: {
    ListServerUser(name);
    if (c.Carried) {
      Form->GrantAdminRoleA->Execute();
      EXPECT_TRUE(HoldsAdminRole(*Db, name));
    } else {
      Dialogs.AnswerMessage(mrOk);
      EXPECT_THROW(Form->GrantAdminRoleA->Execute(), EAbort);
      ExpectRefusal();
      EXPECT_FALSE(HoldsAdminRole(*Db, name));
    }
    break;
  }
  }
  EXPECT_TRUE(Dialogs.Exhausted());
  EXPECT_TRUE(ServerHasUser(*Db, QStringLiteral("SYSDBA")));
  EXPECT_TRUE(CanLogIn(*Db, QStringLiteral("SYSDBA"), TestServer::SysdbaPassword()))
      << "SYSDBA's password changed";
}

INSTANTIATE_TEST_SUITE_P(ServerNames, UserNameTest, testing::ValuesIn(NameActionCases()),
                         [](const testing::TestParamInfo<TNameActionCase> &info) {
                           return std::string(info.param.Name.Label) + "_" + ActionLabel(info.param.Action);
                         });

TEST_F(UsersTest, PolishLettersInNamesAndPasswords) {
  const QString token = UniqueToken();
  const QString name = QString::fromUtf8("ŁUKASZ") + token;
  const QString password = QString::fromUtf8("Zażółć1!@#");
  const QString changed = QString::fromUtf8("Źdźbło2!@#");
  Db->ForgetServerUser(name);
  // Typed in lower case: the server user and the row get the same upper-case name.
  Dialogs.AnswerModalAs<TNowyUzytkownikF>(Fill({name.toLower(), "", "", "", password, password}));
  Form->NowyUzytkownikA->Execute();
  EXPECT_TRUE(Dialogs.Messages().empty());
  ASSERT_TRUE(ServerHasUser(*Db, name));
  EXPECT_TRUE(RowExists(*Db, name));
  EXPECT_TRUE(CanLogIn(*Db, name, password));

  ASSERT_TRUE(SelectUser(name));
  Dialogs.AnswerModalAs<TZmianaHaslaF>(TypeNewPassword(changed));
  Form->ZmienHasloA->Execute();
  EXPECT_TRUE(CanLogIn(*Db, name, changed));
  EXPECT_FALSE(CanLogIn(*Db, name, password));

  ASSERT_TRUE(SelectUser(name));
  Form->GrantAdminRoleA->Execute();
  EXPECT_TRUE(HoldsAdminRole(*Db, name));
  // The new administrator logs into the program with the role.
  Connect(name, changed);
  EXPECT_TRUE(Form->DM()->Database->Connected());
  ConnectAsSysdba();
  ASSERT_TRUE(SelectUser(name));
  Form->GrantAdminRoleA->Execute();
  EXPECT_FALSE(HoldsAdminRole(*Db, name));

  // Made in SQL and through a UTF-8 connection: listed by their own names, or not at all when the
  // list cannot hold the name.
  const QString fromSql = QString::fromUtf8("ŻANETA") + token;
  const QString cyrillic = QString::fromUtf8("ЖУК") + token;
  Db->ForgetServerUser(fromSql);
  Db->ForgetServerUser(cyrillic);
  Db->Execute(QStringLiteral("create user %1 password 'x1'").arg(Identifier(fromSql)));
  Db->ExecuteUtf8(QStringLiteral("create user %1 password 'x1'").arg(Identifier(cyrillic)));
  // Even holding the role, such a user leaves the list readable.
  Db->ExecuteUtf8(QStringLiteral("grant RDB$ADMIN to %1").arg(Identifier(cyrillic)));
  Form->SynchroA->Execute();
  const QStringList listed = ListedUsers();
  EXPECT_EQ(listed.count(name), 1);
  EXPECT_EQ(listed.count(fromSql), 1);
  EXPECT_FALSE(listed.contains(cyrillic));
  for (const QString &user : listed)
    EXPECT_FALSE(user.contains(QString::fromUtf8("Ĺ"))) << user.toStdString();

  ASSERT_TRUE(SelectUser(name));
  Dialogs.AnswerMessage(mrYes);
  Form->UsunUzytkownikaA->Execute();
  EXPECT_FALSE(ServerHasUser(*Db, name));
  EXPECT_FALSE(RowExists(*Db, name));
}

struct TListingCase {
  const char *Label;
  // Server users made in SQL, from the token.
  QStringList (*Make)(const QString &token);
  // The rows they give, from the token.
  QStringList (*Rows)(const QString &token);
};

void PrintTo(const TListingCase &c, std::ostream *os) { *os << c.Label; }

const TListingCase kListings[] = {
    // Upper case takes it out of Windows-1250: the micro sign becomes a Greek capital.
    {"MicroSign", [](const QString &t) { return QStringList{QString::fromUtf8("µik") + t}; },
     [](const QString &) { return QStringList{}; }},
    {"SharpS", [](const QString &t) { return QStringList{QString::fromUtf8("straße") + t}; },
     [](const QString &) { return QStringList{}; }},
    {"BesideItsUpperCase",
     [](const QString &t) {
       return QStringList{"jan" + t.toLower(), "JAN" + t};
     },
     [](const QString &t) { return QStringList{"JAN" + t}; }},
    {"TwoSpellingsOfOneUpperCase",
     [](const QString &t) {
       return QStringList{"Ola" + t, "oLa" + t};
     },
     [](const QString &) { return QStringList{}; }},
    {"AloneInLowerCase", [](const QString &t) { return QStringList{"ewa" + t.toLower()}; },
     [](const QString &t) { return QStringList{"EWA" + t}; }},
};

class ServerNameListingTest : public MainFormTest, public testing::WithParamInterface<TListingCase> {};

TEST_P(ServerNameListingTest, ConnectLeavesOutNamesWithoutARowOfTheirOwnAndSynchronisesTheRest) {
  const QString token = UniqueToken();
  const QStringList names = GetParam().Make(token);
  const QString plain = QStringLiteral("PLAIN") + token;
  const QString gone = QStringLiteral("GONE") + token;
  CreateSecurityDatabase();
  QStringList statements;
  for (const QString &name : names + QStringList{plain}) {
    Db->ForgetServerUser(name);
    statements.append(
        QStringLiteral("create user %1 password %2").arg(Identifier(name), Literal(kOldPassword)));
  }
  statements.append(
      QStringLiteral("insert into USERS (USER_NAME, PSWD_VALID) values (%1, 0)").arg(Literal(gone)));
  Db->Execute(statements);

  ConnectAsSysdba();
  EXPECT_TRUE(Dialogs.Messages().empty());
  EXPECT_TRUE(Form->DM()->users->Active());
  const QStringList listed = ListedUsers();
  EXPECT_EQ(listed.count(plain), 1) << "the others are taken over";
  EXPECT_FALSE(listed.contains(gone)) << "a row without a server user goes";
  const QStringList rows = GetParam().Rows(token);
  for (const QString &row : rows)
    EXPECT_EQ(listed.count(row), 1) << row.toStdString();
  EXPECT_EQ(
      Db->QueryValue(
            QStringLiteral("select count(*) from USERS where USER_NAME containing %1").arg(Literal(token)))
          .toInt(),
      rows.size() + 1);
  // And again: what was left out stays out, nothing fails. Other tests' users come and go meanwhile.
  ConnectAsSysdba();
  EXPECT_TRUE(Dialogs.Messages().empty());
  EXPECT_EQ(ListedUsers().filter(token), listed.filter(token));
}

INSTANTIATE_TEST_SUITE_P(Names, ServerNameListingTest, testing::ValuesIn(kListings),
                         [](const testing::TestParamInfo<TListingCase> &info) {
                           return std::string(info.param.Label);
                         });

} // namespace
