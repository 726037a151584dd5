#include "UAdminRights.h"

#include "Dialogs.h"
#include "IBDatabase.h"
#include "IBSQL.h"
#include "IBTransaction.h"

#include <functional>

namespace {

// Runs one read-only select on DB with the given parameters and hands each row to the visitor
// until it returns false.
void SelectRows(TIBDatabase *DB, const QString &sql, const std::vector<std::pair<QString, QString>> &params,
                const std::function<bool(TIBSQL &)> &visitRow) {
  TIBTransaction transaction;
  transaction.SetDefaultDatabase(DB);
  transaction.StartTransaction();
  TIBSQL query;
  query.SetDatabase(DB);
  query.SetTransaction(&transaction);
  query.SQL().SetText(sql);
  for (const auto &[name, value] : params)
    query.ParamByName(name).SetAsString(value);
  query.ExecQuery();
  while (!query.Eof() && visitRow(query))
    query.Next();
  query.Close();
  transaction.Commit();
}

bool AnyRow(TIBDatabase *DB, const QString &sql,
            const std::vector<std::pair<QString, QString>> &params = {}) {
  bool found = false;
  SelectRows(DB, sql, params, [&](TIBSQL &) {
    found = true;
    return false;
  });
  return found;
}

// Names are compared in UTF-8, the character set of the system tables: compared in the connection's
// Windows-1250, a name that Windows-1250 cannot hold anywhere in the table (a user made through a
// UTF-8 connection, say) would fail the whole statement. Compared exactly, a name is the server's
// own spelling: "jan" and "JAN" are two users.
QString RoleGrantsSql(bool exactName) {
  const QString user = QStringLiteral("cast(:username as varchar(63) character set UTF8)");
  return QStringLiteral(
             "select * from rdb$user_privileges where %1 and "
             "UPPER(rdb$relation_name)=UPPER(cast(:RoleName as varchar(63) character set UTF8)) and "
             "rdb$user_type=8 and "
             "rdb$object_type=13")
      .arg(exactName ? QStringLiteral("rdb$user=") + user
                     : QStringLiteral("UPPER(rdb$user)=UPPER(%1)").arg(user));
}

QStringList Grantors(TIBDatabase *DB, const QString &UserName, const QString &RoleName, bool exactName) {
  QStringList grantors;
  SelectRows(DB, RoleGrantsSql(exactName),
             {{QStringLiteral("username"), UserName}, {QStringLiteral("RoleName"), RoleName}},
             [&](TIBSQL &row) {
               grantors.append(row.FieldByName(QStringLiteral("rdb$grantor")).AsString().trimmed());
               return true;
             });
  return grantors;
}

} // namespace

bool IsSysdba(const QString &userName) {
  return QString::compare(userName, QStringLiteral("SYSDBA"), Qt::CaseInsensitive) == 0;
}

QString QuotedIdentifier(const QString &name) {
  QString doubled = name;
  doubled.replace(u'"', QStringLiteral("\"\""));
  return u'"' + doubled + u'"';
}

bool HasAdminRole(TIBDatabase *DB, const QString &UserName) {
  if (IsSysdba(UserName))
    return true;
  return AnyRow(
      DB,
      QStringLiteral("select * from rdb$user_privileges where UPPER(rdb$user)=UPPER(cast(:username as "
                     "varchar(63) character set UTF8)) and UPPER(rdb$relation_name)=_UTF8'RDB$ADMIN' and "
                     "rdb$user_type=8 and rdb$object_type=13"),
      {{QStringLiteral("username"), UserName}});
}

bool IsConnectedAsAdmin(TIBDatabase *DB) {
  const QString user = DB->Params().Values(QStringLiteral("user_name"));
  if (IsSysdba(user))
    return true;
  if (QString::compare(DB->Params().Values(QStringLiteral("sql_role_name")), QStringLiteral("RDB$ADMIN"),
                       Qt::CaseInsensitive) == 0)
    return HasAdminRole(DB, user);
  return false;
}

bool AdminRoleExists(TIBDatabase *DB) {
  return AnyRow(DB, QStringLiteral("select 0 from rdb$roles where UPPER(rdb$role_name)=_UTF8'RDB$ADMIN'"));
}

QStringList GetRoleGrantors(TIBDatabase *DB, const QString &UserName, const QString &RoleName) {
  return Grantors(DB, UserName, RoleName, false);
}

QStringList GetExactRoleGrantors(TIBDatabase *DB, const QString &UserName, const QString &RoleName) {
  return Grantors(DB, UserName, RoleName, true);
}

void RevokeRoleGrants(TIBDatabase *DB, TIBTransaction *Transaction, const QString &UserName,
                      const QString &RoleName) {
  TIBSQL statement;
  statement.SetDatabase(DB);
  statement.SetTransaction(Transaction);
  for (const QString &grantor : GetExactRoleGrantors(DB, UserName, RoleName)) {
    if (grantor.isEmpty())
      continue;
    statement.Close();
    statement.SQL().SetText(
        QStringLiteral("revoke %1 from %2 granted by %3")
            .arg(QuotedIdentifier(RoleName), QuotedIdentifier(UserName), QuotedIdentifier(grantor)));
    statement.ExecQuery();
  }
}

void GetRoleGrantor(TIBDatabase *DB, const QString &UserName, const QString &RoleName, QString &Grantor) {
  const QStringList grantors = GetRoleGrantors(DB, UserName, RoleName);
  Grantor = grantors.isEmpty() ? QString() : grantors.first();
}

bool CheckAdminAccess(TIBDatabase *DB, bool CheckRole) {
  if (!IsConnectedAsAdmin(DB)) {
    MessageBox(QString::fromUtf8("Nie posiadasz praw administratora do bazy") + u'\n' + DB->DatabaseName(),
               QString::fromUtf8("Brak uprawnień"), MB_OK | MB_ICONWARNING);
    return false;
  }
  if (CheckRole && !AdminRoleExists(DB)) {
    MessageBox(
        QStringLiteral("Do wskazanej bazy") + u'\n' + DB->DatabaseName() + u'\n' +
            QString::fromUtf8("nie można przypisać roli RDB$ADMIN. Baza mogła zostać utworzona starszą "
                              "wersją Firebird`a"),
        QString::fromUtf8("Brak uprawnień"), MB_OK | MB_ICONWARNING);
    return false;
  }
  return true;
}
