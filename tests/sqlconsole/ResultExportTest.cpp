#include "ResultExport.h"
#include "DelimitedText.h"
#include "ECanceled.h"
#include "Exceptions.h"
#include "ResultReport.h"
#include "TestDataSet.h"

#include <QBuffer>
#include <QFile>
#include <QFont>
#include <QFontMetrics>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

namespace {

// NAME string, AMOUNT float, NOTE text blob: the kinds the export treats differently.
std::unique_ptr<TTestDataSet> MakeResult(const std::vector<QVariantList> &rows) {
  auto result = std::make_unique<TTestDataSet>();
  result->FieldDefs().Add(QStringLiteral("NAME"), ftString, 40);
  result->FieldDefs().Add(QStringLiteral("AMOUNT"), ftFloat, 0);
  result->FieldDefs().Add(QStringLiteral("NOTE"), ftMemo, 0);
  result->Open();
  for (const QVariantList &row : rows)
    result->AppendRecord(row);
  result->First();
  return result;
}

QByteArray Written(TDataSet &dataSet, const TTextExportOptions &options) {
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  TResultTextExport(dataSet, options).Write(buffer);
  return buffer.data();
}

TTextExportOptions Options(TTextExportMode mode, QChar separator, QChar quote = u'\'', bool names = false) {
  TTextExportOptions options;
  options.Mode = mode;
  options.Separator = separator;
  options.Quote = quote;
  options.FieldNames = names;
  return options;
}

struct LineCase {
  const char *Name;
  TTextExportMode Mode;
  char16_t Separator;
  const char *Text;
  double Amount;
  const char *Note;
  const char *Expected;
};

class ExportLineTest : public testing::TestWithParam<LineCase> {};

TEST_P(ExportLineTest, QuotesTextsAlwaysAndOtherValuesOnlyWhenTheyWouldSplit) {
  const LineCase &c = GetParam();
  auto result = MakeResult({{QString::fromUtf8(c.Text), c.Amount, QString::fromUtf8(c.Note)}});
  const TTextExportOptions options =
      Options(c.Mode, c.Mode == TTextExportMode::Tab ? u'\t' : QChar(c.Separator));
  EXPECT_EQ(TResultTextExport(*result, options).RecordLine(), QString::fromUtf8(c.Expected));
}

using M = TTextExportMode;
INSTANTIATE_TEST_SUITE_P(
    Values, ExportLineTest,
    testing::Values(LineCase{"PlainValues", M::Separator, u';', "Beta", 2, "abc", "'Beta';2;abc"},
                    LineCase{"DecimalCommaBesideCommaSeparator", M::Separator, u',', "Beta", 2.5, "abc",
                             "'Beta','2,5',abc"},
                    LineCase{"DecimalCommaBesideSemicolon", M::Separator, u';', "Beta", 2.5, "abc",
                             "'Beta';2,5;abc"},
                    LineCase{"QuoteInTextDoubled", M::Separator, u',', "O'Brien", 1, "", "'O''Brien',1,"},
                    LineCase{"BlobHoldingTheSeparator", M::Separator, u',', "x", 1, "a,b", "'x',1,'a,b'"},
                    LineCase{"BlobHoldingAQuote", M::Separator, u';', "x", 1, "it's", "'x';1;'it''s'"},
                    LineCase{"BlobHoldingALineBreak", M::Separator, u';', "x", 1, "a\r\nb", "'x';1;'a\r\nb'"},
                    LineCase{"TabPlain", M::Tab, u'\t', "Beta", 2.5, "abc", "Beta\t2,5\tabc"},
                    LineCase{"TabValueHoldingATab", M::Tab, u'\t', "a\tb", 1, "", "'a\tb'\t1\t"},
                    LineCase{"TabValueHoldingAQuote", M::Tab, u'\t', "O'Brien", 1, "", "'O''Brien'\t1\t"},
                    LineCase{"TabBlobHoldingALineBreak", M::Tab, u'\t', "x", 1, "a\nb", "x\t1\t'a\nb'"}),
    [](const testing::TestParamInfo<LineCase> &info) { return std::string(info.param.Name); });

TEST(ExportHeaderTest, NamesFollowTheCommaTextAndItsCommasBecomeTheSeparator) {
  auto result = std::make_unique<TTestDataSet>();
  for (const char *name : {"ID", "Imię, nazwisko", "A;B", "Say \"hi\""})
    result->FieldDefs().Add(QString::fromUtf8(name), ftInteger, 0);
  result->Open();
  EXPECT_EQ(TResultTextExport(*result, Options(M::Separator, u';')).HeaderLine(),
            QString::fromUtf8("ID;\"Imię; nazwisko\";\"A;B\";\"Say \"\"hi\"\"\""));
  EXPECT_EQ(TResultTextExport(*result, Options(M::Tab, u'\t')).HeaderLine(),
            QString::fromUtf8("ID\t\"Imię\t nazwisko\"\tA;B\t\"Say \"\"hi\"\"\""));
}

TEST(ExportRoundTripTest, EveryRecordReadsBackAsTheSameValuesInEveryMode) {
  auto result = MakeResult({{QStringLiteral("a,b"), 1.5, QStringLiteral("x;y")},
                            {QStringLiteral("O'Brien"), -2, QStringLiteral("line1\r\nline2")},
                            {QString::fromUtf8("zażółć\tgęślą"), 0, QStringLiteral("'quoted'")},
                            {QString(), 3.25, QString()}});
  for (const auto &[separator, quote] :
       std::vector<std::pair<QChar, QChar>>{{u',', u'\''}, {u';', u'"'}, {u'\t', u'\''}}) {
    const M mode = separator == u'\t' ? M::Tab : M::Separator;
    const std::vector<QStringList> records =
        ReadDelimited(Written(*result, Options(mode, separator, quote)), separator, quote);
    ASSERT_EQ(records.size(), 4u) << QString(separator).toStdString();
    int i = 0;
    for (result->First(); !result->Eof(); result->Next(), ++i) {
      QStringList expected;
      for (const TField *field : result->FieldList())
        expected.append(field->AsString());
      EXPECT_EQ(records[std::size_t(i)], expected)
          << "record " << i << " separator " << int(separator.unicode());
    }
  }
}

TEST(ExportKeyPairTest, WritesOneKeyLineFromEachRecordsOwnValues) {
  auto result = std::make_unique<TTestDataSet>();
  result->FieldDefs().Add(QStringLiteral("NAZWA"), ftString, 10);
  result->FieldDefs().Add(QStringLiteral("IDD"), ftString, 10);
  result->FieldDefs().Add(QStringLiteral("IDOBR"), ftInteger, 0);
  result->Open();
  result->AppendRecord({QStringLiteral("a"), QStringLiteral("12.5"), 1});
  result->AppendRecord({QStringLiteral("b"), QStringLiteral("7"), 2});
  // Each of the next two lacks one value: neither may lend it to the other.
  result->AppendRecord({QStringLiteral("c"), QStringLiteral("9"), QVariant()});
  result->AppendRecord({QStringLiteral("d"), QVariant(), 3});
  result->AppendRecord({QStringLiteral("e"), QString::fromUtf8("ą.b.c"), 4});
  TTextExportOptions options = Options(M::KeyPair, u',', u'\'', true); // no header in this mode
  EXPECT_EQ(Written(*result, options), QByteArray("d 1.12-5\r\n2-7\r\n\r\n\r\nd 4.\xb9-b.c\r\n"));
}

struct KeyPairCase {
  const char *Name;
  const char *Idobr;
  const char *Idd;
  const char *Expected;
};

class KeyPairLineTest : public testing::TestWithParam<KeyPairCase> {};

TEST_P(KeyPairLineTest, PairsTheTwoKeys) {
  const KeyPairCase &c = GetParam();
  EXPECT_EQ(KeyPairLine(QString::fromUtf8(c.Idobr), QString::fromUtf8(c.Idd)), QString::fromUtf8(c.Expected));
}

INSTANTIATE_TEST_SUITE_P(
    Keys, KeyPairLineTest,
    testing::Values(KeyPairCase{"Whole", "10", "7", "10-7"}, KeyPairCase{"Dotted", "10", "7.1", "d 10.7-1"},
                    KeyPairCase{"OnlyTheFirstDotTurns", "10", "7.1.2", "d 10.7-1.2"},
                    KeyPairCase{"NoIdobr", "", "7", ""}, KeyPairCase{"NoIdd", "10", "", ""}),
    [](const testing::TestParamInfo<KeyPairCase> &info) { return std::string(info.param.Name); });

class ExportFileTest : public testing::Test {
protected:
  QString PathOf(const char *name) const { return Dir.path() + u'/' + QString::fromLatin1(name); }
  QByteArray Read(const QString &path) const {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  }
  void WriteOld(const QString &path) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("old\r\n");
  }
  QTemporaryDir Dir;
};

