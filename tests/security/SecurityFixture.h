#pragma once

#include "ScratchDatabase.h"
#include "ScriptedDialogs.h"
#include "UDMSecurity.h"

#include <gtest/gtest.h>
#include <memory>

// A security database of its own for each test: created by the data module as the program creates
// it (the alias replaced by a fresh file in the server's data folder), optionally connected.
class SecurityTest : public testing::Test {
protected:
  void SetUp() override;
  void TearDown() override;

  // Creates the database with the version 1 script; the module stays connected as SYSDBA.
  void CreateDatabase();
  // For fixtures that start from a created database: SetUp, then CreateDatabase; false when skipped.
  bool SetUpWithDatabase();
  // Connects the module as the program does (admin check, upgrade, datasets opened).
  bool Connect(const QString &user, const QString &password);
  bool ConnectAsSysdba();

  void Execute(const QStringList &statements) { Db->Execute(statements); }
  void Execute(const QString &statement) { Db->Execute(statement); }
  QVariant QueryValue(const QString &sql) { return Db->QueryValue(sql); }
  QString CreateServerUser(const QString &stem, const QString &password) {
    return Db->CreateServerUser(stem, password);
  }

  QString Server;
  QString Path;
  std::unique_ptr<ScratchDatabase> Db;
  std::unique_ptr<TDMSecurity> DM;
  ScriptedDialogs Dialogs;
};
