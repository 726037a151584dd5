#pragma once

#include "StringList.h"

#include <QObject>
#include <QPointer>
#include <ibase.h>
#include <vector>

class TIBTransaction;
struct TIBStatus;

// Whatever holds server handles of a connection (statements, datasets, transactions).
class TIBDatabaseClient {
public:
  virtual ~TIBDatabaseClient() = default;
  // The connection closes: let go of cursors and handles. When the connection is lost, server calls
  // are still made to free the client library's side, but their errors are ignored.
  virtual void DatabaseClosing(bool connectionLost) = 0;
  // The database object goes away: forget it.
  virtual void DatabaseDestroyed() = 0;
};

// One connection to a Firebird database.
// DatabaseName: "server:alias", "server/port:alias" or a local path. Params: name=value lines
// (user_name, password, lc_ctype, sql_role_name). Text crosses the wire in the connection's
// character set: UTF8 for lc_ctype UTF8, Windows-1250 bytes for WIN1250 and for no lc_ctype at all;
// the login parameters and the database name always go as UTF-8.
class TIBDatabase : public QObject {
  Q_OBJECT

public:
  explicit TIBDatabase(QObject *owner = nullptr);
  ~TIBDatabase() override;

  const QString &DatabaseName() const { return FDatabaseName; }
  void SetDatabaseName(const QString &value);
  TStringList &Params() { return FParams; }
  const TStringList &Params() const { return FParams; }
  int SQLDialect() const { return FSQLDialect; }
  void SetSQLDialect(int value);
  // There is no login dialog: the login comes from Params whatever this says.
  bool LoginPrompt() const { return FLoginPrompt; }
  void SetLoginPrompt(bool value) { FLoginPrompt = value; }
  TIBTransaction *DefaultTransaction() const;
  void SetDefaultTransaction(TIBTransaction *value);

  void Open();
  // Closes every dataset and statement on the connection and ends its transactions by their
  // DefaultAction before it detaches.
  void Close();
  bool Connected() const { return FHandle != 0; }
  void SetConnected(bool value) { value ? Open() : Close(); }
  // Asks the server to stop the call that runs on this connection now, which then fails with the
  // server's "operation was cancelled". Meant for another thread while that call runs; false when there
  // is no connection or the server refused.
  bool CancelOperation();
  // "CREATE DATABASE '<DatabaseName>'" followed by the Params lines as its clauses (" USER 'SYSDBA'
  // PASSWORD '...' PAGE_SIZE 8192 DEFAULT CHARACTER SET WIN1250"); the database stays connected.
  void CreateDatabase();
  // Deletes the connected database's file on the server.
  void DropDatabase();

  // The columns of a table in their order, and the user tables (system tables on request), sorted.
  void GetFieldNames(const QString &tableName, TStringList &list);
  void GetTableNames(TStringList &list, bool systemTables = false);

  QByteArray EncodeText(const QString &text) const;
  QString DecodeText(const QByteArray &bytes) const;
  bool Utf8() const { return FUtf8; }

  isc_db_handle *Handle() { return &FHandle; }
  void CheckConnected() const;
  // Raises the status's error. A lost connection closes this database first and names it.
  void Check(const TIBStatus &status);

  void AddClient(TIBDatabaseClient *client);
  void RemoveClient(TIBDatabaseClient *client);
  void AddTransaction(TIBTransaction *transaction);
  void RemoveTransaction(TIBTransaction *transaction);

private:
  QByteArray BuildDPB() const;
  void CheckInactive() const;
  void ReleaseClients(bool connectionLost);
  void CloseHandles(bool connectionLost);
  void ReadCharset();
  void QueryNames(const QString &sql, const QString &argument, TStringList &list);

  QString FDatabaseName;
  TStringList FParams;
  int FSQLDialect = 3;
  bool FLoginPrompt = false;
  bool FUtf8 = false;
  QPointer<TIBTransaction> FDefaultTransaction;
  isc_db_handle FHandle = 0;
  std::vector<TIBDatabaseClient *> FClients;
  std::vector<TIBTransaction *> FTransactions;
};

// On SIGINT and SIGTERM the client library ends every connection of the process by itself, from a
// thread of its own, under the feet of the program that uses them. A program that closes its windows
// and connections on those signals itself calls this once: the library then leaves the signals to it.
void LeaveSignalShutdownToTheProgram();
