#include "woxMemIndex.h"

#include "DB.h"
#include "woxMemCommon.h"
#include "woxMemCompare.h"
#include "woxMemKeyMatcher.h"
#include "woxMemSortKeys.h"
#include "woxMemTableError.h"

#include <algorithm>
#include <cmath>

#include <QStringList>

namespace {

constexpr int BinarySearchThreshold = 20;

[[noreturn]] void DuplicateError() {
  MemTableError(QStringLiteral("Duplicate index value. Operation aborted."));
}

} // namespace

QStringList SplitFieldNames(const QString &fieldNames) {
  QStringList names;
  for (const QString &part : fieldNames.split(QLatin1Char(';')))
    if (!part.trimmed().isEmpty())
      names << part.trimmed();
  return names;
}

TwoxIndex::TwoxIndex(const QString &name, TwoxIndexHost &host, const QString &fields,
                     TwoxMemTableCompareOptions options, int indexType, bool enabled)
    : FName(name), FHost(host), FFieldNames(fields), FOptions(options), FIndexType(indexType),
      FRowOrder(name == QLatin1String(RowOrderIndexName)), FEnabled(enabled),
      FMaintained(!options.testFlag(mtcoNonMaintained)) {
  TDataSet *dataSet = host.IndexDataSet();
  for (const QString &fieldName : SplitFieldNames(fields)) {
    TField *field = dataSet->FindField(fieldName);
    if (!field || field->IsBlob() || !host.IndexStore().FieldInfo(field->FieldNo()) ||
        (field->FieldKind() != fkData && field->FieldKind() != fkInternalCalc))
      MemTableError(QStringLiteral("Can't index on field %1").arg(fieldName));
    FFieldList.Add(field, options);
  }
  FOrdered = host.IndexStore().RecordCount() == 0;
  const TwoxCommon &store = host.IndexStore();
  for (int i = 0; i < FFieldList.Count(); ++i) {
    TField *field = FFieldList.Fields(i);
    const TwoxFieldInfo &info = *store.FieldInfo(field->FieldNo());
    if (info.VarIndex >= 0 || info.Offset < 0) {
      FSlotKey.clear();
      break;
    }
    FSlotKey.push_back({field->DataType(), FFieldList.Options(i), info.Offset, info.DataSize});
  }
  FSlotKeyLayout = store.LayoutSerial();
}

bool TwoxIndex::SlotKeyUsable() const {
  return !FSlotKey.empty() && FSlotKeyLayout == FHost.IndexStore().LayoutSerial() &&
         !FHost.UsesCompareFieldsEvent();
}

int TwoxIndex::CompareKeys(const TwoxRecord &key, const TwoxRecord &record, bool totalOrder,
                           bool bySlots) const {
  return bySlots ? CompareSlotKeys(key, record, totalOrder)
                 : CompareRecords(key, record, nullptr, totalOrder);
}

int TwoxIndex::CompareSlotKeys(const TwoxRecord &key, const TwoxRecord &record, bool totalOrder) const {
  const char *keyData = key.Data(), *recordData = record.Data();
  for (const TwoxSlotKeyPart &part : FSlotKey) {
    const char *x = keyData + part.Offset, *y = recordData + part.Offset;
    const bool xNull = x[0] == 0, yNull = y[0] == 0;
    if (xNull && part.Options.testFlag(mtcoIgnoreNullKey))
      continue;
    if (xNull || yNull) {
      if (xNull != yNull)
        return xNull ? -1 : 1;
      continue;
    }
    if (const int result = CompareFixedValues(part.Type, x + 1, y + 1); result != 0)
      return part.Options.testFlag(mtcoDescending) ? -result : result;
  }
  if (totalOrder && key.RecordID != record.RecordID)
    return key.RecordID < record.RecordID ? -1 : 1;
  return 0;
}

