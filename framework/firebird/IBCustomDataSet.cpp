#include "IBCustomDataSet.h"

#include "Bcd.h"
#include "Exceptions.h"
#include "IBSQLText.h"
#include "IBUpdateSQL.h"
#include "IBBlob.h"
#include "IBValues.h"

#include <QBuffer>
#include <algorithm>
#include <cstring>

struct TIBCustomDataSet::TBuffer {
  int Id = 0;
  TBookmarkFlag Flag = bfCurrent;
  QByteArray Data; // field slots, then the calculated-field area
  std::vector<TBlobSlot> Blobs;
};

namespace {

// Hands the written bytes to the record's blob slot when the stream goes.
class TIBBlobStream : public QBuffer {
public:
  TIBBlobStream(TDataSet *dataSet, TField *field, TIBCustomDataSet::TBlobSlot *slot, const QByteArray &bytes,
                TBlobStreamMode mode)
      : FDataSet(dataSet), FField(field), FSlot(slot), FWrite(mode != bmRead) {
    if (mode != bmWrite)
      setData(bytes);
    open(mode == bmRead ? QIODevice::ReadOnly : QIODevice::ReadWrite);
  }
  ~TIBBlobStream() override {
    if (!FWrite)
      return;
    FSlot->Bytes = data();
    FSlot->IsNull = data().isEmpty();
    FDataSet->DataEvent(deFieldChange, reinterpret_cast<std::intptr_t>(FField));
  }

private:
  TDataSet *FDataSet;
  TField *FField;
  TIBCustomDataSet::TBlobSlot *FSlot;
  bool FWrite;
};

} // namespace

TIBCustomDataSet::TIBCustomDataSet(QObject *owner) : TDataSet(owner) { SetBookmarkSize(int(sizeof(int))); }

TIBCustomDataSet::~TIBCustomDataSet() {
  CloseOnDestroy();
  if (FOldBuffer)
    FreeRecordBuffer(FOldBuffer);
  SetUpdateObject(nullptr);
  if (FRegisteredTransaction)
    FRegisteredTransaction->RemoveClient(this);
  if (FRegisteredDatabase)
    FRegisteredDatabase->RemoveClient(this);
}

// ---------------------------------------------------------------- connection

void TIBCustomDataSet::SetDatabase(TIBDatabase *value) {
  if (value == Database() && value == FRegisteredDatabase)
    return;
  CheckInactive();
  RegisterDatabase(value);
  FQSelect.SetDatabase(value);
  FQUpdate.SetDatabase(value);
}

void TIBCustomDataSet::RegisterDatabase(TIBDatabase *value) {
  if (value == FRegisteredDatabase)
    return;
  if (FRegisteredDatabase)
    FRegisteredDatabase->RemoveClient(this);
  FRegisteredDatabase = value;
  if (value)
    value->AddClient(this);
}

void TIBCustomDataSet::SetTransaction(TIBTransaction *value) {
  CheckInactive();
  RegisterTransaction(value);
  FQSelect.SetTransaction(value);
  FQUpdate.SetTransaction(value);
}

void TIBCustomDataSet::RegisterTransaction(TIBTransaction *value) {
  if (value == FRegisteredTransaction)
    return;
  if (FRegisteredTransaction)
    FRegisteredTransaction->RemoveClient(this);
  FRegisteredTransaction = value;
  if (value)
    value->AddClient(this);
}

void TIBCustomDataSet::SetParamCheck(bool value) {
  CheckInactive();
  FQSelect.SetParamCheck(value);
}

void TIBCustomDataSet::SetUpdateObject(TIBUpdateSQL *value) {
  if (value == FUpdateObject)
    return;
  if (FUpdateObject && FUpdateObject->DataSet() == this)
    FUpdateObject->SetDataSet(nullptr);
  FUpdateObject = value;
  if (value)
    value->SetDataSet(this);
}

