#include "MemTableFixture.h"

#include <QCollator>
#include <QDate>
#include <QLocale>
#include <cstring>
#include <malloc.h>
#include <set>

#include "Fields.h"
#include "TestDataSet.h"

using ::testing::ElementsAre;

class MemTableTest : public MemTableFixture {};

TEST_F(MemTableTest, OpeningNeedsFields) {
  TwoxMemTable empty;
  EXPECT_EQ(MessageOf([&] { empty.Open(); }), "There must be at least one field");
  EXPECT_FALSE(empty.Active());
  EXPECT_EQ(empty.Version(), "3.02");
  EXPECT_EQ(empty.LocaleID(), 1024);
  EXPECT_EQ(empty.LoadLimit(), -1);
  EXPECT_EQ(MessageOf([&] { empty.RecordCount(); }), "Cannot perform this operation on a closed dataset");
}

TEST_F(MemTableTest, AppendInsertEditDeleteAndNavigate) {
  Fill({{"a", "a.fdb", "KORVIN", 1}, {"c", "c.fdb", "VELDAR", 3}});
  Table.Last();
  Table.Insert(); // before "c"
  Table.FieldByName("Nazwa")->SetAsString("b");
  Table.Post();
  EXPECT_EQ(Column("Nazwa"), QStringList({"a", "b", "c"}));
  EXPECT_EQ(Table.RecordCount(), 3);
  Table.First();
  Table.Next();
  EXPECT_EQ(Table.RecNo(), 2);
  Table.Edit();
  Table.FieldByName("Grupa")->SetAsString("PLOMER");
  Table.Post();
  EXPECT_EQ(Column("Grupa"), QStringList({"KORVIN", "PLOMER", "VELDAR"}));
  Table.SetRecNo(1);
  Table.Delete();
  EXPECT_EQ(Table.FieldByName("Nazwa")->AsString(), "b");
  EXPECT_EQ(Column("Nazwa"), QStringList({"b", "c"}));
  // The freed slot is used again; the new record still comes last in row order.
  Table.AppendRecord({"d"});
  EXPECT_EQ(Column("Nazwa"), QStringList({"b", "c", "d"}));
  Table.Close();
  Table.Open();
  EXPECT_EQ(Table.RecordCount(), 0); // the records live as long as the table is open
}

TEST_F(MemTableTest, BookmarksOfRemovedRecordsAreInvalid) {
  Fill({{"a"}, {"b"}, {"c"}});
  Table.First();
  Table.Next();
  const TBookmark b = Table.GetBookmark();
  Table.Last();
  const TBookmark c = Table.GetBookmark();
  EXPECT_TRUE(Table.BookmarkValid(b));
  EXPECT_EQ(Table.CompareBookmarks(b, c), -1);
  EXPECT_EQ(Table.CompareBookmarks(c, b), 1);
  Table.GotoBookmark(b);
  EXPECT_EQ(Table.FieldByName("Nazwa")->AsString(), "b");
  Table.Delete();
  EXPECT_FALSE(Table.BookmarkValid(b));
  Table.AppendRecord({"e"}); // takes the freed slot of "b"
  EXPECT_FALSE(Table.BookmarkValid(b));
  EXPECT_THAT(MessageOf([&] { Table.GotoBookmark(b); }).toStdString(),
              ::testing::StartsWith("Bookmark 1 not found."));
  Table.Close();
  Table.Open();
  Table.AppendRecord({"x"});
  Table.AppendRecord({"y"});
  Table.AppendRecord({"z"});
  EXPECT_FALSE(Table.BookmarkValid(c)); // emptying drew a new table id
}

TEST_F(MemTableTest, BookmarkOfAnotherSizeIsRefused) {
  Fill({{"a"}, {"b"}});
  Table.Last();
  const TBookmark bookmark = Table.GetBookmark();
  for (const TBookmark &bad : {bookmark.left(4), bookmark + "xx", TBookmark("\x01")}) {
    EXPECT_FALSE(Table.BookmarkValid(bad));
    EXPECT_EQ(MessageOf([&] { Table.GotoBookmark(bad); }), "Invalid bookmark");
    EXPECT_EQ(Table.FieldByName("Nazwa")->AsString(), "b");
  }
}

