#include "woxMemCommon.h"

#include "DB.h"
#include "FieldDefs.h"
#include "woxMemFieldTypes.h"
#include "woxMemTableError.h"

#include <QRandomGenerator>
#include <cstring>

namespace {

constexpr int UniqueIdLimit = 2147483600;

bool IsStringLike(TFieldType type) {
  return type == ftString || type == ftFixedChar || type == ftBytes || type == ftVarBytes;
}

} // namespace

int MemFieldDataSize(TFieldType type, int size) {
  switch (type) {
  case ftString:
  case ftFixedChar: return size + 1;
  case ftSmallint:
  case ftWord:
  case ftBoolean: return 2;
  case ftInteger:
  case ftAutoInc: return 4;
  case ftFloat:
  case ftCurrency:
  case ftDate:
  case ftTime:
  case ftDateTime:
  case ftLargeint: return 8;
  case ftBCD: return 34;
  case ftBytes: return size;
  case ftVarBytes: return size + 2;
  default: return -1;
  }
}

std::unique_ptr<TwoxRecord> TwoxRecord::Copy(bool withVersions) const {
  auto copy = std::make_unique<TwoxRecord>();
  copy->RecordNumber = RecordNumber;
  copy->RecordID = RecordID;
  copy->UniqueRecordID = UniqueRecordID;
  copy->Flags = Flags;
  copy->UpdateStatus = UpdateStatus;
  copy->TransactionLevel = TransactionLevel;
  copy->Data = Data;
  copy->Outside = Outside;
  if (withVersions && PreviousVersion)
    copy->PreviousVersion = PreviousVersion->Copy(true);
  return copy;
}

void TwoxRecord::CopyDataFrom(const TwoxRecord &source) {
  Data = source.Data;
  Outside = source.Outside;
}

TwoxCommon::TwoxCommon(TDataSet *owner) : FOwner(owner), FAttached(1, nullptr) { NewTableID(); }

TwoxCommon::~TwoxCommon() = default;

void TwoxCommon::Lock() {
  if (!FStandalone)
    FLock.lock();
}

void TwoxCommon::Unlock() {
  if (!FStandalone)
    FLock.unlock();
}

void TwoxCommon::NewTableID() {
  const quint32 previous = FTableID;
  do
    FTableID = QRandomGenerator::global()->bounded(2147483649u);
  while (FTableID == previous);
}

// ---------------------------------------------------------------- records

std::unique_ptr<TwoxRecord> TwoxCommon::AllocRecord() const {
  auto record = std::make_unique<TwoxRecord>();
  record->Data = QByteArray(FDataSize, '\0');
  record->Outside.resize(std::size_t(FOutsideCount));
  return record;
}

TwoxRecord *TwoxCommon::AppendRecord(std::unique_ptr<TwoxRecord> record) {
  TwoxStoreLock lock(*this);
  if (FNextUniqueRecordID >= UniqueIdLimit)
    MemTableError(QStringLiteral("Bookmark counter is out of range. Please close and reopen table."));
  record->UniqueRecordID = FNextUniqueRecordID++;
  record->Flags |= mtrfFilled;
  if (FEnableVersioning)
    record->UpdateStatus = mtusInserted;
  TwoxRecord *result = record.get();
  if (FFreeIds.empty()) {
    record->RecordID = FNextRecordID++;
    FRecords.push_back(std::move(record));
  } else {
    const int id = FFreeIds.back();
    FFreeIds.pop_back();
    record->RecordID = id;
    FRecords[std::size_t(id)] = std::move(record);
  }
  FDataModified = true;
  return result;
}

void TwoxCommon::DeleteRecord(int recordId) {
  TwoxStoreLock lock(*this);
  if (!Record(recordId))
    return;
  FRecords[std::size_t(recordId)].reset();
  FFreeIds.push_back(recordId);
  FDataModified = true;
}

void TwoxCommon::Empty() {
  TwoxStoreLock lock(*this);
  FRecords.clear();
  FFreeIds.clear();
  FNextRecordID = 0;
  FNextUniqueRecordID = 0;
  FDeletedCount = 0;
  NewTableID();
}

TwoxRecord *TwoxCommon::Record(int recordId) const {
  if (recordId < 0 || recordId >= int(FRecords.size()))
    return nullptr;
  return FRecords[std::size_t(recordId)].get();
}

