#pragma once

#include "IBDatabase.h"
#include "ScratchDatabase.h"
#include "ScriptedDialogs.h"
#include "USqlMon.h"

#include <QPointer>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

// A scratch database with a small table T1 (ID, NAME) of two rows, a procedure P1 and a selectable
// procedure P2 that inserts row 9 as it returns its one row, a connection
// to it as SYSDBA, a saved-query folder of the test's own, and a console opened on the connection.
class ConsoleTest : public testing::Test {
protected:
  void SetUp() override;
  void TearDown() override;

  // Opens the console as the main window does (or without manager rights).
  void OpenConsole(bool managerRights = true);
  // Types into the editor and runs "Wykonaj" (errors go to the caller).
  void Run(const QString &sql);
  QStringList MessageCaptions() const;
  // Rows of T1 that another connection sees: what is committed.
  int RowsOfT1() { return Db->QueryValue(QStringLiteral("select count(*) from T1")).toInt(); }
  // Rows of T1 in the console's own transaction.
  int RowsSeenByConsole();
  // Runs a statement of the test's own in the console's transaction, leaving its work pending there.
  void LeavePending(const QString &sql);
  QString SavedQueryPath(const QString &fileName) const { return Folder.path() + u'/' + fileName; }
  void WriteFile(const QString &path, const QByteArray &bytes);

  std::unique_ptr<ScratchDatabase> Db;
  std::unique_ptr<TIBDatabase> Database;
  QPointer<TSQLMonitorForm> Console;
  ScriptedDialogs Dialogs;
  QTemporaryDir Folder;
};
