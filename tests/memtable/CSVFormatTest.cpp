#include "MemTableFixture.h"
#include "StreamBytes.h"

#include "DateTimeUtils.h"
#include "Fields.h"
#include "FormatSettings.h"
#include "TextFile.h"
#include "Win1250.h"
#include "woxMemCSVStreamFormat.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using ::testing::ElementsAre;

class CSVFormatTest : public MemTableFixture {
protected:
  void SetUp() override {
    MemTableFixture::SetUp();
    Table.SetDefaultFormat(&Format);
  }
  QString Path(const QString &name) const { return Folder.filePath(name); }
  static QByteArray Read(const QString &path) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    return file.readAll();
  }
  static void Write(const QString &path, const QByteArray &bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
  }
  QByteArray SaveToBytes(TwoxMemTable &table) { return SavedBytes(table, Format); }
  void LoadBytes(TwoxMemTable &table, const QByteArray &bytes) { ::LoadBytes(table, Format, bytes); }

  QTemporaryDir Folder;
  TwoxCSVStreamFormat Format;
};

TEST_F(CSVFormatTest, DatabaseListFileLayout) {
  TwoxMemTable bazy;
  bazy.SetDefaultFormat(&Format);
  bazy.FieldDefs().Add(QStringLiteral("Nazwa"), ftString, 200);
  bazy.FieldDefs().Add(QStringLiteral("Baza"), ftString, 255);
  bazy.FieldDefs().Add(QStringLiteral("Grupa"), ftString, 30);
  bazy.Open();
  bazy.AppendRecord({QString::fromUtf8("Księgowość"), "serwer:/bazy/ks.fdb", "KORVIN"});
  bazy.AppendRecord({"Kadry", QVariant(), "VELDAR"});
  bazy.SaveToFile(Path("bazy.txt"));
  const QList<QByteArray> lines = Read(Path("bazy.txt")).split('\n');
  EXPECT_EQ(lines[0], "\"@@FILE VERSION@@\",\"251\"\r");
  EXPECT_EQ(lines[1], "\"@@TABLEDEF START@@\"\r");
  EXPECT_EQ(lines[2], "\"Nazwa=String,200,\"\"Nazwa\"\",\"\"\"\",200,Data,\"\"\"\"\"\r");
  EXPECT_EQ(lines[2].size(), 48); // 47 characters and the CR
  EXPECT_EQ(lines[5], "\"@@INDEXDEF START@@\"\r");
  EXPECT_EQ(lines[6], "\"@@INDEXDEF END@@\"\r");
  EXPECT_EQ(lines[7], "\"@@TABLEDEF END@@\"\r");
  EXPECT_EQ(lines[8], "\"Nazwa\",\"Baza\",\"Grupa\",\r");
  EXPECT_EQ(lines[9], "\"Ksi\xEAgowo\x9C\xE6\",\"serwer:/bazy/ks.fdb\",\"KORVIN\",\r"); // Windows-1250
  EXPECT_EQ(lines[10], "\"Kadry\",,\"VELDAR\",\r");
  EXPECT_EQ(lines[11], "");

  TwoxMemTable loaded;
  loaded.SetDefaultFormat(&Format);
  loaded.LoadFromFile(Path("bazy.txt"));
  ASSERT_TRUE(loaded.Active());
  EXPECT_EQ(loaded.FieldCount(), 3);
  EXPECT_EQ(loaded.FieldByName("Baza")->Size(), 255);
  EXPECT_EQ(loaded.RecordCount(), 2);
  EXPECT_EQ(loaded.LoadedCount(), 2);
  EXPECT_TRUE(loaded.LoadedCompletely());
  loaded.First();
  EXPECT_EQ(loaded.FieldByName("Nazwa")->AsString(), QString::fromUtf8("Księgowość"));
  loaded.Next();
  EXPECT_TRUE(loaded.FieldByName("Baza")->IsNull());
}

