#pragma once

#include "Exceptions.h"

#include <algorithm>
#include <functional>
#include <ibase.h>
#include <vector>

// An error reported by the Firebird server or client library: the server's message text as it came,
// with its SQL code and the GDS code that heads the status vector.
class EIBError : public EDatabaseError {
public:
  EIBError(const QString &message, long sqlCode, long ibErrorCode)
      : EDatabaseError(message), FSQLCode(sqlCode), FIBErrorCode(ibErrorCode) {}

  long SQLCode() const { return FSQLCode; }
  long IBErrorCode() const { return FIBErrorCode; }
  // The connection to the server is gone (network failure, shutdown, killed attachment).
  bool ConnectionLost() const { return FConnectionLost; }
  void SetConnectionLost(bool value) { FConnectionLost = value; }
  // Every GDS code of the status vector, the heading one first: a caller can tell "the file could
  // not be opened" (isc_io_open_err under isc_io_error) from other failures of an attach.
  const std::vector<long> &Codes() const { return FCodes; }
  void SetCodes(std::vector<long> value) { FCodes = std::move(value); }
  bool HasCode(long code) const { return std::find(FCodes.begin(), FCodes.end(), code) != FCodes.end(); }

private:
  long FSQLCode;
  long FIBErrorCode;
  bool FConnectionLost = false;
  std::vector<long> FCodes;
};

// One status vector for one client call.
struct TIBStatus {
  ISC_STATUS_ARRAY Vector = {};

  ISC_STATUS *operator&() { return Vector; }
  bool Failed() const { return Vector[0] == 1 && Vector[1] != 0; }
  // The error the vector holds; call only when Failed().
  EIBError Error() const;
  // Raises the held error, if any.
  void Check() const;
};

// Every holder of a connection (database, service) treats a lost connection as closed.
// Raises the status's error, if any. When it says the connection is lost, forget() first lets go of
// the connection's handles without raising, and the message names the connection ("database X").
void CheckConnection(const TIBStatus &status, const QString &connection, const std::function<void()> &forget);
// The status of a detach: a connection already lost has nothing left to detach, so only other
// failures raise.
void CheckDetach(const TIBStatus &status);
