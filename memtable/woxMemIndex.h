#pragma once

#include "woxMemCommon.h"
#include "woxMemFieldList.h"

#include <QString>
#include <memory>
#include <vector>

class TDataSet;
class TIndexDef;
class TIndexDefs;
class TwoxIndex;
class TwoxRecord;
struct TwoxFieldInfo;

// What an index needs from the table it belongs to.
class TwoxIndexHost {
public:
  virtual ~TwoxIndexHost() = default;
  virtual TwoxCommon &IndexStore() const = 0;
  virtual TDataSet *IndexDataSet() = 0;
  // Whether CompareFieldsEvent is to be asked for every comparison of two values.
  virtual bool UsesCompareFieldsEvent() const = 0;
  // OnCompareFields: true when it compared the two native values (result set).
  virtual bool CompareFieldsEvent(TField *field, const char *key, const char *value,
                                  TwoxMemTableCompareOptions options, bool &fullCompare, int &result) = 0;
  // OnFilterIndex.
  virtual bool IndexAccepts(TwoxIndex &index, TwoxRecord &record) = 0;
  // The table's acceptance test (filter, range, master/detail).
  virtual bool RecordAccepted(TwoxRecord &record) = 0;
  virtual bool IndexActive() const = 0;
  // Sorting runs in the sorting operation state with the store locked.
  virtual void BeginSorting() = 0;
  virtual void EndSorting() = 0;
  virtual void SearchProgress(int percentage) = 0;
};

constexpr const char *RowOrderIndexName = "__MT__ROWORDER";

// An ordered list of references to the store's records.
class TwoxIndex {
public:
  // Raises "Can't index on field %s" for a missing field or one the store does not hold.
  TwoxIndex(const QString &name, TwoxIndexHost &host, const QString &fields,
            TwoxMemTableCompareOptions options, int indexType, bool enabled);

  const QString &Name() const { return FName; }
  const QString &FieldNames() const { return FFieldNames; }
  const TwoxFieldList &FieldList() const { return FFieldList; }
  TwoxMemTableCompareOptions Options() const { return FOptions; }
  bool RowOrder() const { return FRowOrder; }
  bool Ordered() const { return FOrdered; }
  bool Enabled() const { return FEnabled; }
  bool Maintained() const { return FMaintained && FEnabled && !FSuspended; }
  // While suspended (the table's EnableIndexes is off) changes only leave the list unordered.
  void SetSuspended(bool value) { FSuspended = value; }
  int IndexType() const { return FIndexType; }
  int Position() const { return FPosition; }
  void SetPosition(int value) { FPosition = value; }

  const TwoxCommon &Store() const { return FHost.IndexStore(); }
  int Count() const { return MainCount() + int(FPending.size()); }
  TwoxRecord *Records(int position) const {
    Settle();
    return At(position);
  }

  // -1, 0 or 1 of key against record over the key fields (or the given list); totalOrder breaks
  // ties by record id; withoutDescending compares as range checks do.
  int CompareRecords(const TwoxRecord &key, const TwoxRecord &record, const TwoxFieldList *fields = nullptr,
                     bool totalOrder = false, bool withoutDescending = false) const;
  void Sort();
  // Clears and refills the list from the store, sorting it when the table is active.
  void Rebuild();
  void Clear();

  // Position of the first record matching key over searchFields, or -1.
  int Search(const TwoxRecord &key, const TwoxFieldList &searchFields, bool filtering, bool nearest);
  // Position of a record in this index, or -1; hint is where it was last seen.
  int PositionOf(const TwoxRecord &record, int hint = -1);