int TwoxIndex::CompareRecords(const TwoxRecord &key, const TwoxRecord &record, const TwoxFieldList *fields,
                              bool totalOrder, bool withoutDescending) const {
  const TwoxFieldList &list = fields ? *fields : FFieldList;
  const TwoxCommon &store = FHost.IndexStore();
  const bool event = FHost.UsesCompareFieldsEvent();
  if (&list == &FFieldList && !withoutDescending && SlotKeyUsable())
    return CompareSlotKeys(key, record, totalOrder);
  QByteArray keyScratch, recordScratch;
  for (int i = 0; i < list.Count(); ++i) {
    TField *field = list.Fields(i);
    TwoxMemTableCompareOptions options = list.Options(i);
    if (withoutDescending)
      options &= ~TwoxMemTableCompareOptions(mtcoDescending);
    const TwoxFieldInfo &info = *store.FieldInfo(field->FieldNo());
    TwoxValueView a, b;
    if (info.VarIndex < 0 && info.Offset >= 0) {
      // A fixed-size value sits in its slot: the common key, read without detours.
      const char *keySlot = key.Data() + info.Offset, *recordSlot = record.Data() + info.Offset;
      a = {keySlot[0] == 0, keySlot + 1, info.DataSize};
      b = {recordSlot[0] == 0, recordSlot + 1, info.DataSize};
    } else {
      a = store.View(key, field, info, keyScratch);
      b = store.View(record, field, info, recordScratch);
    }
    if (a.Null && options.testFlag(mtcoIgnoreNullKey))
      continue;
    int result = 0;
    bool fullMatch = true;
    if (a.Null || b.Null)
      result = a.Null == b.Null ? 0 : (a.Null ? -1 : 1);
    else if (!event || !CompareByEvent(key, record, field, info, options, fullMatch, result))
      result = CompareValues(field->DataType(), a, b, options, store.LocaleID(), fullMatch);
    if (result != 0)
      return result < 0 ? -1 : 1;
    if (!fullMatch)
      return 0;
  }
  if (totalOrder && key.RecordID != record.RecordID)
    return key.RecordID < record.RecordID ? -1 : 1;
  return 0;
}

// OnCompareFields sees the two values in the field's native format.
bool TwoxIndex::CompareByEvent(const TwoxRecord &key, const TwoxRecord &record, TField *field,
                               const TwoxFieldInfo &info, TwoxMemTableCompareOptions options, bool &fullMatch,
                               int &result) const {
  const TwoxCommon &store = FHost.IndexStore();
  QByteArray a(info.DataSize + 1, '\0'), b(info.DataSize + 1, '\0');
  store.ReadField(key, field, a.data());
  store.ReadField(record, field, b.data());
  return FHost.CompareFieldsEvent(field, a.constData(), b.constData(), options, fullMatch, result);
}

// ---------------------------------------------------------------- sorting

void TwoxIndex::QuickSort(int low, int high) {
  while (high - low + 1 > 4) {
    auto less = [this](TwoxRecord *x, TwoxRecord *y) { return CompareRecords(*x, *y, nullptr, true) < 0; };
    const int mid = low + (high - low) / 2;
    if (less(FRecords[std::size_t(mid)], FRecords[std::size_t(low)]))
      std::swap(FRecords[std::size_t(mid)], FRecords[std::size_t(low)]);
    if (less(FRecords[std::size_t(high)], FRecords[std::size_t(low)]))
      std::swap(FRecords[std::size_t(high)], FRecords[std::size_t(low)]);
    if (less(FRecords[std::size_t(high)], FRecords[std::size_t(mid)]))
      std::swap(FRecords[std::size_t(high)], FRecords[std::size_t(mid)]);
    TwoxRecord *pivot = FRecords[std::size_t(mid)];
    int i = low, j = high;
    while (i <= j) {
      while (less(FRecords[std::size_t(i)], pivot))
        ++i;
      while (less(pivot, FRecords[std::size_t(j)]))
        --j;
      if (i <= j)
        std::swap(FRecords[std::size_t(i++)], FRecords[std::size_t(j--)]);
    }
    // Recurse into the smaller part, loop over the larger one.
    if (j - low < high - i) {
      QuickSort(low, j);
      low = i;
    } else {
      QuickSort(i, high);
      high = j;
    }
  }
}

void TwoxIndex::Sort() {
  if (FRowOrder)
    return;
  Settle();
  if (MainCount() < 2) { // nothing to order, no two keys to be equal
    FOrdered = true;
    return;
  }
  TwoxStoreLock lock(FHost.IndexStore());
  FHost.BeginSorting();
  try {
    bool duplicates = false;
    if (FHost.UsesCompareFieldsEvent() ||
        !SortByExtractedKeys(FRecords, FFieldList, FHost.IndexStore(), duplicates)) {
      QuickSort(0, MainCount() - 1);
      InsertionSortPass();
      for (int i = 1; i < MainCount() && !duplicates; ++i)
        duplicates = CompareRecords(*FRecords[std::size_t(i - 1)], *FRecords[std::size_t(i)]) == 0;
    }
    FOrdered = true;
    if (duplicates && FOptions.testFlag(mtcoUnique))
      DuplicateError();
  } catch (...) {
    FHost.EndSorting();
    throw;
  }
  FHost.EndSorting();
}