void TIBCustomDataSet::SetCachedUpdates(bool value) {
  if (value)
    DatabaseError(QStringLiteral("Cached updates are not supported"), this);
}

void TIBCustomDataSet::SetBufferChunks(int value) { FBufferChunks = std::max(value, 1); }

void TIBCustomDataSet::DatabaseClosing(bool) {
  if (Active())
    Close();
  Unprepare();
}

void TIBCustomDataSet::DatabaseDestroyed() {
  DatabaseClosing(true);
  FRegisteredDatabase = nullptr;
}

void TIBCustomDataSet::TransactionEnding() {
  if (Active())
    Close();
}

void TIBCustomDataSet::TransactionDestroyed() {
  TransactionEnding();
  FRegisteredTransaction = nullptr;
}

// ---------------------------------------------------------------- preparing and opening

void TIBCustomDataSet::Prepare() {
  // An open cursor stays as it is; a changed text is prepared when the dataset opens again.
  const QString text = SelectText();
  if (!FCursorOpen && (text != FPreparedText || !FQSelect.Prepared())) {
    FQSelect.SQL().SetText(text);
    FQSelect.Prepare();
    FPreparedText = text;
    FieldDefs().SetUpdated(false);
  }
  RegisterDatabase(FQSelect.Database());
  RegisterTransaction(FQSelect.Transaction());
  FQUpdate.SetDatabase(FQSelect.Database());
  FQUpdate.SetTransaction(FQSelect.Transaction());
}

void TIBCustomDataSet::Unprepare() {
  if (Active())
    Close();
  FQSelect.Unprepare();
  FQUpdate.Unprepare();
}

void TIBCustomDataSet::InternalInitFieldDefs() {
  Prepare();
  FieldDefs().Clear();
  TIBXSQLDA &columns = FQSelect.Fields();
  for (int i = 0; i < columns.Count(); ++i) {
    const TIBXSQLVAR &column = columns.Vars(i);
    const TIBFieldShape shape = IBFieldShape(column, FQSelect.Database()->Utf8());
    QString name = column.Name();
    for (int n = 1; FieldDefs().IndexOf(name) >= 0; ++n)
      name = column.Name() + u'_' + QString::number(n);
    TFieldDef *def = FieldDefs().Add(name, shape.Type, shape.Size, false);
    def->SetPrecision(shape.Precision);
  }
  FieldDefs().SetUpdated(true);
}

void TIBCustomDataSet::LayOutRecord() {
  const int count = FieldDefs().Count();
  FOffsets.assign(std::size_t(count), -1);
  FBlobIndex.assign(std::size_t(count), -1);
  FDataSize = 0;
  FBlobCount = 0;
  for (int i = 0; i < count; ++i) {
    const TField *field = FieldByNumber(i + 1);
    if (!field)
      continue;
    if (field->IsBlob()) {
      FBlobIndex[std::size_t(i)] = FBlobCount++;
      continue;
    }
    FOffsets[std::size_t(i)] = FDataSize;
    FDataSize += 1 + field->DataSize();
  }
}

void TIBCustomDataSet::InternalOpen() {
  Prepare();
  InternalInitFieldDefs();
  if (DefaultFields())
    CreateFields();
  BindFields(true);
  LayOutRecord();
  FRows.clear();
  FRows.reserve(std::size_t(FBufferChunks));
  FNextId = 1;
  FIdsInOrder = true;
  FCursor = -1;
  BindSelectParams();
  FCursorOpen = true;
  FQSelect.ExecQuery();
  const TIBSQLTypes type = FQSelect.SQLType();
  const bool rows = type == SQLSelect || type == SQLSelectForUpdate;
  FAllFetched = !rows;
  if ((rows && !FQSelect.Eof()) || (type == SQLExecProcedure && FQSelect.Fields().Count() > 0))
    StoreFetched();
}

