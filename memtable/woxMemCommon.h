#pragma once

#include "DBTypes.h"

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
enum TwoxUpdateStatus : quint8 { mtusUnmodified, mtusModified, mtusInserted, mtusDeleted };

// Bits of a field's flag byte.
constexpr quint8 mtffOutside = 1;
constexpr quint8 mtffCompressed = 2;
constexpr quint8 mtffChanged = 4;
// Bit of a record's flag byte.
constexpr quint8 mtrfFilled = 1;

constexpr int WOX_MAX_FIELDS = 256;

// A value held outside the record: State 0 = none (null), 2 = stored.
struct TwoxOutsideValue {
  quint8 State = 0;
  QByteArray Block;
};

// One record: the header, the inline field data (a null-flag byte then the native value per inline
// field) and the outside-stored values. Outside values are implicitly shared between copies.
struct TwoxRecord {
  int RecordNumber = -1;
  int RecordID = -1;
  int UniqueRecordID = -1;
  quint8 Flags = 0;
  quint8 UpdateStatus = mtusUnmodified;
  int TransactionLevel = -1;
  std::unique_ptr<TwoxRecord> PreviousVersion;
  QByteArray Data;
  std::vector<TwoxOutsideValue> Outside;

  // Header and data; the previous version only when withVersions.
  std::unique_ptr<TwoxRecord> Copy(bool withVersions = false) const;
  void CopyDataFrom(const TwoxRecord &source);
};

struct TwoxFieldInfo {
  int Offset = -1;       // in Data; -1 for a field stored outside the record
  int OutsideIndex = -1; // in Outside
  int DataSize = 0;
  quint8 Flags = 0;
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
  // Takes the record into the store, giving it its ids; returns it.
  TwoxRecord *AppendRecord(std::unique_ptr<TwoxRecord> record);
  void DeleteRecord(int recordId);
  void Empty();
  int RecordSlotCount() const { return int(FRecords.size()); }
  // nullptr for an empty slot or an id out of range.
  TwoxRecord *Record(int recordId) const;
  int RecordCount() const { return int(FRecords.size() - FFreeIds.size()); }
  quint32 TableID() const { return FTableID; }

  // --- layout
  // Lays out one slot per field definition (FieldNo = position + 1). setupField (fieldNo, flags) may
  // change the flag byte of a field stored outside that is not a blob.
  void ComputeLayout(const TFieldDefs &defs, const std::function<void(int, quint8 &flags)> &setupField = {});
  const TwoxFieldInfo *FieldInfo(int fieldNo) const;
  int DataSize() const { return FDataSize; }
  int OutsideCount() const { return FOutsideCount; }
  // Native value of a field in a record; false when null. buffer may be nullptr.
  bool ReadField(const TwoxRecord &record, const TField *field, void *buffer) const;
  // Writes the native value (nullptr = null).
  void WriteField(TwoxRecord &record, const TField *field, const void *buffer) const;
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
  void UpdateLocaleID();

  QRecursiveMutex FLock;
  bool FStandalone = false;
  TDataSet *FOwner;
  std::vector<std::unique_ptr<TwoxRecord>> FRecords;
  std::vector<int> FFreeIds;
  std::vector<TwoxFieldInfo> FFields; // by FieldNo - 1
  int FDataSize = 0;
  int FOutsideCount = 0;
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

// Bytes of a field type's data in a record; -1 for a type the store cannot hold inline.
int MemFieldDataSize(TFieldType type, int size);
