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

// A value of at most this many bytes has a one-byte slot word.
constexpr int NarrowSlotLimit = 254;

// The slot word of a text or byte value: 0 for null, else the length + 1.
int SlotWord(const char *slot, int width) {
  if (width == 1)
    return quint8(slot[0]);
  quint16 word;
  std::memcpy(&word, slot, sizeof word);
  return word;
}

int SlotLength(const char *slot, int width) {
  const int word = SlotWord(slot, width);
  return word == 0 ? 0 : word - 1;
}

void SetSlotWord(char *slot, int width, int word) {
  if (width == 1) {
    slot[0] = char(quint8(word));
    return;
  }
  const auto wide = quint16(word);
  std::memcpy(slot, &wide, sizeof wide);
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
  case ftAutoInc:
  case ftDate: // days and milliseconds are 32-bit natively
  case ftTime: return 4;
  case ftFloat:
  case ftCurrency:
  case ftDateTime:
  case ftLargeint: return 8;
  case ftBCD: return 34;
  case ftBytes: return size;
  case ftVarBytes: return size + 2;
  default: return -1;
  }
}

QString MemUnsupportedTypeMessage(const QString &fieldName, const QString &displayName, TFieldType type) {
  return QStringLiteral("Fielddef %1 (%2) Datatype %3 not supported.")
      .arg(fieldName, displayName)
      .arg(int(type));
}

void MemUnsupportedTypeError(const QString &fieldName, const QString &displayName, TFieldType type) {
  MemTableError(MemUnsupportedTypeMessage(fieldName, displayName, type));
}

QString MemFieldSizeProblem(const QString &fieldName, qint64 size) {
  if (size >= 0 && size <= WOX_MAX_FIELD_SIZE)
    return QString();
  return QStringLiteral("Size %1 of field %2 is out of range (0 to %3).")
      .arg(size)
      .arg(fieldName)
      .arg(WOX_MAX_FIELD_SIZE);
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
  return TwoxRecord::New(FDataSize, FOutsideCount);
}

std::unique_ptr<TwoxRecord> TwoxCommon::AllocRecordFor(const TwoxRecord &source) const {
  std::unique_ptr<TwoxRecord> record = TwoxRecord::New(source.DataSize(), FOutsideCount);
  record->CopyDataFrom(source);
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
    FRecords.PushBack(std::move(record));
  } else {
    const int id = FFreeIds.back();
    FFreeIds.pop_back();
    record->RecordID = id;
    FRecords.Set(id, std::move(record));
  }
  FDataModified = true;
  return result;
}

void TwoxCommon::DeleteRecord(int recordId) {
  TwoxStoreLock lock(*this);
  if (!Record(recordId))
    return;
  FRecords.Set(recordId, nullptr);
  FFreeIds.push_back(recordId);
  FDataModified = true;
}

void TwoxCommon::Empty() {
  TwoxStoreLock lock(*this);
  FRecords.Clear();
  FFreeIds.clear();
  FNextRecordID = 0;
  FNextUniqueRecordID = 0;
  FDeletedCount = 0;
  NewTableID();
}

TwoxStoreContent TwoxCommon::TakeContent() {
  TwoxStoreLock lock(*this);
  TwoxStoreContent content;
  content.Records = std::move(FRecords);
  content.FreeIds = std::move(FFreeIds);
  content.NextRecordID = FNextRecordID;
  content.NextUniqueRecordID = FNextUniqueRecordID;
  content.DeletedCount = FDeletedCount;
  content.HighestAutoInc = FHighestAutoInc;
  content.TableID = FTableID;
  content.DataModified = FDataModified;
  Empty();
  return content;
}

void TwoxCommon::RestoreContent(TwoxStoreContent &&content) {
  TwoxStoreLock lock(*this);
  FRecords = std::move(content.Records);
  FFreeIds = std::move(content.FreeIds);
  FNextRecordID = content.NextRecordID;
  FNextUniqueRecordID = content.NextUniqueRecordID;
  FDeletedCount = content.DeletedCount;
  FHighestAutoInc = content.HighestAutoInc;
  FTableID = content.TableID;
  FDataModified = content.DataModified;
}

// ---------------------------------------------------------------- layout

