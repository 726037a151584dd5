#pragma once

#include "DB.h"
#include "RowSequence.h"

#include <QBuffer>
#include <QByteArray>
#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

// A dataset whose records are rows kept in memory: each row has an id (its bookmark), the field
// slots (a null flag and the native value at FOffsets[field number - 1]) and its blob values beside
// it (at FBlobIndex[field number - 1]). Record buffers add the bookmark flag and the
// calculated-field area. The descendant lays out the record (FOffsets, FBlobIndex, FBlobCount,
// FDataSize) when it opens and fills FRows, all at once or as FetchUpTo asks for more. Rows made by
// NewRow keep their slots in blocks of many rows (a fetch of a million rows makes no million heap
// blocks); a row that is changed gets a block of its own. Rows are inserted and erased anywhere,
// and found by their id, in logarithmic time (TRowSequence).
// TBlob is a blob value with `bool IsNull` and `Bytes` assignable from a QByteArray.
template <class TBlob> class TRowStoreDataSet : public TDataSet {
public:
  explicit TRowStoreDataSet(QObject *owner = nullptr) : TDataSet(owner) { SetBookmarkSize(int(sizeof(int))); }

  bool GetFieldData(TField *field, void *buffer) override;
  void SetFieldData(TField *field, const void *buffer) override;
  std::unique_ptr<QIODevice> CreateBlobStream(TField *field, TBlobStreamMode mode) override;
  bool BookmarkValid(const TBookmark &bookmark) override { return IndexOfBookmark(bookmark) >= 0; }
  int CompareBookmarks(const TBookmark &bookmark1, const TBookmark &bookmark2) override;
  void SetRecNo(int value) override;

protected:
  struct TRow {
    int Id = 0;
    QByteArray Data;
    std::vector<TBlob> Blobs;
  };
  struct TBuffer {
    int Id = 0;
    TBookmarkFlag Flag = bfCurrent;
    QByteArray Data; // field slots, then the calculated-field area
    std::vector<TBlob> Blobs;
  };
  static TBuffer *Buf(TRecordBuffer buffer) { return reinterpret_cast<TBuffer *>(buffer); }

  TRecordBuffer AllocRecordBuffer() override;
  void FreeRecordBuffer(TRecordBuffer &buffer) override;
  TGetResult GetRecord(TRecordBuffer buffer, TGetMode getMode, bool doCheck) override;
  int GetRecordSize() const override { return FDataSize; }
  bool IsCursorOpen() const override { return FCursorOpen; }
  void InternalFirst() override { FCursor = -1; }
  void InternalLast() override { FCursor = int(FRows.size()); }
  void InternalInitRecord(TRecordBuffer buffer) override;
  void InternalSetToRecord(TRecordBuffer buffer) override { InternalGotoBookmark(&Buf(buffer)->Id); }
  void InternalGotoBookmark(const void *bookmark) override;
  void GetBookmarkData(TRecordBuffer buffer, void *data) override {
    std::memcpy(data, &Buf(buffer)->Id, sizeof(int));
  }
  void SetBookmarkData(TRecordBuffer buffer, const void *data) override {
    std::memcpy(&Buf(buffer)->Id, data, sizeof(int));
  }
  TBookmarkFlag GetBookmarkFlag(TRecordBuffer buffer) override { return Buf(buffer)->Flag; }
  void SetBookmarkFlag(TRecordBuffer buffer, TBookmarkFlag value) override { Buf(buffer)->Flag = value; }
  void ClearCalcFields(TRecordBuffer buffer) override;
  int GetRecNo() const override;
  bool GetIsSequenced() override { return !Filtered(); }

  // Makes the row at index available, fetching more rows where the descendant fetches lazily;
  // false when there is no such row.
  virtual bool FetchUpTo(int index) { return index < int(FRows.size()); }
  // The bytes of a non-null blob value, read first where the descendant keeps them elsewhere.
  virtual QByteArray BlobBytes(TBlob &slot) = 0;

  // Forgets every row and frees their blocks; ids start again from 1.
  void ClearRows();
  // An empty row laid out for the record, with the next id; its field slots (zeroed) are written
  // through slotArea, in a block shared with other rows.
  TRow NewRow(char *&slotArea);
  int IndexOfId(int id) const;
  // The row under the cursor; raises "Record not found" when the cursor stands on none.
  TRow &CursorRow();
  // Stores the buffer as a new row at the cursor (at the end when append) and moves onto it.
  void InsertRow(TRecordBuffer buffer, bool append);
  // Removes the row under the cursor, which then stands on the row that followed.
  void EraseCursorRow();
  void CopyRow(TRecordBuffer buffer, int index);
  // Copies the row and computes its calculated fields.
  void FillBuffer(TRecordBuffer buffer, int index);
  void StoreBuffer(TRecordBuffer buffer, TRow &row) const;
  char *FieldSlot(TRecordBuffer buffer, const TField *field) const;
  // Where the field's slot starts in the record; raises for a field without one.
  int SlotOffset(const TField *field) const;
  // Kept apart, so that SlotOffset stays small enough to be inlined into every field read.
  [[noreturn]] void NoSlotError(const TField *field) const;
  TBlob &BlobSlot(TRecordBuffer buffer, const TField *field) const;

  TRowSequence<TRow> FRows;
  std::vector<int> FOffsets;   // by field number - 1; -1 for columns without a slot
  std::vector<int> FBlobIndex; // by field number - 1; -1 for columns that are no blobs
  int FBlobCount = 0;
  int FDataSize = 0;
  int FCursor = -1;
  bool FCursorOpen = false;

private:
  // Fills the buffer from the row and moves the cursor there when the filter accepts it.
  bool TakeRow(TRecordBuffer buffer, int index);
  int IndexOfBookmark(const TBookmark &bookmark) const;

  // Room for the field slots of many rows, taken by NewRow.
  char *TakeSlots();

  // Row i has id i + 1 until a row is inserted before the end or deleted.
  bool FIdsInOrder = true;
  int FNextId = 1;
  std::vector<std::unique_ptr<char[]>> FSlotBlocks;
  int FSlotBlockRows = 0, FSlotBlockUsed = 0;
};

