#include "ObjList.h"

#include "Exceptions.h"

void TQuickGrowList::CheckIndex(int index) const {
  if (index < 0 || index >= Count())
    throw Exception(QStringLiteral("List index out of bounds (%1)").arg(index));
}

void TQuickGrowList::SetCount(int count) {
  if (count < 0)
    throw Exception(QStringLiteral("List count out of bounds (%1)").arg(count));
  if (count > FCapacity)
    SetCapacity(count);
  FItems.resize(count, nullptr);
}

void TQuickGrowList::SetCapacity(int capacity) {
  if (capacity < Count())
    throw Exception(QStringLiteral("List capacity out of bounds (%1)").arg(capacity));
  FCapacity = capacity;
  FItems.reserve(capacity);
}

void *TQuickGrowList::Items(int index) const {
  CheckIndex(index);
  return FItems[index];
}

void TQuickGrowList::SetItems(int index, void *item) {
  CheckIndex(index);
  FItems[index] = item;
}

int TQuickGrowList::Add(void *item) {
  Insert(Count(), item);
  return Count() - 1;
}

void TQuickGrowList::Insert(int index, void *item) {
  if (index < 0 || index > Count())
    throw Exception(QStringLiteral("List index out of bounds (%1)").arg(index));
  if (Count() == FCapacity)
    Grow();
  FItems.insert(FItems.begin() + index, item);
}

void TQuickGrowList::Delete(int index) {
  CheckIndex(index);
  FItems.erase(FItems.begin() + index);
}

int TQuickGrowList::IndexOf(const void *item) const {
  for (int i = 0; i < Count(); ++i)
    if (FItems[i] == item)
      return i;
  return -1;
}

void TQuickGrowList::Clear() {
  FItems.clear();
  FItems.shrink_to_fit();
  FCapacity = 0;
}

int TQuickGrowList::OrdinaryGrowth() const {
  if (FCapacity > 64)
    return FCapacity + FCapacity / 4;
  if (FCapacity > 8)
    return FCapacity + 16;
  return FCapacity + 4;
}

void TQuickGrowList::Grow() {
  if (FDelta == 0 || FCapacity == 0)
    SetCapacity(OrdinaryGrowth());
  else if (FDelta <= FCapacity)
    SetCapacity(FCapacity + FDelta);
  else
    SetCapacity(FCapacity * 2);
}

uint32_t NextRandom(uint32_t &seed, uint32_t range) {
  seed = seed * 134775813u + 1u;
  return static_cast<uint32_t>((static_cast<uint64_t>(seed) * range) >> 32);
}
