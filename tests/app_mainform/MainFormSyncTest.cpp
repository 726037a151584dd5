// Synchronisation of USERS with the server's users: thousands of users (the service's list is
// longer than one answer of the service, and every user must come over), rows written many to a
// round trip exactly as one at a time, and what a removed user leaves behind.
#include "Actions.h"
#include "DB.h"
#include "IBDatabase.h"
#include "IBError.h"
#include "IBQuery.h"
#include "IBSQL.h"
#include "IBServices.h"
#include "IBStoredProc.h"
#include "IBTransaction.h"
#include "MainFormFixture.h"
#include "MxToolEdit.h"
#include "TestServer.h"
#include "UDMSecurity.h"
#include "UUsersBatch.h"
#include "Win1250.h"

#include <QDateTime>
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

QString Literal(const QString &text) {
  return u'\'' + QString(text).replace(u'\'', QStringLiteral("''")) + u'\'';
}
QString Identifier(const QString &text) {
  return u'"' + QString(text).replace(u'"', QStringLiteral("\"\"")) + u'"';
}

// A block that runs the statement for the names Prefix + 00000, 00001, ... (Count of them), each
// in place of "%1".
QString ForEachNumberedName(const QString &statement, const QString &prefix, int count) {
  const QString name = QStringLiteral("' || '%1' || lpad(i, 5, '0') || '").arg(prefix);
  return QStringLiteral("execute block as declare i integer = 0; begin while (i < %1) do begin "
                        "execute statement '%2'; i = i + 1; end end")
      .arg(count)
      .arg(QString(statement).replace(u'\'', QStringLiteral("''")).arg(name));
}

// Grants of RDB$ADMIN to the name, whoever made them.
int AdminGrants(ScratchDatabase &db, const QString &user) {
  return db
      .QueryValue(QStringLiteral("select count(*) from RDB$USER_PRIVILEGES where RDB$USER = %1 and "
                                 "RDB$RELATION_NAME = 'RDB$ADMIN' and RDB$USER_TYPE = 8")
                      .arg(Literal(user)))
      .toInt();
}

int CountOf(ScratchDatabase &db, const QString &table, const QString &prefix) {
  return db
      .QueryValue(QStringLiteral("select count(*) from %1 where USER_NAME starting with %2")
                      .arg(table, Literal(prefix)))
      .toInt();
}

TEST_F(MainFormTest, ConnectRevokesEveryAdminGrantOfAUserDroppedInSql) {
  CreateSecurityDatabase();
  const QString holder = Db->CreateServerUser("ADMDROP", "secret1");
  const QString other = Db->CreateServerUser("ADMKEEP", "secret1");
  // Granted by two administrators; the other holder stays on the server and keeps the role.
  Db->Execute({QStringLiteral("grant RDB$ADMIN to %1").arg(holder),
               QStringLiteral("grant RDB$ADMIN to %1 with admin option").arg(other),
               QStringLiteral("grant RDB$ADMIN to %1 granted by %2").arg(holder, other)});
  ConnectAsSysdba();
  ASSERT_TRUE(ListedUsers().contains(holder));
  ASSERT_EQ(AdminGrants(*Db, holder), 2);
  Form->DM()->Database->Close();

  Db->Execute(QStringLiteral("drop user %1").arg(holder));
  ConnectAsSysdba();
  EXPECT_FALSE(ListedUsers().contains(holder));
  EXPECT_EQ(AdminGrants(*Db, holder), 0) << "the dropped user's grants outlive it";
  EXPECT_EQ(AdminGrants(*Db, other), 1) << "a holder still on the server keeps the role";
  EXPECT_TRUE(ListedUsers().contains(other));
}

// Rows of users dropped outside the program, each with its history and log, one of them holding
// RDB$ADMIN: more of them than one round trip carries.
class DroppedUsersTest : public MainFormTest {
protected:
  static constexpr int kRows = UsersBatch::kNamesPerBlock * 2 + 88;

  void SetUp() override {
    MainFormTest::SetUp();
    if (IsSkipped())
      return;
    CreateSecurityDatabase();
    Prefix = QStringLiteral("GONE") + UniqueToken() + u'_';
    for (const char *insert :
         {"insert into USERS (USER_NAME, PSWD_VALID) values ('%1', 0)",
          "insert into PASSWORDS (USER_NAME, PSWD, PSWD_DATE) values ('%1', 'old', current_timestamp)",
          "insert into LOGS (USER_NAME, LOG_DATE, LOG) values ('%1', current_timestamp, 'x')"})
      Db->Execute(ForEachNumberedName(QString::fromLatin1(insert), Prefix, kRows));
    Holder = Prefix + QStringLiteral("00007");
    Db->Execute(QStringLiteral("grant RDB$ADMIN to %1").arg(Holder));
  }

  void ExpectEveryRowKept() {
    EXPECT_EQ(CountOf(*Db, QStringLiteral("USERS"), Prefix), kRows);
    EXPECT_EQ(CountOf(*Db, QStringLiteral("PASSWORDS"), Prefix), kRows);
    EXPECT_EQ(CountOf(*Db, QStringLiteral("LOGS"), Prefix), kRows);
    EXPECT_EQ(AdminGrants(*Db, Holder), 1);
  }