void TwoxIndex::InsertionSortPass() {
  for (int i = 1; i < MainCount(); ++i) {
    TwoxRecord *item = FRecords[std::size_t(i)];
    int j = i - 1;
    while (j >= 0 && CompareRecords(*item, *FRecords[std::size_t(j)], nullptr, true) < 0) {
      FRecords[std::size_t(j + 1)] = FRecords[std::size_t(j)];
      --j;
    }
    FRecords[std::size_t(j + 1)] = item;
  }
}

void TwoxIndex::Clear() {
  std::vector<TwoxRecord *>().swap(FRecords);
  FPending.clear();
  FMirrored = nullptr;
  FOrdered = true;
}

void TwoxIndex::Materialise(const TwoxRecord *leaveOut) {
  if (!FMirrored)
    return;
  const TwoxCommon &store = *FMirrored;
  FMirrored = nullptr;
  FRecords.reserve(std::size_t(store.RecordCount()));
  for (int id = 0; id < store.RecordSlotCount(); ++id)
    if (TwoxRecord *record = store.Record(id); record && record != leaveOut)
      FRecords.push_back(record);
}

void TwoxIndex::Rebuild() {
  TwoxCommon &store = FHost.IndexStore();
  TwoxStoreLock lock(store);
  Clear();
  // The row-order index mirrors the store until a record is missing from it.
  bool mirror = FRowOrder;
  if (!mirror)
    FRecords.reserve(std::size_t(store.RecordCount()));
  for (int id = 0; id < store.RecordSlotCount(); ++id) {
    TwoxRecord *record = store.Record(id);
    const bool take = record && !(store.EnableVersioning() && record->UpdateStatus == mtusDeleted) &&
                      FHost.IndexAccepts(*this, *record);
    if (mirror && !take) {
      // The records before this one were all taken.
      mirror = false;
      FRecords.reserve(std::size_t(store.RecordCount()));
      for (int before = 0; before < id; ++before)
        FRecords.push_back(store.Record(before));
    } else if (take && !mirror) {
      FRecords.push_back(record);
    }
  }
  if (mirror)
    FMirrored = &store;
  FOrdered = false;
  if (FHost.IndexActive())
    Sort();
}

// ---------------------------------------------------------------- searching

bool TwoxIndex::SameOrdering(const TwoxFieldList &searchFields) const {
  if (FRowOrder || !FOrdered || searchFields.Count() != FFieldList.Count())
    return false;
  // The index order only guides the search when it compares the way the search does, and when the
  // records that match form one run in that order.
  const auto ordering = TwoxMemTableCompareOptions(mtcoCaseInsensitive | mtcoIgnoreLocale);
  for (int i = 0; i < FFieldList.Count(); ++i) {
    TField *field = searchFields.Fields(i);
    const TwoxMemTableCompareOptions options = searchFields.Options(i);
    if (field != FFieldList.Fields(i) || (options & ordering) != (FFieldList.Options(i) & ordering) ||
        (options | FFieldList.Options(i)).testFlag(mtcoIgnoreNullKey) ||
        !MatchesAreContiguous(field->DataType(), options))
      return false;
  }
  return true;
}

TwoxFieldList TwoxIndex::InIndexDirection(const TwoxFieldList &fields) const {
  // The index's own direction decides, the search's options the equality.
  TwoxFieldList ordered;
  for (int i = 0; i < fields.Count(); ++i)
    ordered.Add(fields.Fields(i), fields.Options(i) | (FFieldList.Options(i) & mtcoDescending));
  return ordered;
}

template <class TGoesRight> int TwoxIndex::Partition(TGoesRight goesRight) const {
  int low = 0, high = MainCount();
  while (low < high) {
    const int mid = low + (high - low) / 2;
    if (goesRight(*FRecords[std::size_t(mid)]))
      low = mid + 1;
    else
      high = mid;
  }
  return low;
}