// A stream over a blob value of a record; a write stream hands its bytes to the value when it goes.
template <class TBlob> class TRowBlobStream : public QBuffer {
public:
  TRowBlobStream(TDataSet *dataSet, TField *field, TBlob *slot, const QByteArray &bytes, TBlobStreamMode mode)
      : FDataSet(dataSet), FField(field), FSlot(slot), FWrite(mode != bmRead) {
    if (mode != bmWrite)
      setData(bytes);
    open(mode == bmRead ? QIODevice::ReadOnly : QIODevice::ReadWrite);
  }
  ~TRowBlobStream() override {
    if (!FWrite)
      return;
    FSlot->Bytes = data();
    FSlot->IsNull = data().isEmpty();
    FDataSet->DataEvent(deFieldChange, reinterpret_cast<std::intptr_t>(FField));
  }

private:
  TDataSet *FDataSet;
  TField *FField;
  TBlob *FSlot;
  bool FWrite;
};

template <class TBlob> TRecordBuffer TRowStoreDataSet<TBlob>::AllocRecordBuffer() {
  auto *buffer = new TBuffer;
  buffer->Data = QByteArray(FDataSize + CalcFieldsSize(), '\0');
  buffer->Blobs.resize(std::size_t(FBlobCount));
  return reinterpret_cast<TRecordBuffer>(buffer);
}

template <class TBlob> void TRowStoreDataSet<TBlob>::FreeRecordBuffer(TRecordBuffer &buffer) {
  delete Buf(buffer);
  buffer = nullptr;
}

template <class TBlob> void TRowStoreDataSet<TBlob>::ClearRows() {
  FRows.clear();
  FSlotBlocks.clear();
  FSlotBlockUsed = FSlotBlockRows = 0;
  FNextId = 1;
  FIdsInOrder = true;
}

template <class TBlob> char *TRowStoreDataSet<TBlob>::TakeSlots() {
  if (FSlotBlockUsed == FSlotBlockRows) {
    constexpr int BlockBytes = 64 * 1024;
    FSlotBlockRows = std::max(1, BlockBytes / std::max(FDataSize, 1));
    FSlotBlocks.push_back(std::make_unique<char[]>(std::size_t(FSlotBlockRows) * std::size_t(FDataSize)));
    FSlotBlockUsed = 0;
  }
  return FSlotBlocks.back().get() + std::size_t(FSlotBlockUsed++) * std::size_t(FDataSize);
}

template <class TBlob>
typename TRowStoreDataSet<TBlob>::TRow TRowStoreDataSet<TBlob>::NewRow(char *&slotArea) {
  TRow row;
  row.Id = FNextId++;
  slotArea = TakeSlots();
  // A view of the block: writing through the row's own array would copy it first.
  row.Data = QByteArray::fromRawData(slotArea, FDataSize);
  row.Blobs.resize(std::size_t(FBlobCount));
  return row;
}