TEST_F(MemTableTest, IndexesOrderRecordsAndSwitchKeepsCurrentRecord) {
  Table.IndexDefs().Add(QStringLiteral("ByName"), QStringLiteral("Nazwa"), ixCaseInsensitive);
  Table.IndexDefs().Add(QStringLiteral("ByGroupNumber"), QStringLiteral("Grupa;N"), ixDescending);
  Table.SetIndexName(QStringLiteral("ByName")); // stored while closed
  Fill({{"delta", "", "A", 1}, {"Alpha", "", "B", 2}, {"charlie", "", "A", 3}, {"bravo", "", "B", 4}});
  EXPECT_EQ(Column("Nazwa"), QStringList({"Alpha", "bravo", "charlie", "delta"}));
  EXPECT_TRUE(Table.FieldByName("Nazwa")->IsIndexField());
  ASSERT_TRUE(Table.Locate("Nazwa", "charlie", {}));
  Table.SetIndexFieldNames(QStringLiteral("Grupa;N"));
  EXPECT_EQ(Table.FieldByName("Nazwa")->AsString(), "charlie");
  EXPECT_EQ(Column("N"), QStringList({"4", "2", "3", "1"}));
  Table.SetIndexFieldNames(QStringLiteral("Baza")); // matches no index: order unchanged
  EXPECT_EQ(Column("N"), QStringList({"4", "2", "3", "1"}));
  Table.SetIndexName(QString());
  EXPECT_EQ(Column("Nazwa"), QStringList({"delta", "Alpha", "charlie", "bravo"}));
  // Edits and inserts keep the order of the current index.
  Table.SetIndexName(QStringLiteral("ByName"));
  Table.AppendRecord({"beta"});
  ASSERT_TRUE(Table.Locate("Nazwa", "delta", {}));
  Table.Edit();
  Table.FieldByName("Nazwa")->SetAsString("aardvark");
  Table.Post();
  EXPECT_EQ(Column("Nazwa"), QStringList({"aardvark", "Alpha", "beta", "bravo", "charlie"}));
}

TEST_F(MemTableTest, UniqueIndexRefusesDuplicateAndKeepsContent) {
  Table.IndexDefs().Add(QStringLiteral("Unique"), QStringLiteral("Nazwa"), ixUnique);
  Table.SetIndexName(QStringLiteral("Unique"));
  Fill({{"a"}, {"b"}});
  EXPECT_EQ(MessageOf([&] { Table.AppendRecord({"b"}); }), "Duplicate index value. Operation aborted.");
  Table.Cancel();
  EXPECT_EQ(Column("Nazwa"), QStringList({"a", "b"}));
  Table.First();
  Table.Edit();
  Table.FieldByName("Nazwa")->SetAsString("b");
  EXPECT_EQ(MessageOf([&] { Table.Post(); }), "Duplicate index value. Operation aborted.");
  Table.Cancel();
  EXPECT_EQ(Column("Nazwa"), QStringList({"a", "b"}));
}

TEST_F(MemTableTest, AppendsInAnyOrderKeepEveryIndexSortedAndUnique) {
  Table.Close();
  Table.IndexDefs().Add(QStringLiteral("ByN"), QStringLiteral("N"), ixUnique);
  Table.IndexDefs().Add(QStringLiteral("ByName"), QStringLiteral("Nazwa"), {});
  Table.Open();
  constexpr int Records = 3000;
  for (int i = 0; i < Records; ++i) // N in a scattered order, while the row order is current
    Table.AppendRecord({QStringLiteral("n%1").arg(i % 50), "", "", (i * 1237) % Records});
  // A duplicate of a key appended just now, and of one appended long ago.
  for (const int duplicate : {(2999 * 1237) % Records, 0})
    EXPECT_EQ(MessageOf([&] {
                Table.AppendRecord({"dup", "", "", duplicate});
              }),
              "Duplicate index value. Operation aborted.");
  EXPECT_EQ(Table.RecordCount(), Records);
  Table.SetIndexName(QStringLiteral("ByN"));
  int expected = 0;
  for (Table.First(); !Table.Eof(); Table.Next())
    ASSERT_EQ(Table.FieldByName("N")->AsInteger(), expected++);
  ASSERT_TRUE(Table.Locate("N", 1500, {}));
  Table.Delete();
  Table.AppendRecord({"back", "", "", 1500});
  ASSERT_TRUE(Table.Locate("N", 1500, {}));
  EXPECT_EQ(Table.RecNo(), 1501);
  Table.SetIndexName(QStringLiteral("ByName"));
  QStringList names = Column("Nazwa");
  QStringList sorted = names;
  std::sort(sorted.begin(), sorted.end(),
            [](const QString &a, const QString &b) { return QCollator().compare(a, b) < 0; });
  EXPECT_EQ(names, sorted);
}

