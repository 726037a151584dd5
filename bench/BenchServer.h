#pragma once

#include <QString>
#include <cstdio>

// The private server of tools/fbserver that a benchmark runs against, as its server.env names it.
struct TBenchServer {
  QString Server, Password, DataDir;

  // False, after telling how to set it, when the environment names no server.
  bool FromEnvironment() {
    Server = qEnvironmentVariable("MERIDOX_TEST_SERVER");
    Password = qEnvironmentVariable("MERIDOX_TEST_PASSWORD");
    DataDir = qEnvironmentVariable("MERIDOX_TEST_DATADIR");
    if (!Server.isEmpty() && !Password.isEmpty() && !DataDir.isEmpty())
      return true;
    std::fprintf(stderr, "Set MERIDOX_TEST_SERVER, MERIDOX_TEST_PASSWORD and MERIDOX_TEST_DATADIR "
                         "(source the server.env of tools/fbserver).\n");
    return false;
  }
};
