#include "IBDataSet.h"

TIBDataSet::TIBDataSet(QObject *owner) : TIBCustomDataSet(owner) {}

TIBDataSet::~TIBDataSet() { CloseOnDestroy(); }

QString TIBDataSet::UpdateText(TUpdateKind kind) const {
  switch (kind) {
  case ukModify: return FModifySQL.Text();
  case ukInsert: return FInsertSQL.Text();
  case ukDelete: return FDeleteSQL.Text();
  }
  return QString();
}
