#pragma once

#include "DBTypes.h"

#include "woxMemRecord.h"
#include "woxMemRecordSlots.h"

#include <QByteArray>
#include <QRecursiveMutex>
#include <functional>
#include <memory>
#include <vector>

class TDataSet;
class TField;
class TFieldDefs;

enum TwoxMemTablePerformance { mtpfFast, mtpfBalanced, mtpfSmall };
enum TwoxVersioningMode { mtvm1SinceCheckPoint, mtvmAllSinceCheckPoint };

// Bits of a field's flag byte.
constexpr quint8 mtffOutside = 1;
constexpr quint8 mtffCompressed = 2;
constexpr quint8 mtffChanged = 4;

constexpr int WOX_MAX_FIELDS = 256;
// The largest Size a field definition may give (text and byte fields; the Firebird limit of a
// column's bytes), so that no definition can make a record that memory cannot hold.
constexpr int WOX_MAX_FIELD_SIZE = 32767;

struct TwoxFieldInfo {
  int Offset = -1;       // of the field's slot in the record data; -1 for a field stored outside
  int OutsideIndex = -1; // among the record's outside values
  int VarIndex = -1;     // text and byte fields: their place among the values after the slots
  int SlotWidth = 0;     // text and byte fields: bytes of the slot word
  int DataSize = 0;      // of the native value
  quint8 Flags = 0;
};

// The slot of a text or byte field: where its word is and how wide.
struct TwoxVarSlot {
  int Offset;
  int Width;
};

// A stored value as it is kept: text without its terminating NUL, bytes without their length.
struct TwoxValueView {
  bool Null = true;
  const char *Bytes = nullptr;
  int Size = 0;
};

// The records of a store with its counters, taken out whole and put back when a load fails.
struct TwoxStoreContent {
  TwoxRecordSlots Records;
  std::vector<int> FreeIds;
  int NextRecordID = 0, NextUniqueRecordID = 0, DeletedCount = 0, HighestAutoInc = 0;
  quint32 TableID = 0;
  bool DataModified = false;
};

// The record store behind one or more memory tables.
class TwoxCommon {
public:
  explicit TwoxCommon(TDataSet *owner);
  ~TwoxCommon();
  TwoxCommon(const TwoxCommon &) = delete;
  TwoxCommon &operator=(const TwoxCommon &) = delete;

  void Lock();
  void Unlock();

  TDataSet *Owner() const { return FOwner; }

  // --- records
  std::unique_ptr<TwoxRecord> AllocRecord() const;
  // A new record with a copy of source's data and outside values, in a block that fits them.
  std::unique_ptr<TwoxRecord> AllocRecordFor(const TwoxRecord &source) const;
  // Takes the record into the store, giving it its ids; returns it.
  TwoxRecord *AppendRecord(std::unique_ptr<TwoxRecord> record);
  void DeleteRecord(int recordId);
  void Empty();
  // Takes every record out, leaving the store as Empty does; RestoreContent puts them back.
  TwoxStoreContent TakeContent();
  void RestoreContent(TwoxStoreContent &&content);
  int NextUniqueRecordID() const { return FNextUniqueRecordID; }
  int RecordSlotCount() const { return FRecords.Size(); }
  // nullptr for an empty slot or an id out of range.
  TwoxRecord *Record(int recordId) const { return FRecords.Get(recordId); }
  int RecordCount() const { return FRecords.Size() - int(FFreeIds.size()); }
  quint32 TableID() const { return FTableID; }

  // --- layout
  // Lays out one slot per field definition (FieldNo = position + 1): a null flag and the native
  // value for fixed-size types, for text and bytes a word (0 = null, else the length + 1; one byte
  // wide where the value cannot pass 254 bytes, else two) with the bytes themselves after all slots,
  // so that a value takes its length, not its Size.
  // setupField (fieldNo, flags) may change the flag byte of a field stored outside that is not a
  // blob. Raises for no fields, too many, an unsupported type or a Size out of range.
  void ComputeLayout(const TFieldDefs &defs, const std::function<void(int, quint8 &flags)> &setupField = {});
  const TwoxFieldInfo *FieldInfo(int fieldNo) const;
  // Changes with every ComputeLayout: what was read of a layout holds while it stays the same.
  quint32 LayoutSerial() const { return FLayoutSerial; }
  // The data size of a record with every field null.
  int DataSize() const { return FDataSize; }
  int OutsideCount() const { return FOutsideCount; }
  // Native value of a field in a record; false when null. buffer may be nullptr.
  bool ReadField(const TwoxRecord &record, const TField *field, void *buffer) const;
  // Writes the native value (nullptr = null).
  void WriteField(TwoxRecord &record, const TField *field, const void *buffer) const;
  // The stored bytes of a field, uncompressed (into scratch when they must be).
  TwoxValueView View(const TwoxRecord &record, const TField *field, const TwoxFieldInfo &info,
                     QByteArray &scratch) const;
  // The raw stored bytes of an outside value (blobs), and their replacement.
  QByteArray *OutsideBlock(TwoxRecord &record, const TField *field) const;
  // Conversions of compressed (mtpfSmall) outside values, set by the table.
  std::function<QByteArray(TField *, const QByteArray &)> CompressField, DecompressField;