template <class TBlob> int TRowStoreDataSet<TBlob>::IndexOfId(int id) const {
  if (FIdsInOrder)
    return id >= 1 && id <= int(FRows.size()) ? id - 1 : -1;
  return int(FRows.IndexOfId(id));
}

template <class TBlob> int TRowStoreDataSet<TBlob>::IndexOfBookmark(const TBookmark &bookmark) const {
  if (bookmark.size() != int(sizeof(int)))
    return -1;
  int id;
  std::memcpy(&id, bookmark.constData(), sizeof id);
  return IndexOfId(id);
}

template <class TBlob> typename TRowStoreDataSet<TBlob>::TRow &TRowStoreDataSet<TBlob>::CursorRow() {
  if (FCursor < 0 || FCursor >= int(FRows.size()))
    DatabaseError(QStringLiteral("Record not found"), this);
  return FRows[std::size_t(FCursor)];
}

template <class TBlob> void TRowStoreDataSet<TBlob>::InsertRow(TRecordBuffer buffer, bool append) {
  TRow row;
  row.Id = FNextId++;
  StoreBuffer(buffer, row);
  const int position = append ? int(FRows.size()) : std::clamp(FCursor, 0, int(FRows.size()));
  FIdsInOrder = FIdsInOrder && position == int(FRows.size());
  FRows.insert(std::size_t(position), std::move(row));
  FCursor = position;
}

template <class TBlob> void TRowStoreDataSet<TBlob>::EraseCursorRow() {
  CursorRow(); // raises when there is none
  FRows.erase(std::size_t(FCursor));
  // Rows stored later take ids past the deleted one: position and id no longer agree.
  FIdsInOrder = false;
}

template <class TBlob> void TRowStoreDataSet<TBlob>::CopyRow(TRecordBuffer buffer, int index) {
  TBuffer *b = Buf(buffer);
  const TRow &row = FRows[std::size_t(index)];
  b->Id = row.Id;
  b->Flag = bfCurrent;
  std::memcpy(b->Data.data(), row.Data.constData(), std::size_t(FDataSize));
  b->Blobs = row.Blobs;
}

template <class TBlob> void TRowStoreDataSet<TBlob>::FillBuffer(TRecordBuffer buffer, int index) {
  CopyRow(buffer, index);
  GetCalcFields(buffer);
}

template <class TBlob> void TRowStoreDataSet<TBlob>::StoreBuffer(TRecordBuffer buffer, TRow &row) const {
  row.Data = Buf(buffer)->Data.left(FDataSize);
  row.Blobs = Buf(buffer)->Blobs;
}

template <class TBlob> bool TRowStoreDataSet<TBlob>::TakeRow(TRecordBuffer buffer, int index) {
  FillBuffer(buffer, index);
  if (!RecordAccepted(buffer))
    return false;
  FCursor = index;
  return true;
}

template <class TBlob>
TGetResult TRowStoreDataSet<TBlob>::GetRecord(TRecordBuffer buffer, TGetMode getMode, bool doCheck) {
  if (getMode == gmCurrent) {
    if (FCursor < 0 || FCursor >= int(FRows.size())) {
      if (doCheck)
        DatabaseError(QStringLiteral("No current record"), this);
      return grError;
    }
    FillBuffer(buffer, FCursor);
    return RecordAccepted(buffer) ? grOK : grError;
  }
  if (getMode == gmNext) {
    // After a delete the cursor may stand past the rows fetched so far: FetchUpTo fetches up to it.
    for (int i = FCursor + 1; FetchUpTo(i); ++i)
      if (TakeRow(buffer, i))
        return grOK;
    FCursor = int(FRows.size());
    return grEOF;
  }
  for (int i = std::min(FCursor, int(FRows.size())) - 1; i >= 0; --i)
    if (TakeRow(buffer, i))
      return grOK;
  FCursor = -1;
  return grBOF;
}

template <class TBlob> inline int TRowStoreDataSet<TBlob>::SlotOffset(const TField *field) const {
  // One unsigned compare covers field numbers below 1 and past the end.
  const auto index = std::size_t(field->FieldNo() - 1);
  const int offset = index < FOffsets.size() ? FOffsets[index] : -1;
  if (offset < 0) [[unlikely]]
    NoSlotError(field);
  return offset;
}

template <class TBlob> void TRowStoreDataSet<TBlob>::NoSlotError(const TField *field) const {
  DatabaseError(QStringLiteral("Field '%1' has no place in the record").arg(field->DisplayName()), this);
}

