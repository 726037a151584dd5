#include "IBServices.h"
#include "IBError.h"
#include "TestServer.h"

#include <QUuid>
#include <functional>
#include <gtest/gtest.h>

namespace {

class IBServicesTest : public testing::Test {
protected:
  void SetUp() override {
    REQUIRE_TEST_SERVER();
    Security.SetServerName(TestServer::Address());
    Security.SetProtocol(TCP);
    Security.Params().Add(QStringLiteral("user_name=SYSDBA"));
    Security.Params().Add(QStringLiteral("password=") + TestServer::SysdbaPassword());
    Security.SetActive(true);
  }
  // The user's entry in the server's list, or nullptr.
  const TUserInfo *Listed(const QString &name) {
    Security.DisplayUsers();
    for (int i = 0; i < Security.UserInfoCount(); ++i)
      if (Security.UserInfo(i).UserName == name)
        return &Security.UserInfo(i);
    return nullptr;
  }
  TIBSecurityService Security;
  const QString User = QStringLiteral("MXSVC") + QUuid::createUuid().toString(QUuid::Id128).left(8).toUpper();
};

} // namespace

TEST_F(IBServicesTest, AddsModifiesDisplaysAndDeletesAUser) {
  Security.SetUserName(User);
  Security.SetPassword(QStringLiteral("First1"));
  Security.SetFirstName(QStringLiteral("Jan"));
  Security.SetLastName(QStringLiteral("Kowalski"));
  Security.AddUser();
  const TUserInfo *added = Listed(User);
  ASSERT_NE(added, nullptr);
  EXPECT_EQ(added->FirstName, QStringLiteral("Jan"));
  EXPECT_EQ(added->LastName, QStringLiteral("Kowalski"));
  ASSERT_NE(Listed(QStringLiteral("SYSDBA")), nullptr);

  Security.SetUserName(User);
  Security.SetMiddleName(QStringLiteral("Maria"));
  Security.ModifyUser();
  Security.DisplayUser(User);
  ASSERT_EQ(Security.UserInfoCount(), 1);
  EXPECT_EQ(Security.UserInfo(0).MiddleName, QStringLiteral("Maria"));
  // Only what was set changes.
  EXPECT_EQ(Security.UserInfo(0).FirstName, QStringLiteral("Jan"));

  Security.SetUserName(User);
  Security.DeleteUser();
  EXPECT_EQ(Listed(User), nullptr);
}

TEST_F(IBServicesTest, RefusalsCarryTheServersMessage) {
  Security.SetUserName(QStringLiteral("MX_NOBODY_THERE"));
  EXPECT_THROW(Security.DeleteUser(), EIBError);
  TIBSecurityService wrong;
  wrong.SetServerName(TestServer::Address());
  wrong.Params().Add(QStringLiteral("user_name=SYSDBA"));
  wrong.Params().Add(QStringLiteral("password=wrong"));
  try {
    wrong.SetActive(true);
    FAIL() << "attached with a wrong password";
  } catch (const EIBError &error) {
    EXPECT_TRUE(error.Message().contains(QStringLiteral("Your user name and password are not defined")));
  }
  EXPECT_FALSE(wrong.Active());
}

namespace {

QByteArray Text(char tag, const QByteArray &bytes) {
  QByteArray item(1, tag);
  item.append(char(bytes.size() & 0xFF));
  item.append(char(bytes.size() >> 8));
  return item + bytes;
}

QByteArray Integer(char tag, int value) {
  QByteArray item(1, tag);
  for (int i = 0; i < 4; ++i)
    item.append(char((value >> (8 * i)) & 0xFF));
  return item;
}

// One user as the service lists it.
QByteArray Record(const QByteArray &name, const QByteArray &first = {}) {
  return Text(isc_spb_sec_username, name) + Text(isc_spb_sec_firstname, first) +
         Text(isc_spb_sec_middlename, {}) + Text(isc_spb_sec_lastname, {}) + Integer(isc_spb_sec_userid, 7) +
         Integer(isc_spb_sec_groupid, 0) + Integer(isc_spb_sec_admin, 0);
}

const QByteArray kTwoUsers = Record("SYSDBA") + Record(QString::fromUtf8("ŁUKASZ").toUtf8(), "Jan");

} // namespace

TEST(UserListTest, ReadsWholeRecords) {
  const std::vector<TUserInfo> users = ParseUserList(kTwoUsers);
  ASSERT_EQ(users.size(), 2u);
  EXPECT_EQ(users[0].UserName, "SYSDBA");
  EXPECT_EQ(users[1].UserName, QString::fromUtf8("ŁUKASZ"));
  EXPECT_EQ(users[1].FirstName, "Jan");
  EXPECT_EQ(users[1].UserID, 7);
  EXPECT_TRUE(ParseUserList(QByteArray()).empty());
}