TEST_F(CSVFormatTest, TextAndQuotingRoundTrip) {
  Fill({{"line1\r\nline2", "100% sure", "a,\"b\"", 7}, {"", QVariant(), "x", QVariant()}});
  const QByteArray bytes = SaveToBytes(Table);
  EXPECT_TRUE(bytes.contains("\"line1%c%nline2\",\"100%% sure\",\"a,\"\"b\"\"\",\"7\",\r\n"));
  TwoxMemTable copy;
  LoadBytes(copy, bytes);
  copy.First();
  EXPECT_EQ(copy.FieldByName("Nazwa")->AsString(), "line1\r\nline2");
  EXPECT_EQ(copy.FieldByName("Baza")->AsString(), "100% sure");
  EXPECT_EQ(copy.FieldByName("Grupa")->AsString(), "a,\"b\"");
  EXPECT_EQ(copy.FieldByName("N")->AsInteger(), 7);
  copy.Next();
  EXPECT_FALSE(copy.FieldByName("Nazwa")->IsNull()); // "" is an empty string
  EXPECT_TRUE(copy.FieldByName("Baza")->IsNull());   // nothing between delimiters is null
  EXPECT_TRUE(copy.FieldByName("N")->IsNull());
}

TEST_F(CSVFormatTest, QuoteOnlyStringsAndNoDefinitions) {
  Fill({{"a", "b", "c", 12}, {"d", "e", "f", 34}});
  Format.SetsfQuoteOnlyStrings(sfSaveQuoteOnlyStrings);
  Format.SetsfDef(sfLoadDef);
  const QByteArray bytes = SaveToBytes(Table);
  EXPECT_EQ(bytes,
            QByteArray(
                "\"Nazwa\",\"Baza\",\"Grupa\",\"N\",\r\n\"a\",\"b\",\"c\",12,\r\n\"d\",\"e\",\"f\",34,\r\n"));
  Table.Close();
  Table.Open();
  Format.SetCSVRecordDelimiter(QChar(0));
  LoadBytes(Table, "\"NAZWA\",\"n\"\r\n\"x\",56\n\"y\",78");
  EXPECT_EQ(Column("Nazwa"), QStringList({"x", "y"}));
  EXPECT_EQ(Column("N"), QStringList({"56", "78"})); // an unquoted last value is taken whole
}

TEST_F(CSVFormatTest, DefinitionDetailsComeBack) {
  Table.Close();
  Table.IndexDefs().Add(QStringLiteral("ByName"), QStringLiteral("Nazwa;Grupa"), ixUnique | ixDescending);
  Table.Open();
  Table.FieldByName("Grupa")->SetDisplayLabel(QStringLiteral("Grupa,RO"));
  Table.FieldByName("N")->SetRequired(true);
  Table.FieldByName("N")->SetDefaultExpression(QStringLiteral("0"));
  Table.FieldByName("Baza")->SetEditMask(QStringLiteral("!aaa"));
  Table.AppendRecord({"a", "b", "c", 1});
  TwoxMemTable copy;
  LoadBytes(copy, SaveToBytes(Table));
  EXPECT_TRUE(copy.FieldByName("Grupa")->ReadOnly()); // ",RO" inside the label counts
  EXPECT_EQ(copy.FieldByName("Grupa")->DisplayLabel(), "Grupa,RO");
  EXPECT_TRUE(copy.FieldByName("N")->Required());
  EXPECT_EQ(copy.FieldByName("N")->DefaultExpression(), "0");
  EXPECT_EQ(copy.FieldByName("Baza")->EditMask(), "!aaa");
  ASSERT_EQ(copy.IndexDefs().Count(), 1);
  EXPECT_EQ(copy.IndexDefs().Items(0)->Fields(), "Nazwa;Grupa");
  EXPECT_EQ(copy.IndexDefs().Items(0)->Options(), ixUnique | ixDescending);
  EXPECT_EQ(copy.RecordCount(), 1);
  EXPECT_EQ(copy.FieldByName("Grupa")->AsString(), "c");
}

