#pragma once

#include <QString>

// The private Firebird server that tools/test.sh starts, as the environment names it.
namespace TestServer {

bool Available();
// "127.0.0.1/PORT"
QString Address();
QString SysdbaPassword();
// The folder the server may keep databases in.
QString DataDir();
// A connection string for a database file in the data folder that no other test uses.
QString FreshDatabase(const QString &stem);

} // namespace TestServer

// Skips the current test when no server is configured (tools/test.sh always configures one).
#define REQUIRE_TEST_SERVER()                                                                                \
  do {                                                                                                       \
    if (!TestServer::Available())                                                                            \
      GTEST_SKIP() << "no test server: run tools/test.sh";                                                   \
  } while (false)
