#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

// A Firebird server of one test's own (tools/fbserver in a temporary folder), which the test may
// stop and start again half-way. While it lives, the environment names it in place of the shared
// test server, so that every fixture that reads TestServer works against it; the shared server
// is never stopped, as other tests use it at the same time.
class TOwnServer {
public:
  // Starts the server; Started() tells whether it did.
  TOwnServer();
  // Stops the server, removes its folder and names the shared server again.
  ~TOwnServer();
  TOwnServer(const TOwnServer &) = delete;
  TOwnServer &operator=(const TOwnServer &) = delete;

  bool Started() const { return FStarted; }
  const QString &Error() const { return FError; }
  // The server goes away as at a shutdown: its clients' connections break.
  void Stop();
  // Starts it again with the same security database, data and password; false when it does not
  // start (Error() says why).
  bool Start();

private:
  bool Run(const QString &command);

  QTemporaryDir FDir;
  bool FStarted = false;
  QString FError;
  QByteArray FSavedServer, FSavedPassword, FSavedDataDir;
};