TEST_F(ExportFileTest, AStoppedExportLeavesTheOldFileAndNoTemporaryOne) {
  auto result = MakeResult({{QStringLiteral("a"), 1, QString()}, {QStringLiteral("b"), 2, QString()}});
  const QString path = PathOf("stary.tab");
  WriteOld(path);
  TResultTextExport export_(*result, Options(M::Separator, u','));
  export_.OnRecord = [](int record) {
    if (record == 2)
      throw ECanceled();
  };
  EXPECT_THROW(export_.WriteFile(path), ECanceled);
  EXPECT_EQ(Read(path), QByteArray("old\r\n"));
  EXPECT_EQ(QDir(Dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("stary.tab")});
}

TEST_F(ExportFileTest, TenThousandRecordsAreWrittenAndReadBack) {
  auto result = std::make_unique<TTestDataSet>();
  result->FieldDefs().Add(QStringLiteral("ID"), ftInteger, 0);
  result->FieldDefs().Add(QStringLiteral("NAME"), ftString, 20);
  result->Open();
  for (int i = 1; i <= 10000; ++i)
    result->AppendRecord({i, QStringLiteral("n;%1").arg(i)});
  int records = 0;
  TResultTextExport export_(*result, Options(M::Separator, u';', u'\'', true));
  export_.OnRecord = [&records](int record) { records = record; };
  export_.WriteFile(PathOf("duzy.tab"));
  EXPECT_EQ(records, 10000);
  EXPECT_TRUE(result->Eof());
  const std::vector<QStringList> read = ReadDelimited(Read(PathOf("duzy.tab")), u';', u'\'');
  ASSERT_EQ(read.size(), 10001u);
  EXPECT_EQ(read.front(), (QStringList{QStringLiteral("ID"), QStringLiteral("NAME")}));
  EXPECT_EQ(read.back(), (QStringList{QStringLiteral("10000"), QStringLiteral("n;10000")}));
}

