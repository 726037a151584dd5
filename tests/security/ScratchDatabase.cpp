#include "ScratchDatabase.h"

#include "IBDatabase.h"
#include "IBSQL.h"
#include "IBServices.h"
#include "IBTransaction.h"
#include "TestServer.h"

#include <QFile>
#include <QUuid>
#include <cstdio>

namespace {

// Runs work on a SYSDBA connection of its own to the database, committing at the end.
template <class F>
void WithSysdba(const QString &databaseName, F &&work, const QString &charset = QStringLiteral("WIN1250")) {
  TIBDatabase database;
  database.SetDatabaseName(databaseName);
  database.Params().SetText(QStringLiteral("user_name=SYSDBA\npassword=%1\nlc_ctype=%2")
                                .arg(TestServer::SysdbaPassword(), charset));
  TIBTransaction transaction;
  database.SetDefaultTransaction(&transaction);
  transaction.SetDefaultDatabase(&database);
  database.Open();
  transaction.StartTransaction();
  TIBSQL query;
  query.SetDatabase(&database);
  query.SetTransaction(&transaction);
  work(query);
  transaction.Commit();
  database.Close();
}

// Works on the server's users through the services API, which needs no database.
template <class F> void WithUserService(F &&work) {
  TIBSecurityService service;
  service.SetServerName(TestServer::Address());
  service.Params().SetText(QStringLiteral("user_name=SYSDBA\npassword=%1").arg(TestServer::SysdbaPassword()));
  service.SetActive(true);
  work(service);
  service.SetActive(false);
}

} // namespace

ScratchDatabase::ScratchDatabase(const QString &stem) : FServer(TestServer::Address()) {
  FPath = TestServer::FreshDatabase(stem).mid(FServer.size() + 1);
}

ScratchDatabase::ScratchDatabase(const AtPath &at) : FServer(TestServer::Address()), FPath(at.Path) {
  QFile::remove(FPath);
}

void ScratchDatabase::Create(const QString &characterSet) {
  TIBDatabase database;
  database.SetDatabaseName(DatabaseName());
  database.Params().SetText(
      QStringLiteral(" USER 'SYSDBA' PASSWORD '%1' PAGE_SIZE 8192 DEFAULT CHARACTER SET %2")
          .arg(QString(TestServer::SysdbaPassword()).replace(u'\'', QStringLiteral("''")), characterSet));
  database.CreateDatabase();
  database.Close();
}

ScratchDatabase::~ScratchDatabase() {
  try {
    const bool exists = QFile::exists(FPath);
    if (exists)
      DropServerUsers(FServerUsers);
    else
      WithUserService([this](TIBSecurityService &service) {
        service.DisplayUsers();
        for (int i = 0; i < service.UserInfoCount(); ++i)
          if (FServerUsers.contains(service.UserInfo(i).UserName)) {
            service.SetUserName(service.UserInfo(i).UserName);
            service.DeleteUser();
          }
      });
    if (!exists)
      return;
    TIBDatabase database;
    database.SetDatabaseName(DatabaseName());
    database.Params().SetText(
        QStringLiteral("user_name=SYSDBA\npassword=%1").arg(TestServer::SysdbaPassword()));
    database.Open();
    database.DropDatabase();
  } catch (const std::exception &e) {
    std::fprintf(stderr, "clean-up of %s: %s\n", qPrintable(FPath), e.what());
  }
}

void ScratchDatabase::DropServerUsers(const QStringList &list) {
  // In SQL, so that names the user service cannot carry go too, and over UTF-8, which holds any
  // name. The drops take effect at the commit, where one that fails (a name no longer there, or
  // named twice) undoes the others: each name once, and only when it is there.
  QStringList names = list;
  names.removeDuplicates();
  const auto literal = [](const QString &text) {
    return u'\'' + QString(text).replace(u'\'', QStringLiteral("''")) + u'\'';
  };
  // A hundred drops keep a block well inside the 64 KB a statement may have.
  constexpr qsizetype kPerBlock = 100;
  for (qsizetype first = 0; first < names.size(); first += kPerBlock) {
    QString block = QStringLiteral("execute block as begin\n");
    for (const QString &name : names.mid(first, kPerBlock)) {
      const QString drop =
          QStringLiteral("drop user \"%1\"").arg(QString(name).replace(u'"', QStringLiteral("\"\"")));
      block +=
          QStringLiteral(
              "  if (exists(select 1 from sec$users where sec$user_name = %1)) then execute statement %2;\n")
              .arg(literal(name), literal(drop));
    }
    ExecuteUtf8(block + QStringLiteral("end"));
  }
}

void ScratchDatabase::ExecuteUtf8(const QString &statement) {
  WithSysdba(
      DatabaseName(),
      [&](TIBSQL &query) {
        query.SQL().SetText(statement);
        query.ExecQuery();
      },
      QStringLiteral("UTF8"));
}

void ScratchDatabase::Execute(const QStringList &statements) {
  WithSysdba(DatabaseName(), [&](TIBSQL &query) {
    for (const QString &statement : statements) {
      query.Close();
      query.SQL().SetText(statement);
      query.ExecQuery();
    }
  });
}

QVariant ScratchDatabase::QueryValue(const QString &sql) {
  QVariant value;
  WithSysdba(DatabaseName(), [&](TIBSQL &query) {
    query.SQL().SetText(sql);
    query.ExecQuery();
    if (!query.Eof())
      value = query.Fields(0).Value();
  });
  return value;
}

QStringList ScratchDatabase::QueryStrings(const QString &sql) {
  QStringList values;
  WithSysdba(DatabaseName(), [&](TIBSQL &query) {
    query.SQL().SetText(sql);
    for (query.ExecQuery(); !query.Eof(); query.Next())
      values.append(query.Fields(0).AsString());
  });
  return values;
}

QString ScratchDatabase::CreateServerUser(const QString &stem, const QString &password) {
  const QString name = stem + QUuid::createUuid().toString(QUuid::Id128).left(8).toUpper();
  WithUserService([&](TIBSecurityService &service) {
    service.SetUserName(name);
    service.SetPassword(password);
    service.AddUser();
  });
  FServerUsers.append(name);
  return name;
}
