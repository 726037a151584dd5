// TwoxCustomMemTable: opening and closing, record buffers, field access, bookmarks and the cursor.
#include "woxMemTable.h"

#include "FilterExpr.h"
#include "woxMemDeltaHandler.h"
#include "woxMemFilterProgram.h"
#include "woxMemTableError.h"
#include "woxMemTablePrivate.h"

#include <cstring>

namespace {

struct TwoxBookmarkData {
  qint32 RecordID;
  qint32 UniqueRecordID;
  quint32 TableID;
};

bool DecodeBookmark(const TBookmark &bookmark, TwoxBookmarkData &data) {
  if (bookmark.size() != int(sizeof(TwoxBookmarkData)))
    return false;
  std::memcpy(&data, bookmark.constData(), sizeof data);
  return true;
}

// The records of a shared store are laid out by its owner's definitions: an attached table must
// read them through the same ones.
bool SameLayout(const TFieldDefs &mine, const TFieldDefs &owner) {
  if (mine.Count() != owner.Count())
    return false;
  for (int i = 0; i < mine.Count(); ++i) {
    const TFieldDef &a = *mine.Items(i), &b = *owner.Items(i);
    if (a.Name().compare(b.Name(), Qt::CaseInsensitive) != 0 || a.DataType() != b.DataType() ||
        a.Size() != b.Size())
      return false;
  }
  return true;
}

} // namespace

TwoxCustomMemTable::TwoxCustomMemTable(QObject *owner)
    : TDataSet(owner), FOwnCommon(std::make_unique<TwoxCommon>(this)), FCommon(FOwnCommon.get()),
      FIndexes(*this), FCurrentIndex(&FIndexes.RowOrderIndex()),
      FProgressFlags(ProgressBit(mtpcLoad) | ProgressBit(mtpcSave) | ProgressBit(mtpcCopy)) {
  SetBookmarkSize(int(sizeof(TwoxBookmarkData)));
  FCommon->Attach(this);
}

TwoxCustomMemTable::~TwoxCustomMemTable() {
  // An active table is saved to its persistent file also when it is freed (a destructor cannot report).
  try {
    SavePersistentFile();
  } catch (...) {
  }
  CloseOnDestroy();
  if (FDeltaHandler)
    FDeltaHandler->SetMemTable(nullptr);
  // Tables sharing this store go back to stores of their own.
  if (FCommon->Owner() == this)
    for (TDataSet *table : std::vector<TDataSet *>(FCommon->AttachedTables()))
      if (table && table != this)
        static_cast<TwoxCustomMemTable *>(table)->SetAttachedTo(nullptr);
  FCommon->Detach(this);
}

// ---------------------------------------------------------------- opening and closing

void TwoxCustomMemTable::InternalInitFieldDefs() {
  // Persistent fields describe the table when no definitions were given.
  if (FieldDefs().Count() > 0)
    return;
  for (TField *field : FieldList())
    if (field->FieldKind() == fkData || field->FieldKind() == fkInternalCalc)
      FieldDefs().Add(field->FieldName(), field->DataType(), field->Size(), field->Required());
}

void TwoxCustomMemTable::InternalOpen() {
  if (FAttachedTo && !FAttachedTo->Active())
    FAttachedTo->Open();
  TwoxStoreLock lock(*FCommon);
  InternalInitFieldDefs();
  MemCheckFieldDefs(FieldDefs());
  if (FAttachedTo && !SameLayout(FieldDefs(), FAttachedTo->FieldDefs()))
    MemTableError(
        QStringLiteral("The field definitions differ from those of the table this table is attached to"));
  if (DefaultFields())
    CreateFields();
  BindFields(true);
  FCommon->CompressField = [this](TField *field, const QByteArray &bytes) {
    QByteArray result = bytes;
    if (OnCompressField)
      OnCompressField(this, field, bytes, result);
    return result;
  };
  FCommon->DecompressField = [this](TField *field, const QByteArray &bytes) {
    QByteArray result = bytes;
    if (OnDecompressField)
      OnDecompressField(this, field, bytes, result);
    return result;
  };
  if (FCommon->Owner() == this)
    FCommon->ComputeLayout(FieldDefs(), [this](int fieldNo, quint8 &flags) {
      if (OnSetupField)
        if (TField *field = FieldByNumber(fieldNo))
          OnSetupField(this, field, flags);
    });
  FIndexes.BuildFromIndexDefs(IndexDefs());
  FCurrentIndex = &FIndexes.RowOrderIndex();
  FIndexFieldList.Clear();
  FKeyBuffer = AllocRecordBuffer();
  FFilterScratch = AllocRecordBuffer();
  FCursor = -1;
  FCursorOpen = true;
  RebuildIndexes();
  ApplyIndexSelection();
  ParseFilter();
  MasterChanged();
}

