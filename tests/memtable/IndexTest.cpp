#include "StoreFixture.h"

#include "woxMemCompare.h"
#include "woxMemTableError.h"

class IndexTest : public StoreFixture {
protected:
  void SetUp() override { Define({{"NAME", ftString, 20}, {"N", ftInteger, 0}}); }

  std::unique_ptr<TwoxIndex> MakeIndex(const QString &fields, TwoxMemTableCompareOptions options = {}) {
    auto index = std::make_unique<TwoxIndex>(QStringLiteral("IX"), *this, fields, options, 0, true);
    index->Rebuild();
    return index;
  }
  QStringList Names(const TwoxIndex &index) {
    QStringList names;
    char buffer[21];
    for (int i = 0; i < index.Count(); ++i)
      names << (Store.ReadField(*index.Records(i), Field("NAME"), buffer) ? QString::fromLatin1(buffer)
                                                                          : QStringLiteral("<null>"));
    return names;
  }
  std::unique_ptr<TwoxRecord> Key(const QVariantList &values) {
    auto key = Store.AllocRecord();
    for (int i = 0; i < values.size(); ++i)
      Put(*key, Fields.Fields(i), values[i]);
    return key;
  }
};

TEST_F(IndexTest, SortsByKeyThenRecordIdWithNullsFirst) {
  for (const auto &[name, n] : std::vector<std::pair<QVariant, int>>{
           {"pear", 1}, {"apple", 2}, {QVariant(), 3}, {"fig", 4}, {"apple", 5}, {"kiwi", 6}, {"date", 7}})
    Add({name, n});
  auto index = MakeIndex(QStringLiteral("NAME"), mtcoIgnoreLocale);
  EXPECT_TRUE(index->Ordered());
  EXPECT_EQ(Names(*index), QStringList({"<null>", "apple", "apple", "date", "fig", "kiwi", "pear"}));
  EXPECT_LT(index->Records(1)->RecordID, index->Records(2)->RecordID);
  auto descending = MakeIndex(QStringLiteral("NAME"), mtcoIgnoreLocale | mtcoDescending);
  // Descending turns the values round; a null still sorts first.
  EXPECT_EQ(Names(*descending), QStringList({"<null>", "pear", "kiwi", "fig", "date", "apple", "apple"}));
}

TEST_F(IndexTest, LocaleCollationAndCaseOptions) {
  // "ą" sorts between "a" and "b" in Polish; byte order puts it after "z".
  for (const char *name : {"b", "\u0105", "a", "z", "B"})
    Add({QString::fromUtf8(name), 0});
  Store.SetLocaleID(0x0415);
  auto polish = MakeIndex(QStringLiteral("NAME"));
  const QStringList order = Names(*polish);
  EXPECT_LT(order.indexOf("a"), order.indexOf(QString::fromLatin1("\xB9")));
  EXPECT_LT(order.indexOf(QString::fromLatin1("\xB9")), order.indexOf("b"));
  auto bytes = MakeIndex(QStringLiteral("NAME"), mtcoIgnoreLocale);
  EXPECT_EQ(Names(*bytes), QStringList({"B", "a", "b", "z", QString::fromLatin1("\xB9")}));
  auto key = Key({"b"});
  TwoxFieldList insensitive;
  insensitive.Add(Field("NAME"), mtcoIgnoreLocale | mtcoCaseInsensitive);
  EXPECT_EQ(bytes->CompareRecords(*key, *bytes->Records(0), &insensitive), 0);
}

TEST_F(IndexTest, UnknownLocaleIsRefused) {
  Add({"a", 1});
  Add({"b", 2});
  Store.SetLocaleID(0x0001);
  EXPECT_EQ(MessageOf([&] { MakeIndex(QStringLiteral("NAME")); }), "Invalid locale. 1");
}

TEST_F(IndexTest, PartialKeyMatchesPrefixAndEndsComparison) {
  Add({"Warszawa", 5});
  auto index = MakeIndex(QStringLiteral("NAME;N"), mtcoIgnoreLocale);
  TwoxFieldList partial;
  partial.Add(Field("NAME"), mtcoPartialKey | mtcoIgnoreLocale);
  partial.Add(Field("N"), {});
  // The prefix match ends the comparison: N is not looked at.
  EXPECT_EQ(index->CompareRecords(*Key({"Warsz", 9}), *index->Records(0), &partial), 0);
  EXPECT_NE(index->CompareRecords(*Key({"Wars", 9}), *index->Records(0)), 0);
  EXPECT_EQ(index->Search(*Key({"Wa", 0}), partial, false, false), 0);
}

