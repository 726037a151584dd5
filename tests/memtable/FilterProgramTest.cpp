// A filter of comparisons with constants is tested on the stored bytes; the table must show exactly
// the records that the evaluation through the fields shows.
#include "MemTableFixture.h"

#include "Fields.h"
#include "FilterExpr.h"
#include "Win1250.h"
#include "woxMemFilterProgram.h"

namespace {

class FilterProgramTest : public MemTableFixture {
protected:
  void SetUp() override {
    MemTableFixture::SetUp();
    Table.Open();
    // Every character of the code page alone, then words with Polish letters in every case.
    for (int b = 1; b < 256; ++b) {
      const char byte = char(b);
      Table.AppendRecord({Win1250::Decode(&byte, 1), QVariant(), QVariant(), b});
    }
    const char *const words[] = {
        "Kraków", "kraków", "KRAKÓW", "Krak", "Krakowiak", "Łódź", "łódź", "ŁÓDŹ", "Zażółć gęślą jaźń",
        "ZAŻÓŁĆ", "ab",     "abc",    "ABC",  "Ab",        ""};
    int n = -3;
    for (const char *word : words)
      Table.AppendRecord({QString::fromUtf8(word), QStringLiteral("x"), QVariant(), n++});
    Table.AppendRecord({QVariant(), QStringLiteral("y"), QVariant(), QVariant()});
  }

  // The N values of the records the filter shows, in order; throughEvaluation forces the
  // evaluation through the fields (an OnFilterRecord handler takes the general road).
  std::vector<int> Shown(const QString &filter, TFilterOptions options, bool throughEvaluation) {
    Table.SetFiltered(false);
    Table.SetFilterOptions(options);
    Table.SetFilter(filter);
    if (throughEvaluation)
      Table.OnFilterRecord = [](TDataSet *, bool &) {};
    else
      Table.OnFilterRecord = nullptr;
    Table.SetFiltered(true);
    std::vector<int> shown;
    for (Table.First(); !Table.Eof(); Table.Next())
      shown.push_back(Table.FieldByName(QStringLiteral("N"))->IsNull() ? 1000
                                                                       : Table.FieldByName("N")->AsInteger());
    return shown;
  }
};

} // namespace

TEST_F(FilterProgramTest, ShowsWhatTheEvaluationShows) {
  const char *const constants[] = {"Kraków", "kraków", "KRAKÓW", "Krak",    "Ł",     "ł",    "ó",
                                   "Ó",      "a",      "A",      "ab",      "Ab*",   "kra*", "Ż",
                                   "€",      "Я",      "",       "zażółć*", "ZAŻÓŁĆ"};
  const char *const operators[] = {"=", "<>", "<", ">", "<=", ">="};
  const TFilterOptions optionSets[] = {
      {}, foCaseInsensitive, foNoPartialCompare, TFilterOptions(foCaseInsensitive | foNoPartialCompare)};
  int compared = 0;
  for (const char *constant : constants)
    for (const char *op : operators)
      for (const bool fieldFirst : {true, false}) {
        const QString quoted = QStringLiteral("'%1'").arg(QString::fromUtf8(constant));
        const QString filter = fieldFirst ? QStringLiteral("Nazwa %1 %2").arg(QLatin1String(op), quoted)
                                          : QStringLiteral("%2 %1 Nazwa").arg(QLatin1String(op), quoted);
        for (const TFilterOptions options : optionSets) {
          const std::vector<int> fast = Shown(filter, options, false);
          EXPECT_EQ(fast, Shown(filter, options, true))
              << filter.toStdString() << " options " << int(options);
          compared += int(fast.size());
        }
      }
  EXPECT_GT(compared, 10000); // the comparisons accepted records, not only refused them
}

TEST_F(FilterProgramTest, CombinationsShowWhatTheEvaluationShows) {
  const char *const filters[] = {"N > 5",
                                 "5 < N",
                                 "N = -3 OR N >= 250",
                                 "NOT (N < 250) AND Baza = 'x'",
                                 "N <> 3",
                                 "N IS NULL",
                                 "Nazwa IS NULL OR N = 1",
                                 "Baza IS NOT NULL AND NOT (Nazwa = 'ab' OR Nazwa = 'Łódź')",
                                 "Grupa IS NULL AND N <= 2"};
  for (const char *filter : filters)
    EXPECT_EQ(Shown(QString::fromUtf8(filter), {}, false), Shown(QString::fromUtf8(filter), {}, true))
        << filter;
}

TEST_F(FilterProgramTest, TakesComparisonsWithConstantsOnly) {
  struct TCase {
    const char *Filter;
    bool Compiled;
  };
  const TCase cases[] = {{"Nazwa = 'Kraków' AND N > 3", true},
                         {"NOT (Baza IS NULL)", true},
                         {"'ab' >= Nazwa", true},
                         {"UPPER(Nazwa) = 'KRAKÓW'", false},
                         {"Nazwa LIKE 'Kr*'", false},
                         {"N IN (1, 2)", false},
                         {"Nazwa = Baza", false},
                         {"N + 1 = 3", false},
                         {"Nazwa = 3", false}};
  for (const TCase &c : cases) {
    const TFilterExpr expr(&Table, QString::fromUtf8(c.Filter), {});
    EXPECT_EQ(TwoxFilterProgram::Compile(expr.Root(), Table.Common()) != nullptr, c.Compiled) << c.Filter;
  }
}
