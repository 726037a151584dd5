#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

class TIBQuery;

// The roles each user holds in one database, read in one pass: the rows of RDB$USER_PRIVILEGES of
// user type 8 (a user) and object type 13 (a role), whose RDB$RELATION_NAME names the role.
class TDatabaseRoleGrants {
public:
  // The statement the query runs.
  static QString SQL();
  // Runs the query (its SQL set to SQL(), its database connected) and keeps every user's roles.
  explicit TDatabaseRoleGrants(TIBQuery &query);

  // The roles of the user of exactly this name (blanks at the end aside), in the order read.
  QStringList RolesOf(const QString &user) const;

private:
  QHash<QString, QStringList> FRoles;
};
