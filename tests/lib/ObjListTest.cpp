#include "ObjList.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

// Records, when it dies, whether the list still held it or a later item.
struct Tracked {
  TObjList<Tracked> *List;
  int Id;
  std::vector<int> *Freed;
  std::vector<int> *SawItselfOrLater;
  ~Tracked() {
    Freed->push_back(Id);
    if (List->Count() > Id)
      SawItselfOrLater->push_back(Id);
  }
};

} // namespace

TEST(ObjList, FreeAllSkipsEmptySlotsAndFreesFromTheEnd) {
  std::vector<int> freed, sawLater;
  auto list = std::make_unique<TObjList<Tracked>>();
  for (int id = 0; id < 5; ++id)
    list->Add(id == 1 || id == 3 ? nullptr : new Tracked{list.get(), id, &freed, &sawLater});
  list->FreeAll();
  EXPECT_EQ(freed, (std::vector<int>{4, 2, 0}));
  EXPECT_TRUE(sawLater.empty());
  EXPECT_EQ(list->Count(), 0);
  list.reset();
  EXPECT_EQ(freed.size(), 3u);
}

TEST(ObjList, DeleteAndFreeAndTheDestructorFreeEveryItemOnce) {
  std::vector<int> freed, sawLater;
  {
    TObjList<Tracked> list;
    for (int id = 0; id < 3; ++id)
      list.Add(new Tracked{&list, id, &freed, &sawLater});
    list.DeleteAndFree(0);
    EXPECT_EQ(freed, std::vector<int>{0});
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list.GetItem(0)->Id, 1);
  }
  EXPECT_EQ(freed, (std::vector<int>{0, 2, 1}));
}

TEST(QuickGrowList, CapacityGrowsByDeltaOrDoubles) {
  const struct {
    int delta;
    std::vector<int> capacities; // after each growth
  } cases[] = {
      {0, {4, 8, 12, 28, 44, 60, 76, 95}}, // the plain list's steps
      {10, {4, 8, 16, 26, 36}},            // doubles while below the delta, then adds it
      {3, {4, 7, 10, 13}},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.delta);
    TQuickGrowList list;
    list.SetDelta(c.delta);
    std::vector<int> seen;
    while (seen.size() < c.capacities.size()) {
      list.Add(nullptr);
      if (seen.empty() || seen.back() != list.Capacity())
        seen.push_back(list.Capacity());
    }
    EXPECT_EQ(seen, c.capacities);
  }
}

TEST(ObjList, GrowsByItsDeltaFromAnEmptyList) {
  TObjList<Tracked> list;
  list.SetDelta(10);
  list.Add(nullptr);
  EXPECT_EQ(list.Capacity(), 10);
  for (int i = 0; i < 10; ++i)
    list.Add(nullptr);
  EXPECT_EQ(list.Capacity(), 20);
}

TEST(ObjList, NextRandomStaysInRangeAndFollowsTheSeed) {
  uint32_t seed = 0;
  EXPECT_EQ(NextRandom(seed, 1000), 0u); // seed 1: 1000 / 2^32
  EXPECT_EQ(seed, 1u);
  NextRandom(seed, 1000);
  EXPECT_EQ(seed, 134775814u);
  uint32_t big = 0xFFFFFFFFu;
  EXPECT_EQ(NextRandom(big, 10), 9u); // the seed wraps to 4160191484
  EXPECT_EQ(big, 4160191484u);
  for (int i = 0; i < 1000; ++i)
    EXPECT_LT(NextRandom(seed, 7), 7u);
}
