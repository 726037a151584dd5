#pragma once

#include <QStringList>
#include <QVariant>

class TIBDatabase;
class TIBTransaction;

// Writes of many USERS rows, a few hundred to a round trip, each row written exactly as the users
// list's own insert or delete writes it, and the revokes that go with deleted rows. The names travel as input
// parameters of an EXECUTE BLOCK, so any name the column holds (quotes, blanks, Polish letters) goes as it
// is. The work is done in the given transaction, which the caller commits or rolls back.
namespace UsersBatch {

// Names per round trip.
constexpr int kNamesPerBlock = 256;

// For each name in order: a row with USER_NAME = the name, PSWD_VALID 1, GRUPA = Group (null when
// Group is null) and every other column null, then MODIFY_PASS_TIME for the name.
void InsertTakenOver(TIBDatabase *DB, TIBTransaction *Transaction, const QStringList &Names,
                     const QVariant &Group);
// Deletes the row of each name; the delete trigger takes the user's history and log with it.
void Delete(TIBDatabase *DB, TIBTransaction *Transaction, const QStringList &Names);
// For each name: revokes every grant of RDB$ADMIN that names a grantor, made to a name that equals
// it ignoring case and that is not a server user. Firebird keeps the grants of a dropped user, and
// a later user of that name would log in with them; a server user's grants stay.
void RevokeLeftoverAdminGrants(TIBDatabase *DB, TIBTransaction *Transaction, const QStringList &Names);

} // namespace UsersBatch
