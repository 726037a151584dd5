#pragma once

#include "StatementGuard.h"

#include <QString>

class TIBTransaction;
struct TSelectReferences;

// Whether a statement that reads, by its type, may still change data through what it reaches: a
// selectable procedure, a function of the database (UDF or PSQL), a step of a sequence, a row lock, or
// a view, a computed column or a domain's check built on one of them, at any depth. Asks the
// database's own metadata at the moment of the question, twice: in the given transaction (so that it
// sees what that transaction created) and as last committed (what another connection changed after
// the transaction's snapshot, and what the server runs).
class TSelectRoutines {
public:
  explicit TSelectRoutines(TIBTransaction *transaction) : FTransaction(transaction) {}

  // Also true for a select the reading cannot find the sources of.
  bool MayChangeData(const QString &sql);
  // kind, or a data change when a select that reads by its kind may change data.
  TStatementKind Refine(TStatementKind kind, const QString &sql) {
    return kind == TStatementKind::skReads && !IsTransactionStatement(sql) && MayChangeData(sql)
               ? TStatementKind::skChangesData
               : kind;
  }

private:
  // Whether what references names reaches a routine in the metadata that transaction sees.
  static bool ReachesRoutine(const TSelectReferences &references, TIBTransaction &transaction);

  TIBTransaction *FTransaction;
};
