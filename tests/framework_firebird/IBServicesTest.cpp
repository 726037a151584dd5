#include "IBError.h"
#include "IBServices.h"
#include "TestServer.h"

#include <QUuid>
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