// ---------------------------------------------------------------- layout

void TwoxCommon::ComputeLayout(const TFieldDefs &defs, const std::function<void(int, quint8 &)> &setupField) {
  TwoxStoreLock lock(*this);
  if (defs.Count() == 0)
    MemTableError(QStringLiteral("There must be at least one field"));
  if (defs.Count() > WOX_MAX_FIELDS)
    throw Exception(QStringLiteral("Too many fielddefs. Please raise WOX_MAX_FIELDS value."));
  std::vector<TwoxFieldInfo> infos(static_cast<std::size_t>(defs.Count()));
  int dataSize = 0, outsideCount = 0;
  for (int i = 0; i < defs.Count(); ++i) {
    const TFieldDef &def = *defs.Items(i);
    const TFieldType type = def.DataType();
    const bool blob = MemFieldTypes::IsBlobGroup(type);
    const int size = MemFieldDataSize(type, def.Size());
    if (!blob && size < 0)
      MemTableError(QStringLiteral("Fielddef %1 (%2) Datatype %3 not supported.")
                        .arg(def.Name(), def.Name())
                        .arg(int(type)));
    TwoxFieldInfo &info = infos[std::size_t(i)];
    info.DataSize = blob ? 0 : size;
    if (blob || (FPerformance != mtpfFast && IsStringLike(type) && def.Size() >= 13)) {
      info.Flags = mtffOutside;
      if (!blob && FPerformance == mtpfSmall)
        info.Flags |= mtffCompressed;
      if (!blob && setupField)
        setupField(i + 1, info.Flags);
    }
    if (info.Flags & mtffOutside) {
      info.OutsideIndex = outsideCount++;
    } else {
      info.Offset = dataSize;
      dataSize += 1 + size;
    }
  }
  FFields = std::move(infos);
  FDataSize = dataSize;
  FOutsideCount = outsideCount;
}

const TwoxFieldInfo *TwoxCommon::FieldInfo(int fieldNo) const {
  if (fieldNo < 1 || fieldNo > int(FFields.size()))
    return nullptr;
  const TwoxFieldInfo *info = &FFields[std::size_t(fieldNo - 1)];
  return info->Offset < 0 && info->OutsideIndex < 0 ? nullptr : info;
}

namespace {

const TwoxFieldInfo &CheckedInfo(const TwoxCommon &store, const TField *field) {
  const TwoxFieldInfo *info = store.FieldInfo(field->FieldNo());
  if (!info)
    MemTableError(QStringLiteral("Field %1 has no place in the record").arg(field->DisplayName()));
  return *info;
}

// The stored bytes of an outside value are the native value without the unused tail.
QByteArray PackedValue(const TField *field, const char *native, int size) {
  switch (field->DataType()) {
  case ftString:
  case ftFixedChar: return QByteArray(native, int(::strnlen(native, std::size_t(size))));
  case ftVarBytes: {
    quint16 length;
    std::memcpy(&length, native, 2);
    return QByteArray(native, 2 + std::min<int>(length, size - 2));
  }
  default: return QByteArray(native, size);
  }
}

} // namespace

bool TwoxCommon::ReadField(const TwoxRecord &record, const TField *field, void *buffer) const {
  const TwoxFieldInfo &info = CheckedInfo(*this, field);
  if (info.Offset >= 0) {
    const char *slot = record.Data.constData() + info.Offset;
    if (slot[0] == 0)
      return false;
    if (buffer)
      std::memcpy(buffer, slot + 1, std::size_t(std::min(info.DataSize, field->DataSize())));
    return true;
  }
  const TwoxOutsideValue &value = record.Outside[std::size_t(info.OutsideIndex)];
  if (value.State == 0)
    return false;
  if (buffer && info.DataSize > 0) {
    QByteArray bytes = value.Block;
    if ((info.Flags & mtffCompressed) && DecompressField)
      bytes = DecompressField(const_cast<TField *>(field), bytes);
    const int size = std::min(info.DataSize, field->DataSize());
    std::memset(buffer, 0, std::size_t(size));
    std::memcpy(buffer, bytes.constData(), std::size_t(std::min<qsizetype>(bytes.size(), size)));
  }
  return true;
}