void MemCheckFieldDefs(const TFieldDefs &defs) {
  if (defs.Count() == 0)
    MemTableError(QStringLiteral("There must be at least one field"));
  if (defs.Count() > WOX_MAX_FIELDS)
    throw Exception(QStringLiteral("Too many fielddefs. Please raise WOX_MAX_FIELDS value."));
  for (int i = 0; i < defs.Count(); ++i) {
    const TFieldDef &def = *defs.Items(i);
    if (!MemFieldTypes::IsBlobGroup(def.DataType()) && MemFieldDataSize(def.DataType(), def.Size()) < 0)
      MemUnsupportedTypeError(def.Name(), def.Name(), def.DataType());
    const QString sizeProblem = MemFieldSizeProblem(def.Name(), def.Size());
    if (!sizeProblem.isEmpty())
      MemTableError(sizeProblem);
  }
}

void TwoxCommon::ComputeLayout(const TFieldDefs &defs, const std::function<void(int, quint8 &)> &setupField) {
  TwoxStoreLock lock(*this);
  MemCheckFieldDefs(defs);
  std::vector<TwoxFieldInfo> infos(static_cast<std::size_t>(defs.Count()));
  std::vector<TwoxVarSlot> varSlots;
  qint64 dataSize = 0;
  int outsideCount = 0;
  for (int i = 0; i < defs.Count(); ++i) {
    const TFieldDef &def = *defs.Items(i);
    const TFieldType type = def.DataType();
    const bool blob = MemFieldTypes::IsBlobGroup(type);
    const int size = MemFieldDataSize(type, def.Size());
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
    } else if (IsStringLike(type)) {
      info.Offset = int(dataSize);
      info.VarIndex = int(varSlots.size());
      info.SlotWidth = size <= NarrowSlotLimit ? 1 : 2;
      varSlots.push_back({info.Offset, info.SlotWidth});
      dataSize += info.SlotWidth;
    } else {
      info.Offset = int(dataSize);
      dataSize += 1 + size;
    }
  }
  FFields = std::move(infos);
  ++FLayoutSerial;
  FVarSlots = std::move(varSlots);
  FDataSize = int(dataSize);
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

// The bytes a native value of size bytes is kept as: text without its NUL and unused tail, variable
// bytes without their length word unless withLength (values stored outside keep it).
void PackedBytes(TFieldType type, const char *native, int size, bool withLength, const char *&bytes,
                 int &length) {
  bytes = native;
  switch (type) {
  case ftString:
  case ftFixedChar: length = int(::strnlen(native, std::size_t(size))); return;
  case ftVarBytes: {
    quint16 count;
    std::memcpy(&count, native, 2);
    length = std::min<int>(count, size - 2);
    if (withLength)
      length += 2;
    else
      bytes = native + 2;
    return;
  }
  default: length = size;
  }
}

// Stored bytes back as a native value of size bytes.
void UnpackBytes(TFieldType type, const char *bytes, int length, bool withLength, char *native, int size) {
  switch (type) {
  case ftString:
  case ftFixedChar: {
    const int n = std::max(0, std::min(length, size - 1));
    std::memcpy(native, bytes, std::size_t(n));
    native[n] = '\0';
    return;
  }
  case ftVarBytes:
    if (!withLength) {
      const quint16 count = quint16(std::max(0, std::min(length, size - 2)));
      std::memcpy(native, &count, 2);
      std::memcpy(native + 2, bytes, count);
      return;
    }
    [[fallthrough]];
  default: {
    const int n = std::min(length, size);
    std::memcpy(native, bytes, std::size_t(n));
    std::memset(native + n, 0, std::size_t(size - n));
  }
  }
}

} // namespace

int TwoxCommon::VarOffset(const char *data, int varIndex) const {
  int offset = FDataSize;
  for (int j = 0; j < varIndex; ++j) {
    const TwoxVarSlot &slot = FVarSlots[std::size_t(j)];
    offset += SlotLength(data + slot.Offset, slot.Width);
  }
  return offset;
}