void TwoxCustomMemTable::DoAfterOpen() {
  LoadFormData();
  LoadPersistentFile();
  TDataSet::DoAfterOpen();
}

void TwoxCustomMemTable::DoBeforeClose() {
  TDataSet::DoBeforeClose();
  SavePersistentFile();
}

void TwoxCustomMemTable::InternalClose() {
  FCursorOpen = false;
  // The parse tree and the key records refer to fields and a layout that go now.
  TakeFilter(nullptr);
  FRangeActive = false;
  FRangeStart.reset();
  FRangeEnd.reset();
  FMasterKey.reset();
  FMasterKeyCount = 0;
  if (FCommon->Owner() == this) {
    for (TDataSet *table : std::vector<TDataSet *>(FCommon->AttachedTables()))
      if (table && table != this)
        table->Close();
    if (FTakeRecordsOnClose)
      FTakenRecords = FCommon->TakeContent();
    else
      FCommon->Empty();
  }
  FIndexes.Clear();
  FCurrentIndex = &FIndexes.RowOrderIndex();
  FIndexFieldList.Clear();
  if (FKeyBuffer)
    FreeRecordBuffer(FKeyBuffer);
  if (FFilterScratch)
    FreeRecordBuffer(FFilterScratch);
  BindFields(false);
  if (DefaultFields())
    DestroyFields();
}

TwoxStoreContent TwoxCustomMemTable::CloseKeepingRecords() {
  FTakeRecordsOnClose = true;
  FTakenRecords = TwoxStoreContent();
  try {
    Close();
  } catch (...) {
    FTakeRecordsOnClose = false;
    throw;
  }
  FTakeRecordsOnClose = false;
  return std::move(FTakenRecords);
}

void TwoxCustomMemTable::RestoreRecords(TwoxStoreContent &&content) {
  CheckActive();
  FCommon->RestoreContent(std::move(content));
  RenumberAttached();
  First();
}

void TwoxCustomMemTable::DiscardRecordsFrom(int firstUniqueRecordID) {
  TwoxStoreLock lock(*FCommon);
  bool discarded = false;
  for (int id = 0; id < FCommon->RecordSlotCount(); ++id)
    if (const TwoxRecord *record = FCommon->Record(id);
        record && record->UniqueRecordID >= firstUniqueRecordID) {
      FCommon->DeleteRecord(id);
      discarded = true;
    }
  if (discarded)
    RenumberAttached();
}

void TwoxCustomMemTable::SetPerformance(TwoxMemTablePerformance value) {
  if (Active())
    MemTableError(QStringLiteral("Table must be closed for this operation."));
  FCommon->SetPerformance(value);
}

// ---------------------------------------------------------------- record buffers

TRecordBuffer TwoxCustomMemTable::AllocRecordBuffer() {
  auto *buffer = new TwoxBuffer;
  buffer->Record = FCommon->AllocRecord();
  buffer->Calc = QByteArray(CalcFieldsSize(), '\0');
  return reinterpret_cast<TRecordBuffer>(buffer);
}

void TwoxCustomMemTable::FreeRecordBuffer(TRecordBuffer &buffer) {
  delete Buf(buffer);
  buffer = nullptr;
}

const TwoxRecord &TwoxCustomMemTable::DataRecord(TRecordBuffer buffer) {
  const TwoxBuffer *b = Buf(buffer);
  return b->View ? *b->View : *b->Record;
}

TwoxRecord *TwoxCustomMemTable::StoredRecord(TRecordBuffer buffer) const {
  const TwoxBuffer *b = Buf(buffer);
  if (b->TableID != FCommon->TableID())
    return nullptr;
  TwoxRecord *record = FCommon->Record(b->Record->RecordID);
  return record && record->UniqueRecordID == b->Record->UniqueRecordID ? record : nullptr;
}

void TwoxCustomMemTable::FillBuffer(TRecordBuffer buffer, TwoxRecord &record) {
  TwoxBuffer *b = Buf(buffer);
  TwoxRecord &copy = *b->Record;
  b->RecordNumber = FCursor;
  copy.RecordID = record.RecordID;
  copy.UniqueRecordID = record.UniqueRecordID;
  copy.Flags = record.Flags;
  copy.UpdateStatus = record.UpdateStatus;
  copy.TransactionLevel = record.TransactionLevel;
  copy.CopyDataFrom(record);
  b->View = nullptr;
  b->Flag = bfCurrent;
  b->TableID = FCommon->TableID();
  ClearCalcFields(buffer);
  if (FRecalcOnFetch)
    GetCalcFields(buffer);
}

