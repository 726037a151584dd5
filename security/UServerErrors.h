#pragma once

class Exception;

// The server errors that the user administration tells in its own words, with the server's text below.

// Another connection holds an uncommitted change of a row that the step writes or locks.
bool IsRowLockConflict(const Exception &error);
// A row of the same key is there, or another connection has just written one and not yet committed it.
bool IsDuplicateKey(const Exception &error);
// The server's user service already has a user of the name it was to add.
bool IsServerUserTaken(const Exception &error);
// The server's user service has no user of the name it was given.
bool IsServerUserMissing(const Exception &error);
// The connection to the server broke off.
bool IsConnectionLost(const Exception &error);