int TwoxIndex::LowerBound(const TwoxRecord &key, const TwoxFieldList &fields) {
  const bool bySlots = &fields == &FFieldList && SlotKeyUsable();
  const auto compare = [&](const TwoxRecord &record) {
    return bySlots ? CompareSlotKeys(key, record, false) : CompareRecords(key, record, &fields);
  };
  if (MainCount() > 0 && compare(*FRecords.back()) > 0)
    return MainCount();
  return Partition([&](const TwoxRecord &record) { return compare(record) > 0; });
}

int TwoxIndex::BinarySearch(const TwoxRecord &key, const TwoxFieldList &fields) {
  const TwoxFieldList ordered = InIndexDirection(fields);
  const int position = LowerBound(key, ordered);
  return position < MainCount() && CompareRecords(key, *FRecords[std::size_t(position)], &ordered) == 0
             ? position
             : -1;
}

int TwoxIndex::Search(const TwoxRecord &key, const TwoxFieldList &searchFields, bool filtering,
                      bool nearest) {
  TwoxStoreLock lock(FHost.IndexStore());
  Settle();
  if (MainCount() > BinarySearchThreshold && SameOrdering(searchFields)) {
    // Every match is in the run that starts at the first one: its first accepted record is the
    // one a scan from the start would find.
    int position = BinarySearch(key, searchFields);
    for (; position >= 0 && position < MainCount() &&
           CompareRecords(key, *FRecords[std::size_t(position)], &searchFields) == 0;
         ++position)
      if (!filtering || FHost.RecordAccepted(*FRecords[std::size_t(position)]))
        return position;
    if (!nearest)
      return -1;
  }
  const bool compareEvent = FHost.UsesCompareFieldsEvent();
  TwoxKeyMatcher matcher(key, searchFields, *this, compareEvent);
  const TwoxCommon &store = FHost.IndexStore();
  if (!nearest && !FRowOrder && !compareEvent && 2 * qint64(MainCount()) >= store.RecordCount()) {
    // The store is read in the order its records were made, which is mostly the order they lie in
    // memory; a sorted index would send every step elsewhere. (The row-order index keeps that order
    // and stops at the first match; OnCompareFields sees the comparisons in the index's order.)
    const int slotCount = store.RecordSlotCount();
    std::vector<TwoxRecord *> matches;
    for (int id = 0; id < slotCount; ++id) {
      if (id % 100 == 0)
        FHost.SearchProgress(int(qint64(id) * 100 / slotCount));
      TwoxRecord *record = store.Record(id);
      if (record && matcher.Compare(*record) == 0)
        matches.push_back(record);
    }
    return FirstInOrder(matches, filtering);
  }
  for (int i = 0; i < MainCount(); ++i) {
    if (i % 100 == 0)
      FHost.SearchProgress(MainCount() ? int(qint64(i) * 100 / MainCount()) : 0);
    TwoxRecord &record = *At(i);
    const int c = matcher.Compare(record);
    if (c == 0 && (!filtering || FHost.RecordAccepted(record)))
      return i;
    if (nearest && c < 0)
      return i;
  }
  return -1;
}

int TwoxIndex::FirstInOrder(std::vector<TwoxRecord *> &matches, bool filtering) {
  if (matches.size() == 1) {
    // Records the index leaves out (refused by OnFilterIndex, deleted under versioning) have no place.
    const int position = PositionOf(*matches.front());
    return position >= 0 && (!filtering || FHost.RecordAccepted(*matches.front())) ? position : -1;
  }
  std::sort(matches.begin(), matches.end());
  for (int i = 0; i < MainCount() && !matches.empty(); ++i) {
    TwoxRecord *record = At(i);
    if (std::binary_search(matches.begin(), matches.end(), record) &&
        (!filtering || FHost.RecordAccepted(*record)))
      return i;
  }
  return -1;
}

