#pragma once

#include "IBDatabase.h"
#include "IBTransaction.h"

#include <gtest/gtest.h>

// A fresh database of its own for every test, created with the security database's clauses
// (page size 8192, default character set WIN1250) and connected as SYSDBA with lc_ctype WIN1250.
class FirebirdTest : public testing::Test {
protected:
  void SetUp() override;
  void TearDown() override;

  // Sets the login of a connection to this test's database.
  void SetLogin(TIBDatabase &database, const QString &user, const QString &password,
                const QString &charset = QStringLiteral("WIN1250")) const;
  // Runs statements in a transaction of their own and commits them.
  void Execute(const QStringList &statements);
  void Execute(const QString &statement) { Execute(QStringList{statement}); }
  // The first column of the first row of a query in a transaction of its own.
  QVariant QueryValue(const QString &sql);

  QString DatabaseName;
  TIBDatabase Database;
  TIBTransaction Transaction;
};