// Keys of fixed-size values are compared straight from the record slots; the order must be the one
// the general comparison gives: nulls first whatever the direction, ties by the next field, then by
// record; and an OnCompareFields handler still decides when it is assigned.
TEST(MemTableFixedKeys, OrderLikeTheGeneralComparison) {
  TwoxMemTable table;
  table.FieldDefs().Add(QStringLiteral("D"), ftDate);
  table.FieldDefs().Add(QStringLiteral("N"), ftInteger);
  table.FieldDefs().Add(QStringLiteral("F"), ftFloat);
  table.FieldDefs().Add(QStringLiteral("S"), ftSmallint);
  table.IndexDefs().Add(QStringLiteral("DateNumberDown"), QStringLiteral("D;N"), ixDescending);
  table.IndexDefs().Add(QStringLiteral("Float"), QStringLiteral("F"), {});
  table.IndexDefs().Add(QStringLiteral("Small"), QStringLiteral("S"), ixUnique);
  table.Open();
  const QDate day(2024, 3, 15);
  const std::vector<QVariantList> rows = {
      {day, 2, 1.5, 7},        {day.addDays(-1), 9, -0.25, -3},       {QVariant(), 5, QVariant(), QVariant()},
      {day, 10, 1e300, 32767}, {day.addDays(3), -4, -1e-300, -32768}, {day, 2, 0.0, 0}};
  // Scattered appends while the row order is current: the indexes take them in their tails.
  for (const QVariantList &row : rows)
    table.AppendRecord(row);
  auto column = [&](const char *index, const char *field) {
    table.SetIndexName(QString::fromLatin1(index));
    QStringList values;
    for (table.First(); !table.Eof(); table.Next())
      values << (table.FieldByName(QString::fromLatin1(field))->IsNull()
                     ? QStringLiteral("null")
                     : table.FieldByName(QString::fromLatin1(field))->Value().toString());
    return values;
  };
  EXPECT_EQ(column("DateNumberDown", "N"), QStringList({"5", "-4", "10", "2", "2", "9"}));
  EXPECT_EQ(column("Float", "F"), QStringList({"null", "-0.25", "-1e-300", "0", "1.5", "1e+300"}));
  EXPECT_EQ(column("Small", "S"), QStringList({"null", "-32768", "-3", "0", "7", "32767"}));
  EXPECT_EQ(MessageOf([&] {
              table.AppendRecord({QVariant(), QVariant(), QVariant(), 7});
            }),
            "Duplicate index value. Operation aborted.");
  // A handler that turns the comparison of floats round and keeps the others.
  int calls = 0;
  table.OnCompareFields = [&](TDataSet *, const void *key, const void *value, TFieldType type,
                              TwoxMemTableCompareOptions, bool &, int &result) {
    ++calls;
    const auto compare = [&](auto a, auto b) {
      std::memcpy(&a, key, sizeof a);
      std::memcpy(&b, value, sizeof b);
      return a < b ? -1 : (b < a ? 1 : 0);
    };
    if (type == ftFloat)
      result = -compare(0.0, 0.0);
    else if (type == ftSmallint)
      result = compare(qint16(0), qint16(0));
    else
      result = compare(qint32(0), qint32(0));
  };
  table.Close();
  table.Open();
  for (const QVariantList &row : rows)
    table.AppendRecord(row);
  EXPECT_EQ(column("Float", "F"), QStringList({"null", "1e+300", "1.5", "0", "-1e-300", "-0.25"}));
  EXPECT_GT(calls, 0);
}

