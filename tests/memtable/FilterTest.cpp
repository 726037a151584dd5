#include "MemTableFixture.h"

#include "DataSource.h"
#include "DateTimeUtils.h"
#include "Fields.h"

#include <limits>

class FilterTest : public MemTableFixture {
protected:
  void SetUp() override {
    MemTableFixture::SetUp();
    Fill({{"Kadry", "k.fdb", "KORVIN", 1},
          {"Kasa", "ka.fdb", "KORVIN", 2},
          {"Place", QVariant(), "VELDAR", 3},
          {"Magazyn", "m.fdb", "PLOMER", 4}});
  }
  QStringList Visible(const QString &filter) {
    Table.SetFilter(filter);
    Table.SetFiltered(true);
    return Column("Nazwa");
  }
};

TEST_F(FilterTest, LikeWithTrailingAsteriskShowsPrefixMatches) {
  EXPECT_EQ(Visible("Nazwa LIKE 'Ka*'"), QStringList({"Kadry", "Kasa"}));
  EXPECT_EQ(Table.RecordCount(), 2);
  Table.SetFiltered(false);
  EXPECT_EQ(Table.RecordCount(), 4);
}

TEST_F(FilterTest, ExpressionsOfTheFilterLanguage) {
  struct Case {
    const char *filter;
    QStringList visible;
  };
  const std::vector<Case> cases = {
      {"N > 2", {"Place", "Magazyn"}},
      {"N >= 2 AND N <= 3", {"Kasa", "Place"}},
      {"Grupa = 'VELDAR' OR N = 1", {"Kadry", "Place"}},
      {"NOT (Grupa = 'KORVIN')", {"Place", "Magazyn"}},
      {"Baza IS NULL", {"Place"}},
      {"Baza IS NOT NULL", {"Kadry", "Kasa", "Magazyn"}},
      {"Baza = 'k.fdb'", {"Kadry"}},
      {"Nazwa = 'Ka*'", {"Kadry", "Kasa"}},
      {"Grupa IN ('PLOMER', 'VELDAR')", {"Place", "Magazyn"}},
      {"UPPER(Nazwa) = 'KASA'", {"Kasa"}},
      {"LOWER(Grupa) = 'plomer'", {"Magazyn"}},
      {"SUBSTRING(Nazwa, 2, 2) = 'ad'", {"Kadry"}},
      {"SUBSTRING(Nazwa, '3,2') = 'ac'", {"Place"}},
      {"SUBSTRING(Nazwa, 4) = 'ce'", {"Place"}},
      {"SUBSTRING(Baza, 1, 1) = 'k'", {"Kadry", "Kasa"}}, // null Baza: null result, refused
      {"TRIM(' ' + Nazwa + ' ') = 'Kasa'", {"Kasa"}},
      {"N * 2 - 1 = 5", {"Place"}},
      {"N / 2 = 2", {"Magazyn"}},
      {"Baza <> 'k.fdb'", {"Kasa", "Magazyn"}}, // a null operand makes a comparison false
  };
  for (const Case &c : cases)
    EXPECT_EQ(Visible(QString::fromUtf8(c.filter)), c.visible) << c.filter;
}

TEST_F(FilterTest, DateFunctionsAndErrors) {
  TwoxMemTable table;
  table.FieldDefs().Add(QStringLiteral("D"), ftDateTime);
  table.Open();
  table.AppendRecord({EncodeDate(2024, 3, 15) + EncodeTime(10, 20, 30, 0)});
  table.AppendRecord({EncodeDate(2023, 12, 1)});
  auto visible = [&](const QString &filter) {
    table.SetFilter(filter);
    table.SetFiltered(true);
    return table.RecordCount();
  };
  EXPECT_EQ(visible("YEAR(D) = 2024 AND MONTH(D) = 3 AND DAY(D) = 15"), 1);
  EXPECT_EQ(visible("HOUR(D) = 10 AND MINUTE(D) = 20 AND SECOND(D) = 30"), 1);
  EXPECT_EQ(visible("DATE(D) = DATE('01/12/2023', 'dd/mm/yyyy')"), 1);
  EXPECT_EQ(visible("DATE(D) = DATE('03-15-2024', 'mm-dd-yyyy')"), 1);
  EXPECT_EQ(visible("TIME(D) > 0"), 1);
  EXPECT_EQ(visible("D < GETDATE()"), 2);
  EXPECT_EQ(MessageOf([&] { visible("NOSUCH(D) = 1"); }), "Invalid function name NOSUCH");
  EXPECT_EQ(MessageOf([&] { visible("YEAR() = 1"); }), "Invalid or missing parameter for function YEAR");
  // A text that does not parse leaves the filter as it was.
  table.SetFilter(QStringLiteral("YEAR(D) = 2023"));
  EXPECT_THROW(table.SetFilter(QStringLiteral("YEAR(D) = ")), EDatabaseError);
  EXPECT_EQ(table.Filter(), "YEAR(D) = 2023");
  EXPECT_EQ(table.RecordCount(), 1);
}

