#pragma once

#include "IBDatabase.h"
#include "IBSQL.h"
#include "IBTransaction.h"

// A connection of a test's own to a database on the test server, WIN1250, with one read-committed
// transaction (started) and one statement on it; SYSDBA unless another login is given.
class TestConnection {
public:
  explicit TestConnection(const QString &databaseName, const QString &user = QStringLiteral("SYSDBA"),
                          const QString &password = QString(), const QString &role = QString());

  void Prepare(const QString &sql);
  // Runs a statement that returns no rows.
  void Run(const QString &sql);
  // The first column of every row, read in the transaction.
  QList<QVariant> Read(const QString &sql);

  TIBDatabase Database;
  TIBTransaction Transaction;
  TIBSQL Statement;
};