  int ListedWithPrefix() {
    int listed = 0;
    for (const QString &name : ListedUsers())
      listed += name.startsWith(Prefix) ? 1 : 0;
    return listed;
  }

  QString Prefix, Holder;
};

TEST_F(DroppedUsersTest, OneConnectRemovesEveryRowWithItsHistoryAndGrant) {
  ConnectAsSysdba();
  EXPECT_EQ(CountOf(*Db, QStringLiteral("USERS"), Prefix), 0);
  EXPECT_EQ(CountOf(*Db, QStringLiteral("PASSWORDS"), Prefix), 0);
  EXPECT_EQ(CountOf(*Db, QStringLiteral("LOGS"), Prefix), 0);
  EXPECT_EQ(AdminGrants(*Db, Holder), 0);
  EXPECT_EQ(ListedWithPrefix(), 0);
}

TEST_F(DroppedUsersTest, AFailureHalfWayLeavesEveryRow) {
  // A row of the second round trip cannot be deleted: everything before it comes back.
  const QString refused = Prefix + QString::number(UsersBatch::kNamesPerBlock + 40).rightJustified(5, u'0');
  Db->Execute({QStringLiteral("create exception E_KEEP 'kept'"),
               QStringLiteral("create trigger USERS_KEEP for USERS before delete as begin "
                              "if (old.USER_NAME = %1) then exception E_KEEP; end")
                   .arg(Literal(refused))});
  EXPECT_THROW(ConnectAsSysdba(), EIBError);
  ExpectEveryRowKept();
  EXPECT_EQ(ListedWithPrefix(), kRows) << "the list shows the rows the database kept";

  Db->Execute(QStringLiteral("drop trigger USERS_KEEP"));
  Form->SynchroA->Execute();
  EXPECT_EQ(CountOf(*Db, QStringLiteral("USERS"), Prefix), 0);
  EXPECT_EQ(AdminGrants(*Db, Holder), 0);
  EXPECT_EQ(ListedWithPrefix(), 0);
}

// Every row of every table of a security database, one line each, sorted. A time stamp must lie
// between From and To (the server's clock around the road that wrote it) and is written as "<time>".
QStringList TableRows(const QString &databaseName, const QDateTime &from, const QDateTime &to) {
  TIBDatabase database;
  database.SetDatabaseName(databaseName);
  database.Params().SetText(
      QStringLiteral("user_name=SYSDBA\npassword=%1\nlc_ctype=WIN1250").arg(TestServer::SysdbaPassword()));
  database.Open();
  TIBTransaction transaction;
  transaction.SetDefaultDatabase(&database);
  TIBSQL sql;
  sql.SetDatabase(&database);
  sql.SetTransaction(&transaction);
  sql.SQL().SetText(QStringLiteral("select trim(RDB$RELATION_NAME) from RDB$RELATIONS "
                                   "where coalesce(RDB$SYSTEM_FLAG, 0) = 0 and RDB$VIEW_BLR is null"));
  QStringList tables;
  for (sql.ExecQuery(); !sql.Eof(); sql.Next())
    tables.append(sql.Fields(0).AsString());
  sql.Close();
  EXPECT_TRUE(tables.contains(QStringLiteral("USERS")));
  QStringList rows;
  for (const QString &table : tables) {
    sql.SQL().SetText(QStringLiteral("select * from ") + Identifier(table));
    for (sql.ExecQuery(); !sql.Eof(); sql.Next()) {
      QStringList values{table};
      for (int i = 0; i < sql.Fields().Count(); ++i) {
        TIBXSQLVAR &value = sql.Fields(i);
        if (value.IsNull()) {
          values.append(QStringLiteral("<null>"));
        } else if (value.SQLType() == SQL_TIMESTAMP) {
          const QDateTime stamp = value.Value().toDateTime();
          EXPECT_TRUE(stamp >= from && stamp <= to)
              << table.toStdString() << ' ' << stamp.toString().toStdString();
          values.append(QStringLiteral("<time>"));
        } else {
          values.append(QString::fromLatin1(value.AsBytes().toHex()));
        }
      }
      rows.append(values.join(u'|'));
    }
    sql.Close();
  }
  transaction.Commit();
  rows.sort();
  return rows;
}

QDateTime ServerTime(ScratchDatabase &db) {
  return db.QueryValue(QStringLiteral("select current_timestamp from RDB$DATABASE")).toDateTime();
}

