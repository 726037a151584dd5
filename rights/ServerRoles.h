#pragma once

#include <QString>
#include <QStringList>

class TIBSQL;
class TIBTransaction;

// The grantors of every grant of Role to User in the database of the transaction, read in that
// transaction. Grantee and role are matched exactly as the server matches them in a revoke (a
// grant to "jan" is no grant to "JAN"); a grant without a grantor is left out.
QStringList ExactRoleGrantors(TIBSQL &statement, TIBTransaction *transaction, const QString &User,
                              const QString &Role);

// The roles granted to User in the database of the transaction, read in that transaction, in the
// order the server lists them, trailing blanks removed.
QStringList UserRoles(TIBSQL &statement, TIBTransaction *transaction, const QString &User);

// Gives User exactly the role of Level in the database of the transaction: every grant of the read
// role, the write role and RDB$ADMIN is revoked, once per grantor, then level 0 grants the read
// role, 1 the write role, 2 RDB$ADMIN; any other level leaves the user without any of the three.
// Names are quoted identifiers. Nothing is committed: the caller commits the user's roles with
// the user's row, or rolls both back. An inactive transaction (a sister file that could not be
// opened) is left alone.
void SetServerRole(TIBSQL &statement, TIBTransaction *transaction, const QString &User,
                   const QString &ReadRole, const QString &WriteRole, quint8 Level);
