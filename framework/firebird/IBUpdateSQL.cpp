#include "IBUpdateSQL.h"

#include "Exceptions.h"

TIBUpdateSQL::TIBUpdateSQL(QObject *owner) : QObject(owner) {}

TIBUpdateSQL::~TIBUpdateSQL() {
  if (FDataSet)
    FDataSet->SetUpdateObject(nullptr);
}

const TStringList &TIBUpdateSQL::SQL(TUpdateKind kind) const {
  switch (kind) {
  case ukModify: return FModifySQL;
  case ukInsert: return FInsertSQL;
  case ukDelete: return FDeleteSQL;
  }
  return FModifySQL;
}

TStringList &TIBUpdateSQL::SQL(TUpdateKind kind) {
  return const_cast<TStringList &>(static_cast<const TIBUpdateSQL *>(this)->SQL(kind));
}

void TIBUpdateSQL::SetDataSet(TIBCustomDataSet *value) { FDataSet = value; }

void TIBUpdateSQL::Apply(TUpdateKind kind) {
  if (!FDataSet)
    throw EDatabaseError(QStringLiteral("The update object has no dataset"));
  FDataSet->ExecuteUpdate(SQL(kind).Text());
}
