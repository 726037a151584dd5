#pragma once

#include "IBDatabase.h"
#include "IBTransaction.h"
#include "IBXSQLDA.h"
#include "StringList.h"

#include <QObject>
#include <ibase.h>

// Statement types as the server reports them for a prepared statement.
enum TIBSQLTypes {
  SQLUnknown,
  SQLSelect,
  SQLInsert,
  SQLUpdate,
  SQLDelete,
  SQLDDL,
  SQLGetSegment,
  SQLPutSegment,
  SQLExecProcedure,
  SQLStartTransaction,
  SQLCommit,
  SQLRollback,
  SQLSelectForUpdate,
  SQLSetGenerator
};

// One SQL statement on a database and transaction: named ":name" parameters (case-insensitive;
// the same name may occur several times), execution, and a forward cursor over its result.
// ExecQuery of a select opens the cursor and fetches the first row, so Eof tells at once whether
// there is one; Next fetches the following rows. The transaction starts when the statement needs it.
class TIBSQL : public QObject, public TIBDatabaseClient, public TIBTransactionClient {
  Q_OBJECT

public:
  explicit TIBSQL(QObject *owner = nullptr);
  ~TIBSQL() override;

  // When only one of the two is given, the other comes from it (DefaultTransaction / DefaultDatabase).
  TIBDatabase *Database() const { return FDatabase; }
  void SetDatabase(TIBDatabase *value);
  TIBTransaction *Transaction() const { return FTransaction; }
  void SetTransaction(TIBTransaction *value);
  // A changed text is prepared again before it runs.
  TStringList &SQL() { return FSQL; }
  const TStringList &SQL() const { return FSQL; }
  // Off: ":" is left to the server (procedure bodies in scripts) and no parameters are looked for.
  bool ParamCheck() const { return FParamCheck; }
  void SetParamCheck(bool value);

  void Prepare();
  bool Prepared() const;
  void Unprepare();
  void ExecQuery();
  // Fetches the next row; false (and Eof) when there is none.
  bool Next();
  bool Eof() const { return FEof; }
  bool Bof() const { return FBof; }
  bool Open() const { return FOpen; }
  void Close();
  // Rows fetched since ExecQuery.
  int RecordCount() const { return FRecordCount; }

  // Preparing on first use.
  TIBXSQLDA &Params();
  TIBXSQLVAR &ParamByName(const QString &name) { return Params().ByName(name); }
  TIBXSQLDA &Fields() { return FFields; }
  const TIBXSQLDA &Fields() const { return FFields; }
  TIBXSQLVAR &Fields(int index) { return FFields.Vars(index); }
  TIBXSQLVAR &FieldByName(const QString &name) { return FFields.ByName(name); }
  TIBXSQLVAR *FindField(const QString &name) { return FFields.Find(name); }

  TIBSQLTypes SQLType() const { return FSQLType; }
  // The server's access plan of the prepared statement.
  QString Plan();
  // Rows inserted, updated or deleted by the last execution (selected ones for a select).
  int RowsAffected();

  isc_stmt_handle *Handle() { return &FHandle; }
  void DatabaseClosing(bool connectionLost) override;
  void TransactionEnding() override;
  void DatabaseDestroyed() override;
  void TransactionDestroyed() override;
  bool HoldsCursor() const override { return FOpen; }

private:
  void ResolveConnection();
  void EnsurePrepared();
  void CheckOpen() const;
  void CloseCursor(bool ignoreErrors);
  QByteArray StatementInfo(char item);
  void DescribeInto(TIBXSQLDA &area, bool input);

  TIBDatabase *FDatabase = nullptr;
  TIBTransaction *FTransaction = nullptr;
  TStringList FSQL;
  bool FParamCheck = true;
  isc_stmt_handle FHandle = 0;
  bool FPrepared = false;
  QString FPreparedText;
  TIBSQLTypes FSQLType = SQLUnknown;
  TIBXSQLDA FParams;
  TIBXSQLDA FFields;
  bool FOpen = false;
  bool FEof = true;
  bool FBof = true;
  int FRecordCount = 0;
};
