#include "DatabaseRoleGrants.h"

#include "DB.h"
#include "IBQuery.h"

namespace {

// The server pads names to their column's length.
QString WithoutTrailingBlanks(const QString &text) {
  qsizetype end = text.size();
  while (end > 0 && text[end - 1] == u' ')
    --end;
  return text.left(end);
}

} // namespace

QString TDatabaseRoleGrants::SQL() {
  return QStringLiteral("select RDB$USER, RDB$RELATION_NAME from RDB$USER_PRIVILEGES "
                        "where RDB$USER_TYPE=8 and RDB$OBJECT_TYPE=13");
}

TDatabaseRoleGrants::TDatabaseRoleGrants(TIBQuery &query) {
  query.Close();
  query.Open();
  TField *user = query.FieldByName(QStringLiteral("RDB$USER"));
  TField *role = query.FieldByName(QStringLiteral("RDB$RELATION_NAME"));
  for (; !query.Eof(); query.Next())
    FRoles[WithoutTrailingBlanks(user->AsString())].append(WithoutTrailingBlanks(role->AsString()));
  query.Close();
}

QStringList TDatabaseRoleGrants::RolesOf(const QString &user) const {
  return FRoles.value(WithoutTrailingBlanks(user));
}
