#pragma once

#include "Exceptions.h"

#include <ibase.h>

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

private:
  long FSQLCode;
  long FIBErrorCode;
  bool FConnectionLost = false;
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
