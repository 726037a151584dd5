#pragma once

#include <QString>

// The SQL of the security database: the script that lays version 1 on an empty database, and the
// scripts that bring a database from version n-1 to n. They run through the script runner, which
// understands SET TERM and COMMIT WORK and commits after each DDL statement.
namespace SecuritySchema {

constexpr int kLatestVersion = 4;

QString DBScript();
// n = 1..4
QString UpdateToVer(int n);

} // namespace SecuritySchema
