#pragma once

#include "IBSQL.h"

#include <QString>
#include <QStringList>
#include <functional>

// What a statement may do, as far as the console's guard is concerned.
enum class TStatementKind {
  skReads,            // selects, blob segments, transaction statements: run unasked
  skChangesData,      // may change data: asked with manager rights, refused without
  skChangesStructure, // DDL: asked with manager rights, refused with an error box without
  skRunsProcedure,    // EXECUTE PROCEDURE: refused whatever the rights
};

// The kind of a prepared statement by the type the server reports, except that every EXECUTE BLOCK
// changes data (a selectable block can write as well as one that returns nothing), and so does an
// INSERT, UPDATE, DELETE or MERGE with RETURNING, which the server reports as a procedure call.
TStatementKind StatementKind(const QString &sql, TIBSQLTypes type);
// COMMIT, ROLLBACK, SAVEPOINT, RELEASE SAVEPOINT or SET TRANSACTION, by its leading words: a statement
// that reads by its type and is none of these is a select.
bool IsTransactionStatement(const QString &sql);
// The kind of a script statement by its leading words. A script is not prepared ahead: its statements
// may need what earlier ones create. Anything not known to read counts as a data change.
TStatementKind ScriptStatementKind(const QString &sql);
// The kind that decides a script's one question, its statements' kinds told by kindOf: structure over
// data over reading.
TStatementKind ScriptKind(const QStringList &statements,
                          const std::function<TStatementKind(const QString &)> &kindOf = ScriptStatementKind);

// Refuses or asks before a statement runs, through the dialog seam, by what the statement may do and
// by the manager-rights flag the console was given.
class TStatementGuard {
public:
  explicit TStatementGuard(bool managerRights) : FManagerRights(managerRights) {}

  bool ManagerRights() const { return FManagerRights; }
  // True when the statement may run; AskCommit tells then whether its work waits for the commit
  // question. A refusal may show its own error box first.
  bool Check(TStatementKind kind);
  bool AskCommit() const { return FAskCommit; }
  // Tells why nothing was done, after a refusal without manager rights.
  void ReportNoRights() const;
  // "Czy chcesz zatwierdzić zmiany w bazie danych?": true for Yes.
  static bool ConfirmCommit();

private:
  bool FManagerRights;
  bool FAskCommit = false;
};