int TwoxIndex::PositionOf(const TwoxRecord &record, int hint) {
  Settle();
  if (FMirrored)
    return At(record.RecordID) == &record ? record.RecordID : -1;
  if (hint >= 0 && hint < MainCount() && FRecords[std::size_t(hint)] == &record)
    return hint;
  int start = 0;
  if (MainCount() > BinarySearchThreshold) {
    if (FRowOrder) {
      // Appended records keep the row order by id; inserted ones are found near that place.
      start = int(std::lower_bound(FRecords.begin(), FRecords.end(), record.RecordID,
                                   [](const TwoxRecord *r, int id) { return r->RecordID < id; }) -
                  FRecords.begin());
    } else if (FOrdered && FFieldList.Count() > 0) {
      start = std::max(BinarySearch(record, FFieldList), 0);
    }
  }
  // Outwards from the start, one step each way in turn.
  for (int distance = 0; start + distance < MainCount() || start - distance - 1 >= 0; ++distance) {
    if (start + distance < MainCount() && FRecords[std::size_t(start + distance)] == &record)
      return start + distance;
    if (start - distance - 1 >= 0 && FRecords[std::size_t(start - distance - 1)] == &record)
      return start - distance - 1;
  }
  return -1;
}

// ---------------------------------------------------------------- maintenance

int TwoxIndex::InsertPosition(const TwoxRecord &record) {
  const bool bySlots = SlotKeyUsable();
  // Records often come in key order: their place is at the end.
  if (MainCount() > 0 && CompareKeys(record, *FRecords.back(), true, bySlots) > 0)
    return MainCount();
  return Partition([&](const TwoxRecord &other) { return CompareKeys(record, other, true, bySlots) >= 0; });
}

int TwoxIndex::MainInsertPosition(const TwoxRecord &record) {
  if (&record == FCheckedRecord) {
    const int p = FCheckedPosition;
    FCheckedRecord = nullptr;
    if (p >= 0 && p <= MainCount() &&
        (p == 0 || CompareRecords(record, *FRecords[std::size_t(p - 1)], nullptr, true) > 0) &&
        (p == MainCount() || CompareRecords(record, *FRecords[std::size_t(p)], nullptr, true) < 0))
      return p;
  }
  return InsertPosition(record);
}

int TwoxIndex::RecordInserted(TwoxRecord *record, int rowOrderPosition, bool positionWanted) {
  if (!FHost.IndexAccepts(*this, *record)) {
    Materialise(record);
    return -1;
  }
  if (FMirrored) {
    // The store took the record already: at its end, it keeps the mirror.
    const int last = MainCount() - 1;
    if (record->RecordID == last && At(last) == record && (rowOrderPosition < 0 || rowOrderPosition >= last))
      return last;
    Materialise(record);
  }
  int position = MainCount();
  if (FRowOrder) {
    if (rowOrderPosition >= 0 && rowOrderPosition < MainCount())
      position = rowOrderPosition;
  } else if (Maintained() && FOrdered) {
    if (positionWanted)
      Settle();
    position = MainInsertPosition(*record);
    if (!positionWanted && (position < MainCount() || !FPending.empty())) {
      // A record that does not simply go at the end waits in the tail; the search above found its
      // place, so joining the list later compares nothing.
      const TwoxPendingRecord pending{position, record};
      const auto at = std::upper_bound(FPending.begin(), FPending.end(), pending,
                                       [this](const TwoxPendingRecord &x, const TwoxPendingRecord &y) {
                                         if (x.MainPosition != y.MainPosition)
                                           return x.MainPosition < y.MainPosition;
                                         return CompareRecords(*x.Record, *y.Record, nullptr, true) < 0;
                                       });
      FPending.insert(at, pending);
      if (FPending.size() > PendingLimit())
        Settle();
      return -1;
    }
  } else {
    FOrdered = false;
  }
  FRecords.insert(FRecords.begin() + position, record);
  return position;
}

std::size_t TwoxIndex::PendingLimit() const {
  return std::max<std::size_t>(256, std::size_t(std::sqrt(double(FRecords.size()))));
}

// The tail joins the list in one pass: the runs between the places of its records move once.
void TwoxIndex::Settle() const {
  if (FPending.empty())
    return;
  std::vector<TwoxRecord *> merged;
  merged.reserve(FRecords.size() + FPending.size());
  auto from = FRecords.begin();
  for (const TwoxPendingRecord &pending : FPending) {
    const auto at = FRecords.begin() + pending.MainPosition;
    merged.insert(merged.end(), from, at);
    merged.push_back(pending.Record);
    from = at;
  }
  merged.insert(merged.end(), from, FRecords.end());
  FRecords.swap(merged);
  FPending.clear();
}