TwoxValueView TwoxCommon::View(const TwoxRecord &record, const TField *field, const TwoxFieldInfo &info,
                               QByteArray &scratch) const {
  TwoxValueView view;
  if (info.VarIndex >= 0) {
    const char *data = record.Data();
    view.Null = SlotWord(data + info.Offset, info.SlotWidth) == 0;
    view.Size = SlotLength(data + info.Offset, info.SlotWidth);
    view.Bytes = data + VarOffset(data, info.VarIndex);
  } else if (info.Offset >= 0) {
    const char *slot = record.Data() + info.Offset;
    view.Null = slot[0] == 0;
    view.Bytes = slot + 1;
    view.Size = info.DataSize;
  } else {
    const TwoxOutsideValue &value = record.Outside(info.OutsideIndex);
    view.Null = value.State == 0;
    const QByteArray *bytes = &value.Block;
    if (!view.Null && (info.Flags & mtffCompressed) && DecompressField) {
      scratch = DecompressField(const_cast<TField *>(field), value.Block);
      bytes = &scratch;
    }
    view.Bytes = bytes->constData();
    view.Size = int(bytes->size());
  }
  return view;
}

bool TwoxCommon::ReadField(const TwoxRecord &record, const TField *field, void *buffer) const {
  const TwoxFieldInfo &info = CheckedInfo(*this, field);
  QByteArray scratch;
  const TwoxValueView view = View(record, field, info, scratch);
  if (view.Null)
    return false;
  if (buffer && info.DataSize > 0)
    UnpackBytes(field->DataType(), view.Bytes, view.Size, info.VarIndex < 0, static_cast<char *>(buffer),
                std::min(info.DataSize, field->DataSize()));
  return true;
}

void TwoxCommon::ReplaceVarValue(TwoxRecord &record, const TwoxFieldInfo &info, const char *bytes,
                                 int size) const {
  const int offset = VarOffset(record.Data(), info.VarIndex);
  const int oldSize = SlotLength(record.Data() + info.Offset, info.SlotWidth);
  const int tail = record.DataSize() - offset - oldSize;
  if (size > oldSize) {
    record.ResizeData(record.DataSize() + size - oldSize);
    char *data = record.Data();
    std::memmove(data + offset + size, data + offset + oldSize, std::size_t(tail));
  } else if (size < oldSize) {
    char *data = record.Data();
    std::memmove(data + offset + size, data + offset + oldSize, std::size_t(tail));
    record.ResizeData(record.DataSize() - (oldSize - size));
  }
  char *data = record.Data();
  if (size > 0)
    std::memcpy(data + offset, bytes, std::size_t(size));
  SetSlotWord(data + info.Offset, info.SlotWidth, bytes ? size + 1 : 0);
}

void TwoxCommon::WriteField(TwoxRecord &record, const TField *field, const void *buffer) const {
  const TwoxFieldInfo &info = CheckedInfo(*this, field);
  const int size = std::min(info.DataSize, field->DataSize());
  const char *native = static_cast<const char *>(buffer);
  const char *bytes = nullptr;
  int length = 0;
  if (info.VarIndex >= 0) {
    if (native)
      PackedBytes(field->DataType(), native, size, false, bytes, length);
    ReplaceVarValue(record, info, bytes, length);
    return;
  }
  if (info.Offset >= 0) {
    char *slot = record.Data() + info.Offset;
    slot[0] = native ? 1 : 0;
    std::memset(slot + 1, 0, std::size_t(info.DataSize));
    if (native)
      std::memcpy(slot + 1, native, std::size_t(size));
    return;
  }
  TwoxOutsideValue &value = record.Outside(info.OutsideIndex);
  if (!native) {
    value = TwoxOutsideValue();
    return;
  }
  PackedBytes(field->DataType(), native, size, true, bytes, length);
  QByteArray block(bytes, length);
  if ((info.Flags & mtffCompressed) && CompressField)
    block = CompressField(const_cast<TField *>(field), block);
  value.State = 2;
  value.Block = block;
}

QByteArray *TwoxCommon::OutsideBlock(TwoxRecord &record, const TField *field) const {
  const TwoxFieldInfo &info = CheckedInfo(*this, field);
  if (info.OutsideIndex < 0)
    return nullptr;
  return &record.Outside(info.OutsideIndex).Block;
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
