#include "IntegerList.h"

#include "Exceptions.h"

#include <algorithm>

std::int32_t TIntegerList::Items(int index) const {
  CheckIndex(index);
  return FItems[std::size_t(index)];
}

void TIntegerList::SetItems(int index, std::int32_t value) {
  if (FSorted)
    throw Exception(QStringLiteral("Operacja nie jest poprawna dla posortowanej listy"));
  CheckIndex(index);
  FItems[std::size_t(index)] = value;
}

void TIntegerList::SetSorted(bool value) {
  if (value && !FSorted)
    std::sort(FItems.begin(), FItems.end());
  FSorted = value;
}

void TIntegerList::CheckIndex(int index) const {
  if (index < 0 || index >= Count())
    throw Exception(QStringLiteral("List index out of bounds (%1)").arg(index));
}
