#include "IntegerList.h"

#include "Exceptions.h"

#include <gtest/gtest.h>

TEST(IntegerListTest, ItemsAreReadAndWrittenByIndexAndStartAtZero) {
  TIntegerList list(3);
  list.SetItems(2, -2147483647 - 1);
  list.SetItems(0, 2147483647);
  EXPECT_EQ(list.Items(0), 2147483647);
  EXPECT_EQ(list.Items(1), 0);
  EXPECT_EQ(list.Items(2), -2147483647 - 1);
  EXPECT_THROW(list.Items(3), Exception);
  EXPECT_THROW(list.SetItems(-1, 1), Exception);
}

TEST(IntegerListTest, ASortedListRefusesAWrittenItem) {
  TIntegerList list;
  list.Add(5);
  list.Add(1);
  list.SetSorted(true);
  EXPECT_EQ(list.Items(0), 1);
  try {
    list.SetItems(0, 9);
    FAIL() << "no error";
  } catch (const Exception &e) {
    EXPECT_EQ(e.Message(), QString::fromUtf8("Operacja nie jest poprawna dla posortowanej listy"));
  }
  EXPECT_EQ(list.Items(0), 1);
  list.SetSorted(false);
  list.SetItems(0, 9);
  EXPECT_EQ(list.Items(0), 9);
}
