#pragma once

#include <cstdint>
#include <vector>

// A list of 32-bit signed integers whose items are read and written by index. A sorted list keeps its
// order, so writing an item of one is refused.
class TIntegerList {
public:
  explicit TIntegerList(int count = 0) : FItems(std::size_t(count > 0 ? count : 0), 0) {}

  int Count() const { return int(FItems.size()); }
  void Add(std::int32_t value) { FItems.push_back(value); }
  std::int32_t Items(int index) const;
  void SetItems(int index, std::int32_t value);

  bool Sorted() const { return FSorted; }
  void SetSorted(bool value);

private:
  void CheckIndex(int index) const;

  std::vector<std::int32_t> FItems;
  bool FSorted = false;
};