TEST_F(MemTableTest, LocateAndLookup) {
  Fill({{"Konta", "k.fdb", "KORVIN", 1}, {"Konta", "v.fdb", "VELDAR", 2}, {"Place", "p.fdb", "KORVIN", 3}});
  EXPECT_TRUE(Table.Locate("Nazwa;Grupa", QVariantList{"Konta", "VELDAR"}, {}));
  EXPECT_EQ(Table.FieldByName("N")->AsInteger(), 2);
  EXPECT_TRUE(Table.Locate("Nazwa;Grupa", QVariantList{"Place", "KORVIN", "extra"}, {}));
  EXPECT_EQ(Table.FieldByName("N")->AsInteger(), 3);
  EXPECT_EQ(MessageOf([&] { Table.Locate("Nazwa;Grupa", "Konta", {}); }), "More fields than values");
  EXPECT_EQ(MessageOf([&] {
              Table.Locate("Nazwa;Grupa", QVariantList{QVariantList{"a"}, "b"}, {});
            }),
            "Values variant array has invalid dimension count");
  EXPECT_EQ(MessageOf([&] { Table.Locate("Nope", "x", {}); }), "Can't index on field Nope");
  EXPECT_FALSE(Table.Locate("Nazwa", "konta", {}));
  EXPECT_FALSE(Table.Found());
  EXPECT_EQ(Table.FieldByName("N")->AsInteger(), 3); // not moved
  EXPECT_TRUE(Table.Locate("Nazwa", "konta", loCaseInsensitive));
  EXPECT_EQ(Table.FieldByName("N")->AsInteger(), 1);
  EXPECT_TRUE(Table.Locate("Baza", "p.f", loPartialKey));
  EXPECT_EQ(Table.FieldByName("N")->AsInteger(), 3);
  EXPECT_EQ(Table.Lookup("N", 2, "Baza;Grupa"), QVariant(QVariantList{"v.fdb", "VELDAR"}));
  EXPECT_TRUE(Table.Lookup("N", 9, "Baza").isNull());
  EXPECT_EQ(Table.FieldByName("N")->AsInteger(), 3); // Lookup does not move
}

// Under a collation the records that begin with a text are no single run of the index ("Ab" sorts
// between "aa" and "ab"), so a partial key is searched from the start, and finds what a scan of the
// index in its order finds.
TEST_F(MemTableTest, PartialLocateUnderPolishCollationFindsTheFirstMatch) {
  Table.Close();
  Table.SetLocaleID(1045);
  Table.IndexDefs().Add(QStringLiteral("ByName"), QStringLiteral("Nazwa"), {});
  Table.SetIndexName(QStringLiteral("ByName"));
  Table.Open();
  const QStringList letters = QString::fromUtf8("a ą b c ć d e ę l ł s ś z ż").split(u' ');
  for (const QString &first : letters)
    for (const QString &second : {QStringLiteral("a"), QStringLiteral("b"), QString::fromUtf8("ó")}) {
      Table.AppendRecord({first + second});
      Table.AppendRecord({first.toUpper() + second});
    }
  ASSERT_GT(Table.RecordCount(), 20);
  const QStringList inIndexOrder = Column("Nazwa");
  QCollator polish{QLocale(QLocale::Polish)};
  polish.setCaseSensitivity(Qt::CaseSensitive);
  for (const QString &prefix : QString::fromUtf8("A a Ą ą Ł ł Ś Żó ża Z B ć").split(u' ')) {
    int expected = -1;
    for (int i = 0; i < inIndexOrder.size() && expected < 0; ++i)
      if (polish.compare(inIndexOrder[i].left(prefix.size()), prefix) == 0)
        expected = i;
    const bool found = Table.Locate("Nazwa", prefix, loPartialKey);
    EXPECT_EQ(found, expected >= 0) << prefix.toStdString();
    if (found && expected >= 0) {
      EXPECT_EQ(Table.FieldByName("Nazwa")->AsString(), inIndexOrder[expected]) << prefix.toStdString();
    }
  }
  // A whole key is one run in any collation: the binary search finds its first record.
  ASSERT_TRUE(Table.Locate("Nazwa", QString::fromUtf8("Łb"), {}));
  EXPECT_EQ(Table.RecNo(), inIndexOrder.indexOf(QString::fromUtf8("Łb")) + 1);
}

TEST_F(MemTableTest, WritesOutsideEditModeAndIntoReadOnlyFieldsAreRefused) {
  Fill({{"a"}});
  EXPECT_EQ(MessageOf([&] { Table.FieldByName("Nazwa")->SetAsString("x"); }), "Dataset is not in edit mode.");
  Table.FieldByName("Baza")->SetReadOnly(true);
  Table.Edit();
  EXPECT_EQ(MessageOf([&] { Table.FieldByName("Baza")->SetAsString("x"); }), "Field Baza is read only");
  Table.Cancel();
  Table.SetReadOnly(true);
  EXPECT_FALSE(Table.CanModify());
}