void TwoxCustomMemTable::InternalInitRecord(TRecordBuffer buffer) {
  TwoxBuffer *b = Buf(buffer);
  // The buffer's record keeps its memory: a new record costs no allocation.
  TwoxRecord &record = *b->Record;
  record.RecordID = record.UniqueRecordID = record.TransactionLevel = -1;
  b->RecordNumber = -1;
  record.Flags = 0;
  record.UpdateStatus = mtusUnmodified;
  record.SetPreviousVersion(nullptr);
  record.ResizeData(FCommon->DataSize());
  std::memset(record.Data(), 0, std::size_t(FCommon->DataSize()));
  for (int i = 0; i < record.OutsideCount(); ++i)
    record.Outside(i) = TwoxOutsideValue();
  b->View = nullptr;
  b->TableID = FCommon->TableID();
  b->Calc.fill('\0');
}

void TwoxCustomMemTable::ClearCalcFields(TRecordBuffer buffer) { Buf(buffer)->Calc.fill('\0'); }

TRecordBuffer TwoxCustomMemTable::GetActiveRecBuf() const {
  return State() == dsSetKey ? FKeyBuffer : TDataSet::GetActiveRecBuf();
}

// ---------------------------------------------------------------- the cursor

TwoxRecord *TwoxCustomMemTable::CursorRecord() const {
  return FCursor >= 0 && FCursor < FCurrentIndex->Count() ? FCurrentIndex->Records(FCursor) : nullptr;
}

bool TwoxCustomMemTable::MoveNextAccepted() {
  const int count = FCurrentIndex->Count();
  for (int i = std::max(FCursor + 1, 0); i < count; ++i)
    if (AcceptRecord(*FCurrentIndex->Records(i), false)) {
      FCursor = i;
      return true;
    }
  SetCursorAfterLast();
  return false;
}

bool TwoxCustomMemTable::MovePriorAccepted() {
  for (int i = std::min(FCursor - 1, FCurrentIndex->Count() - 1); i >= 0; --i)
    if (AcceptRecord(*FCurrentIndex->Records(i), false)) {
      FCursor = i;
      return true;
    }
  SetCursorBeforeFirst();
  return false;
}

TGetResult TwoxCustomMemTable::GetRecord(TRecordBuffer buffer, TGetMode getMode, bool) {
  TwoxStoreLock lock(*FCommon);
  switch (getMode) {
  case gmCurrent: {
    TwoxRecord *record = CursorRecord();
    if (!record || !AcceptRecord(*record, false))
      return grError;
    break;
  }
  case gmNext:
    if (!MoveNextAccepted())
      return grEOF;
    break;
  case gmPrior:
    if (!MovePriorAccepted())
      return grBOF;
    break;
  }
  FillBuffer(buffer, *CursorRecord());
  return grOK;
}

int TwoxCustomMemTable::GetRecordCount() const {
  CheckActive();
  auto *self = const_cast<TwoxCustomMemTable *>(this);
  TwoxStoreLock lock(*FCommon);
  if (!RestrictionsActive())
    return FCurrentIndex->Count();
  int count = 0;
  for (int i = 0; i < FCurrentIndex->Count(); ++i)
    if (self->AcceptRecord(*FCurrentIndex->Records(i), false))
      ++count;
  return count;
}

int TwoxCustomMemTable::GetRecNo() const {
  if (!Active() || State() == dsInsert)
    return -1;
  const TRecordBuffer buffer = GetActiveRecBuf();
  TwoxRecord *record = buffer ? StoredRecord(buffer) : nullptr;
  return record ? FCurrentIndex->PositionOf(*record, Buf(buffer)->RecordNumber) + 1 : -1;
}

void TwoxCustomMemTable::SetRecNo(int value) {
  CheckBrowseMode();
  if (value >= 1 && value <= RecordCount())
    MoveBy(value - RecNo());
}

// ---------------------------------------------------------------- fields

bool TwoxCustomMemTable::GetFieldData(TField *field, void *buffer) {
  const TRecordBuffer record = GetActiveRecBuf();
  if (!record)
    return false;
  if (field->Calculated())
    return GetCalcFieldData(field, Buf(record)->Calc.constData(), buffer);
  return FCommon->ReadField(DataRecord(record), field, buffer);
}

void TwoxCustomMemTable::SetFieldData(TField *field, const void *buffer) {
  const TRecordBuffer record = GetActiveRecBuf();
  if (!record)
    MemTableError(QStringLiteral("Invalid record "));
  if (field->Calculated())
    SetCalcFieldData(field, Buf(record)->Calc.data(), buffer);
  else
    FCommon->WriteField(*Buf(record)->Record, field, buffer);
  const TDataSetState state = State();
  if (state != dsCalcFields && state != dsInternalCalc && state != dsFilter && state != dsNewValue &&
      state != dsSetKey)
    DataEvent(deFieldChange, reinterpret_cast<std::intptr_t>(field));
}