TEST(ResultReportTest, ColumnsEndWhereTheirWidestTextAndASpaceEnd) {
  auto result = std::make_unique<TTestDataSet>();
  result->FieldDefs().Add(QStringLiteral("ID"), ftInteger, 0);
  result->FieldDefs().Add(QStringLiteral("NAME"), ftString, 20);
  result->FieldDefs().Add(QStringLiteral("X"), ftString, 5);
  result->Open();
  result->AppendRecord({1, QStringLiteral("Krzysztof"), QStringLiteral("a")});
  result->AppendRecord({22222, QStringLiteral("Ewa"), QStringLiteral("b")});
  const QFont font(QStringLiteral("DejaVu Sans Mono"), 10);
  const QFontMetrics metrics(font);
  const TResultReport report = BuildResultReport(*result, font);
  EXPECT_EQ(report.Header, QStringLiteral("ID\tNAME\tX"));
  EXPECT_EQ(report.Rows, (QStringList{QStringLiteral("1\tKrzysztof\ta"), QStringLiteral("22222\tEwa\tb")}));
  const int first = metrics.horizontalAdvance(QStringLiteral("22222 "));
  ASSERT_EQ(report.TabStops.size(), 2u);
  EXPECT_EQ(report.TabStops[0], first);
  EXPECT_EQ(report.TabStops[1], first + metrics.horizontalAdvance(QStringLiteral("Krzysztof ")));
}

TEST(ResultReportTest, TabsAndLineBreaksOfAValueShowAsBlanksInItsCell) {
  auto result = std::make_unique<TTestDataSet>();
  result->FieldDefs().Add(QStringLiteral("N"), ftString, 20); // names narrower than the values
  result->FieldDefs().Add(QStringLiteral("T"), ftString, 20);
  result->Open();
  result->AppendRecord({QStringLiteral("a\tb"), QStringLiteral("x\r\ny\nz\rw")});
  const QFont font(QStringLiteral("DejaVu Sans Mono"), 10);
  const TResultReport report = BuildResultReport(*result, font);
  EXPECT_EQ(report.Rows, QStringList{QStringLiteral("a b\tx y z w")});
  ASSERT_EQ(report.TabStops.size(), 1u);
  EXPECT_EQ(report.TabStops[0], QFontMetrics(font).horizontalAdvance(QStringLiteral("a b ")));
}

TEST(ResultReportTest, OneColumnHasNoTabStopsAndAClosedResultIsRefused) {
  auto result = std::make_unique<TTestDataSet>();
  result->FieldDefs().Add(QStringLiteral("NAME"), ftString, 20);
  const QFont font(QStringLiteral("DejaVu Sans Mono"), 10);
  EXPECT_THROW(BuildResultReport(*result, font), EDatabaseError);
  result->Open();
  result->AppendRecord({QStringLiteral("x")});
  EXPECT_TRUE(BuildResultReport(*result, font).TabStops.empty());
}

} // namespace
