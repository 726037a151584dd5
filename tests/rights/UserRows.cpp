#include "UserRows.h"

#include "ApplicationDatabase.h"

namespace {

QString Literal(const QString &text) {
  return u'\'' + QString(text).replace(u'\'', QStringLiteral("''")) + u'\'';
}

} // namespace

QString RowOf(ApplicationDatabase &database, const QString &user, const QStringList &columns) {
  if (columns.isEmpty())
    return QString();
  const ApplicationUserTable table = UserTableOf(database.Group());
  QStringList parts;
  for (const QString &column : columns)
    parts << QStringLiteral("'%1=' || coalesce(cast(%1 as varchar(200)), 'null')").arg(column);
  return database
      .QueryValue(
          QStringLiteral("select %1 from %2 where %3 = %4")
              .arg(parts.join(QStringLiteral(" || ';' || ")), table.Table, table.KeyColumn, Literal(user)))
      .toString();
}

int RowsOf(ApplicationDatabase &database, const QString &user) {
  const ApplicationUserTable table = UserTableOf(database.Group());
  return database
      .QueryValue(QStringLiteral("select count(*) from %1 where %2 = %3")
                      .arg(table.Table, table.KeyColumn, Literal(user)))
      .toInt();
}
