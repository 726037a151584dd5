#pragma once

#include <cstdint>
#include <vector>

// A list of pointers with a configurable growth step: with a Delta the capacity grows by it, or
// doubles while it is still smaller than Delta.
class TQuickGrowList {
public:
  TQuickGrowList() = default;
  TQuickGrowList(const TQuickGrowList &) = delete;
  TQuickGrowList &operator=(const TQuickGrowList &) = delete;
  virtual ~TQuickGrowList() = default;

  int Count() const { return static_cast<int>(FItems.size()); }
  // A larger count adds empty slots.
  void SetCount(int count);
  int Capacity() const { return FCapacity; }
  void SetCapacity(int capacity);
  int Delta() const { return FDelta; }
  void SetDelta(int delta) { FDelta = delta; }

  void *Items(int index) const;
  void SetItems(int index, void *item);
  int Add(void *item);
  void Insert(int index, void *item);
  void Delete(int index);
  int IndexOf(const void *item) const;
  void Clear();

protected:
  // Sets the capacity for one more item.
  virtual void Grow();
  // The growth of a plain list: by 4, 16 or a quarter, as the list gets larger.
  int OrdinaryGrowth() const;
  void CheckIndex(int index) const;

  int FDelta = 0;

private:
  std::vector<void *> FItems;
  int FCapacity = 0;
};

// A list that owns its objects and frees them; T is the class of the items.
template <class T> class TObjList : public TQuickGrowList {
public:
  ~TObjList() override { FreeAll(); }

  T *GetItem(int index) const { return static_cast<T *>(Items(index)); }

  void DeleteAndFree(int index) {
    T *item = GetItem(index);
    Delete(index);
    FreeItem(item);
  }

  // From the last item down; an item's destructor never finds itself or a later item in the list.
  void FreeAll() {
    for (int i = Count() - 1; i >= 0; --i) {
      if (i >= Count())
        continue;
      T *item = GetItem(i);
      if (!item)
        continue;
      SetCount(i);
      FreeItem(item);
    }
    Clear();
  }

protected:
  virtual void FreeItem(T *item) { delete item; }

  void Grow() override {
    if (FDelta == 0)
      TQuickGrowList::Grow();
    else
      SetCapacity(Capacity() + FDelta);
  }
};

// The next number of a linear congruential sequence, 0 <= result < range.
uint32_t NextRandom(uint32_t &seed, uint32_t range);