void TwoxCustomMemTable::CheckFieldWritable(TField *field) {
  const TDataSetState state = State();
  if (!IsWriteMode(state))
    MemTableError(QStringLiteral("Dataset is not in edit mode."));
  if (state == dsSetKey || state == dsCalcFields || state == dsFilter || state == dsInternalCalc)
    return;
  const bool computed = field->FieldKind() == fkCalculated || field->FieldKind() == fkLookup ||
                        field->FieldKind() == fkAggregate;
  if (computed || (field->ReadOnly() && !FReadOnlyOverride))
    MemTableError(QStringLiteral("Field %1 is read only").arg(field->DisplayName()));
}

void TwoxCustomMemTable::DataEvent(TDataEvent event, std::intptr_t info) {
  if (FCommon->Updating())
    return;
  TDataSet::DataEvent(event, info);
}

// ---------------------------------------------------------------- bookmarks

void TwoxCustomMemTable::GetBookmarkData(TRecordBuffer buffer, void *data) {
  const TwoxBuffer *b = Buf(buffer);
  const TwoxBookmarkData bookmark{b->Record->RecordID, b->Record->UniqueRecordID, b->TableID};
  std::memcpy(data, &bookmark, sizeof bookmark);
}

void TwoxCustomMemTable::SetBookmarkData(TRecordBuffer buffer, const void *data) {
  TwoxBookmarkData bookmark;
  std::memcpy(&bookmark, data, sizeof bookmark);
  TwoxBuffer *b = Buf(buffer);
  b->Record->RecordID = bookmark.RecordID;
  b->Record->UniqueRecordID = bookmark.UniqueRecordID;
  b->TableID = bookmark.TableID;
}

TBookmarkFlag TwoxCustomMemTable::GetBookmarkFlag(TRecordBuffer buffer) { return Buf(buffer)->Flag; }
void TwoxCustomMemTable::SetBookmarkFlag(TRecordBuffer buffer, TBookmarkFlag value) {
  Buf(buffer)->Flag = value;
}

void TwoxCustomMemTable::InternalGotoBookmark(const void *bookmark) {
  TwoxBookmarkData data;
  std::memcpy(&data, bookmark, sizeof data);
  TwoxStoreLock lock(*FCommon);
  TwoxRecord *record = data.TableID == FCommon->TableID() ? FCommon->Record(data.RecordID) : nullptr;
  const int position =
      record && record->UniqueRecordID == data.UniqueRecordID ? FCurrentIndex->PositionOf(*record) : -1;
  if (position < 0)
    MemTableError(QStringLiteral("Bookmark %1 not found.").arg(data.RecordID));
  FCursor = position;
}

void TwoxCustomMemTable::InternalSetToRecord(TRecordBuffer buffer) {
  switch (Buf(buffer)->Flag) {
  case bfBOF: FCursor = -1; break;
  case bfEOF: FCursor = FCurrentIndex->Count(); break;
  default:
    if (TwoxRecord *record = StoredRecord(buffer)) {
      const int position = FCurrentIndex->PositionOf(*record, Buf(buffer)->RecordNumber);
      if (position >= 0)
        FCursor = position;
    }
  }
}

bool TwoxCustomMemTable::BookmarkValid(const TBookmark &bookmark) {
  TwoxBookmarkData data;
  if (!DecodeBookmark(bookmark, data) || data.TableID != FCommon->TableID())
    return false;
  const TwoxRecord *record = FCommon->Record(data.RecordID);
  return record && record->UniqueRecordID == data.UniqueRecordID && record->UpdateStatus != mtusDeleted;
}

int TwoxCustomMemTable::CompareBookmarks(const TBookmark &bookmark1, const TBookmark &bookmark2) {
  const bool valid1 = BookmarkValid(bookmark1), valid2 = BookmarkValid(bookmark2);
  if (!valid1 || !valid2)
    return valid1 == valid2 ? 0 : (valid1 ? 1 : -1);
  TwoxBookmarkData a, b;
  DecodeBookmark(bookmark1, a);
  DecodeBookmark(bookmark2, b);
  TwoxRecord *first = FCommon->Record(a.RecordID), *second = FCommon->Record(b.RecordID);
  int result = FCurrentIndex->RowOrder() ? 0 : FCurrentIndex->CompareRecords(*first, *second);
  if (result == 0) {
    const int p1 = FCurrentIndex->PositionOf(*first), p2 = FCurrentIndex->PositionOf(*second);
    result = p1 < p2 ? -1 : (p1 > p2 ? 1 : 0);
  }
  if (result == 0)
    result = a.RecordID < b.RecordID ? -1 : (a.RecordID > b.RecordID ? 1 : 0);
  return result;
}
