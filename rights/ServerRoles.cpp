#include "ServerRoles.h"

#include "IBSQL.h"
#include "IBTransaction.h"
#include "ProgramGroups.h"
#include "UAdminRights.h"

namespace {

void Run(TIBSQL &statement, const QString &sql) {
  statement.Close();
  statement.SQL().SetText(sql);
  statement.ExecQuery();
  statement.Close();
}

// The statement, closed, on the transaction and its database, with the user's name given.
void PrepareForUser(TIBSQL &statement, TIBTransaction *transaction, const QString &sql, const QString &User) {
  statement.Close();
  statement.SetTransaction(transaction);
  statement.SetDatabase(transaction->DefaultDatabase());
  statement.SQL().SetText(sql);
  statement.ParamByName(QStringLiteral("username")).SetAsString(User);
}

QString WithoutTrailingBlanks(QString text) {
  while (text.endsWith(u' '))
    text.chop(1);
  return text;
}

} // namespace

QStringList UserRoles(TIBSQL &statement, TIBTransaction *transaction, const QString &User) {
  PrepareForUser(statement, transaction,
                 QStringLiteral("select RDB$RELATION_NAME from RDB$USER_PRIVILEGES where RDB$USER=:username "
                                "and rdb$user_type=8 and rdb$object_type=13"),
                 User);
  QStringList roles;
  for (statement.ExecQuery(); !statement.Eof(); statement.Next())
    roles.append(WithoutTrailingBlanks(statement.Fields(0).AsString()));
  statement.Close();
  return roles;
}

QStringList ExactRoleGrantors(TIBSQL &statement, TIBTransaction *transaction, const QString &User,
                              const QString &Role) {
  PrepareForUser(statement, transaction,
                 QStringLiteral("select RDB$GRANTOR from RDB$USER_PRIVILEGES where RDB$USER = :username and "
                                "RDB$RELATION_NAME = :rolename "
                                "and RDB$USER_TYPE = 8 and RDB$OBJECT_TYPE = 13 and RDB$GRANTOR is not null"),
                 User);
  statement.ParamByName(QStringLiteral("rolename")).SetAsString(Role);
  QStringList grantors;
  for (statement.ExecQuery(); !statement.Eof(); statement.Next()) {
    const QString grantor = statement.Fields(0).AsString().trimmed();
    if (!grantor.isEmpty() && !grantors.contains(grantor))
      grantors.append(grantor);
  }
  statement.Close();
  return grantors;
}

void SetServerRole(TIBSQL &statement, TIBTransaction *transaction, const QString &User,
                   const QString &ReadRole, const QString &WriteRole, quint8 Level) {
  if (!transaction->Active())
    return;
  const QString user = QuotedIdentifier(User);
  for (const QString &role : {ReadRole, WriteRole, AdministratorRole()})
    for (const QString &grantor : ExactRoleGrantors(statement, transaction, User, role))
      Run(statement, QStringLiteral("Revoke %1 from %2 granted by %3")
                         .arg(QuotedIdentifier(role), user, QuotedIdentifier(grantor)));
  const QString granted[] = {ReadRole, WriteRole, AdministratorRole()};
  if (Level < std::size(granted))
    Run(statement, QStringLiteral("Grant %1 to %2").arg(QuotedIdentifier(granted[Level]), user));
}
