#include "TestDataSet.h"

#include "Exceptions.h"

#include <QBuffer>
#include <cstring>

struct TTestDataSet::TBuffer {
  int Id = 0;
  TBookmarkFlag Flag = bfCurrent;
  QByteArray Data; // field data, then the calculated-field area
  std::vector<QVariant> Blobs;
};

namespace {

// Writes the blob value back into the record buffer when the stream goes.
class TTestBlobStream : public QBuffer {
public:
  TTestBlobStream(TDataSet *dataSet, TField *field, QVariant *slot, bool write)
      : FDataSet(dataSet), FField(field), FSlot(slot), FWrite(write) {
    if (!write)
      setData(slot->toByteArray());
    open(write ? QIODevice::WriteOnly : QIODevice::ReadOnly);
  }
  ~TTestBlobStream() override {
    if (!FWrite)
      return;
    *FSlot = data().isEmpty() ? QVariant() : QVariant(data());
    FDataSet->DataEvent(deFieldChange, reinterpret_cast<std::intptr_t>(FField));
  }

private:
  TDataSet *FDataSet;
  TField *FField;
  QVariant *FSlot;
  bool FWrite;
};

} // namespace

TTestDataSet::TTestDataSet(QObject *owner) : TDataSet(owner) { SetBookmarkSize(int(sizeof(int))); }

TTestDataSet::~TTestDataSet() { CloseOnDestroy(); }

void TTestDataSet::InternalOpen() {
  if (FieldDefs().Count() == 0)
    DatabaseError(QStringLiteral("There must be at least one field"), this);
  if (DefaultFields())
    CreateFields();
  BindFields(true);
  FOffsets.assign(std::size_t(FieldDefs().Count()), -1);
  FDataSize = 0;
  for (int i = 0; i < FieldDefs().Count(); ++i) {
    const TField *field = FieldByNumber(i + 1);
    FOffsets[std::size_t(i)] = FDataSize;
    FDataSize += 1 + (field ? field->DataSize() : 0);
  }
  for (TRow &row : FRows)
    row.Data.resize(FDataSize);
  FCursor = -1;
  FCursorOpen = true;
}

void TTestDataSet::InternalClose() {
  FCursorOpen = false;
  BindFields(false);
  if (DefaultFields())
    DestroyFields();
}

TRecordBuffer TTestDataSet::AllocRecordBuffer() {
  auto *buffer = new TBuffer;
  buffer->Data = QByteArray(FDataSize + CalcFieldsSize(), '\0');
  buffer->Blobs.resize(std::size_t(FieldDefs().Count()));
  return reinterpret_cast<TRecordBuffer>(buffer);
}

void TTestDataSet::FreeRecordBuffer(TRecordBuffer &buffer) {
  delete Buf(buffer);
  buffer = nullptr;
}

int TTestDataSet::IndexOfId(int id) const {
  for (std::size_t i = 0; i < FRows.size(); ++i)
    if (FRows[i].Id == id)
      return int(i);
  return -1;
}

void TTestDataSet::FillBuffer(TRecordBuffer buffer, int index) {
  TBuffer *b = Buf(buffer);
  const TRow &row = FRows[std::size_t(index)];
  b->Id = row.Id;
  b->Flag = bfCurrent;
  std::memcpy(b->Data.data(), row.Data.constData(), std::size_t(FDataSize));
  b->Blobs = row.Blobs;
  b->Blobs.resize(std::size_t(FieldDefs().Count()));
  GetCalcFields(buffer);
}