void TwoxIndex::RecordDeleted(const TwoxRecord *record) {
  Settle();
  Materialise();
  const int position = PositionOf(*record);
  if (position >= 0)
    FRecords.erase(FRecords.begin() + position);
}

void TwoxIndex::RecordChanged(TwoxRecord *record) {
  if (FRowOrder)
    return;
  Settle();
  if (!Maintained()) {
    FOrdered = false;
    return;
  }
  const int position = PositionOf(*record);
  if (position < 0)
    return;
  FRecords.erase(FRecords.begin() + position);
  FRecords.insert(FRecords.begin() + (FOrdered ? InsertPosition(*record) : position), record);
}

void TwoxIndex::CheckUnique(const TwoxRecord &candidate, const TwoxRecord *self) {
  if (!FOptions.testFlag(mtcoUnique) || !Maintained() || FRowOrder)
    return;
  if (SameOrdering(FFieldList)) {
    // Equal keys sit together in a sorted index; in its tail, they wait for the places of that run.
    const int first = LowerBound(candidate, FFieldList);
    int end = first;
    for (; end < MainCount() && CompareRecords(candidate, *FRecords[std::size_t(end)]) == 0; ++end)
      if (FRecords[std::size_t(end)] != self)
        DuplicateError();
    const auto from = std::lower_bound(FPending.begin(), FPending.end(), first,
                                       [](const TwoxPendingRecord &x, int p) { return x.MainPosition < p; });
    for (auto p = from; p != FPending.end() && p->MainPosition <= end; ++p)
      if (p->Record != self && CompareRecords(candidate, *p->Record) == 0)
        DuplicateError();
    // A new record with no equal key in the list goes where the search ended.
    FCheckedRecord = end == first && !self ? &candidate : nullptr;
    FCheckedPosition = first;
    return;
  }
  Settle();
  for (TwoxRecord *record : FRecords)
    if (record != self && CompareRecords(candidate, *record) == 0)
      DuplicateError();
}

// ---------------------------------------------------------------- the list

TwoxIndexes::TwoxIndexes(TwoxIndexHost &host)
    : FHost(host), FRowOrder(std::make_unique<TwoxIndex>(QLatin1String(RowOrderIndexName), host, QString(),
                                                         TwoxMemTableCompareOptions(), 0, true)) {}

TwoxIndex *TwoxIndexes::FindByName(const QString &name) const {
  if (name.compare(QLatin1String(RowOrderIndexName), Qt::CaseInsensitive) == 0)
    return FRowOrder.get();
  for (const auto &index : FIndexes)
    if (index->Name().compare(name, Qt::CaseInsensitive) == 0)
      return index.get();
  return nullptr;
}

TwoxIndex *TwoxIndexes::FindByFields(const QString &fieldNames) const {
  TwoxIndex *found = nullptr;
  for (const auto &index : FIndexes)
    if (index->FieldNames().compare(fieldNames, Qt::CaseInsensitive) == 0)
      found = index.get();
  return found;
}

TwoxIndex *TwoxIndexes::Add(std::unique_ptr<TwoxIndex> index) {
  index->SetPosition(Count());
  FIndexes.push_back(std::move(index));
  return FIndexes.back().get();
}

TwoxIndex *TwoxIndexes::AddFromIndexDef(const TIndexDef &def) {
  if (def.Fields().trimmed().isEmpty())
    MemTableError(QStringLiteral("Missing Name or FieldNames in IndexDef!"));
  return Add(std::make_unique<TwoxIndex>(def.Name(), FHost, def.Fields(),
                                         IndexOptionsToCompareOptions(def.Options()), 0, true));
}

void TwoxIndexes::Clear() {
  FIndexes.clear();
  FRowOrder->Clear();
}

void TwoxIndexes::BuildFromIndexDefs(const TIndexDefs &defs) {
  FIndexes.clear();
  for (int i = 0; i < defs.Count(); ++i)
    AddFromIndexDef(*defs.Items(i));
}

std::vector<TwoxIndex *> TwoxIndexes::All() const {
  std::vector<TwoxIndex *> all{FRowOrder.get()};
  for (const auto &index : FIndexes)
    all.push_back(index.get());
  return all;
}

void TwoxIndexes::RebuildAll() {
  for (TwoxIndex *index : All())
    index->Rebuild();
}
