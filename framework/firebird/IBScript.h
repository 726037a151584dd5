#pragma once

#include "IBDatabase.h"
#include "IBTransaction.h"
#include "StringList.h"

#include <QList>
#include <QObject>
#include <functional>

// Runs a script: statements end with the terminator (";" at first; "SET TERM x" switches it),
// "COMMIT [WORK]" and "ROLLBACK [WORK]" end the transaction inside the script, comments and empty
// statements are skipped. With AutoDDL each DDL statement is committed (retaining) at once, so that
// later statements of the script can use what it created. A failing statement stops the script with
// the server's error followed by the statement and its line.
// Statements run through the Dataset's parameter check when a Dataset is given (keep its ParamCheck
// off so that ":" in procedure bodies stays the server's), with ParamCheck off otherwise.
class TIBDataSet;
class TIBSQL;

// One statement of a script as it runs: its text without the terminator, trimmed, and the line its
// text starts on.
struct TIBScriptStatement {
  QString Text;
  int Line = 1;
};

class TIBScript : public QObject {
  Q_OBJECT

public:
  explicit TIBScript(QObject *owner = nullptr);

  // Without them, the Dataset's, then the database's default transaction.
  TIBDatabase *Database() const;
  void SetDatabase(TIBDatabase *value) { FDatabase = value; }
  TIBTransaction *Transaction() const;
  void SetTransaction(TIBTransaction *value) { FTransaction = value; }
  TIBDataSet *Dataset() const { return FDataset; }
  void SetDataset(TIBDataSet *value) { FDataset = value; }
  TStringList &Script() { return FScript; }
  const QString &Terminator() const { return FTerminator; }
  void SetTerminator(const QString &value);
  bool AutoDDL() const { return FAutoDDL; }
  void SetAutoDDL(bool value) { FAutoDDL = value; }

  // The statements ExecuteScript runs, in order: "SET TERM" applied and dropped, so are statements
  // of nothing but comments; "COMMIT" and "ROLLBACK" stay.
  QList<TIBScriptStatement> Statements() const;
  void ExecuteScript();

  // After each statement ran: its index in Statements() and whether all work of the transaction up to
  // it is committed now (a COMMIT, or a DDL statement under AutoDDL).
  std::function<void(QObject *sender, int index, bool committed)> AfterStatement;

private:
  // Runs one statement of the script or one of the script's own commands; says whether it committed.
  bool Execute(TIBSQL &query, const TIBScriptStatement &statement);

  TIBDatabase *FDatabase = nullptr;
  TIBTransaction *FTransaction = nullptr;
  TIBDataSet *FDataset = nullptr;
  TStringList FScript;
  QString FTerminator = QStringLiteral(";");
  bool FAutoDDL = true;
};
