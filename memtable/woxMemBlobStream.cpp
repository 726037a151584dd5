#include "woxMemBlobStream.h"

#include "woxMemTable.h"
#include "woxMemTableError.h"
#include "woxMemTablePrivate.h"

TwoxBlobStream::TwoxBlobStream(TwoxCustomMemTable *table, TField *field, TBlobStreamMode mode)
    : FTable(table), FField(field), FMode(mode) {
  const bool writing = mode != bmRead;
  if (writing && field->ReadOnly() && !table->FReadOnlyOverride)
    DatabaseError(QStringLiteral("Field %1 is read only").arg(field->DisplayName()), table);
  if (writing && !IsEditMode(table->State()))
    MemTableError(QStringLiteral("Dataset is not in edit mode."));
  const TRecordBuffer buffer = table->GetActiveRecBuf();
  if (!buffer)
    MemTableError(QStringLiteral("Invalid record "));
  TwoxCommon &store = table->Common();
  TwoxStoreLock lock(store);
  TwoxCustomMemTable::TwoxBuffer *b = TwoxCustomMemTable::Buf(buffer);
  FRecord = b->View ? b->View : b->Record.get();
  FEditSerial = table->FEditSerial;
  const QByteArray *block = store.OutsideBlock(*FRecord, field);
  if (!block)
    MemTableError(QStringLiteral("Field %1 is not a blob field").arg(field->DisplayName()));
  QByteArray value;
  if (mode != bmWrite && store.ReadField(*FRecord, field, nullptr)) {
    value = *block;
    if (table->OnDecompressBlobStream) {
      QBuffer compressed(&value), decompressed;
      compressed.open(QIODevice::ReadOnly);
      decompressed.open(QIODevice::WriteOnly);
      table->OnDecompressBlobStream(table, &compressed, &decompressed);
      value = decompressed.data();
    }
  }
  setData(value);
  open(writing ? QIODevice::ReadWrite : QIODevice::ReadOnly);
  if (mode == bmWrite) // replaces the value: empty (null) until written
    StoreValue();
}

// The value goes back into the buffer with every write, so that a failing compression reaches
// the writer instead of being lost in the destructor.
qint64 TwoxBlobStream::writeData(const char *data, qint64 length) {
  const qint64 written = QBuffer::writeData(data, length);
  StoreValue();
  return written;
}

// The record the stream was made for lives in the table's buffer only while that edit lasts: after a
// post, a cancel or a close the stream has nowhere to write to.
bool TwoxBlobStream::RecordStillEdited() const {
  return FTable && FTable->Active() && IsEditMode(FTable->State()) && FTable->FEditSerial == FEditSerial;
}

void TwoxBlobStream::StoreValue() {
  if (!RecordStillEdited())
    MemTableError(QStringLiteral("Dataset is not in edit mode."));
  TwoxCustomMemTable *table = FTable;
  TwoxCommon &store = table->Common();
  TwoxStoreLock lock(store);
  QByteArray value = data();
  if (table->OnCompressBlobStream && !value.isEmpty()) {
    QBuffer uncompressed(&value), compressed;
    uncompressed.open(QIODevice::ReadOnly);
    compressed.open(QIODevice::WriteOnly);
    table->OnCompressBlobStream(table, &uncompressed, &compressed);
    value = compressed.data();
  }
  const int index = store.FieldInfo(FField->FieldNo())->OutsideIndex;
  TwoxOutsideValue &slot = FRecord->Outside(index);
  slot = value.isEmpty() ? TwoxOutsideValue() : TwoxOutsideValue{2, value};
  table->SetModified(true);
  FModified = true;
}

TwoxBlobStream::~TwoxBlobStream() {
  if (!FModified || !RecordStillEdited())
    return;
  try {
    FTable->DataEvent(deFieldChange, reinterpret_cast<std::intptr_t>(FField));
  } catch (...) {
    // A destructor cannot report; the value is stored already.
  }
}