  // --- attached tables
  int Attach(TDataSet *table);
  void Detach(TDataSet *table);
  int AttachedSlot(const TDataSet *table) const;
  const std::vector<TDataSet *> &AttachedTables() const { return FAttached; }
  int AttachedCount() const;
  bool AnyTableActive() const;
  int AttachMaxCount() const { return int(FAttached.size()); }
  void SetAttachMaxCount(int value);

  bool Standalone() const { return FStandalone; }
  void SetStandalone(bool value);

  // --- locale
  int LocaleID() const { return FLocaleID; }
  void SetLocaleID(int value);
  int LanguageID() const { return FLanguageID; }
  void SetLanguageID(int value);
  int SubLanguageID() const { return FSubLanguageID; }
  void SetSubLanguageID(int value);
  int SortID() const { return FSortID; }
  void SetSortID(int value);

  // --- auto-increment
  int AutoIncMinValue() const { return FAutoIncMinValue; }
  void SetAutoIncMinValue(int value);
  int HighestAutoInc() const { return FHighestAutoInc; }
  void SetHighestAutoInc(int value) { FHighestAutoInc = value; }

  TwoxMemTablePerformance Performance() const { return FPerformance; }
  void SetPerformance(TwoxMemTablePerformance value) { FPerformance = value; }

  // --- versioning
  bool EnableVersioning() const { return FEnableVersioning; }
  void SetEnableVersioning(bool value) { FEnableVersioning = value; }
  TwoxVersioningMode VersioningMode() const { return FVersioningMode; }
  void SetVersioningMode(TwoxVersioningMode value) { FVersioningMode = value; }
  int TransactionLevel() const { return FTransactionLevel; }
  void IncTransactionLevel() { ++FTransactionLevel; }
  void DecTransactionLevel() { --FTransactionLevel; }
  int DeletedCount() const { return FDeletedCount; }
  void SetDeletedCount(int value) { FDeletedCount = value; }
  bool DataModified() const { return FDataModified; }
  void SetDataModified(bool value) { FDataModified = value; }

  // Set between begin update and end update: data events are suppressed.
  bool Updating() const { return FUpdating; }
  void SetUpdating(bool value) { FUpdating = value; }

private:
  void NewTableID();
  int VarOffset(const char *data, int varIndex) const;
  void ReplaceVarValue(TwoxRecord &record, const TwoxFieldInfo &info, const char *bytes, int size) const;
  void UpdateLocaleID();

  QRecursiveMutex FLock;
  bool FStandalone = false;
  TDataSet *FOwner;
  TwoxRecordSlots FRecords;
  std::vector<int> FFreeIds;
  std::vector<TwoxFieldInfo> FFields; // by FieldNo - 1
  std::vector<TwoxVarSlot> FVarSlots; // the slots of the text and byte fields, in order
  int FDataSize = 0;
  int FOutsideCount = 0;
  quint32 FLayoutSerial = 0;
  int FLanguageID = 0, FSubLanguageID = 1, FSortID = 0, FLocaleID = 1024;
  quint32 FTableID = 0;
  int FHighestAutoInc = 0, FAutoIncMinValue = 0;
  int FNextRecordID = 0, FNextUniqueRecordID = 0;
  int FDeletedCount = 0;
  bool FDataModified = false;
  TwoxMemTablePerformance FPerformance = mtpfFast;
  bool FEnableVersioning = false;
  TwoxVersioningMode FVersioningMode = mtvm1SinceCheckPoint;
  int FTransactionLevel = 0;
  std::vector<TDataSet *> FAttached;
  bool FUpdating = false;
};

// Holds the store's lock for a scope.
class TwoxStoreLock {
public:
  explicit TwoxStoreLock(TwoxCommon &store) : FStore(store) { FStore.Lock(); }
  ~TwoxStoreLock() { FStore.Unlock(); }
  TwoxStoreLock(const TwoxStoreLock &) = delete;
  TwoxStoreLock &operator=(const TwoxStoreLock &) = delete;

private:
  TwoxCommon &FStore;
};

// Bytes of a field type's native value; -1 for a type the store cannot hold inline.
int MemFieldDataSize(TFieldType type, int size);
// The store's error for a field type it cannot hold (ADT, Array, wide text, ...), and its raising.
QString MemUnsupportedTypeMessage(const QString &fieldName, const QString &displayName, TFieldType type);
[[noreturn]] void MemUnsupportedTypeError(const QString &fieldName, const QString &displayName,
                                          TFieldType type);
// Raises what the layout of these definitions would raise: none, too many, an unsupported type, a Size
// out of range.
void MemCheckFieldDefs(const TFieldDefs &defs);
// The error for a Size outside 0..WOX_MAX_FIELD_SIZE, or an empty text when the size is fine.
QString MemFieldSizeProblem(const QString &fieldName, qint64 size);