void TIBCustomDataSet::InternalClose() {
  FCursorOpen = false;
  FQSelect.Close();
  FRows.clear();
  FRows.shrink_to_fit();
  if (FOldBuffer)
    FreeRecordBuffer(FOldBuffer);
  BindFields(false);
  if (DefaultFields())
    DestroyFields();
}

bool TIBCustomDataSet::FetchNext() {
  if (FAllFetched)
    return false;
  if (!FQSelect.Next()) {
    FAllFetched = true;
    FQSelect.Close();
    return false;
  }
  StoreFetched();
  return true;
}

void TIBCustomDataSet::FetchAll() {
  while (FetchNext()) {
  }
}

void TIBCustomDataSet::StoreFetched() {
  TRow row;
  row.Id = FNextId++;
  row.Data = QByteArray(FDataSize, '\0');
  row.Blobs.resize(std::size_t(FBlobCount));
  TIBXSQLDA &columns = FQSelect.Fields();
  for (int i = 0; i < columns.Count() && i < int(FOffsets.size()); ++i) {
    const TField *field = FieldByNumber(i + 1);
    if (!field)
      continue;
    if (FBlobIndex[std::size_t(i)] >= 0)
      IBStoreBlob(columns.Vars(i), row.Blobs[std::size_t(FBlobIndex[std::size_t(i)])]);
    else
      IBStoreColumn(columns.Vars(i), *field, row.Data.data() + FOffsets[std::size_t(i)], FQSelect.Database()->Utf8());
  }
  FRows.push_back(std::move(row));
}

// ---------------------------------------------------------------- records and the cursor

TRecordBuffer TIBCustomDataSet::AllocRecordBuffer() {
  auto *buffer = new TBuffer;
  buffer->Data = QByteArray(FDataSize + CalcFieldsSize(), '\0');
  buffer->Blobs.resize(std::size_t(FBlobCount));
  return reinterpret_cast<TRecordBuffer>(buffer);
}

void TIBCustomDataSet::FreeRecordBuffer(TRecordBuffer &buffer) {
  delete Buf(buffer);
  buffer = nullptr;
}

int TIBCustomDataSet::IndexOfId(int id) const {
  if (FIdsInOrder)
    return id >= 1 && id <= int(FRows.size()) ? id - 1 : -1;
  for (std::size_t i = 0; i < FRows.size(); ++i)
    if (FRows[i].Id == id)
      return int(i);
  return -1;
}

void TIBCustomDataSet::CopyRow(TRecordBuffer buffer, int index) {
  TBuffer *b = Buf(buffer);
  const TRow &row = FRows[std::size_t(index)];
  b->Id = row.Id;
  b->Flag = bfCurrent;
  std::memcpy(b->Data.data(), row.Data.constData(), std::size_t(FDataSize));
  b->Blobs = row.Blobs;
}

void TIBCustomDataSet::StoreBuffer(TRecordBuffer buffer, TRow &row) const {
  row.Data = Buf(buffer)->Data.left(FDataSize);
  row.Blobs = Buf(buffer)->Blobs;
}

void TIBCustomDataSet::FillBuffer(TRecordBuffer buffer, int index) {
  CopyRow(buffer, index);
  GetCalcFields(buffer);
}

bool TIBCustomDataSet::Accepted(TRecordBuffer buffer) {
  if (!Filtered() || !OnFilterRecord)
    return true;
  SetFilterBuffer(buffer);
  const TDataSetState saved = SetTempState(dsFilter);
  bool accept = true;
  try {
    OnFilterRecord(this, accept);
  } catch (...) {
    RestoreState(saved);
    throw;
  }
  RestoreState(saved);
  return accept;
}

