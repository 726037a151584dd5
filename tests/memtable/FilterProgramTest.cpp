// A filter of comparisons with constants is tested on the stored bytes; the table must show exactly
// the records that the evaluation through the fields shows.
#include "MemTableFixture.h"

#include "DateTimeUtils.h"
#include "Fields.h"
#include "FilterExpr.h"
#include "Win1250.h"
#include "woxMemFilterProgram.h"

#include <functional>
#include <random>
#include <string_view>

namespace {

// The values of rowField (1000 for null) of the records the filter shows, in order;
// throughEvaluation forces the evaluation through the fields (an OnFilterRecord handler takes the
// general road).
std::vector<int> ShownRows(TwoxMemTable &table, const QString &rowField, const QString &filter,
                           TFilterOptions options, bool throughEvaluation) {
  table.SetFiltered(false);
  table.SetFilterOptions(options);
  table.SetFilter(filter);
  if (throughEvaluation)
    table.OnFilterRecord = [](TDataSet *, bool &) {};
  else
    table.OnFilterRecord = nullptr;
  table.SetFiltered(true);
  std::vector<int> shown;
  TField *row = table.FieldByName(rowField);
  for (table.First(); !table.Eof(); table.Next())
    shown.push_back(row->IsNull() ? 1000 : row->AsInteger());
  return shown;
}

bool Compiles(TwoxMemTable &table, const QString &filter, TFilterOptions options) {
  const TFilterExpr expr(&table, filter, options);
  return TwoxFilterProgram::Compile(expr.Root(), table.Common()) != nullptr;
}

// "field op constant", or the other way round.
QString ComparisonText(const QString &field, const char *op, const QString &constant, bool fieldFirst) {
  return fieldFirst ? QStringLiteral("%1 %2 %3").arg(field, QLatin1String(op), constant)
                    : QStringLiteral("%3 %2 %1").arg(field, QLatin1String(op), constant);
}

const char *const kOperators[] = {"=", "<>", "<", ">", "<=", ">="};
const TFilterOptions kOptionSets[] = {
    {}, foCaseInsensitive, foNoPartialCompare, TFilterOptions(foCaseInsensitive | foNoPartialCompare)};

struct TCompileCase {
  const char *Filter;
  bool Compiled;
};

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

  std::vector<int> Shown(const QString &filter, TFilterOptions options, bool throughEvaluation) {
    return ShownRows(Table, QStringLiteral("N"), filter, options, throughEvaluation);
  }
};

} // namespace