TEST_F(MemTableTest, ObjectAndArrayFieldsAreRefused) {
  for (const TFieldType type : {ftADT, ftArray}) {
    TwoxMemTable table;
    table.FieldDefs().Add(QStringLiteral("Nazwa"), ftString, 10);
    table.FieldDefs().Add(QStringLiteral("Czesci"), type);
    EXPECT_EQ(MessageOf([&] { table.Open(); }),
              QStringLiteral("Fielddef Czesci (Czesci) Datatype %1 not supported.").arg(int(type)));
    EXPECT_FALSE(table.Active());
  }
}

TEST_F(MemTableTest, FieldSizesBeyondTheLimitAreRefusedOnOpen) {
  TwoxMemTable table;
  table.FieldDefs().Add(QStringLiteral("A"), ftString, 1500000000);
  table.FieldDefs().Add(QStringLiteral("B"), ftString, 1500000000);
  EXPECT_EQ(MessageOf([&] { table.Open(); }), "Size 1500000000 of field A is out of range (0 to 32767).");
}

TEST_F(MemTableTest, AutoIncrementNumbersNewRecords) {
  TwoxMemTable table;
  table.FieldDefs().Add(QStringLiteral("ID"), ftAutoInc);
  table.FieldDefs().Add(QStringLiteral("Name"), ftString, 10);
  table.SetAutoIncMinValue(100);
  table.Open();
  table.AppendRecord({QVariant(), "a"});
  table.AppendRecord({QVariant(), "b"});
  EXPECT_EQ(table.FieldByName("ID")->AsInteger(), 101);
  table.First();
  EXPECT_EQ(table.FieldByName("ID")->AsInteger(), 100);
}

TEST_F(MemTableTest, LongTextStoredOutsideRoundTrips) {
  Table.SetPerformance(mtpfSmall);
  int compressed = 0;
  Table.OnCompressField = [&](TDataSet *, TField *, const QByteArray &in, QByteArray &out) {
    ++compressed;
    out = QByteArray(in).prepend('#');
  };
  Table.OnDecompressField = [](TDataSet *, TField *, const QByteArray &in, QByteArray &out) {
    out = in.mid(1);
  };
  Fill({{"Kadry i place", "serwer:/data/kadry.fdb", "KORVIN", 1}});
  EXPECT_EQ(Table.FieldByName("Baza")->AsString(), "serwer:/data/kadry.fdb");
  EXPECT_EQ(Table.FieldByName("Nazwa")->AsString(), "Kadry i place");
  EXPECT_GE(compressed, 3); // Nazwa, Baza and Grupa (size >= 13) live outside
  Table.Close();
  EXPECT_EQ(MessageOf([&] {
              Table.Open();
              Table.SetPerformance(mtpfFast);
            }),
            "Table must be closed for this operation.");
}

TEST_F(MemTableTest, FilterRecordEventHidesRecords) {
  Fill({{"a", "", "", 1}, {"b", "", "", 2}, {"c", "", "", 3}});
  Table.OnFilterRecord = [](TDataSet *dataSet, bool &accept) {
    accept = dataSet->FieldByName("N")->AsInteger() != 2;
  };
  Table.SetFiltered(true);
  EXPECT_EQ(Table.RecordCount(), 2);
  EXPECT_EQ(Column("Nazwa"), QStringList({"a", "c"}));
  EXPECT_FALSE(Table.Locate("Nazwa", "b", {}));
  Table.SetFiltered(false);
  EXPECT_EQ(Table.RecordCount(), 3);
}

