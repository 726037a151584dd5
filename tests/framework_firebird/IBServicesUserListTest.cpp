// The server's user list read through the service when it is many times longer than one answer
// of the service: the pieces join into exactly the users the server holds, with every text whole
// wherever a piece ended (inside a record, a length or a letter of two bytes).
#include "FirebirdFixture.h"
#include "IBServices.h"
#include "TestServer.h"

#include <QHash>
#include <QUuid>

namespace {

constexpr int kUsers = 10000;

// Texts of 0..19 and 0..16 letters, Polish letters among them, so that the records differ in length.
const QString kFirstNames = QString::fromUtf8("ŁucjaŻanetaZdzisław");
const QString kLastNames = QString::fromUtf8("ŹdźbłoWróblewska");

struct TExpected {
  QString FirstName, LastName;
};

class ServiceUserListTest : public FirebirdTest {
protected:
  void SetUp() override {
    FirebirdTest::SetUp();
    if (IsSkipped())
      return;
    Service.SetServerName(TestServer::Address());
    Service.Params().SetText(
        QStringLiteral("user_name=SYSDBA\npassword=%1").arg(TestServer::SysdbaPassword()));
    Service.SetActive(true);
    // Names of 17 to 30 bytes: the prefix, five digits and 0..13 letters X. Whatever a failure
    // half-way made goes again.
    Created = true;
    Execute(QStringLiteral("execute block as declare i integer = 0; begin while (i < %1) do begin "
                           "execute statement 'create user %2' || lpad(i, 5, '0') || "
                           "substring('XXXXXXXXXXXXX' from 1 for mod(i, 14)) || ' password ''x1'' "
                           "firstname ''' || substring('%3' from 1 for mod(i, 20)) || ''' "
                           "lastname ''' || substring('%4' from 1 for mod(i * 7, 17)) || ''''; "
                           "i = i + 1; end end")
                .arg(kUsers)
                .arg(Prefix, kFirstNames, kLastNames));
  }
  void TearDown() override {
    if (Created)
      Execute(QStringLiteral("execute block as declare n varchar(31); begin for select sec$user_name from "
                             "sec$users where sec$user_name starting with '%1' into n do "
                             "execute statement 'drop user ' || n; end")
                  .arg(Prefix));
    FirebirdTest::TearDown();
  }

  QHash<QString, TExpected> Expected() const {
    QHash<QString, TExpected> users;
    for (int i = 0; i < kUsers; ++i)
      users.insert(Prefix + QString::number(i).rightJustified(5, u'0') + QString(i % 14, u'X'),
                   {kFirstNames.left(i % 20), kLastNames.left(i * 7 % 17)});
    return users;
  }

  const QString Prefix = QStringLiteral("MXL") + QUuid::createUuid().toString(QUuid::Id128).left(9).toUpper();
  TIBSecurityService Service;
  bool Created = false;
};

} // namespace

TEST_F(ServiceUserListTest, TenThousandUsersComeOverWhole) {
  Service.DisplayUsers();
  QHash<QString, TExpected> expected = Expected();
  int ours = 0;
  bool sysdba = false;
  for (int i = 0; i < Service.UserInfoCount(); ++i) {
    const TUserInfo &user = Service.UserInfo(i);
    sysdba = sysdba || user.UserName == QLatin1String("SYSDBA");
    if (!user.UserName.startsWith(Prefix))
      continue;
    ++ours;
    const auto found = expected.constFind(user.UserName);
    ASSERT_NE(found, expected.constEnd()) << "listed but not made: " << user.UserName.toStdString();
    EXPECT_EQ(user.FirstName, found->FirstName) << user.UserName.toStdString();
    EXPECT_EQ(user.LastName, found->LastName) << user.UserName.toStdString();
    EXPECT_TRUE(user.MiddleName.isEmpty()) << user.UserName.toStdString();
    expected.erase(found);
  }
  EXPECT_EQ(ours, kUsers);
  EXPECT_TRUE(expected.isEmpty()) << expected.size() << " users missing, e.g. "
                                  << (expected.isEmpty() ? std::string()
                                                         : expected.begin().key().toStdString());
  EXPECT_TRUE(sysdba);
  // Nothing of the list was left unread: the service takes the next request.
  Service.DisplayUser(Prefix + QStringLiteral("00013XXXXXXXXXXXXX"));
  ASSERT_EQ(Service.UserInfoCount(), 1);
  EXPECT_EQ(Service.UserInfo(0).FirstName, kFirstNames.left(13));
}