  // Maintenance: rowOrderPosition is where the row-order index takes an inserted record (-1 = end).
  // Answers the record's position, or -1 when the index does not take it, or, unless positionWanted,
  // when it waits in the index's sorted tail for the next read.
  int RecordInserted(TwoxRecord *record, int rowOrderPosition, bool positionWanted = true);
  void RecordDeleted(const TwoxRecord *record);
  void RecordChanged(TwoxRecord *record);
  // Raises "Duplicate index value. Operation aborted." when another record has the key of candidate.
  void CheckUnique(const TwoxRecord &candidate, const TwoxRecord *self);

private:
  // The index's own key read straight from the record slots; only for a key of fixed-size values
  // (FSlotKey not empty) in the layout it was read from.
  int CompareSlotKeys(const TwoxRecord &key, const TwoxRecord &record, bool totalOrder) const;
  bool SlotKeyUsable() const;
  // The index's own key: by the slots when bySlots (SlotKeyUsable), else through CompareRecords.
  int CompareKeys(const TwoxRecord &key, const TwoxRecord &record, bool totalOrder, bool bySlots) const;
  bool CompareByEvent(const TwoxRecord &key, const TwoxRecord &record, TField *field,
                      const TwoxFieldInfo &info, TwoxMemTableCompareOptions options, bool &fullMatch,
                      int &result) const;
  int MainCount() const { return FMirrored ? FMirrored->RecordSlotCount() : int(FRecords.size()); }
  TwoxRecord *At(int position) const {
    return FMirrored ? FMirrored->Record(position) : FRecords[std::size_t(position)];
  }
  // A mirroring row-order index takes a list of its own: the store's records but leaveOut.
  void Materialise(const TwoxRecord *leaveOut = nullptr);
  // Records appended to a sorted index that nobody reads at the moment wait in a small tail, each
  // with the place in the list it goes to, and join the list in one pass, instead of moving half the
  // list each time.
  void Settle() const;
  std::size_t PendingLimit() const;
  // The position in the list where record goes by key and record id: the last CheckUnique's finding
  // for it when that still holds (two comparisons), else a binary search.
  int MainInsertPosition(const TwoxRecord &record);
  // The first accepted position (filtering) of the records that match a key in a scan.
  int FirstInOrder(std::vector<TwoxRecord *> &matches, bool filtering);
  // The position of the first record matching key over fields, or -1.
  int BinarySearch(const TwoxRecord &key, const TwoxFieldList &fields);
  // The first position whose record does not compare below key.
  int LowerBound(const TwoxRecord &key, const TwoxFieldList &fields);
  // The first position of the list whose record goesRight refuses, by halving (the records before it
  // all go right).
  template <class TGoesRight> int Partition(TGoesRight goesRight) const;
  TwoxFieldList InIndexDirection(const TwoxFieldList &fields) const;
  int InsertPosition(const TwoxRecord &record);
  // Whether a binary search over this index finds the first match of a search over these fields.
  bool SameOrdering(const TwoxFieldList &searchFields) const;
  void QuickSort(int low, int high);
  void InsertionSortPass();

  struct TwoxPendingRecord {
    int MainPosition; // joins the list before the record now at this position
    TwoxRecord *Record;
  };

  QString FName;
  mutable std::vector<TwoxRecord *> FRecords;
  // A row-order index that holds every record of the store in id order (the common case after a
  // load) keeps no list: position i is the store's record i. The first change that breaks this
  // (a delete, an insert before the end, a record the index refuses) gives it a list of its own.
  const TwoxCommon *FMirrored = nullptr;
  // Ordered by MainPosition, then by key and record id.
  mutable std::vector<TwoxPendingRecord> FPending;
  // Where CheckUnique found that its candidate goes, so that inserting it searches no more.
  const TwoxRecord *FCheckedRecord = nullptr;
  int FCheckedPosition = -1;
  TwoxIndexHost &FHost;
  QString FFieldNames;
  TwoxFieldList FFieldList;
  // The key fields when all are fixed-size values in the record's slots: a comparison of the index's
  // own key then costs a few instructions, not a walk through the layout for every field.
  struct TwoxSlotKeyPart {
    TFieldType Type;
    TwoxMemTableCompareOptions Options;
    int Offset, DataSize;
  };
  std::vector<TwoxSlotKeyPart> FSlotKey;
  quint32 FSlotKeyLayout = 0;
  TwoxMemTableCompareOptions FOptions;
  bool FOrdered = false;
  int FIndexType;
  bool FRowOrder;
  bool FEnabled;
  int FPosition = -1;
  bool FMaintained;
  bool FSuspended = false;
};

// The table's indexes by name, plus the row-order index.
class TwoxIndexes {
public:
  explicit TwoxIndexes(TwoxIndexHost &host);

  TwoxIndex &RowOrderIndex() { return *FRowOrder; }
  int Count() const { return int(FIndexes.size()); }
  TwoxIndex *Items(int i) const { return FIndexes[std::size_t(i)].get(); }
  TwoxIndex *FindByName(const QString &name) const;
  TwoxIndex *FindByFields(const QString &fieldNames) const;
  TwoxIndex *Add(std::unique_ptr<TwoxIndex> index);
  TwoxIndex *AddFromIndexDef(const TIndexDef &def);
  void Clear();
  void BuildFromIndexDefs(const TIndexDefs &defs);
  // The row-order index first, then the others.
  std::vector<TwoxIndex *> All() const;
  void RebuildAll();

private:
  TwoxIndexHost &FHost;
  std::unique_ptr<TwoxIndex> FRowOrder;
  std::vector<std::unique_ptr<TwoxIndex>> FIndexes;
};

// Splits "A;B" into names.
QStringList SplitFieldNames(const QString &fieldNames);