TEST_F(CSVFormatTest, EmptyInputsLoadNothing) {
  Fill({{"kept"}});
  LoadBytes(Table, QByteArray());
  EXPECT_EQ(Table.RecordCount(), 1);
  LoadBytes(Table, "\r\n\"Nazwa\"\r\n\"x\"\r\n"); // empty first line: nothing
  EXPECT_EQ(Table.RecordCount(), 1);
}

TEST_F(CSVFormatTest, BinaryTextEncoding) {
  for (const QByteArray &bytes : {QByteArray("\x01", 1), QByteArray("\xFF\x00", 2), QByteArray("abc", 3),
                                  QByteArray("\x00\x80\x7F\xFE", 4)}) {
    const QString text = TwoxCustomCSVStreamFormat::EncodeBinaryText(bytes);
    EXPECT_EQ(text.size(), (4 * bytes.size() + 2) / 3);
    for (const QChar c : text)
      EXPECT_TRUE(c >= u' ' && c <= u'_');
    EXPECT_EQ(TwoxCustomCSVStreamFormat::DecodeBinaryText(text), bytes);
  }
  EXPECT_EQ(TwoxCustomCSVStreamFormat::EncodeBinaryText(QByteArray()), QString());
  EXPECT_EQ(TwoxCustomCSVStreamFormat::EscapeCSVText(QString("a%\r\n") + QChar(0)), "a%%%c%n%0");
  EXPECT_EQ(TwoxCustomCSVStreamFormat::UnescapeCSVText("a%%%c%n%0%x%"), QString("a%\r\n") + QChar(0) + "%x%");
}

// A "%" typed by hand that starts no pair the format writes is a character of the value, and a
// save writes it back so that it reads the same again.
TEST_F(CSVFormatTest, HandWrittenPercentIsKeptWithTheCharacterAfterIt) {
  struct Case {
    const char *InFile;
    QString Value;
  };
  const Case cases[] = {
      {"/data/50%rabat.fdb", "/data/50%rabat.fdb"},
      {"100%", "100%"},
      {"%%x%y%", "%x%y%"},
      {"a%c%nb", "a\r\nb"},
      {"%%%%%", "%%%"},
  };
  Fill({});
  for (const Case &c : cases) {
    LoadBytes(Table,
              QByteArray("\"Nazwa\",\"Baza\",\"Grupa\",\"N\",\r\n\"a\",\"") + c.InFile + "\",\"b\",1,\r\n");
    Table.Last();
    EXPECT_EQ(Table.FieldByName("Baza")->AsString(), c.Value) << c.InFile;
    TwoxMemTable again;
    LoadBytes(again, SaveToBytes(Table));
    again.Last();
    EXPECT_EQ(again.FieldByName("Baza")->AsString(), c.Value) << c.InFile;
  }
}

TEST_F(CSVFormatTest, BlobAndBooleanValues) {
  TwoxMemTable table;
  table.FieldDefs().Add(QStringLiteral("B"), ftBoolean);
  table.FieldDefs().Add(QStringLiteral("Data"), ftBlob);
  table.FieldDefs().Add(QStringLiteral("Memo"), ftMemo);
  table.Open();
  table.AppendRecord({true, QByteArray("\x00\x01\x02", 3), "two\r\nlines"});
  table.AppendRecord({false, QVariant(), QVariant()});
  Format.SetCSVTrueString(QStringLiteral("TAK"));
  TwoxMemTable copy;
  LoadBytes(copy, SaveToBytes(table));
  copy.First();
  EXPECT_TRUE(copy.FieldByName("B")->AsBoolean());
  EXPECT_EQ(copy.FieldByName("Data")->AsBytes(), QByteArray("\x00\x01\x02", 3));
  EXPECT_EQ(copy.FieldByName("Memo")->AsString(), "two\r\nlines");
  copy.Next();
  EXPECT_FALSE(copy.FieldByName("B")->AsBoolean());
  EXPECT_TRUE(copy.FieldByName("Data")->IsNull());
}

