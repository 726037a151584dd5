// Synchronisation with a server that holds thousands of users: the service's list is longer than
// one answer of the service, and every user must come over.
#include "Actions.h"
#include "DB.h"
#include "IBDatabase.h"
#include "IBQuery.h"
#include "IBServices.h"
#include "MainFormFixture.h"
#include "TestServer.h"
#include "UDMSecurity.h"

#include <QElapsedTimer>
#include <QSet>

namespace {

constexpr int kUsers = 3000;

class ManyServerUsersTest : public MainFormTest {
protected:
  void SetUp() override {
    MainFormTest::SetUp();
    if (IsSkipped())
      return;
    CreateSecurityDatabase();
    Prefix = QStringLiteral("MANY") + UniqueToken() + u'_';
    for (int i = 0; i < kUsers; ++i)
      Names.append(Prefix + QString::number(i).rightJustified(5, u'0'));
    for (const QString &name : Names)
      Db->ForgetServerUser(name);
    // Made in SQL, as an administrator would make them in isql.
    Db->Execute(QStringLiteral("execute block as declare i integer = 0; begin while (i < %1) do begin "
                               "execute statement 'create user %2' || lpad(i, 5, '0') || ' password ''x1'''; "
                               "i = i + 1; end end")
                    .arg(kUsers)
                    .arg(Prefix));
  }

  // Every row of USERS as one line, in name order.
  QStringList Rows() {
    QStringList rows;
    const QString sql = QStringLiteral("select list(USER_NAME || '|' || coalesce(PSWD_VALID, '') || '|' || "
                                       "coalesce(PSWD_DATE, '') || '|' || coalesce(GRUPA, ''), '\n') "
                                       "from (select * from USERS order by USER_NAME)");
    return Db->QueryValue(sql).toString().split(u'\n');
  }

  QStringList ListedWithPrefix() {
    QStringList listed;
    for (const QString &name : ListedUsers())
      if (name.startsWith(Prefix))
        listed.append(name);
    return listed;
  }

  QString Prefix;
  QStringList Names;
};

TEST_F(ManyServerUsersTest, EveryServerUserIsTakenOverAndOnlyAMissingOneRemoved) {
  QElapsedTimer timer;
  timer.start();
  ConnectAsSysdba();
  RecordProperty("connect_and_synchronise_ms", int(timer.elapsed()));
  ASSERT_TRUE(Form->DM()->Database->Connected());
  QStringList listed = ListedWithPrefix();
  ASSERT_EQ(listed.size(), kUsers);
  EXPECT_EQ(QSet<QString>(listed.begin(), listed.end()), QSet<QString>(Names.begin(), Names.end()));
  EXPECT_EQ(Db->QueryValue(QStringLiteral("select count(*) from USERS where USER_NAME starting with '%1' and "
                                          "PSWD_VALID = 1 and PSWD_DATE is not null")
                               .arg(Prefix))
                .toInt(),
            kUsers);

  const QStringList before = Rows();
  Form->SynchroA->Execute();
  EXPECT_EQ(Rows(), before) << "a second synchronisation changes nothing";

  const QString dropped = Names[kUsers / 2];
  Db->Execute(QStringLiteral("drop user %1").arg(dropped));
  Form->SynchroA->Execute();
  QStringList expected = before;
  expected.removeIf([&](const QString &row) { return row.startsWith(dropped + u'|'); });
  ASSERT_EQ(expected.size(), before.size() - 1);
  EXPECT_EQ(Rows(), expected) << "only the dropped user's row goes";
  EXPECT_EQ(ListedWithPrefix().size(), kUsers - 1);
}

TEST_F(ManyServerUsersTest, TheWholeListIsReadAndTheServiceStaysUsable) {
  TIBSecurityService service;
  service.SetServerName(Db->Server());
  service.Params().SetText(QStringLiteral("user_name=SYSDBA\npassword=%1").arg(TestServer::SysdbaPassword()));
  service.SetActive(true);
  service.DisplayUsers();
  QSet<QString> onServer;
  for (int i = 0; i < service.UserInfoCount(); ++i)
    onServer.insert(service.UserInfo(i).UserName);
  EXPECT_TRUE(onServer.contains(QSet<QString>(Names.begin(), Names.end())));
  EXPECT_TRUE(onServer.contains(QStringLiteral("SYSDBA")));
  // The next request is taken: nothing of the list was left unread.
  service.DisplayUser(Names.last());
  ASSERT_EQ(service.UserInfoCount(), 1);
  EXPECT_EQ(service.UserInfo(0).UserName, Names.last());
}

} // namespace
