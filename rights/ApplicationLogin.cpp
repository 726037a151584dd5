#include "ApplicationLogin.h"

#include "StringList.h"
#include "UAdminRights.h"

QString DatabaseConnectionPath(const QString &server, const QString &baza) {
  return server.isEmpty() ? baza : server + u':' + baza;
}

void SetApplicationLogin(TStringList &params, const TStringList &securityParams) {
  const QString user = securityParams.Values(QStringLiteral("user_name"));
  params.SetValues(QStringLiteral("user_name"), user);
  params.SetValues(QStringLiteral("password"), securityParams.Values(QStringLiteral("password")));
  params.SetValues(QStringLiteral("sql_role_name"),
                   IsSysdba(user) ? QString() : securityParams.Values(QStringLiteral("sql_role_name")));
  params.SetValues(QStringLiteral("lc_ctype"), QStringLiteral("WIN1250"));
}