TGetResult TIBCustomDataSet::GetRecord(TRecordBuffer buffer, TGetMode getMode, bool doCheck) {
  if (getMode == gmCurrent) {
    if (FCursor < 0 || FCursor >= int(FRows.size())) {
      if (doCheck)
        DatabaseError(QStringLiteral("No current record"), this);
      return grError;
    }
    FillBuffer(buffer, FCursor);
    return Accepted(buffer) ? grOK : grError;
  }
  if (getMode == gmNext) {
    for (int i = FCursor + 1;; ++i) {
      // After a delete the cursor may stand past the rows fetched so far: fetch up to it.
      while (i >= int(FRows.size()))
        if (!FetchNext()) {
          FCursor = int(FRows.size());
          return grEOF;
        }
      FillBuffer(buffer, i);
      if (Accepted(buffer)) {
        FCursor = i;
        return grOK;
      }
    }
  }
  for (int i = std::min(FCursor, int(FRows.size())) - 1; i >= 0; --i) {
    FillBuffer(buffer, i);
    if (Accepted(buffer)) {
      FCursor = i;
      return grOK;
    }
  }
  FCursor = -1;
  return grBOF;
}

void TIBCustomDataSet::InternalLast() {
  FetchAll();
  FCursor = int(FRows.size());
}

char *TIBCustomDataSet::FieldSlot(TRecordBuffer buffer, const TField *field) const {
  const int no = field->FieldNo();
  if (no < 1 || no > int(FOffsets.size()) || FOffsets[std::size_t(no - 1)] < 0)
    DatabaseError(QStringLiteral("Field '%1' has no place in the record").arg(field->DisplayName()), this);
  return Buf(buffer)->Data.data() + FOffsets[std::size_t(no - 1)];
}

TIBCustomDataSet::TBlobSlot &TIBCustomDataSet::BlobSlot(TRecordBuffer buffer, const TField *field) const {
  const int no = field->FieldNo();
  if (no < 1 || no > int(FBlobIndex.size()) || FBlobIndex[std::size_t(no - 1)] < 0)
    DatabaseError(QStringLiteral("Field '%1' is not a blob of this dataset").arg(field->DisplayName()), this);
  return Buf(buffer)->Blobs[std::size_t(FBlobIndex[std::size_t(no - 1)])];
}

TRecordBuffer TIBCustomDataSet::GetActiveRecBuf() const {
  return State() == dsOldValue ? FOldBuffer : TDataSet::GetActiveRecBuf();
}

bool TIBCustomDataSet::GetFieldData(TField *field, void *buffer) {
  const TRecordBuffer record = GetActiveRecBuf();
  if (!record)
    return false;
  if (field->Calculated())
    return GetCalcFieldData(field, Buf(record)->Data.constData() + FDataSize, buffer);
  if (field->IsBlob())
    return !BlobSlot(record, field).IsNull;
  const char *slot = FieldSlot(record, field);
  if (slot[0] == 0)
    return false;
  if (buffer)
    std::memcpy(buffer, slot + 1, std::size_t(field->DataSize()));
  return true;
}

void TIBCustomDataSet::SetFieldData(TField *field, const void *buffer) {
  const TRecordBuffer record = GetActiveRecBuf();
  if (!record)
    DatabaseError(QStringLiteral("No current record"), this);
  if (field->Calculated()) {
    SetCalcFieldData(field, Buf(record)->Data.data() + FDataSize, buffer);
  } else if (field->IsBlob()) {
    TBlobSlot &slot = BlobSlot(record, field);
    slot.IsNull = buffer == nullptr;
    slot.Bytes = QByteArray();
  } else {
    char *slot = FieldSlot(record, field);
    slot[0] = buffer ? 1 : 0;
    if (buffer)
      std::memcpy(slot + 1, buffer, std::size_t(field->DataSize()));
    else
      std::memset(slot + 1, 0, std::size_t(field->DataSize()));
  }
  if (State() != dsCalcFields && State() != dsInternalCalc && State() != dsFilter && State() != dsNewValue)
    DataEvent(deFieldChange, reinterpret_cast<std::intptr_t>(field));
}