bool TTestDataSet::Accepted(TRecordBuffer buffer) {
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

TGetResult TTestDataSet::GetRecord(TRecordBuffer buffer, TGetMode getMode, bool doCheck) {
  const int count = int(FRows.size());
  if (getMode == gmCurrent) {
    if (FCursor < 0 || FCursor >= count) {
      if (doCheck)
        DatabaseError(QStringLiteral("No current record"), this);
      return grError;
    }
    FillBuffer(buffer, FCursor);
    return Accepted(buffer) ? grOK : grError;
  }
  const int step = getMode == gmNext ? 1 : -1;
  for (int i = FCursor + step; i >= 0 && i < count; i += step) {
    FillBuffer(buffer, i);
    if (Accepted(buffer)) {
      FCursor = i;
      return grOK;
    }
  }
  FCursor = getMode == gmNext ? count : -1;
  return getMode == gmNext ? grEOF : grBOF;
}

char *TTestDataSet::FieldSlot(TRecordBuffer buffer, const TField *field) const {
  const int no = field->FieldNo();
  if (no < 1 || no > int(FOffsets.size()))
    DatabaseError(QStringLiteral("Field '%1' has no place in the record").arg(field->DisplayName()), this);
  return Buf(buffer)->Data.data() + FOffsets[std::size_t(no - 1)];
}

bool TTestDataSet::GetFieldData(TField *field, void *buffer) {
  const TRecordBuffer record = GetActiveRecBuf();
  if (!record)
    return false;
  if (field->Calculated())
    return GetCalcFieldData(field, Buf(record)->Data.constData() + FDataSize, buffer);
  if (field->IsBlob())
    return !Buf(record)->Blobs[std::size_t(field->FieldNo() - 1)].isNull();
  const char *slot = FieldSlot(record, field);
  if (slot[0] == 0)
    return false;
  if (buffer)
    std::memcpy(buffer, slot + 1, std::size_t(field->DataSize()));
  return true;
}

void TTestDataSet::SetFieldData(TField *field, const void *buffer) {
  const TRecordBuffer record = GetActiveRecBuf();
  if (!record)
    DatabaseError(QStringLiteral("No current record"), this);
  if (field->Calculated()) {
    SetCalcFieldData(field, Buf(record)->Data.data() + FDataSize, buffer);
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

std::unique_ptr<QIODevice> TTestDataSet::CreateBlobStream(TField *field, TBlobStreamMode mode) {
  const TRecordBuffer record = GetActiveRecBuf();
  if (!record)
    DatabaseError(QStringLiteral("No current record"), this);
  const bool write = mode != bmRead;
  if (write && !IsEditMode(State()))
    DatabaseError(QStringLiteral("Dataset not in edit or insert mode"), this);
  QVariant *slot = &Buf(record)->Blobs[std::size_t(field->FieldNo() - 1)];
  return std::make_unique<TTestBlobStream>(this, field, slot, write);
}

void TTestDataSet::ClearCalcFields(TRecordBuffer buffer) {
  std::memset(Buf(buffer)->Data.data() + FDataSize, 0, std::size_t(CalcFieldsSize()));
}

void TTestDataSet::InternalInitRecord(TRecordBuffer buffer) {
  TBuffer *b = Buf(buffer);
  b->Id = 0;
  b->Data.fill('\0');
  b->Blobs.assign(std::size_t(FieldDefs().Count()), QVariant());
}

void TTestDataSet::StoreBuffer(TRecordBuffer buffer, TRow &row) {
  row.Data = Buf(buffer)->Data.left(FDataSize);
  row.Blobs = Buf(buffer)->Blobs;
}

void TTestDataSet::InternalAddRecord(TRecordBuffer buffer, bool append) {
  TRow row;
  row.Id = FNextId++;
  StoreBuffer(buffer, row);
  const int position = append ? int(FRows.size()) : std::clamp(FCursor, 0, int(FRows.size()));
  FRows.insert(FRows.begin() + position, std::move(row));
  FCursor = position;
}

void TTestDataSet::InternalPost() {
  if (FFailPosts > 0) {
    --FFailPosts;
    DatabaseError(QStringLiteral("Simulated failure"), this);
  }
  if (State() == dsInsert) {
    InternalAddRecord(ActiveBuffer(), GetBookmarkFlag(ActiveBuffer()) == bfEOF);
    return;
  }
  if (FCursor < 0 || FCursor >= int(FRows.size()))
    DatabaseError(QStringLiteral("Record not found"), this);
  StoreBuffer(ActiveBuffer(), FRows[std::size_t(FCursor)]);
}

void TTestDataSet::InternalDelete() {
  if (FCursor < 0 || FCursor >= int(FRows.size()))
    DatabaseError(QStringLiteral("Record not found"), this);
  FRows.erase(FRows.begin() + FCursor);
}

void TTestDataSet::InternalSetToRecord(TRecordBuffer buffer) { InternalGotoBookmark(&Buf(buffer)->Id); }

void TTestDataSet::InternalGotoBookmark(const void *bookmark) {
  int id;
  std::memcpy(&id, bookmark, sizeof id);
  const int index = IndexOfId(id);
  if (index < 0)
    DatabaseError(QStringLiteral("Record not found"), this);
  FCursor = index;
}

void TTestDataSet::GetBookmarkData(TRecordBuffer buffer, void *data) { std::memcpy(data, &Buf(buffer)->Id, sizeof(int)); }
void TTestDataSet::SetBookmarkData(TRecordBuffer buffer, const void *data) { std::memcpy(&Buf(buffer)->Id, data, sizeof(int)); }
TBookmarkFlag TTestDataSet::GetBookmarkFlag(TRecordBuffer buffer) { return Buf(buffer)->Flag; }
void TTestDataSet::SetBookmarkFlag(TRecordBuffer buffer, TBookmarkFlag value) { Buf(buffer)->Flag = value; }

bool TTestDataSet::BookmarkValid(const TBookmark &bookmark) {
  if (bookmark.size() != int(sizeof(int)))
    return false;
  int id;
  std::memcpy(&id, bookmark.constData(), sizeof id);
  return IndexOfId(id) >= 0;
}

int TTestDataSet::CompareBookmarks(const TBookmark &bookmark1, const TBookmark &bookmark2) {
  auto position = [this](const TBookmark &b) {
    if (b.size() != int(sizeof(int)))
      return -1;
    int id;
    std::memcpy(&id, b.constData(), sizeof id);
    return IndexOfId(id);
  };
  const int a = position(bookmark1), b = position(bookmark2);
  return a < b ? -1 : a > b ? 1 : 0;
}

int TTestDataSet::GetRecordCount() const {
  if (!Filtered() || !OnFilterRecord)
    return int(FRows.size());
  auto *self = const_cast<TTestDataSet *>(this);
  const TRecordBuffer work = self->WorkBuffer();
  int count = 0;
  for (int i = 0; i < int(FRows.size()); ++i) {
    self->FillBuffer(work, i);
    if (self->Accepted(work))
      ++count;
  }
  return count;
}

int TTestDataSet::GetRecNo() const {
  if (State() != dsBrowse || IsEmpty() || Filtered())
    return -1;
  return IndexOfId(Buf(ActiveBuffer())->Id) + 1;
}

void TTestDataSet::SetRecNo(int value) {
  CheckBrowseMode();
  if (Filtered() || value < 1 || value > int(FRows.size()))
    return;
  DoBeforeScroll();
  FCursor = value - 1;
  Resync({rmExact, rmCenter});
  DoAfterScroll();
}

void TTestDataSet::SetFiltered(bool value) {
  if (value && !Filter().trimmed().isEmpty())
    DatabaseError(QStringLiteral("Filter expressions are not evaluated by this dataset"), this);
  TDataSet::SetFiltered(value);
}