void TwoxCommon::WriteField(TwoxRecord &record, const TField *field, const void *buffer) const {
  const TwoxFieldInfo &info = CheckedInfo(*this, field);
  if (info.Offset >= 0) {
    char *slot = record.Data.data() + info.Offset;
    slot[0] = buffer ? 1 : 0;
    std::memset(slot + 1, 0, std::size_t(info.DataSize));
    if (buffer)
      std::memcpy(slot + 1, buffer, std::size_t(std::min(info.DataSize, field->DataSize())));
    return;
  }
  TwoxOutsideValue &value = record.Outside[std::size_t(info.OutsideIndex)];
  if (!buffer) {
    value = TwoxOutsideValue();
    return;
  }
  QByteArray bytes =
      PackedValue(field, static_cast<const char *>(buffer), std::min(info.DataSize, field->DataSize()));
  if ((info.Flags & mtffCompressed) && CompressField)
    bytes = CompressField(const_cast<TField *>(field), bytes);
  value.State = 2;
  value.Block = bytes;
}

QByteArray *TwoxCommon::OutsideBlock(TwoxRecord &record, const TField *field) const {
  const TwoxFieldInfo &info = CheckedInfo(*this, field);
  if (info.OutsideIndex < 0)
    return nullptr;
  return &record.Outside[std::size_t(info.OutsideIndex)].Block;
}

// ---------------------------------------------------------------- attached tables

int TwoxCommon::Attach(TDataSet *table) {
  TwoxStoreLock lock(*this);
  for (std::size_t i = 0; i < FAttached.size(); ++i)
    if (!FAttached[i]) {
      FAttached[i] = table;
      return int(i);
    }
  if (AnyTableActive())
    MemTableError(QStringLiteral("Table must be closed for this operation."));
  FAttached.push_back(table);
  return int(FAttached.size()) - 1;
}

void TwoxCommon::Detach(TDataSet *table) {
  TwoxStoreLock lock(*this);
  for (TDataSet *&slot : FAttached)
    if (slot == table)
      slot = nullptr;
}

int TwoxCommon::AttachedSlot(const TDataSet *table) const {
  for (std::size_t i = 0; i < FAttached.size(); ++i)
    if (FAttached[i] == table)
      return int(i);
  return -1;
}

int TwoxCommon::AttachedCount() const {
  return int(std::count_if(FAttached.begin(), FAttached.end(), [](TDataSet *t) { return t != nullptr; }));
}

bool TwoxCommon::AnyTableActive() const {
  return std::any_of(FAttached.begin(), FAttached.end(), [](TDataSet *t) { return t && t->Active(); });
}

void TwoxCommon::SetAttachMaxCount(int value) {
  TwoxStoreLock lock(*this);
  if (value < 1)
    MemTableError(QStringLiteral("Invalid argument."));
  if (AnyTableActive())
    MemTableError(QStringLiteral("Table must be closed for this operation."));
  // Tables in slots beyond the new length must not lose their place silently.
  for (std::size_t i = std::size_t(value); i < FAttached.size(); ++i)
    if (FAttached[i])
      MemTableError(QStringLiteral("Children are attached to this table."));
  FAttached.resize(std::size_t(value), nullptr);
}

void TwoxCommon::SetStandalone(bool value) {
  if (value == FStandalone)
    return;
  if (value && AttachedCount() >= 2)
    MemTableError(QStringLiteral("Children are attached to this table."));
  FStandalone = value;
}

// ---------------------------------------------------------------- locale and counters

void TwoxCommon::SetLocaleID(int value) {
  FSortID = (value >> 16) & 0xF;
  FLanguageID = value & 0x3FF;
  FSubLanguageID = (value >> 10) & 0x3F;
  UpdateLocaleID();
}

void TwoxCommon::SetLanguageID(int value) {
  FLanguageID = value;
  UpdateLocaleID();
}

void TwoxCommon::SetSubLanguageID(int value) {
  FSubLanguageID = value;
  UpdateLocaleID();
}

void TwoxCommon::SetSortID(int value) {
  FSortID = value;
  UpdateLocaleID();
}

void TwoxCommon::UpdateLocaleID() {
  FLocaleID = FSortID * 65536 + (((FSubLanguageID * 1024) | FLanguageID) & 0xFFFF);
}

void TwoxCommon::SetAutoIncMinValue(int value) {
  FAutoIncMinValue = value;
  if (FHighestAutoInc < value - 1)
    FHighestAutoInc = value - 1;
}