QByteArray TIBCustomDataSet::BlobBytes(TBlobSlot &slot) {
  if (slot.IsNull)
    return {};
  if (!slot.Bytes) {
    QByteArray bytes = IBBlob::Read(*FQSelect.Database(), *FQSelect.Transaction(), slot.Id);
    slot.Bytes = FQSelect.Database()->Utf8() ? IBUtf8ToNative(bytes) : bytes;
  }
  return *slot.Bytes;
}

std::unique_ptr<QIODevice> TIBCustomDataSet::CreateBlobStream(TField *field, TBlobStreamMode mode) {
  const TRecordBuffer record = GetActiveRecBuf();
  if (!record)
    DatabaseError(QStringLiteral("No current record"), this);
  if (mode != bmRead && !IsEditMode(State()))
    DatabaseError(QStringLiteral("Dataset not in edit or insert mode"), this);
  TBlobSlot &slot = BlobSlot(record, field);
  const QByteArray bytes = mode == bmWrite ? QByteArray() : BlobBytes(slot);
  return std::make_unique<TIBBlobStream>(this, field, &slot, bytes, mode);
}

void TIBCustomDataSet::ClearCalcFields(TRecordBuffer buffer) {
  std::memset(Buf(buffer)->Data.data() + FDataSize, 0, std::size_t(CalcFieldsSize()));
}

void TIBCustomDataSet::InternalInitRecord(TRecordBuffer buffer) {
  TBuffer *b = Buf(buffer);
  b->Id = 0;
  b->Data.fill('\0');
  b->Blobs.assign(std::size_t(FBlobCount), TBlobSlot());
}

void TIBCustomDataSet::InternalSetToRecord(TRecordBuffer buffer) { InternalGotoBookmark(&Buf(buffer)->Id); }

void TIBCustomDataSet::InternalGotoBookmark(const void *bookmark) {
  int id;
  std::memcpy(&id, bookmark, sizeof id);
  const int index = IndexOfId(id);
  if (index < 0)
    DatabaseError(QStringLiteral("Record not found"), this);
  FCursor = index;
}

void TIBCustomDataSet::GetBookmarkData(TRecordBuffer buffer, void *data) {
  std::memcpy(data, &Buf(buffer)->Id, sizeof(int));
}

void TIBCustomDataSet::SetBookmarkData(TRecordBuffer buffer, const void *data) {
  std::memcpy(&Buf(buffer)->Id, data, sizeof(int));
}

TBookmarkFlag TIBCustomDataSet::GetBookmarkFlag(TRecordBuffer buffer) { return Buf(buffer)->Flag; }

void TIBCustomDataSet::SetBookmarkFlag(TRecordBuffer buffer, TBookmarkFlag value) { Buf(buffer)->Flag = value; }

bool TIBCustomDataSet::BookmarkValid(const TBookmark &bookmark) {
  if (bookmark.size() != int(sizeof(int)))
    return false;
  int id;
  std::memcpy(&id, bookmark.constData(), sizeof id);
  return IndexOfId(id) >= 0;
}

int TIBCustomDataSet::CompareBookmarks(const TBookmark &bookmark1, const TBookmark &bookmark2) {
  const auto position = [this](const TBookmark &b) {
    if (b.size() != int(sizeof(int)))
      return -1;
    int id;
    std::memcpy(&id, b.constData(), sizeof id);
    return IndexOfId(id);
  };
  const int a = position(bookmark1), b = position(bookmark2);
  return a < b ? -1 : a > b ? 1 : 0;
}

int TIBCustomDataSet::GetRecNo() const {
  if (State() != dsBrowse || IsEmpty() || Filtered())
    return -1;
  return IndexOfId(Buf(ActiveBuffer())->Id) + 1;
}

void TIBCustomDataSet::SetRecNo(int value) {
  CheckBrowseMode();
  while (value > int(FRows.size()) && FetchNext()) {
  }
  if (Filtered() || value < 1 || value > int(FRows.size()))
    return;
  DoBeforeScroll();
  FCursor = value - 1;
  Resync({rmExact, rmCenter});
  DoAfterScroll();
}