template <class TBlob>
char *TRowStoreDataSet<TBlob>::FieldSlot(TRecordBuffer buffer, const TField *field) const {
  return Buf(buffer)->Data.data() + SlotOffset(field);
}

template <class TBlob>
TBlob &TRowStoreDataSet<TBlob>::BlobSlot(TRecordBuffer buffer, const TField *field) const {
  const int no = field->FieldNo();
  if (no < 1 || no > int(FBlobIndex.size()) || FBlobIndex[std::size_t(no - 1)] < 0)
    DatabaseError(QStringLiteral("Field '%1' is not a blob of this dataset").arg(field->DisplayName()), this);
  return Buf(buffer)->Blobs[std::size_t(FBlobIndex[std::size_t(no - 1)])];
}

template <class TBlob>
std::unique_ptr<QIODevice> TRowStoreDataSet<TBlob>::CreateBlobStream(TField *field, TBlobStreamMode mode) {
  const TRecordBuffer record = GetActiveRecBuf();
  if (!record)
    DatabaseError(QStringLiteral("No current record"), this);
  if (mode != bmRead && !IsEditMode(State()))
    DatabaseError(QStringLiteral("Dataset not in edit or insert mode"), this);
  TBlob &slot = BlobSlot(record, field);
  const QByteArray bytes = mode == bmWrite || slot.IsNull ? QByteArray() : BlobBytes(slot);
  return std::make_unique<TRowBlobStream<TBlob>>(this, field, &slot, bytes, mode);
}

template <class TBlob> bool TRowStoreDataSet<TBlob>::GetFieldData(TField *field, void *buffer) {
  const TRecordBuffer record = GetActiveRecBuf();
  if (!record)
    return false;
  if (field->Calculated())
    return GetCalcFieldData(field, Buf(record)->Data.constData() + FDataSize, buffer);
  if (field->IsBlob())
    return !BlobSlot(record, field).IsNull;
  // Read without data(): that would check whether the buffer's bytes are shared on every read.
  const char *slot = Buf(record)->Data.constData() + SlotOffset(field);
  if (slot[0] == 0)
    return false;
  if (buffer)
    std::memcpy(buffer, slot + 1, std::size_t(field->DataSize()));
  return true;
}

template <class TBlob> void TRowStoreDataSet<TBlob>::SetFieldData(TField *field, const void *buffer) {
  const TRecordBuffer record = GetActiveRecBuf();
  if (!record)
    DatabaseError(QStringLiteral("No current record"), this);
  if (field->Calculated()) {
    SetCalcFieldData(field, Buf(record)->Data.data() + FDataSize, buffer);
  } else if (field->IsBlob()) {
    TBlob &slot = BlobSlot(record, field);
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

template <class TBlob> void TRowStoreDataSet<TBlob>::ClearCalcFields(TRecordBuffer buffer) {
  std::memset(Buf(buffer)->Data.data() + FDataSize, 0, std::size_t(CalcFieldsSize()));
}

template <class TBlob> void TRowStoreDataSet<TBlob>::InternalInitRecord(TRecordBuffer buffer) {
  TBuffer *b = Buf(buffer);
  b->Id = 0;
  b->Data.fill('\0');
  b->Blobs.assign(std::size_t(FBlobCount), TBlob());
}

template <class TBlob> void TRowStoreDataSet<TBlob>::InternalGotoBookmark(const void *bookmark) {
  int id;
  std::memcpy(&id, bookmark, sizeof id);
  const int index = IndexOfId(id);
  if (index < 0)
    DatabaseError(QStringLiteral("Record not found"), this);
  FCursor = index;
}

template <class TBlob>
int TRowStoreDataSet<TBlob>::CompareBookmarks(const TBookmark &bookmark1, const TBookmark &bookmark2) {
  const int a = IndexOfBookmark(bookmark1), b = IndexOfBookmark(bookmark2);
  return a < b ? -1 : a > b ? 1 : 0;
}

template <class TBlob> int TRowStoreDataSet<TBlob>::GetRecNo() const {
  if (State() != dsBrowse || IsEmpty() || Filtered())
    return -1;
  return IndexOfId(Buf(ActiveBuffer())->Id) + 1;
}

template <class TBlob> void TRowStoreDataSet<TBlob>::SetRecNo(int value) {
  CheckBrowseMode();
  FetchUpTo(value - 1);
  if (Filtered() || value < 1 || value > int(FRows.size()))
    return;
  DoBeforeScroll();
  FCursor = value - 1;
  Resync({rmExact, rmCenter});
  DoAfterScroll();
}
