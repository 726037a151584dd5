#pragma once

#include "StatementGuard.h"

#include <QString>

class TIBTransaction;
struct TSelectReferences;

// Whether a statement that reads, by its type, may still change data through what it reaches: a
// selectable procedure, a function of the database (UDF or PSQL), a step of a sequence, a row lock, or
// a view, a computed column or a domain's check built on one of them, at any depth. Asks the
// database's own metadata, as last committed, at the moment of the question.
class TSelectRoutines {
public:
  // On the database of the transaction the statement runs in.
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
  // Whether what references names reaches a routine in the metadata the transaction sees.
  static bool ReachesRoutine(const TSelectReferences &references, TIBTransaction &transaction);

  TIBTransaction *FTransaction;
};
