#pragma once

#include <QString>

class TIBDatabase;
class TIBTransaction;

// Judges admin rights on any open connection: the security database's and each application
// database's. Each routine reads through its own transaction and statement.

// The caller may administer DB; otherwise tells the user why ("Brak uprawnień") and returns false.
bool CheckAdminAccess(TIBDatabase *DB, bool CheckRole);
// UserName is SYSDBA or holds RDB$ADMIN in DB.
bool HasAdminRole(TIBDatabase *DB, const QString &UserName);
// The login of DB has admin rights there: SYSDBA, or a login with the role RDB$ADMIN granted.
bool IsConnectedAsAdmin(TIBDatabase *DB);
bool AdminRoleExists(TIBDatabase *DB);
// Who granted RoleName to UserName (the first grant found), or "".
void GetRoleGrantor(TIBDatabase *DB, const QString &UserName, const QString &RoleName, QString &Grantor);
// Every grantor of RoleName to UserName, the names compared ignoring case.
QStringList GetRoleGrantors(TIBDatabase *DB, const QString &UserName, const QString &RoleName);
// Every grantor of RoleName to the user of exactly this name ("" for a grant without a named
// grantor): the grants that this user, and no other, holds.
QStringList GetExactRoleGrantors(TIBDatabase *DB, const QString &UserName, const QString &RoleName);
// Revokes every grant of RoleName to exactly UserName, whoever made it, in the given transaction; a
// grant whose grantor the server does not name cannot be revoked by name and is left alone.
void RevokeRoleGrants(TIBDatabase *DB, TIBTransaction *Transaction, const QString &UserName,
                      const QString &RoleName);

bool IsSysdba(const QString &userName);
// An SQL identifier in double quotes, embedded quotes doubled.
QString QuotedIdentifier(const QString &name);
