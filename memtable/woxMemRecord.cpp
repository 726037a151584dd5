#include "woxMemRecord.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {

constexpr int MinInlineCapacity = 24; // the heap reference
constexpr int MaxInlineCapacity = 0xFFFF;

static_assert(sizeof(TwoxRecord) <= 20, "the header of every record");

} // namespace

TwoxRecord::TwoxRecord(int capacity, int outsideCount)
    : FOutsideCount(quint16(outsideCount)), FOnHeap(0), FCapacity(quint16(capacity)) {
  static_assert(sizeof(THeapRef) <= MinInlineCapacity);
  TwoxOutsideValue *outside = Outsides();
  for (int i = 0; i < outsideCount; ++i)
    new (outside + i) TwoxOutsideValue();
}

std::unique_ptr<TwoxRecord> TwoxRecord::New(int dataSize, int outsideCount) {
  const bool fits = dataSize <= MaxInlineCapacity;
  const int capacity = fits ? std::max(dataSize, MinInlineCapacity) : MinInlineCapacity;
  void *block = ::operator new(InlineOffset(outsideCount) + std::size_t(capacity));
  std::unique_ptr<TwoxRecord> record(new (block) TwoxRecord(capacity, outsideCount));
  if (fits) {
    record->FSize = quint16(dataSize);
    std::memset(record->InlineArea(), 0, std::size_t(dataSize));
  } else {
    record->MoveDataToHeap(quint32(dataSize));
    record->ResizeData(dataSize);
  }
  return record;
}

TwoxRecord::~TwoxRecord() {
  if (FOnHeap) {
    const THeapRef ref = HeapRef();
    std::free(ref.Data);
    delete ref.Previous;
  }
  TwoxOutsideValue *outside = Outsides();
  for (int i = 0; i < FOutsideCount; ++i)
    outside[i].~TwoxOutsideValue();
}

void TwoxRecord::SetHeapRef(const THeapRef &ref) {
  std::memcpy(InlineArea(), &ref, sizeof ref);
  FOnHeap = 1;
}

void TwoxRecord::MoveDataToHeap(quint32 capacity) {
  char *data = static_cast<char *>(std::malloc(std::max<quint32>(capacity, 1)));
  if (!data)
    throw std::bad_alloc();
  std::memcpy(data, InlineArea(), FSize);
  SetHeapRef({data, nullptr, capacity, FSize});
}

void TwoxRecord::ResizeData(int size) {
  const auto newSize = quint32(size);
  const quint32 oldSize = quint32(DataSize());
  if (!FOnHeap && newSize > FCapacity) {
    // Grows by half again, so that a record written field by field moves only a few times.
    MoveDataToHeap(std::max(newSize, quint32(FCapacity) + FCapacity / 2));
  } else if (FOnHeap && newSize > HeapRef().Capacity) {
    THeapRef ref = HeapRef();
    const quint32 capacity = std::max(newSize, ref.Capacity + ref.Capacity / 2);
    char *data = static_cast<char *>(std::realloc(ref.Data, capacity));
    if (!data)
      throw std::bad_alloc();
    ref.Data = data;
    ref.Capacity = capacity;
    SetHeapRef(ref);
  }
  if (newSize > oldSize)
    std::memset(Data() + oldSize, 0, newSize - oldSize);
  if (FOnHeap) {
    THeapRef ref = HeapRef();
    ref.Size = newSize;
    SetHeapRef(ref);
  } else {
    FSize = quint16(newSize);
  }
}

TwoxRecord *TwoxRecord::PreviousVersion() const { return FOnHeap ? HeapRef().Previous : nullptr; }

std::unique_ptr<TwoxRecord> TwoxRecord::TakePreviousVersion() {
  if (!FOnHeap)
    return nullptr;
  THeapRef ref = HeapRef();
  std::unique_ptr<TwoxRecord> previous(ref.Previous);
  ref.Previous = nullptr;
  SetHeapRef(ref);
  return previous;
}

void TwoxRecord::SetPreviousVersion(std::unique_ptr<TwoxRecord> previous) {
  if (!FOnHeap) {
    if (!previous)
      return;
    MoveDataToHeap(FSize);
  }
  THeapRef ref = HeapRef();
  delete ref.Previous;
  ref.Previous = previous.release();
  SetHeapRef(ref);
}

void TwoxRecord::KeepVersion() {
  std::unique_ptr<TwoxRecord> previous = Copy();
  previous->SetPreviousVersion(TakePreviousVersion());
  SetPreviousVersion(std::move(previous));
}

std::unique_ptr<TwoxRecord> TwoxRecord::Copy(bool withVersions) const {
  std::unique_ptr<TwoxRecord> copy = New(DataSize(), FOutsideCount);
  copy->RecordID = RecordID;
  copy->UniqueRecordID = UniqueRecordID;
  copy->Flags = Flags;
  copy->UpdateStatus = UpdateStatus;
  copy->TransactionLevel = TransactionLevel;
  copy->CopyDataFrom(*this);
  if (withVersions && PreviousVersion())
    copy->SetPreviousVersion(PreviousVersion()->Copy(true));
  return copy;
}

void TwoxRecord::CopyDataFrom(const TwoxRecord &source) {
  ResizeData(source.DataSize());
  std::memcpy(Data(), source.Data(), std::size_t(DataSize()));
  const int count = std::min<int>(FOutsideCount, source.FOutsideCount);
  for (int i = 0; i < count; ++i)
    Outside(i) = source.Outside(i);
}
