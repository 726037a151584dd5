#pragma once

#include "StatementGuard.h"

#include <QString>

class TIBTransaction;

// Whether a statement that reads, by its type, may still change data through what it reaches: a
// selectable procedure, a function of the database (UDF or PSQL), a step of a sequence, or a view or
// a computed column built on one of them. Asks the database's own metadata, in the given transaction
// (so that it sees what that transaction created), at the moment of the question.
class TSelectRoutines {
public:
  explicit TSelectRoutines(TIBTransaction *transaction) : FTransaction(transaction) {}

  bool MayChangeData(const QString &sql);
  // kind, or a data change when a reading statement may change data.
  TStatementKind Refine(TStatementKind kind, const QString &sql) {
    return kind == TStatementKind::skReads && MayChangeData(sql) ? TStatementKind::skChangesData : kind;
  }

private:
  TIBTransaction *FTransaction;
};
