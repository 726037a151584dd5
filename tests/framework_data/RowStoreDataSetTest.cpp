#include "RowSequence.h"
#include "UsersFixture.h"

#include <QElapsedTimer>
#include <gtest/gtest.h>
#include <random>

namespace {

struct TPlainRow {
  int Id = 0;
  int Value = 0;
};

void ExpectSame(const TRowSequence<TPlainRow> &rows, const std::vector<TPlainRow> &model) {
  ASSERT_EQ(rows.size(), model.size());
  for (std::size_t i = 0; i < model.size(); ++i) {
    ASSERT_EQ(rows[i].Id, model[i].Id) << "at " << i;
    ASSERT_EQ(rows[i].Value, model[i].Value) << "at " << i;
    ASSERT_EQ(rows.IndexOfId(model[i].Id), long(i));
  }
  // Backwards, so that the remembered chunk is left behind at every step.
  for (std::size_t i = model.size(); i-- > 0;)
    ASSERT_EQ(rows[i].Id, model[i].Id) << "at " << i;
}

// Inserts at the cursor (each before the last one) and then erases every second row, through
// the dataset protocol; returns the nanoseconds taken and leaves the dataset for checking.
qint64 InsertThenEraseEverySecond(TTestDataSet &users, int count) {
  QElapsedTimer clock;
  clock.start();
  for (int id = 1; id <= count; ++id) {
    users.Insert();
    users.FieldByName(QStringLiteral("ID"))->SetAsInteger(id);
    users.FieldByName(QStringLiteral("USER_NAME"))->SetAsString(QStringLiteral("U%1").arg(id));
    users.Post();
  }
  for (users.First(); !users.Eof();) {
    users.Next();
    if (!users.Eof())
      users.Delete();
  }
  return clock.nsecsElapsed();
}

std::unique_ptr<TTestDataSet> EmptyUsers() { return MakeUsers({}); }

} // namespace

// Inserts and erases at any place, against a plain vector doing the same: a row's place, its
// values and the place found from its id agree after chunks split, empty and merge.
TEST(RowSequence, AgreesWithAPlainVectorThroughInsertsAndErases) {
  std::mt19937 random(32);
  TRowSequence<TPlainRow> rows;
  std::vector<TPlainRow> model;
  int nextId = 1;
  // Inserts alone (the table by id is made only at the end, over many chunks), then shrinking and
  // growth by erases and inserts at random places.
  for (const auto &[steps, insertShare] : {std::pair{3000, 1.0}, {3000, 0.2}, {2000, 0.9}, {4000, 0.1}}) {
    for (int step = 0; step < steps; ++step) {
      if (model.empty() || std::uniform_real_distribution<>(0, 1)(random) < insertShare) {
        const std::size_t at = std::uniform_int_distribution<std::size_t>(0, model.size())(random);
        const TPlainRow row{nextId++, step};
        rows.insert(at, row);
        model.insert(model.begin() + long(at), row);
      } else {
        const std::size_t at = std::uniform_int_distribution<std::size_t>(0, model.size() - 1)(random);
        ASSERT_EQ(rows.IndexOfId(model[at].Id), long(at));
        rows.erase(at);
        model.erase(model.begin() + long(at));
      }
    }
    ExpectSame(rows, model);
  }
  EXPECT_EQ(rows.IndexOfId(1), -1) << "an erased id";
  EXPECT_EQ(rows.IndexOfId(nextId), -1) << "an id never given";
  rows.clear();
  EXPECT_EQ(rows.size(), 0u);
  rows.push_back({1, 7});
  ExpectSame(rows, {{1, 7}});
}

// n inserts and n/2 deletes through the dataset take about ten times as long for ten times the
// rows (they were quadratic: each moved every row after it and searched bookmarks one by one).
TEST(RowStoreDataSet, InsertsAndDeletesAtTheCursorGrowLinearly) {
  constexpr int Small = 10000, Large = 100000;
  qint64 bestSmall = std::numeric_limits<qint64>::max(), bestLarge = bestSmall;
  for (int round = 0; round < 2; ++round) {
    auto small = EmptyUsers();
    bestSmall = std::min(bestSmall, InsertThenEraseEverySecond(*small, Small));
    auto large = EmptyUsers();
    bestLarge = std::min(bestLarge, InsertThenEraseEverySecond(*large, Large));
    // Each insert went before the previous one; every second row from the first is left.
    ASSERT_EQ(large->StoredRowCount(), Large / 2);
    large->First();
    for (int id = Large, recNo = 1; id > 0; id -= 2, ++recNo) {
      ASSERT_EQ(large->FieldByName(QStringLiteral("ID"))->AsInteger(), id);
      ASSERT_EQ(large->FieldByName(QStringLiteral("USER_NAME"))->AsString(), QStringLiteral("U%1").arg(id));
      ASSERT_EQ(large->RecNo(), recNo);
      large->Next();
    }
    EXPECT_TRUE(large->Eof());
  }
  const double ratio = double(bestLarge) / double(bestSmall);
  std::printf("10x the rows took %.1fx the time (%lld ms for %d rows)\n", ratio, bestLarge / 1000000, Large);
  EXPECT_LT(ratio, 25.0) << "quadratic growth would give about 100";
}

// Bookmarks keep finding their rows once inserts and deletes have put the ids out of order.
TEST(RowStoreDataSet, BookmarksAfterInsertsAndDeletes) {
  auto users = EmptyUsers();
  InsertThenEraseEverySecond(*users, 3000);
  users->SetRecNo(700);
  const TBookmark middle = users->GetBookmark();
  const int id = users->FieldByName(QStringLiteral("ID"))->AsInteger();
  users->Last();
  const TBookmark last = users->GetBookmark();
  EXPECT_EQ(users->CompareBookmarks(middle, last), -1);
  EXPECT_EQ(users->CompareBookmarks(last, middle), 1);
  users->GotoBookmark(middle);
  EXPECT_EQ(users->FieldByName(QStringLiteral("ID"))->AsInteger(), id);
  EXPECT_EQ(users->RecNo(), 700);
  users->Delete();
  EXPECT_FALSE(users->BookmarkValid(middle));
  EXPECT_EQ(users->RecNo(), 700);
  EXPECT_EQ(users->FieldByName(QStringLiteral("ID"))->AsInteger(), id - 2);
}
