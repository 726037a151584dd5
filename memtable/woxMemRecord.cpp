#include "woxMemRecord.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {

// The inline area holds the pointer and capacity of the data once it moved to a block of its own.
struct THeapRef {
  char *Data;
  quint32 Capacity;
};

constexpr int MinInlineCapacity = int(sizeof(THeapRef));

static_assert(sizeof(TwoxRecord) % alignof(TwoxOutsideValue) == 0);
static_assert(sizeof(TwoxRecord) <= 32, "the header of every record");

} // namespace

TwoxRecord::TwoxRecord(int capacity, int outsideCount)
    : FOutsideCount(quint16(outsideCount)), FOnHeap(0), FCapacity(quint32(capacity)) {
  TwoxOutsideValue *outside = Outsides();
  for (int i = 0; i < outsideCount; ++i)
    new (outside + i) TwoxOutsideValue();
}

std::unique_ptr<TwoxRecord> TwoxRecord::New(int dataSize, int outsideCount) {
  const int capacity = std::max(dataSize, MinInlineCapacity);
  void *block = ::operator new(sizeof(TwoxRecord) + sizeof(TwoxOutsideValue) * std::size_t(outsideCount) +
                               std::size_t(capacity));
  std::unique_ptr<TwoxRecord> record(new (block) TwoxRecord(capacity, outsideCount));
  record->FSize = quint32(dataSize);
  std::memset(record->InlineArea(), 0, std::size_t(dataSize));
  return record;
}

TwoxRecord::~TwoxRecord() {
  if (FOnHeap)
    std::free(HeapData());
  TwoxOutsideValue *outside = Outsides();
  for (int i = 0; i < FOutsideCount; ++i)
    outside[i].~TwoxOutsideValue();
}

quint32 TwoxRecord::HeapCapacity() const {
  THeapRef ref;
  std::memcpy(&ref, InlineArea(), sizeof ref);
  return ref.Capacity;
}

void TwoxRecord::SetHeapData(char *data, quint32 capacity) {
  const THeapRef ref{data, capacity};
  std::memcpy(InlineArea(), &ref, sizeof ref);
  FOnHeap = 1;
}

void TwoxRecord::ResizeData(int size) {
  const auto newSize = quint32(size);
  if (!FOnHeap && newSize > FCapacity) {
    // Grows by half again, so that a record written field by field moves only a few times.
    const quint32 capacity = std::max(newSize, FCapacity + FCapacity / 2);
    char *data = static_cast<char *>(std::malloc(capacity));
    if (!data)
      throw std::bad_alloc();
    std::memcpy(data, InlineArea(), FSize);
    SetHeapData(data, capacity);
  } else if (FOnHeap && newSize > HeapCapacity()) {
    const quint32 capacity = std::max(newSize, HeapCapacity() + HeapCapacity() / 2);
    char *data = static_cast<char *>(std::realloc(HeapData(), capacity));
    if (!data)
      throw std::bad_alloc();
    SetHeapData(data, capacity);
  }
  if (newSize > FSize)
    std::memset(Data() + FSize, 0, newSize - FSize);
  FSize = newSize;
}

std::unique_ptr<TwoxRecord> TwoxRecord::Copy(bool withVersions) const {
  std::unique_ptr<TwoxRecord> copy = New(DataSize(), FOutsideCount);
  copy->RecordID = RecordID;
  copy->UniqueRecordID = UniqueRecordID;
  copy->Flags = Flags;
  copy->UpdateStatus = UpdateStatus;
  copy->TransactionLevel = TransactionLevel;
  copy->CopyDataFrom(*this);
  if (withVersions && PreviousVersion)
    copy->PreviousVersion = PreviousVersion->Copy(true);
  return copy;
}

void TwoxRecord::CopyDataFrom(const TwoxRecord &source) {
  ResizeData(source.DataSize());
  std::memcpy(Data(), source.Data(), FSize);
  const int count = std::min<int>(FOutsideCount, source.FOutsideCount);
  for (int i = 0; i < count; ++i)
    Outside(i) = source.Outside(i);
}