// The users list's own road of taking over server users, one row at a time: for each server user
// that the list does not hold, insert, post, MODIFY_PASS_TIME.
void TakeOverRowByRow(TDMSecurity &dm, const QVariant &group) {
  TIBSecurityService service;
  service.SetServerName(TestServer::Address());
  service.Params().SetText(QStringLiteral("user_name=SYSDBA\npassword=%1").arg(TestServer::SysdbaPassword()));
  service.SetActive(true);
  service.DisplayUsers();
  for (int i = 0; i < service.UserInfoCount(); ++i) {
    const QString name = service.UserInfo(i).UserName;
    if (!Win1250::CanEncode(name) ||
        dm.users->Locate(QStringLiteral("USER_NAME"), name, TLocateOptions{loCaseInsensitive}))
      continue;
    dm.users->Insert();
    dm.users->FieldByName(QStringLiteral("USER_NAME"))->SetAsString(name);
    dm.users->FieldByName(QStringLiteral("PSWD_VALID"))->SetAsInteger(1);
    if (!group.isNull())
      dm.users->FieldByName(QStringLiteral("GRUPA"))->SetAsString(group.toString());
    dm.users->Post();
    dm.procMODIFY_PASS_TIME->ParamByName(QStringLiteral("USERNAME"))
        ->SetAsString(dm.users->FieldByName(QStringLiteral("USER_NAME"))->AsString());
    dm.procMODIFY_PASS_TIME->ExecProc();
  }
  dm.Transaction->CommitRetaining();
}

struct TGroupCase {
  const char *Label;
  const char *VisibleGroup;
  QVariant Preset;
};

void PrintTo(const TGroupCase &c, std::ostream *os) { *os << c.Label; }

class BatchTakeOverTest : public MainFormTest, public testing::WithParamInterface<TGroupCase> {};

TEST_P(BatchTakeOverTest, WritesWhatTheRowByRowRoadWrites) {
  const QString token = UniqueToken();
  const QString plain = QStringLiteral("BATCH") + token + u'_';
  // More names than one round trip carries, and names that only parameters carry whole.
  const QStringList special = {QStringLiteral("O'BRIEN") + token,    QStringLiteral("QUO\"TED") + token,
                               QStringLiteral("WITH SPACE") + token, QString::fromUtf8("ŻANETA Łódź") + token,
                               QStringLiteral("lower") + token,      QStringLiteral("Twice") + token,
                               QStringLiteral("TWICE") + token};
  const QString cyrillic = QString::fromUtf8("ЖУК") + token;
  constexpr int kPlain = UsersBatch::kNamesPerBlock + 30;
  for (int i = 0; i < kPlain; ++i)
    Db->ForgetServerUser(plain + QString::number(i).rightJustified(5, u'0'));
  for (const QString &name : special + QStringList{cyrillic})
    Db->ForgetServerUser(name);
  CreateSecurityDatabase();
  Db->Execute(ForEachNumberedName(QStringLiteral("create user %1 password 'x1'"), plain, kPlain));
  for (const QString &name : special)
    Db->Execute(QStringLiteral("create user %1 password 'x1'").arg(Identifier(name)));
  Db->ExecuteUtf8(QStringLiteral("create user %1 password 'x1'").arg(Identifier(cyrillic)));

  // Many to a round trip, through "Połącz".
  Form->edGrupa->SetText(QString::fromUtf8(GetParam().VisibleGroup));
  const QDateTime batchFrom = ServerTime(*Db);
  ConnectAsSysdba();
  const QDateTime batchTo = ServerTime(*Db);

  // One at a time, into a database of its own.
  ScratchDatabase reference(QStringLiteral("rowbyrow"));
  QDateTime referenceFrom, referenceTo;
  {
    TDMSecurity dm;
    dm.SecurityAlias = reference.Path();
    dm.CreateSecurityDatabase(reference.Server(), TestServer::SysdbaPassword());
    dm.Database->Close();
    ASSERT_TRUE(dm.Connect(reference.Server(), QStringLiteral("SYSDBA"), TestServer::SysdbaPassword()));
    referenceFrom = ServerTime(reference);
    TakeOverRowByRow(dm, GetParam().Preset);
    referenceTo = ServerTime(reference);
    dm.Database->Close();
  }

  EXPECT_EQ(TableRows(Db->DatabaseName(), batchFrom, batchTo),
            TableRows(reference.DatabaseName(), referenceFrom, referenceTo));
  const QStringList listed = ListedUsers();
  for (const QString &name : special)
    EXPECT_EQ(listed.count(TDMSecurity::StoredUserName(name)), 1) << name.toStdString();
  EXPECT_FALSE(listed.contains(cyrillic));
  EXPECT_EQ(CountOf(*Db, QStringLiteral("USERS"), plain), kPlain);
  const QString group =
      GetParam().Preset.isNull() ? QStringLiteral("null") : Literal(GetParam().Preset.toString());
  EXPECT_EQ(Db->QueryValue(
                  QStringLiteral("select count(*) from USERS where PSWD_VALID = 1 and PSWD_DATE is not null "
                                 "and GRUPA is not distinct from %1")
                      .arg(group))
                .toInt(),
            listed.size());
}

INSTANTIATE_TEST_SUITE_P(Groups, BatchTakeOverTest,
                         testing::Values(TGroupCase{"AllGroups", "Wszystkie", QVariant()},
                                         TGroupCase{"PolishGroup", "Płace", QString::fromUtf8("Płace")}),
                         [](const testing::TestParamInfo<TGroupCase> &info) {
                           return std::string(info.param.Label);
                         });

} // namespace