// Rows deleted and added again, in rounds, some with their old versions kept and rolled back: the
// values are the last ones written, and the heap in use after a round does not grow from round to round.
TEST_F(MemTableTest, DeletingAndAddingRowsAgainKeepsTheHeapBounded) {
  constexpr int Rows = 10000;
  Table.SetVersioningMode(mtvmAllSinceCheckPoint);
  Table.Open();
  std::vector<std::size_t> inUse;
  for (int round = 0; round < 4; ++round) {
    while (!Table.IsEmpty()) {
      Table.First();
      Table.Delete();
    }
    for (int i = 0; i < Rows; ++i)
      Table.AppendRecord(
          {QStringLiteral("wiersz %1 runda %2").arg(i).arg(round), QString(), QStringLiteral("G"), i});
    Table.SetEnableVersioning(true);
    Table.StartTransaction();
    for (Table.First(); !Table.Eof(); Table.Next()) {
      Table.Edit();
      Table.FieldByName("Baza")->SetAsString(QStringLiteral("zmieniona baza o dłuższej nazwie"));
      Table.Post();
    }
    Table.Rollback();
    Table.SetEnableVersioning(false);
    ASSERT_EQ(Table.RecordCount(), Rows);
    std::set<int> numbers;
    for (Table.First(); !Table.Eof(); Table.Next()) {
      const int n = Table.FieldByName("N")->AsInteger();
      numbers.insert(n);
      ASSERT_EQ(Table.FieldByName("Nazwa")->AsString(),
                QStringLiteral("wiersz %1 runda %2").arg(n).arg(round));
      ASSERT_EQ(Table.FieldByName("Baza")->AsString(), QString());
    }
    EXPECT_EQ(numbers.size(), std::size_t(Rows));
    inUse.push_back(mallinfo2().uordblks);
  }
  // The first round grows the lists; later rounds reuse what the earlier ones gave back.
  EXPECT_LE(inUse[3], inUse[1] + inUse[1] / 20) << inUse[1] << " then " << inUse[3];
}

TEST_F(MemTableTest, VersioningKeepsFirstOldVersion) {
  Fill({{"a", "", "", 1}});
  Table.Common().SetEnableVersioning(true);
  for (int value : {2, 3}) {
    Table.Edit();
    Table.FieldByName("N")->SetAsInteger(value);
    Table.Post();
  }
  const TwoxRecord *record = Table.CurrentIndex().Records(0);
  EXPECT_EQ(record->UpdateStatus, mtusModified);
  ASSERT_NE(record->PreviousVersion(), nullptr);
  EXPECT_EQ(record->PreviousVersion()->PreviousVersion(), nullptr);
  Table.Delete();
  EXPECT_EQ(Table.RecordCount(), 0);
  EXPECT_EQ(Table.Common().DeletedCount(), 1);
}

// The row order of 10,000 rows, in the owner and in a table attached to it, against a plain list
// doing the same: appends, inserts before a row, deletes, records that OnFilterIndex refuses (it
// sees the record being posted), and a rebuild of the indexes in between; every row keeps its place,
// its RecNo and its bookmark.
TEST_F(MemTableTest, RowOrderOfThousandsOfRowsFollowsEveryChange) {
  constexpr int Rows = 10000;
  Table.SetAttachMaxCount(2);
  TwoxMemTable view;
  view.SetAttachedTo(&Table);
  Table.Open();
  view.Open();
  bool refusing = true;
  Table.OnFilterIndex = [&](TDataSet *dataSet, TwoxIndex *, bool &accept) {
    accept = !refusing || dataSet->FieldByName("N")->AsInteger() >= 0;
  };
  std::vector<int> owner, attached; // N by row order
  auto append = [&](int n) {
    Table.AppendRecord({QString(), QString(), QString(), n});
    if (n >= 0 || !refusing)
      owner.push_back(n);
    attached.push_back(n); // the view has no OnFilterIndex
  };
  auto expectOrder = [](TwoxMemTable &table, const std::vector<int> &model, const char *step) {
    ASSERT_EQ(table.RecordCount(), int(model.size())) << step;
    int recNo = 1;
    for (table.First(); !table.Eof(); table.Next(), ++recNo) {
      ASSERT_EQ(table.FieldByName("N")->AsInteger(), model[std::size_t(recNo - 1)])
          << step << " at " << recNo;
      ASSERT_EQ(table.RecNo(), recNo) << step;
    }
  };
  for (int n = 0; n < Rows; ++n)
    append(n);
  expectOrder(Table, owner, "appended");
  expectOrder(view, attached, "appended, attached");
  int next = Rows;
  for (int round = 0; round < 3; ++round) {
    append(-1 - round); // refused by the owner's index
    append(next++);
    // Before the row at 1/3: the owner takes it there, the attached table at its end.
    const int at = int(owner.size()) / 3;
    Table.SetRecNo(at + 1);
    Table.Insert();
    Table.FieldByName("N")->SetAsInteger(next);
    Table.Post();
    owner.insert(owner.begin() + at, next);
    attached.push_back(next++);
    // The row at 2/3 goes.
    const int gone = int(owner.size()) * 2 / 3;
    Table.SetRecNo(gone + 1);
    attached.erase(std::find(attached.begin(), attached.end(), owner[std::size_t(gone)]));
    owner.erase(owner.begin() + gone);
    Table.Delete();
    append(next++);
    expectOrder(Table, owner, "changed");
    expectOrder(view, attached, "changed, attached");
    if (round == 1) {
      // Built again with every record taken, the row order is the order of the store's slots.
      refusing = false;
      Table.SetEnableIndexes(false);
      Table.SetEnableIndexes(true);
      std::vector<int> bySlot;
      for (int id = 0; id < Table.Common().RecordSlotCount(); ++id)
        if (const TwoxRecord *record = Table.Common().Record(id)) {
          qint32 n = 0;
          Table.Common().ReadField(*record, Table.FieldByName("N"), &n);
          bySlot.push_back(n);
        }
      owner = bySlot;
      expectOrder(Table, owner, "rebuilt");
    }
  }
  Table.SetRecNo(5000);
  const TBookmark mark = Table.GetBookmark();
  const int n = Table.FieldByName("N")->AsInteger();
  Table.Last();
  Table.GotoBookmark(mark);
  EXPECT_EQ(Table.FieldByName("N")->AsInteger(), n);
  EXPECT_EQ(Table.RecNo(), 5000);
  view.Close();
}

