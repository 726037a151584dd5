// Locate on a field without an index reads the store in storage order when the current index is a
// sorted one; the record it lands on must still be the first match in the index's order.
#include "MemTableFixture.h"

#include "Fields.h"
#include "Win1250.h"
#include "woxMemCompare.h"

namespace {

constexpr int kPolish = 0x0415;

class LocateTest : public MemTableFixture {
protected:
  void SetUp() override {
    MemTableFixture::SetUp();
    Table.IndexDefs().Add(QStringLiteral("ByGroup"), QStringLiteral("Grupa;N"), ixDescending);
    Table.SetLocaleID(kPolish);
    Table.Open();
    const char *const cities[] = {"Kraków", "kraków",       "KRAKÓW",       "Krakowiak", "Łódź", "łódź",
                                  "Lodz",   "Zielona Góra", "zielona góra", "Żary",      "żary", "Zabrze"};
    int n = 0;
    for (int round = 0; round < 3; ++round)
      for (const char *city : cities) {
        Table.AppendRecord(
            {QString::fromUtf8(city), QStringLiteral("b"), QStringLiteral("G%1").arg(n % 4), n});
        ++n;
      }
    Table.SetIndexName(QStringLiteral("ByGroup"));
  }

  // N of the first record in the table's order whose Nazwa matches, compared as the index compares.
  int FirstMatch(const QString &key, TLocateOptions options) {
    const QByteArray keyBytes = Win1250::Encode(key);
    for (Table.First(); !Table.Eof(); Table.Next()) {
      QByteArray value = Win1250::Encode(Table.FieldByName(QStringLiteral("Nazwa"))->AsString());
      if (options.testFlag(loPartialKey))
        value.truncate(keyBytes.size());
      if (CompareLocaleText(keyBytes.constData(), int(keyBytes.size()), value.constData(), int(value.size()),
                            kPolish, options.testFlag(loCaseInsensitive)) == 0)
        return Table.FieldByName(QStringLiteral("N"))->AsInteger();
    }
    return -1;
  }

  int Located(const QString &key, TLocateOptions options) {
    return Table.Locate(QStringLiteral("Nazwa"), key, options)
               ? Table.FieldByName(QStringLiteral("N"))->AsInteger()
               : -1;
  }

  void ExpectFirstMatches(const char *context) {
    const char *const keys[] = {"Kraków", "kraków",  "KRAK", "łódź", "Łódź",
                                "Lodz",   "zielona", "Żary", "żary", "Xyz"};
    const TLocateOptions optionSets[] = {
        {}, loCaseInsensitive, loPartialKey, TLocateOptions(loCaseInsensitive | loPartialKey)};
    int found = 0;
    for (const char *key : keys)
      for (const TLocateOptions options : optionSets) {
        const QString text = QString::fromUtf8(key);
        const int expected = FirstMatch(text, options);
        EXPECT_EQ(Located(text, options), expected) << context << ": " << key << " options " << int(options);
        found += expected >= 0;
      }
    EXPECT_GT(found, 20) << context;
  }
};

} // namespace

TEST_F(LocateTest, LandsOnTheFirstMatchInTheIndexOrder) { ExpectFirstMatches("sorted index"); }

TEST_F(LocateTest, LandsOnTheFirstAcceptedMatchWhenFiltered) {
  Table.SetFilter(QStringLiteral("N > 14"));
  Table.SetFiltered(true);
  ExpectFirstMatches("filtered");
}

TEST_F(LocateTest, SkipsRecordsTheIndexLeavesOut) {
  Table.SetEnableVersioning(true);
  // The records deleted under versioning stay in the store, outside every index.
  for (const int n : {0, 13, 4}) {
    ASSERT_TRUE(Table.Locate(QStringLiteral("N"), n, {}));
    Table.Delete();
  }
  ExpectFirstMatches("deleted under versioning");
  EXPECT_FALSE(Table.Locate(QStringLiteral("N"), 13, {}));
}
