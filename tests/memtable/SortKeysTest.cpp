// Sorting by keys read once from the records orders exactly as the index's comparison of records.
#include "StoreFixture.h"

#include "woxMemSortKeys.h"

#include <limits>

namespace {

struct TSortCase {
  const char *Name;
  const char *Fields;
  TwoxMemTableCompareOptions Options;
  int LocaleID;
};

void PrintTo(const TSortCase &sortCase, std::ostream *out) { *out << sortCase.Name; }

class SortKeysTest : public StoreFixture, public ::testing::WithParamInterface<TSortCase> {
protected:
  void SetUp() override {
    Define({{"NAME", ftString, 20}, {"N", ftInteger, 0}, {"F", ftFloat, 0}, {"L", ftLargeint, 0}});
    const char *const names[] = {"Łukasz", "łukasz", "ŁUKASZ", "Lukasz", "lukasz", "Ąbc",   "ąbc",
                                 "abc",    "Abc",    "Żaneta", "żaneta", "Zenon",  "zenon", "Źdźbło",
                                 "Ćma",    "ćma",    "Cma",    "Ósemka", "osa",    "Śląsk", "ślad",
                                 "Ślad",   "",       " ",      "a b",    "ab"};
    const double floats[] = {-1.5, 0.0, -0.0, 2.25, std::numeric_limits<double>::infinity(), -1e300, 1e-300};
    const qint64 larges[] = {std::numeric_limits<qint64>::min(), -1, 0, 1,
                             std::numeric_limits<qint64>::max()};
    int i = 0;
    for (int round = 0; round < 3; ++round)
      for (const char *name : names) {
        const bool nulls = i % 11 == 5;
        Add({nulls ? QVariant() : QVariant(QString::fromUtf8(name)),
             i % 7 == 3 ? QVariant() : QVariant(i % 5 - 2),
             i % 13 == 4 ? QVariant() : QVariant(floats[i % 7]),
             i % 9 == 2 ? QVariant() : QVariant(larges[i % 5])});
        ++i;
      }
  }
};

} // namespace

TEST_P(SortKeysTest, OrdersAsTheRecordComparison) {
  const TSortCase &sortCase = GetParam();
  Store.SetLocaleID(sortCase.LocaleID);
  const TwoxIndex index(QStringLiteral("IX"), *this, QString::fromLatin1(sortCase.Fields), sortCase.Options,
                        0, true);
  std::vector<TwoxRecord *> records;
  for (int id = 0; id < Store.RecordSlotCount(); ++id)
    records.push_back(Store.Record(id));
  std::reverse(records.begin(), records.end()); // the record ids must decide ties, not the input order
  bool duplicates = false;
  ASSERT_TRUE(SortByExtractedKeys(records, index.FieldList(), Store, duplicates));
  bool equalNeighbours = false;
  for (std::size_t k = 1; k < records.size(); ++k) {
    EXPECT_LT(index.CompareRecords(*records[k - 1], *records[k], nullptr, true), 0) << "at " << k;
    equalNeighbours = equalNeighbours || index.CompareRecords(*records[k - 1], *records[k]) == 0;
  }
  EXPECT_EQ(duplicates, equalNeighbours);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, SortKeysTest,
    ::testing::Values(
        TSortCase{"PolishText", "NAME", {}, 0x0415},
        TSortCase{"PolishTextIgnoringCase", "NAME", mtcoCaseInsensitive, 0x0415},
        TSortCase{"PolishTextDescending", "NAME", mtcoDescending, 0x0415},
        TSortCase{"SystemLocaleText", "NAME", {}, 1024}, TSortCase{"Bytes", "NAME", mtcoIgnoreLocale, 0x0415},
        TSortCase{"AsciiIgnoringCase", "NAME", mtcoIgnoreLocale | mtcoCaseInsensitive, 0x0415},
        TSortCase{"Integer", "N", {}, 0x0415}, TSortCase{"IntegerDescending", "N", mtcoDescending, 0x0415},
        TSortCase{"Float", "F", {}, 0x0415}, TSortCase{"FloatDescending", "F", mtcoDescending, 0x0415},
        TSortCase{"Largeint", "L", {}, 0x0415}, TSortCase{"LargeintDescending", "L", mtcoDescending, 0x0415},
        TSortCase{"NumberThenText", "N;NAME", mtcoCaseInsensitive, 0x0415},
        TSortCase{"ThreeFields", "NAME;F;N", {}, 0x0415},
        TSortCase{"FourWords", "L;F", mtcoDescending, 0x0415}),
    [](const ::testing::TestParamInfo<TSortCase> &info) { return info.param.Name; });
