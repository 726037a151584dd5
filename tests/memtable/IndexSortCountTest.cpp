// How often a load sorts the table's indexes: once each, whatever the way the records come in.
#include "StreamBytes.h"

#include "woxMemCSVStreamFormat.h"
#include "woxMemTable.h"

#include <gtest/gtest.h>

namespace {

// Counts the sorts of the indexes that hold records.
class TSortCountingTable : public TwoxMemTable {
public:
  void BeginSorting() override {
    TwoxMemTable::BeginSorting();
    ++Sorts;
  }
  int Sorts = 0;
};

void Define(TwoxMemTable &table) {
  table.FieldDefs().Add(QStringLiteral("Nazwa"), ftString, 20);
  table.FieldDefs().Add(QStringLiteral("N"), ftInteger);
  table.IndexDefs().Add(QStringLiteral("ByName"), QStringLiteral("Nazwa"), {});
  table.IndexDefs().Add(QStringLiteral("ByN"), QStringLiteral("N"), ixUnique);
}

// The source of every load: the same definitions and three records out of every order.
void Fill(TwoxMemTable &table) {
  Define(table);
  table.Open();
  table.AppendRecord({QStringLiteral("Żaneta"), 3});
  table.AppendRecord({QStringLiteral("adam"), 1});
  table.AppendRecord({QStringLiteral("Łucja"), 2});
}

QStringList Names(TwoxMemTable &table, const QString &indexName) {
  table.SetIndexName(indexName);
  QStringList names;
  for (table.First(); !table.Eof(); table.Next())
    names << table.FieldByName(QStringLiteral("Nazwa"))->AsString();
  return names;
}

struct TLoadCase {
  const char *Name;
  void (*Load)(TSortCountingTable &table);
};

void PrintTo(const TLoadCase &loadCase, std::ostream *out) { *out << loadCase.Name; }

void CsvWithDefinitions(TSortCountingTable &table) {
  TwoxMemTable source;
  Fill(source);
  TwoxCSVStreamFormat format;
  const QByteArray bytes = SavedBytes(source, format);
  table.Sorts = 0;
  LoadBytes(table, format, bytes);
}

void CsvIntoOpenTable(TSortCountingTable &table) {
  Define(table);
  table.Open();
  TwoxMemTable source;
  Fill(source);
  TwoxCSVStreamFormat format;
  format.SetsfDef(TwoxStreamFlags());
  format.SetsfIndexDef(TwoxStreamFlags());
  const QByteArray bytes = SavedBytes(source, format);
  table.Sorts = 0;
  LoadBytes(table, format, bytes);
}

void FromDataSet(TSortCountingTable &table) {
  Define(table);
  table.Open();
  TwoxMemTable source;
  Fill(source);
  table.Sorts = 0;
  table.LoadFromDataSet(&source, {});
}

class IndexSortCountTest : public ::testing::TestWithParam<TLoadCase> {};

} // namespace

TEST_P(IndexSortCountTest, EachIndexIsSortedOncePerLoad) {
  TSortCountingTable table;
  GetParam().Load(table);
  EXPECT_EQ(table.Sorts, 2);
  EXPECT_EQ(Names(table, QStringLiteral("ByN")), QStringList({"adam", "Łucja", "Żaneta"}));
  EXPECT_EQ(Names(table, QStringLiteral("ByName")).size(), 3);
}

INSTANTIATE_TEST_SUITE_P(Loads, IndexSortCountTest,
                         ::testing::Values(TLoadCase{"CsvWithDefinitions", CsvWithDefinitions},
                                           TLoadCase{"CsvIntoOpenTable", CsvIntoOpenTable},
                                           TLoadCase{"FromDataSet", FromDataSet}),
                         [](const ::testing::TestParamInfo<TLoadCase> &info) { return info.param.Name; });
