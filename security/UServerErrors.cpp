#include "UServerErrors.h"

#include "IBError.h"

namespace {

const EIBError *ServerError(const Exception &error) { return dynamic_cast<const EIBError *>(&error); }

} // namespace

bool IsRowLockConflict(const Exception &error) {
  const EIBError *server = ServerError(error);
  // A transaction that does not wait reports the held row as a lock conflict, a deadlock or an update
  // conflict, depending on the statement.
  return server && (server->HasCode(isc_lock_conflict) || server->HasCode(isc_deadlock) ||
                    server->HasCode(isc_update_conflict));
}

bool IsDuplicateKey(const Exception &error) {
  const EIBError *server = ServerError(error);
  return server && server->HasCode(isc_unique_key_violation);
}

bool IsServerUserTaken(const Exception &error) {
  const EIBError *server = ServerError(error);
  return server && (server->HasCode(isc_unique_key_violation) || server->HasCode(isc_no_dup));
}

bool IsServerUserMissing(const Exception &error) {
  const EIBError *server = ServerError(error);
  return server && server->HasCode(isc_usrname_not_found);
}

bool IsConnectionLost(const Exception &error) {
  const EIBError *server = ServerError(error);
  return server && server->ConnectionLost();
}