TEST(UserListTest, AnAnswerCutAnywhereInsideARecordIsAnError) {
  // Every length that ends inside the second record, never a shorter list. (Where the answer ends
  // between two records only the service's end of output tells.)
  const int firstEnd = Record("SYSDBA").size();
  for (int length = firstEnd + 1; length < kTwoUsers.size(); ++length)
    EXPECT_THROW(ParseUserList(kTwoUsers.left(length)), EDatabaseError) << "cut at " << length;
}

TEST(UserListTest, DamagedAnswersAreErrors) {
  struct Case {
    const char *Label;
    QByteArray Answer;
  };
  const Case cases[] = {
      {"unknown item", Record("A") + QByteArray(1, char(99)) + Record("B")},
      {"no user name first", Text(isc_spb_sec_firstname, "Jan") + Record("A")},
      {"length past the end", Text(isc_spb_sec_username, "A").left(1) + QByteArray("\xFF\xFF"
                                                                                   "AB",
                                                                                   4)},
      {"name not UTF-8", Record(QByteArray("\xA3UKASZ", 6))},
  };
  for (const Case &c : cases)
    EXPECT_THROW(ParseUserList(c.Answer), EDatabaseError) << c.Label;
}

TEST(UserNameTest, OnlyNamesTheServiceActsOnExactlyAreCarried) {
  struct Case {
    const char *Name;
    bool Carried;
  };
  const Case cases[] = {
      {"KOWALSKI", true},
      {"kowalski", true}, // upper-cased by the server, as the program upper-cases its rows
      {"QUO\"TED", true},
      {"O'BRIEN", true},
      {"ŁUKASZ", true},
      {"ABCDEFGHIJABCDEFGHIJABCDEFGHIJA", true},
      {"ABCDEFGHIJABCDEFGHIJABCDEFGHIJAB", false},
      {"ŁŁŁŁŁŁŁŁŁŁŁŁŁŁŁŁ", false}, // 32 bytes of UTF-8
      {"WITH SPACE", false},
      {"SYSDBA X", false},
      {"TAB\tX", false},
      {"NBSP\u00A0X", false},
      {"LINE\nX", false},
      {"-ADMIN", false},
      {"", false},
  };
  for (const Case &c : cases)
    EXPECT_EQ(TIBSecurityService::CarriesUserName(QString::fromUtf8(c.Name)), c.Carried) << c.Name;
}

TEST_F(IBServicesTest, PolishLettersTravelAsUtf8BothWays) {
  const QString name = QString::fromUtf8("ŁĄCKI") + User.mid(5);
  Security.SetUserName(name);
  Security.SetPassword(QString::fromUtf8("Zażółć1!@#"));
  Security.SetFirstName(QString::fromUtf8("Zdzisław"));
  Security.AddUser();
  const TUserInfo *added = Listed(name);
  ASSERT_NE(added, nullptr);
  EXPECT_EQ(added->FirstName, QString::fromUtf8("Zdzisław"));

  TIBSecurityService asThatUser;
  asThatUser.SetServerName(TestServer::Address());
  asThatUser.Params().SetValues(QStringLiteral("user_name"), name);
  asThatUser.Params().SetValues(QStringLiteral("password"), QString::fromUtf8("Zażółć1!@#"));
  EXPECT_NO_THROW(asThatUser.SetActive(true)) << "the server took the password as it was typed";

  Security.SetUserName(name);
  Security.DeleteUser();
  EXPECT_EQ(Listed(name), nullptr);
}

TEST_F(IBServicesTest, ANameTheServiceWouldCutIsNotSent) {
  // Sent, these would act on SYSDBA and on a user without the blank; SYSDBA's own password keeps the
  // server usable should the guard ever fail.
  const auto refusedBeforeSending = [](const std::function<void()> &action) {
    try {
      action();
      return false;
    } catch (const EIBError &) {
      return false;
    } catch (const EDatabaseError &) {
      return true;
    }
  };
  EXPECT_TRUE(refusedBeforeSending([this] {
    Security.SetUserName(QStringLiteral("SYSDBA ") + User);
    Security.SetPassword(TestServer::SysdbaPassword());
    Security.ModifyUser();
  }));
  EXPECT_TRUE(refusedBeforeSending([this] {
    Security.SetUserName(User + QStringLiteral(" X"));
    Security.DeleteUser();
  }));
  EXPECT_TRUE(refusedBeforeSending([this] { Security.DisplayUser(QStringLiteral("-ADMIN")); }));
  EXPECT_NE(Listed(QStringLiteral("SYSDBA")), nullptr);
}