TEST_F(FilterProgramTest, ShowsWhatTheEvaluationShows) {
  const char *const constants[] = {"Kraków", "kraków", "KRAKÓW", "Krak",    "Ł",     "ł",    "ó",
                                   "Ó",      "a",      "A",      "ab",      "Ab*",   "kra*", "Ż",
                                   "€",      "Я",      "",       "zażółć*", "ZAŻÓŁĆ"};
  int compared = 0;
  for (const char *constant : constants)
    for (const char *op : kOperators)
      for (const bool fieldFirst : {true, false}) {
        const QString quoted = QStringLiteral("'%1'").arg(QString::fromUtf8(constant));
        const QString filter = ComparisonText(QStringLiteral("Nazwa"), op, quoted, fieldFirst);
        for (const TFilterOptions options : kOptionSets) {
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
  const TCompileCase cases[] = {{"Nazwa = 'Kraków' AND N > 3", true},
                                {"NOT (Baza IS NULL)", true},
                                {"'ab' >= Nazwa", true},
                                {"UPPER(Nazwa) = 'KRAKÓW'", false},
                                {"Nazwa LIKE 'Kr*'", false},
                                {"N IN (1, 2)", false},
                                {"Nazwa = Baza", false},
                                {"N + 1 = 3", false},
                                {"Nazwa = 3", false}};
  for (const TCompileCase &c : cases)
    EXPECT_EQ(Compiles(Table, QString::fromUtf8(c.Filter), {}), c.Compiled) << c.Filter;
}

namespace {

// How the table keeps its long texts: in the record, in blocks of their own, or in blocks that
// OnCompressField and OnDecompressField convert; the last two hand back more than was stored (a NUL
// and bytes after it, or bytes past the field's size), which the field never shows.
struct TStorage {
  const char *Name;
  TwoxMemTablePerformance Performance;
  QByteArray Tail;
};

const TStorage kStorages[] = {{"in the record", mtpfFast, {}},
                              {"outside", mtpfBalanced, {}},
                              {"compressed", mtpfSmall, {}},
                              {"decompressed with a NUL", mtpfSmall, QByteArray("\0tail", 5)},
                              {"decompressed too long", mtpfSmall, QByteArray(24, 'z')}};

QByteArray Scrambled(const QByteArray &bytes) {
  QByteArray result = bytes;
  for (char &c : result)
    c = char(c ^ 0x5A);
  return result;
}

// Texts with blanks before, inside and after them, Polish letters in both cases, and a no-break
// space (which is no blank).
const char *const kTexts[] = {
    "ab  ",   "ab",   "AB ",  "",        "   ",          " ab", "a b", "abc", "ab\t",           "Ab",
    "Łódź  ", "łódź", "ŁÓDŹ", "zażółć ", "Zażółć gęślą", "ą",   "Ą ",  "a",   "\u00a0ab\u00a0", "ab*"};

// A table of every type the memory table stores, one row per text above and a row of nulls: S is
// text, C a short fixed-length (CHAR) text as written, L a long one padded to its size in every
// other row (as a Firebird CHAR column arrives) and kept as the storage says; whole numbers, floats,
// BCD, dates and times and Booleans beside them, each null in some rows.
class FilterRoadsTest : public ::testing::Test {
protected:
  void Define(TwoxMemTable &table, const TStorage &storage) {
    struct TFieldOfType {
      const char *Name;
      TFieldType Type;
      int Size;
    };
    const TFieldOfType fields[] = {{"Nr", ftInteger, 0},   {"S", ftString, 12},   {"C", ftFixedChar, 8},
                                   {"L", ftFixedChar, 20}, {"I", ftInteger, 0},   {"SI", ftSmallint, 0},
                                   {"W", ftWord, 0},       {"LI", ftLargeint, 0}, {"F", ftFloat, 0},
                                   {"CU", ftCurrency, 0},  {"B", ftBCD, 2},       {"D", ftDate, 0},
                                   {"T", ftTime, 0},       {"DT", ftDateTime, 0}, {"BO", ftBoolean, 0}};
    for (const TFieldOfType &field : fields)
      table.FieldDefs().Add(QString::fromLatin1(field.Name), field.Type, field.Size);
    table.SetPerformance(storage.Performance);
    table.OnCompressField = [](TDataSet *, TField *, const QByteArray &bytes, QByteArray &result) {
      result = Scrambled(bytes);
    };
    table.OnDecompressField = [tail = storage.Tail](TDataSet *, TField *, const QByteArray &bytes,
                                                    QByteArray &result) { result = Scrambled(bytes) + tail; };
  }

  void Fill(TwoxMemTable &table) {
    table.Open();
    const int rows = int(std::size(kTexts));
    for (int i = 0; i <= rows; ++i) {
      table.Append();
      table.FieldByName("Nr")->SetAsInteger(i + 1);
      if (i < rows) {
        const QString text = QString::fromUtf8(kTexts[i]);
        table.FieldByName("S")->SetAsString(text);
        table.FieldByName("C")->SetAsString(text);
        table.FieldByName("L")->SetAsString(i % 2 ? text : text.leftJustified(20));
        const std::pair<const char *, std::function<void(TField *)>> values[] = {
            {"I", [&](TField *f) { f->SetAsInteger(i - 5); }},
            {"SI", [&](TField *f) { f->SetAsInteger(i * 37 % 200 - 100); }},
            {"W", [&](TField *f) { f->SetAsInteger(i * 3000); }},
            {"LI", [&](TField *f) { f->SetAsLargeInt((i - 8) * 3000000000LL); }},
            {"F", [&](TField *f) { f->SetAsFloat((i - 6) * 0.75); }},
            {"CU", [&](TField *f) { f->SetAsFloat((i - 6) * 1.25); }},
            {"B", [&](TField *f) { f->SetAsFloat((i - 6) * 0.5); }},
            {"D", [&](TField *f) { f->SetAsDateTime(EncodeDate(2024, 1, 1) + i); }},
            {"T", [&](TField *f) { f->SetAsDateTime((i % 24) / 24.0); }},
            {"DT", [&](TField *f) { f->SetAsDateTime(EncodeDate(2024, 1, 1) + i + (i % 24) / 24.0); }},
            {"BO", [&](TField *f) { f->SetAsBoolean(i % 3 == 0); }}};
        int k = 0;
        for (const auto &[name, set] : values)
          if ((i + k++) % 9 != 0) // each field null in its own rows
            set(table.FieldByName(QString::fromLatin1(name)));
      }
      table.Post();
    }
  }

  // Every filter runs through the compiled program (when it compiles) and through the fields, in
  // every storage; both must show the same rows.
  void ExpectRoadsAgree(const QString &filter, TFilterOptions options, bool compiled) {
    for (const TStorage &storage : kStorages) {
      TwoxMemTable &table = Tables[&storage - kStorages];
      ASSERT_EQ(Compiles(table, filter, options), compiled) << filter.toStdString();
      EXPECT_EQ(ShownRows(table, "Nr", filter, options, false), ShownRows(table, "Nr", filter, options, true))
          << filter.toStdString() << " options " << int(options) << ", " << storage.Name;
    }
  }

  void SetUp() override {
    for (const TStorage &storage : kStorages) {
      TwoxMemTable &table = Tables[&storage - kStorages];
      Define(table, storage);
      Fill(table);
    }
  }

  TwoxMemTable Tables[std::size(kStorages)];
};

} // namespace

// Each field compared with each constant by every operator, the field on either side; the text
// comparisons under every case and partial-compare option.
TEST_F(FilterRoadsTest, EveryComparisonShowsWhatTheFieldsShow) {
  struct TFamily {
    std::vector<const char *> Fields, Constants;
    bool Compiled;
  };
  const TFamily families[] = {
      {{"S", "C", "L"},
       {"'ab'", "'AB'", "'ab '", "'a'", "''", "' '", "'abc'", "'łódź'", "'ŁÓDŹ'", "'Łódź'", "'ą'", "'Ą'",
        "'zażółć'", "'ab*'", "'Ł*'", "'a *'", "'zA*'", "'*'", "'\u00a0ab'"},
       true},
      {{"I", "SI", "W", "LI"}, {"0", "-1", "3", "40000", "-3000000000", "'2'"}, true},
      {{"F", "CU", "B"}, {"0", "1.5", "-0.75", "'2'"}, false},
      {{"D", "T", "DT"}, {"45300", "45295.5", "0.25"}, false},
      {{"BO"}, {"TRUE", "FALSE"}, false}};
  for (const TFamily &family : families)
    for (const char *field : family.Fields)
      for (const char *constant : family.Constants)
        for (const char *op : kOperators)
          for (const bool fieldFirst : {true, false}) {
            const QString filter =
                ComparisonText(QString::fromLatin1(field), op, QString::fromUtf8(constant), fieldFirst);
            const bool text = family.Fields.front() == std::string_view("S");
            for (const TFilterOptions options : kOptionSets) {
              ExpectRoadsAgree(filter, options, family.Compiled);
              if (!text)
                break; // the options change only text comparisons
            }
          }
}

TEST_F(FilterRoadsTest, NullTestsAndCombinationsShowWhatTheFieldsShow) {
  const char *const fields[] = {"S", "C", "L", "I", "SI", "W", "LI", "F", "CU", "B", "D", "T", "DT", "BO"};
  for (const char *field : fields)
    for (const char *test : {"%1 IS NULL", "%1 IS NOT NULL", "NOT (%1 IS NULL)", "%1 = NULL", "%1 <> NULL"})
      ExpectRoadsAgree(QString::fromLatin1(test).arg(QLatin1String(field)), {}, true);
  const TCompileCase cases[] = {{"C = 'ab' AND I > 0", true},
                                {"NOT (L = 'łódź' OR W < 5000)", true},
                                {"S IS NULL OR C <> ''", true},
                                {"L >= 'Ł' AND L < 'ź' AND NOT (SI = 0)", true},
                                {"C = 'ab*' OR L = 'zaż*' OR LI = 0", true},
                                {"NOT (C = 'ab')", true},
                                {"C = 'ab' AND F > 0", false},
                                {"C = L", false},
                                {"TRIM(C) = 'ab'", false}};
  for (const TCompileCase &c : cases)
    for (const TFilterOptions options : kOptionSets)
      ExpectRoadsAgree(QString::fromUtf8(c.Filter), options, c.Compiled);
}

// A CHAR value is compared without the blanks that pad it, on both roads.
TEST_F(FilterRoadsTest, FixedLengthTextComparesWithoutItsPadding) {
  struct TCase {
    const char *Filter;
    TFilterOptions Options;
    std::vector<int> Shown;
  };
  const TCase cases[] = {{"F = 'ab'", {}, {1, 2}},
                         {"F = 'ab'", foCaseInsensitive, {1, 2, 3}},
                         {"F > 'ab'", {}, {}},
                         {"F >= 'ab'", {}, {1, 2}},
                         {"F < 'ab'", {}, {3, 4}},
                         {"F <> 'ab'", {}, {3, 4}},
                         {"F <> 'ab'", foCaseInsensitive, {4}},
                         {"F = 'ab '", {}, {}},
                         {"F = 'a*'", {}, {1, 2}},
                         {"F = 'ab *'", {}, {}},
                         {"F = ''", {}, {4}},
                         {"'ab' = F", {}, {1, 2}},
                         {"'AB' <= F", {}, {1, 2, 3}}};
  for (const TStorage &storage : kStorages) {
    TwoxMemTable table;
    table.FieldDefs().Add("Nr", ftInteger);
    table.FieldDefs().Add("F", ftFixedChar, 20);
    table.SetPerformance(storage.Performance);
    table.Open();
    int nr = 0;
    for (const char *value : {"ab  ", "ab", "AB ", "   "})
      table.AppendRecord({++nr, QString::fromLatin1(value)});
    for (const TCase &c : cases)
      for (const bool throughFields : {false, true})
        EXPECT_EQ(ShownRows(table, "Nr", QString::fromLatin1(c.Filter), c.Options, throughFields), c.Shown)
            << c.Filter << " options " << int(c.Options) << (throughFields ? " through the fields, " : ", ")
            << storage.Name;
  }
}

// Ten thousand CHAR values of blanks and letters in both cases: every walk agrees.
TEST(FilterRoadsAtScaleTest, TenThousandRowsShowWhatTheFieldsShow) {
  TwoxMemTable table;
  table.FieldDefs().Add("Nr", ftInteger);
  table.FieldDefs().Add("C", ftFixedChar, 8);
  table.FieldDefs().Add("L", ftFixedChar, 20);
  table.SetPerformance(mtpfBalanced);
  table.Open();
  const QString letters = QString::fromUtf8("abABłŁóÓ  ");
  std::mt19937 random(39);
  for (int nr = 1; nr <= 10000; ++nr) {
    QString text;
    for (int n = int(random() % 6); n > 0; --n)
      text += letters[int(random() % letters.size())];
    table.AppendRecord({nr, text, nr % 2 ? text : text.leftJustified(20)});
  }
  for (const char *field : {"C", "L"})
    for (const char *constant : {"'ab'", "'AB'", "'ł'", "'a '", "'aB*'", "''"})
      for (const char *op : kOperators)
        for (const TFilterOptions options : kOptionSets) {
          const QString filter =
              ComparisonText(QString::fromLatin1(field), op, QString::fromUtf8(constant), true);
          const std::vector<int> compiled = ShownRows(table, "Nr", filter, options, false);
          EXPECT_EQ(compiled, ShownRows(table, "Nr", filter, options, true))
              << filter.toStdString() << " options " << int(options);
        }
}
