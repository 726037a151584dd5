#pragma once

#include <QStringList>

struct ApplicationDatabaseOptions;

// The statements that lay a group's generators and tables on a fresh database (roles apart), and
// those that fill what the group's tables start with.
QStringList SchemaStatements(const QString &group, const ApplicationDatabaseOptions &options);
QStringList StartingRows(const QString &group, const ApplicationDatabaseOptions &options);