TEST_F(IndexTest, IgnoreNullKeySkipsNullKeyFields) {
  Add({"x", 5});
  auto index = MakeIndex(QStringLiteral("NAME;N"), mtcoIgnoreLocale | mtcoIgnoreNullKey);
  EXPECT_EQ(index->CompareRecords(*Key({QVariant(), 5}), *index->Records(0)), 0);
  EXPECT_EQ(index->CompareRecords(*Key({QVariant(), 4}), *index->Records(0)), -1);
}

TEST_F(IndexTest, BinaryAndSequentialSearchFindTheSameFirstMatch) {
  for (int records : {20, 21}) {
    Store.Empty();
    for (int i = 0; i < records; ++i)
      Add({QStringLiteral("k%1").arg(i / 2, 2, 10, QLatin1Char('0')), i});
    auto index = MakeIndex(QStringLiteral("NAME"), mtcoIgnoreLocale);
    TwoxFieldList search;
    search.Add(Field("NAME"), mtcoIgnoreLocale);
    Comparisons = 0;
    const int position = index->Search(*Key({"k09", 0}), search, false, false);
    ASSERT_EQ(position, 18) << records;
    EXPECT_EQ(index->Records(position)->RecordID, 18);
    // 21 records go by halving, 20 by scanning up to the match.
    if (records == 21)
      EXPECT_LT(Comparisons, 10);
    else
      EXPECT_EQ(Comparisons, 19);
    EXPECT_EQ(index->Search(*Key({"k99", 0}), search, false, false), -1);
    EXPECT_EQ(index->Search(*Key({"k035", 0}), search, false, true), 8); // nearest: first greater
  }
}

TEST_F(IndexTest, UniqueIndexRefusesDuplicates) {
  Add({"a", 1});
  Add({"b", 2});
  auto unique = MakeIndex(QStringLiteral("NAME"), mtcoUnique | mtcoIgnoreLocale);
  auto candidate = Key({"b", 3});
  EXPECT_EQ(MessageOf([&] { unique->CheckUnique(*candidate, nullptr); }),
            "Duplicate index value. Operation aborted.");
  EXPECT_EQ(MessageOf([&] { unique->CheckUnique(*unique->Records(1), unique->Records(1)); }), "<no error>");
  Add({"a", 3});
  EXPECT_EQ(MessageOf([&] { unique->Rebuild(); }), "Duplicate index value. Operation aborted.");
}

TEST_F(IndexTest, MaintenanceKeepsOrderAndFindsPositions) {
  for (int i = 0; i < 30; ++i)
    Add({QStringLiteral("n%1").arg(i, 2, 10, QLatin1Char('0')), i});
  auto index = MakeIndex(QStringLiteral("NAME"), mtcoIgnoreLocale);
  TwoxRecord *record = Add({"n15x", 99});
  index->RecordInserted(record, -1);
  EXPECT_EQ(index->PositionOf(*record), 16);
  Put(*record, Field("NAME"), "a");
  index->RecordChanged(record);
  EXPECT_EQ(index->PositionOf(*record), 0);
  index->RecordDeleted(record);
  EXPECT_EQ(index->PositionOf(*record), -1);
  EXPECT_EQ(index->Count(), 30);
  TwoxIndexes indexes(*this);
  EXPECT_TRUE(indexes.All().front()->RowOrder());
}

TEST_F(IndexTest, ListFindsByNameAndFieldsAndChecksDefs) {
  TwoxIndexes indexes(*this);
  indexes.Add(std::make_unique<TwoxIndex>(QStringLiteral("ByName"), *this, QStringLiteral("NAME"),
                                          TwoxMemTableCompareOptions(), 0, true));
  indexes.Add(std::make_unique<TwoxIndex>(QStringLiteral("Second"), *this, QStringLiteral("name"),
                                          TwoxMemTableCompareOptions(), 0, true));
  EXPECT_EQ(indexes.FindByName(QStringLiteral("BYNAME"))->Position(), 0);
  EXPECT_EQ(indexes.FindByFields(QStringLiteral("NAME"))->Name(), "Second"); // the last match
  EXPECT_EQ(indexes.FindByName(QStringLiteral("__mt__roworder")), &indexes.RowOrderIndex());
  EXPECT_EQ(indexes.FindByName(QStringLiteral("none")), nullptr);
  EXPECT_EQ(MessageOf([&] { indexes.AddFromIndexDef(TIndexDef(QStringLiteral("X"), QString(), {})); }),
            "Missing Name or FieldNames in IndexDef!");
  EXPECT_EQ(
      MessageOf([&] { TwoxIndex(QStringLiteral("Y"), *this, QStringLiteral("NAME;NOPE"), {}, 0, true); }),
      "Can't index on field NOPE");
  TwoxIndex *fromDef =
      indexes.AddFromIndexDef(TIndexDef(QStringLiteral("D"), QStringLiteral("N"), ixDescending | ixUnique));
  EXPECT_EQ(fromDef->FieldList().Options(0), mtcoDescending | mtcoUnique);
}
