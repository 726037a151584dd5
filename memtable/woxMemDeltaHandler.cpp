#include "woxMemDeltaHandler.h"

#include "woxMemTable.h"
#include "woxMemTableError.h"

TwoxCustomDeltaHandler::TwoxCustomDeltaHandler(QObject *owner) : QObject(owner) {}

TwoxCustomDeltaHandler::~TwoxCustomDeltaHandler() {
  if (FMemTable)
    FMemTable->SetDeltaHandler(nullptr);
}

void TwoxCustomDeltaHandler::Resolve() {
  if (!FMemTable)
    MemTableError(QStringLiteral("Delta handler is not assigned to any memorytables."));
  TwoxCommon &store = FMemTable->Common();
  TwoxStoreLock lock(store);
  for (int id = 0; id < store.RecordSlotCount(); ++id) {
    TwoxRecord *record = store.Record(id);
    if (!record)
      continue;
    const TwoxRecord *oldest = nullptr;
    const TwoxUpdateStatus status = TwoxCustomMemTable::DeltaStatus(*record, oldest);
    FCurrentRecord = record;
    FOrigRecord = oldest;
    switch (status) {
    case mtusModified: ModifyRecord(); break;
    case mtusInserted: InsertRecord(); break;
    case mtusDeleted: DeleteRecord(); break;
    default: UnmodifiedRecord(); break;
    }
  }
  FCurrentRecord = nullptr;
  FOrigRecord = nullptr;
}

QVariant TwoxCustomDeltaHandler::Value(const QString &fieldName) const {
  if (!FMemTable || !FCurrentRecord)
    return QVariant();
  return FMemTable->ValueOf(*FCurrentRecord, FMemTable->FieldByName(fieldName));
}

QVariant TwoxCustomDeltaHandler::OrigValue(const QString &fieldName) const {
  if (!FMemTable || !FOrigRecord)
    return QVariant();
  return FMemTable->ValueOf(const_cast<TwoxRecord &>(*FOrigRecord), FMemTable->FieldByName(fieldName));
}