TEST_F(CSVFormatTest, FixedNumberAndDateSettingsDuringSaveAndLoad) {
  TwoxMemTable table;
  table.FieldDefs().Add(QStringLiteral("F"), ftFloat);
  table.FieldDefs().Add(QStringLiteral("D"), ftDate);
  table.Open();
  TFormatSettingsScope restore;
  FormatSettings().DecimalSeparator = u',';
  FormatSettings().DateSeparator = u'.';
  FormatSettings().ShortDateFormat = QStringLiteral("yyyy.mm.dd");
  table.AppendRecord({1.5, EncodeDate(2024, 3, 15)});
  const QByteArray bytes = SaveToBytes(table);
  EXPECT_TRUE(bytes.contains("\"1.5\",\"15/03/2024\",\r\n")) << bytes.toStdString();
  EXPECT_EQ(FormatSettings().DecimalSeparator, u',');
  EXPECT_EQ(FormatSettings().ShortDateFormat, "yyyy.mm.dd");
  TwoxMemTable copy;
  LoadBytes(copy, bytes);
  EXPECT_EQ(copy.FieldByName("F")->AsFloat(), 1.5);
  EXPECT_EQ(copy.FieldByName("D")->AsDateTime(), EncodeDate(2024, 3, 15));
  Format.SetsfLocalFormat(sfSaveLocalFormat);
  EXPECT_TRUE(SaveToBytes(table).contains("\"1,5\",\"2024.03.15\",\r\n"));
}

TEST_F(CSVFormatTest, Errors) {
  Fill({{"a"}});
  Write(Path("old.txt"), "old content");
  Format.SetsfDeltas(sfSaveDeltas);
  EXPECT_EQ(MessageOf([&] { Table.SaveToFile(Path("old.txt")); }),
            "Saving deltas is supported only in binary format.");
  EXPECT_EQ(Read(Path("old.txt")), "old content");
  EXPECT_FALSE(Table.ControlsDisabled());
  Format.SetsfDeltas(0);
  EXPECT_EQ(MessageOf([&] { Table.SaveToFileViaFormat(Path("x.txt"), nullptr); }), "No format specified.");
  EXPECT_THROW(Table.LoadFromFile(Path("missing.txt")), EInOutError);
  EXPECT_EQ(MessageOf([&] {
              LoadBytes(Table,
                        "\"@@TABLEDEF START@@\"\r\n\"X=Cursor,0,\"\"X\"\",\"\"\"\",10,Data,\"\"\"\"\"\r\n");
            }),
            "Unknown field type (Cursor) in CSV file. (X=Cursor,0,\"X\",\"\",10,Data,\"\")");
  TwoxMemTable numbers;
  numbers.FieldDefs().Add(QStringLiteral("N"), ftInteger);
  numbers.Open();
  numbers.AppendRecord({7});
  EXPECT_EQ(MessageOf([&] { LoadBytes(numbers, "\"N\"\r\n\"1\"\r\n\"x\"\r\n\"3\"\r\n"); }),
            "'x' is not a valid integer value for field 'N' (line 3)");
  EXPECT_EQ(numbers.State(), dsBrowse);
  EXPECT_EQ(numbers.RecordCount(), 1); // the records posted before the error went again
  EXPECT_EQ(numbers.FieldByName("N")->AsInteger(), 7);
  TwoxCSVStreamFormat other;
  other.SetCSVFieldDelimiter(u';');
  other.SetCSVFieldDelimiter(QChar(0)); // ignored
  other.SetCSVQuote(u'\'');
  Format.Assign(other);
  EXPECT_EQ(Format.CSVFieldDelimiter(), u';');
  EXPECT_EQ(Format.CSVQuote(), u'\'');
  EXPECT_EQ(Format.Version(), "3.00");
}