TEST_F(FilterTest, ArithmeticOutsideItsRangeIsAClearError) {
  TwoxMemTable table;
  table.FieldDefs().Add(QStringLiteral("L"), ftLargeint);
  table.FieldDefs().Add(QStringLiteral("F"), ftFloat);
  table.Open();
  table.AppendRecord({qlonglong(std::numeric_limits<qint64>::min()), 1e300});
  auto visible = [&](const char *filter) {
    table.SetFilter(QString::fromLatin1(filter));
    table.SetFiltered(true);
    return table.RecordCount();
  };
  struct Case {
    const char *Filter;
    const char *Message;
  };
  const Case errors[] = {
      {"9223372036854775807 + 1 > 0", "Integer overflow in filter expression"},
      {"-9223372036854775807 - 2 < 0", "Integer overflow in filter expression"},
      {"3037000500 * 3037000500 > 0", "Integer overflow in filter expression"},
      {"-L > 0", "Integer overflow in filter expression"},
      {"L * -1 > 0", "Integer overflow in filter expression"},
      {"YEAR(1e300) = 1", "Invalid or missing parameter for function YEAR"},
      {"MONTH(F) = 1", "Invalid or missing parameter for function MONTH"},
      {"SECOND(-1e300) = 1", "Invalid or missing parameter for function SECOND"},
      {"DAY(F * F) = 1", "Invalid or missing parameter for function DAY"},
  };
  for (const Case &c : errors)
    EXPECT_EQ(MessageOf([&] { visible(c.Filter); }), c.Message) << c.Filter;
  // At the edges, inside the range, the values are exact.
  EXPECT_EQ(visible("L + 1 = -9223372036854775807"), 1);
  EXPECT_EQ(visible("3037000499 * 3037000499 = 9223372030926249001"), 1);
  EXPECT_EQ(visible("L / -1 > 0"), 1); // a division is in floating point
}

TEST_F(FilterTest, FilterEventAndExpressionCombine) {
  Table.OnFilterRecord = [](TDataSet *dataSet, bool &accept) {
    accept = dataSet->FieldByName("N")->AsInteger() != 2;
  };
  EXPECT_EQ(Visible("Grupa = 'KORVIN'"), QStringList({"Kadry"}));
  Table.SetFilter(QString());
  EXPECT_EQ(Column("Nazwa"), QStringList({"Kadry", "Place", "Magazyn"}));
}

TEST_F(FilterTest, RangeOverCurrentIndex) {
  Table.Close();
  Table.IndexDefs().Add(QStringLiteral("ByN"), QStringLiteral("N"), {});
  Table.SetIndexName(QStringLiteral("ByN"));
  Fill({{"a", "", "", 5}, {"b", "", "", 1}, {"c", "", "", 3}, {"d", "", "", 9}});
  Table.Locate("Nazwa", "d", {});
  Table.SetRange({2}, {5});
  EXPECT_EQ(Column("Nazwa"), QStringList({"c", "a"}));
  EXPECT_EQ(Table.RecordCount(), 2);
  Table.Locate("Nazwa", "a", {});
  Table.CancelRange();
  EXPECT_EQ(Table.FieldByName("Nazwa")->AsString(), "a"); // still on the same record
  EXPECT_EQ(Table.RecordCount(), 4);
}

TEST_F(FilterTest, DetailFollowsMaster) {
  TwoxMemTable groups;
  groups.FieldDefs().Add(QStringLiteral("Grupa"), ftString, 20);
  groups.Open();
  for (const char *group : {"KORVIN", "VELDAR", "TORMISK"})
    groups.AppendRecord({group});
  TDataSource source;
  source.SetDataSet(&groups);
  Table.SetDetailFields(QStringLiteral("Grupa"));
  Table.SetMasterFields(QStringLiteral("Grupa"));
  Table.SetMasterSource(&source);
  EXPECT_EQ(Table.DataSource(), &source);
  groups.First();
  EXPECT_EQ(Column("Nazwa"), QStringList({"Kadry", "Kasa"}));
  groups.Next();
  EXPECT_EQ(Column("Nazwa"), QStringList({"Place"}));
  groups.Next();
  EXPECT_TRUE(Table.IsEmpty());
  Table.SetMasterSource(nullptr);
  Table.First();
  EXPECT_EQ(Table.RecordCount(), 4);
}

TEST_F(FilterTest, SelfReferencingMasterIsRefused) {
  TDataSource own;
  own.SetDataSet(&Table);
  EXPECT_EQ(MessageOf([&] { Table.SetMasterSource(&own); }),
            "Selfreferencing master/detail relations not allowed.");
}

TEST_F(FilterTest, UpdateStatusFilterShowsChosenStatuses) {
  Table.Common().SetEnableVersioning(true);
  Table.AppendRecord({"Nowy"});
  Table.First();
  Table.Delete(); // Kadry
  EXPECT_EQ(Table.RecordCount(), 4);
  Table.SetUpdateStatusFilter(1u << mtusInserted);
  EXPECT_EQ(Column("Nazwa"), QStringList({"Nowy"}));
  Table.SetUpdateStatusFilter(1u << mtusUnmodified);
  EXPECT_EQ(Column("Nazwa"), QStringList({"Kasa", "Place", "Magazyn"}));
}