// OnFilterIndex decides on the record it is asked about: a rebuild keeps the rows it accepts in every
// index, a post asks about the posted row, also the handler of a table attached to the one posting,
// and a handler that raises leaves the table browsing its record.
TEST_F(MemTableTest, OnFilterIndexDecidesOnTheRecordItIsAskedAbout) {
  Table.SetAttachMaxCount(2);
  TwoxMemTable view;
  view.SetAttachedTo(&Table);
  Table.IndexDefs().Add(QStringLiteral("ByName"), QStringLiteral("Nazwa"), {});
  for (int n = 1; n <= 10; ++n)
    Fill({{QStringLiteral("r%1").arg(11 - n, 2, 10, QChar(u'0')), QString(), QString(), n}});
  view.Open();
  std::multiset<int> asked;
  Table.OnFilterIndex = [&](TDataSet *dataSet, TwoxIndex *, bool &accept) {
    const int n = dataSet->FieldByName("N")->AsInteger();
    asked.insert(n);
    accept = n % 2 == 0;
  };
  ASSERT_TRUE(Table.Locate("N", 3, {}));
  Table.SetEnableIndexes(false);
  Table.SetEnableIndexes(true);
  EXPECT_EQ(Column("N"), QStringList({"2", "4", "6", "8", "10"}));
  Table.SetIndexName(QStringLiteral("ByName"));
  EXPECT_EQ(Column("N"), QStringList({"10", "8", "6", "4", "2"}));
  for (int n = 1; n <= 10; ++n)
    EXPECT_EQ(asked.count(n), 2u) << n; // once by each index
  Table.SetIndexName(QString());

  view.OnFilterIndex = [](TDataSet *dataSet, TwoxIndex *, bool &accept) {
    accept = dataSet->FieldByName("N")->AsInteger() > 12;
  };
  view.First(); // on N = 1, which the view's handler would refuse
  for (const int n : {13, 14, -2})
    Fill({{QStringLiteral("p%1").arg(n), QString(), QString(), n}});
  EXPECT_EQ(Column("N"), QStringList({"2", "4", "6", "8", "10", "14", "-2"}));
  QStringList shown;
  for (view.First(); !view.Eof(); view.Next())
    shown << view.FieldByName("N")->AsString();
  EXPECT_EQ(shown, QStringList({"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "13", "14"}));

  Table.Locate("N", 6, {});
  Table.OnFilterIndex = [](TDataSet *, TwoxIndex *, bool &) { MemTableError(QStringLiteral("refused")); };
  Table.SetEnableIndexes(false);
  EXPECT_EQ(MessageOf([&] { Table.SetEnableIndexes(true); }), "refused");
  EXPECT_EQ(Table.State(), dsBrowse);
  EXPECT_EQ(Table.FieldByName("N")->AsInteger(), 6);
  Table.OnFilterIndex = nullptr;
  Table.SetEnableIndexes(false);
  Table.SetEnableIndexes(true);
  EXPECT_EQ(Table.RecordCount(), 13);
  view.Close();
}
