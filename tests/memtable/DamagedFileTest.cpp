// Loads of damaged and hostile CSV files: each one gives a clear error naming its line, and the table
// keeps its records, definitions and open state.
#include "ErrorText.h"
#include "StreamBytes.h"

#include "Fields.h"
#include "woxMemCSVStreamFormat.h"
#include "woxMemTable.h"
#include "woxMemTableError.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <cerrno>
#include <csignal>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/resource.h>

namespace {

// What a failed load must leave as it was.
struct TTableState {
  bool Active = false;
  QStringList Fields, IndexDefs, Rows;

  bool operator==(const TTableState &) const = default;
};

void PrintTo(const TTableState &state, std::ostream *out) {
  *out << (state.Active ? "open" : "closed") << " fields " << state.Fields.join(u' ').toStdString()
       << " rows " << state.Rows.join(u'|').toStdString();
}

TTableState StateOf(TwoxMemTable &table) {
  TTableState state;
  state.Active = table.Active();
  for (int i = 0; i < table.FieldDefs().Count(); ++i) {
    const TFieldDef &def = *table.FieldDefs().Items(i);
    state.Fields << QStringLiteral("%1:%2:%3").arg(def.Name()).arg(int(def.DataType())).arg(def.Size());
  }
  for (int i = 0; i < table.IndexDefs().Count(); ++i)
    state.IndexDefs << table.IndexDefs().Items(i)->Name();
  if (table.Active())
    for (table.First(); !table.Eof(); table.Next()) {
      QStringList values;
      for (const TField *field : table.FieldList())
        values << (field->IsNull() ? QStringLiteral("<null>") : field->AsString());
      state.Rows << values.join(u',');
    }
  return state;
}

QByteArray LinesUpTo(const QByteArray &bytes, int count) {
  const QList<QByteArray> lines = bytes.split('\n');
  return lines.mid(0, count).join('\n') + (count > 0 ? "\n" : "");
}

class DamagedFileTest : public ::testing::Test {
protected:
  void SetUp() override {
    // The table a load goes into: its own structure, records and an index.
    Target.FieldDefs().Add(QStringLiteral("Kod"), ftInteger);
    Target.FieldDefs().Add(QStringLiteral("Opis"), ftString, 40);
    Target.IndexDefs().Add(QStringLiteral("ByKod"), QStringLiteral("Kod"), ixUnique);
    Target.Open();
    Target.AppendRecord({1, QString::fromUtf8("pierwszy wpis")});
    Target.AppendRecord({2, QString::fromUtf8("drugi, z przecinkiem i \"cudzysłowem\"")});
  }

  // Loads the bytes; answers the error message, or "<no error>".
  QString Load(TwoxMemTable &table, const QByteArray &bytes) {
    return MessageOf([&] { LoadBytes(table, Format, bytes); });
  }
  // A saved database list: definitions with an index, a header and three records.
  QByteArray SavedList() {
    TwoxMemTable list;
    list.FieldDefs().Add(QStringLiteral("Nazwa"), ftString, 200);
    list.FieldDefs().Add(QStringLiteral("Baza"), ftString, 255);
    list.FieldDefs().Add(QStringLiteral("Grupa"), ftString, 30);
    list.IndexDefs().Add(QStringLiteral("ByName"), QStringLiteral("Nazwa"), ixUnique);
    list.Open();
    list.AppendRecord({QString::fromUtf8("Księgowość"), "serwer:/bazy/ks.fdb", "KORVIN"});
    list.AppendRecord({"Kadry", QVariant(), "VELDAR"});
    list.AppendRecord({QString::fromUtf8("Płace \"nowe\""), "serwer:/bazy/pl.fdb", "TORMISK"});
    return SavedBytes(list, Format);
  }

  TwoxCSVStreamFormat Format;
  TwoxMemTable Target;
};

TEST_F(DamagedFileTest, FileCutAtEveryLineLoadsWholeOrNotAtAll) {
  const QByteArray saved = SavedList();
  const QList<QByteArray> lines = saved.split('\n');
  const int tableEnd = int(lines.indexOf("\"@@TABLEDEF END@@\"\r"));
  ASSERT_EQ(tableEnd, 8);
  for (int kept = 1; kept < lines.size(); ++kept) {
    TwoxMemTable target;
    target.FieldDefs().Assign(Target.FieldDefs());
    target.Open();
    target.AppendRecord({7, "kept"});
    const TTableState before = StateOf(target);
    const QString message = Load(target, LinesUpTo(saved, kept));
    if (kept >= 2 && kept <= tableEnd) {
      // Cut inside the definitions: refused, nothing lost.
      EXPECT_EQ(message,
                QStringLiteral("The data ends inside the table definitions; the file is damaged (line %1)")
                    .arg(kept + 1))
          << kept;
      EXPECT_EQ(StateOf(target), before) << kept;
    } else if (kept > tableEnd) {
      // Cut between records: a shorter list, which is a sound file.
      EXPECT_EQ(message, "<no error>") << kept;
      EXPECT_EQ(target.FieldCount(), 3) << kept;
      EXPECT_EQ(target.RecordCount(), std::max(0, kept - tableEnd - 2)) << kept;
    }
  }
}

TEST_F(DamagedFileTest, LineCutInsideAQuotedValueIsRefused) {
  const QByteArray saved = SavedList();
  const qsizetype lastLine = saved.lastIndexOf("\"P");
  ASSERT_GT(lastLine, 0);
  const TTableState before = StateOf(Target);
  EXPECT_EQ(Load(Target, saved.left(lastLine + 5)),
            "A quoted value is not closed; the file is damaged (line 13)");
  EXPECT_EQ(StateOf(Target), before);
}

TEST_F(DamagedFileTest, FieldSizesOutOfRangeAreRefusedWithTheirLine) {
  struct Case {
    const char *Definition;
    const char *Message;
  };
  const Case cases[] = {
      {"A=String,-1", "Size -1 of field A is out of range (0 to 32767). (line 3)"},
      {"A=VarBytes,-1", "Size -1 of field A is out of range (0 to 32767). (line 3)"},
      {"A=Bytes,2147483647", "Size 2147483647 of field A is out of range (0 to 32767). (line 3)"},
      {"A=String,2147483648", "Size 2147483648 of field A is out of range (0 to 32767). (line 3)"},
      {"A=String,99999999999999999999", "Size '99999999999999999999' of field A is not a number (line 3)"},
      {"A=String,1000000000", "Size 1000000000 of field A is out of range (0 to 32767). (line 3)"},
      {"A=String,32768", "Size 32768 of field A is out of range (0 to 32767). (line 3)"},
      {"A=String,x", "Size 'x' of field A is not a number (line 3)"},
      {"A=ADT,0", "Fielddef A (A) Datatype 26 not supported. (line 3)"},
      {"A=Array,3", "Fielddef A (A) Datatype 27 not supported. (line 3)"},
      {"=String,10", "Field name missing (line 3)"},
  };
  const TTableState before = StateOf(Target);
  for (const Case &c : cases) {
    const QByteArray file = QByteArray("\"@@FILE VERSION@@\",\"251\"\r\n\"@@TABLEDEF START@@\"\r\n\"") +
                            c.Definition + "\"\r\n\"@@TABLEDEF END@@\"\r\n\"A\"\r\n\"x\"\r\n";
    EXPECT_EQ(Load(Target, file), QString::fromLatin1(c.Message)) << c.Definition;
    EXPECT_EQ(StateOf(Target), before) << c.Definition;
  }
  // Two fields that each fit, whatever their declared sizes add up to.
  TwoxMemTable wide;
  EXPECT_EQ(
      Load(wide,
           "\"@@TABLEDEF START@@\"\r\n\"A=String,32767\"\r\n\"B=String,32767\"\r\n\"@@TABLEDEF END@@\"\r\n"
           "\"A\",\"B\"\r\n\"x\",\"y\"\r\n"),
      "<no error>");
  EXPECT_EQ(wide.RecordCount(), 1);
  EXPECT_EQ(wide.FieldByName("B")->AsString(), "y");
}

TEST_F(DamagedFileTest, DuplicateFieldsAndTooManyFieldsAreRefused) {
  const TTableState before = StateOf(Target);
  EXPECT_EQ(
      Load(Target, "\"@@TABLEDEF START@@\"\r\n\"A=String,5\"\r\n\"a=Integer,0\"\r\n\"@@TABLEDEF END@@\"\r\n"),
      "Duplicate field name 'a' (line 3)");
  QByteArray many = "\"@@TABLEDEF START@@\"\r\n";
  for (int i = 0; i <= 256; ++i)
    many += QStringLiteral("\"F%1=Integer,0\"\r\n").arg(i).toLatin1();
  EXPECT_EQ(Load(Target, many + "\"@@TABLEDEF END@@\"\r\n"),
            "Too many fielddefs. Please raise WOX_MAX_FIELDS value. (line 258)");
  EXPECT_EQ(StateOf(Target), before);
}

TEST_F(DamagedFileTest, BlankFirstLineLoadsNothingWhateverTheSize) {
  for (const int records : {1, 2000}) { // a few bytes, and far more than one read block
    QByteArray file = "\r\n\"Kod\",\"Opis\"\r\n";
    for (int i = 0; i < records; ++i)
      file += QStringLiteral("%1,\"opis %1\"\r\n").arg(i + 100).toLatin1();
    ASSERT_EQ(file.size() > 8192, records > 1);
    const TTableState before = StateOf(Target);
    EXPECT_EQ(Load(Target, file), "<no error>") << records;
    EXPECT_EQ(StateOf(Target), before) << records;
  }
}

TEST_F(DamagedFileTest, TextLongerThanItsFieldIsRefusedNotCut) {
  const TTableState before = StateOf(Target);
  EXPECT_EQ(Load(Target, "\"Kod\",\"Opis\"\r\n3,\"ok\"\r\n4,\"" + QByteArray(41, 'x') + "\"\r\n"),
            "A text of 41 characters does not fit field Opis of size 40 (line 3)");
  EXPECT_EQ(StateOf(Target), before);
  // Exactly the size loads; a memo takes any length.
  EXPECT_EQ(Load(Target, "\"Kod\",\"Opis\"\r\n4,\"" + QByteArray(40, 'x') + "\"\r\n"), "<no error>");
  EXPECT_EQ(Target.RecordCount(), 3);
  TwoxMemTable notes;
  notes.FieldDefs().Add(QStringLiteral("M"), ftMemo);
  notes.FieldDefs().Add(QStringLiteral("V"), ftVarBytes, 2);
  notes.Open();
  EXPECT_EQ(Load(notes, "\"M\",\"V\"\r\n\"" + QByteArray(100000, 'm') + "\",\"%%\"\r\n"), "<no error>");
  EXPECT_EQ(notes.FieldByName("M")->AsString().size(), 100000);
  EXPECT_EQ(Load(notes, "\"M\",\"V\"\r\n\"m\",\"" +
                            TwoxCustomCSVStreamFormat::EncodeBinaryText("abc").toLatin1() + "\"\r\n"),
            "A value of 3 bytes does not fit field V of size 2 (line 2)");
  EXPECT_EQ(notes.RecordCount(), 1);
}

TEST_F(DamagedFileTest, ValuesThatDoNotConvertNameLineAndField) {
  const TTableState before = StateOf(Target);
  EXPECT_EQ(Load(Target, "\"Kod\",\"Opis\"\r\n3,\"a\"\r\n\r\n\r\n4x,\"b\"\r\n"),
            "'4x' is not a valid integer value for field 'Kod' (line 5)");
  EXPECT_EQ(StateOf(Target), before);
}

TEST_F(DamagedFileTest, RecordsBreakingAUniqueIndexUndoTheLoad) {
  const TTableState before = StateOf(Target);
  EXPECT_EQ(Load(Target, "\"Kod\",\"Opis\"\r\n5,\"a\"\r\n2,\"again\"\r\n"),
            "Duplicate index value. Operation aborted.");
  EXPECT_EQ(StateOf(Target), before);
  EXPECT_EQ(Load(Target, "\"Kod\",\"Opis\"\r\n5,\"a\"\r\n6,\"b\"\r\n"), "<no error>");
  EXPECT_EQ(Target.RecordCount(), 4);
}

TEST_F(DamagedFileTest, FailedLoadOfNewDefinitionsGivesBackTheOldStructure) {
  TTableState before = StateOf(Target);
  // The table's index needs a field that the new definitions lack.
  EXPECT_EQ(Load(Target, "\"@@TABLEDEF START@@\"\r\n\"N=Integer,0\"\r\n\"@@TABLEDEF END@@\"\r\n"),
            "Can't index on field Kod (line 3)");
  EXPECT_EQ(StateOf(Target), before);
  const QByteArray file =
      "\"@@TABLEDEF START@@\"\r\n\"N=Integer,0\"\r\n\"@@INDEXDEF START@@\"\r\n\"@@INDEXDEF END@@\"\r\n"
      "\"@@TABLEDEF END@@\"\r\n\"N\"\r\n1\r\nzz\r\n";
  EXPECT_EQ(Load(Target, file), "'zz' is not a valid integer value for field 'N' (line 8)");
  EXPECT_EQ(StateOf(Target), before);
  EXPECT_TRUE(Target.Locate("Kod", 2, {}));
  // Fields made by an earlier load are the very same objects afterwards, with what was set on them.
  TwoxMemTable list;
  ASSERT_EQ(Load(list, SavedList()), "<no error>");
  TField *name = list.FieldByName("Nazwa");
  name->SetDisplayLabel(QStringLiteral("Nazwa bazy"));
  before = StateOf(list);
  EXPECT_NE(Load(list, file), "<no error>");
  EXPECT_EQ(StateOf(list), before);
  EXPECT_EQ(list.FieldByName("Nazwa"), name);
  EXPECT_EQ(name->DisplayLabel(), "Nazwa bazy");
  // The same from a closed table: it stays closed with its definitions.
  Target.Close();
  before = StateOf(Target);
  EXPECT_NE(Load(Target, file), "<no error>");
  EXPECT_EQ(StateOf(Target), before);
}

TEST_F(DamagedFileTest, AttachedTableRefusesDefinitionsThatDifferFromItsOwner) {
  Target.Close();
  Target.SetAttachMaxCount(2);
  TwoxMemTable view;
  view.SetAttachedTo(&Target);
  Target.Open();
  Target.AppendRecord({1, "jeden"});
  view.Open();
  const TTableState owner = StateOf(Target), attached = StateOf(view);
  struct Case {
    const char *Definitions;
    const char *Message;
  };
  const Case cases[] = {
      {"\"Kod=Integer,0\"\r\n\"Opis=String,60\"\r\n",
       "Field Opis differs from the definitions of the table this table is attached to (line 3)"},
      {"\"Opis=String,40\"\r\n\"Kod=Integer,0\"\r\n",
       "Field Opis differs from the definitions of the table this table is attached to (line 2)"},
      {"\"Kod=Integer,0\"\r\n", "The table this table is attached to has 2 fields, the file 1 (line 3)"},
  };
  for (const Case &c : cases) {
    const QByteArray file =
        QByteArray("\"@@TABLEDEF START@@\"\r\n") + c.Definitions + "\"@@TABLEDEF END@@\"\r\n";
    EXPECT_EQ(Load(view, file), QString::fromLatin1(c.Message)) << c.Definitions;
    EXPECT_EQ(StateOf(Target), owner) << c.Definitions;
    EXPECT_EQ(StateOf(view), attached) << c.Definitions;
  }
  // The owner's own definitions load, and the records go into the shared store.
  EXPECT_EQ(
      Load(view,
           "\"@@TABLEDEF START@@\"\r\n\"Kod=Integer,0\"\r\n\"Opis=String,40\"\r\n\"@@TABLEDEF END@@\"\r\n"
           "\"Kod\",\"Opis\"\r\n9,\"dziewięć\"\r\n"),
      "<no error>");
  EXPECT_EQ(Target.RecordCount(), 2);
  // When the owner takes other definitions, the attached table will not open over them.
  view.Close();
  ASSERT_EQ(Load(Target, "\"@@TABLEDEF START@@\"\r\n\"Kod=Integer,0\"\r\n\"@@INDEXDEF START@@\"\r\n"
                         "\"@@INDEXDEF END@@\"\r\n\"@@TABLEDEF END@@\"\r\n"),
            "<no error>");
  EXPECT_EQ(MessageOf([&] { view.Open(); }),
            "The field definitions differ from those of the table this table is attached to");
  EXPECT_FALSE(view.Active());
}

TEST_F(DamagedFileTest, NamesWithBlanksQuotesAndPolishLettersRoundTrip) {
  TwoxMemTable table;
  table.FieldDefs().Add(QString::fromUtf8("Nazwa użytkownika"), ftString, 20);
  table.FieldDefs().Add(QStringLiteral("Pole \"x\""), ftInteger);
  table.Open();
  table.AppendRecord({QString::fromUtf8("Łukasz Żółw"), 5});
  const QByteArray bytes = SavedBytes(table, Format);
  TwoxMemTable copy;
  EXPECT_EQ(Load(copy, bytes), "<no error>");
  EXPECT_EQ(StateOf(copy), StateOf(table));
}

TEST_F(DamagedFileTest, FieldsWithTheSameLabelKeepTheirOwnValues) {
  TwoxMemTable table;
  table.FieldDefs().Add(QStringLiteral("Nazwa"), ftString, 20);
  table.FieldDefs().Add(QStringLiteral("Skrot"), ftString, 5);
  table.Open();
  table.FieldByName("Skrot")->SetDisplayLabel(QStringLiteral("Nazwa"));
  table.AppendRecord({QStringLiteral("Kadry i płace"), QStringLiteral("KiP")});
  const QByteArray bytes = SavedBytes(table, Format);
  TwoxMemTable copy;
  ASSERT_EQ(Load(copy, bytes), "<no error>");
  EXPECT_EQ(copy.FieldByName("Nazwa")->AsString(), QString::fromUtf8("Kadry i płace"));
  EXPECT_EQ(copy.FieldByName("Skrot")->AsString(), "KiP");
}

// Over 10,000 records, so that a path that is quadratic in the record count shows in the
// benchmark's figures long before it could make this test slow.
TEST_F(DamagedFileTest, TwentyThousandRecordsRoundTripWithAUniqueIndex) {
  constexpr int Records = 20000;
  TwoxMemTable table;
  table.FieldDefs().Add(QStringLiteral("ID"), ftInteger);
  table.FieldDefs().Add(QStringLiteral("Nazwa"), ftString, 30);
  table.IndexDefs().Add(QStringLiteral("ById"), QStringLiteral("ID"), ixUnique);
  table.IndexDefs().Add(QStringLiteral("ByName"), QStringLiteral("Nazwa"), {});
  table.Open();
  for (int i = 0; i < Records; ++i)
    table.AppendRecord({(i * 7919) % Records, QString::fromUtf8("Użytkownik %1").arg(i % 977)});
  const QByteArray bytes = SavedBytes(table, Format);
  TwoxMemTable copy;
  ASSERT_EQ(Load(copy, bytes), "<no error>");
  EXPECT_EQ(copy.RecordCount(), Records);
  copy.SetIndexName(QStringLiteral("ById"));
  copy.First();
  EXPECT_EQ(copy.FieldByName("ID")->AsInteger(), 0);
  copy.Last();
  EXPECT_EQ(copy.FieldByName("ID")->AsInteger(), Records - 1);
  ASSERT_TRUE(copy.Locate("ID", 12345, {}));
  EXPECT_EQ(copy.RecNo(), 12346);
  EXPECT_EQ(Load(copy, bytes.left(bytes.size() - 2) + "\r\n\"0\",\"dubel\"\r\n"),
            "Duplicate index value. Operation aborted.");
  EXPECT_EQ(copy.RecordCount(), Records);
}

// A line is refused once it passes the bound, before the memory for more of it is taken, with an
// end or without one; a line of exactly the bound loads.
TEST_F(DamagedFileTest, LinePastTheBoundIsRefusedWithItsNumber) {
  constexpr qsizetype Max = TwoxCustomCSVStreamFormat::MaxLineLength;
  const QByteArray header = "\"Kod\",\"Opis\",\"Uwagi\"\r\n";
  TwoxMemTable notes;
  notes.FieldDefs().Add(QStringLiteral("Kod"), ftInteger);
  notes.FieldDefs().Add(QStringLiteral("Opis"), ftString, 40);
  notes.FieldDefs().Add(QStringLiteral("Uwagi"), ftMemo);
  notes.Open();
  notes.AppendRecord({1, QStringLiteral("jeden"), QStringLiteral("krótko")});
  const TTableState before = StateOf(notes);
  const QString tooLong =
      QStringLiteral("The line is longer than 8 MiB; the file is damaged or not a table file (line %1)");
  struct Case {
    const char *Label;
    QByteArray File;
    int Line;
  };
  const Case cases[] = {
      {"value with a line end", header + "2,\"a\",\"" + QByteArray(Max, 'm') + "\"\r\n", 2},
      {"no line end at all", header + "2,\"a\",\"" + QByteArray(Max + 100, 'm'), 2},
      {"first line", QByteArray(Max + 1, 'x'), 1},
      {"after blank lines", header + "2,\"a\",\"b\"\r\n\r\n\n\n" + QByteArray(Max + 1, '9'), 6},
  };
  for (const Case &c : cases) {
    EXPECT_EQ(Load(notes, c.File), tooLong.arg(c.Line)) << c.Label;
    EXPECT_EQ(StateOf(notes), before) << c.Label;
  }
  const QByteArray longest = "2,\"a\",\"" + QByteArray(Max - 8, 'm') + '"';
  ASSERT_EQ(longest.size(), Max);
  EXPECT_EQ(Load(notes, header + longest + "\r\n"), "<no error>");
  EXPECT_EQ(notes.RecordCount(), 2);
}

// A file that a failed save must leave as it was, alone in a folder of its own.
class SaveOverAFileTest : public DamagedFileTest {
protected:
  void SetUp() override {
    DamagedFileTest::SetUp();
    ASSERT_TRUE(WriteOld());
    Notes.FieldDefs().Add(QStringLiteral("Uwagi"), ftMemo);
    Notes.Open();
  }
  bool WriteOld() {
    QFile old(File);
    return old.open(QIODevice::WriteOnly) && old.write("old bytes") == 9;
  }
  QString Save() {
    return MessageOf([&] { Notes.SaveToFileViaFormat(File, &Format); });
  }
  void ExpectUnchanged() const {
    QFile old(File);
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    EXPECT_EQ(old.readAll(), QByteArray("old bytes"));
    EXPECT_EQ(QDir(Dir.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("lista.txt")});
  }

  QTemporaryDir Dir;
  const QString File = Dir.filePath(QStringLiteral("lista.txt"));
  TwoxMemTable Notes;
};

// A save refuses a record that would not load again.
TEST_F(SaveOverAFileTest, RecordThatWouldNotLoadAgainIsRefused) {
  Notes.AppendRecord({QString(TwoxCustomCSVStreamFormat::MaxLineLength, u'm')});
  EXPECT_EQ(Save(),
            QStringLiteral("A line of %1 bytes is longer than the 8 MiB a line of the file may take")
                .arg(TwoxCustomCSVStreamFormat::MaxLineLength + 3)); // the quotes and the record delimiter
  ExpectUnchanged();
}

// The kernel cuts the process's writes off past 64 KiB (RLIMIT_FSIZE) as a full disk would: the save
// names the system's reason.
TEST_F(SaveOverAFileTest, FullDiskGivesTheSystemsReason) {
  for (int i = 0; i < 200; ++i)
    Notes.AppendRecord({QString(1000, QChar(u'a' + i % 26))});
  rlimit saved{};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
  const auto handler = std::signal(SIGXFSZ, SIG_IGN);
  const rlimit limited{64 << 10, saved.rlim_max};
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
  const QString message = Save();
  ::setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, handler);
  EXPECT_EQ(message, QStringLiteral("Cannot write file \"%1\". %2").arg(File, SystemErrorText(EFBIG)));
  ExpectUnchanged();
}

// A message quotes the start of a long value, not all of it.
TEST_F(DamagedFileTest, LongValuesAreCutInMessages) {
  const QString start = QString(60, u'4');
  const TTableState before = StateOf(Target);
  EXPECT_EQ(Load(Target, "\"Kod\",\"Opis\"\r\n" + QByteArray(1 << 20, '4') + "x,\"b\"\r\n"),
            QStringLiteral("'%1...' is not a valid integer value for field 'Kod' (line 2)").arg(start));
  const QByteArray longType = QByteArray(100000, 'T');
  EXPECT_EQ(Load(Target, "\"@@TABLEDEF START@@\"\r\n\"A=" + longType + ",10\"\r\n\"@@TABLEDEF END@@\"\r\n"),
            QStringLiteral("Unknown field type (%1...) in CSV file. (A=%2...)")
                .arg(QString(60, u'T'), QString(58, u'T')));
  EXPECT_EQ(StateOf(Target), before);
}

// UTF-16 text, with a byte order mark or without, and UTF-8 text with its mark are named for what
// they are, not read as columns of odd names.
TEST_F(DamagedFileTest, UnicodeFileIsNotTakenForWindows1250) {
  const QString text =
      QString::fromUtf8("\"@@FILE VERSION@@\",\"251\"\r\n\"Kod\",\"Opis\"\r\n3,\"Łódź\"\r\n");
  const QString header = QString::fromUtf8("\"Kod\",\"Opis\"\r\n3,\"żółw\"\r\n");
  const QString utf16 = QStringLiteral("The file is not Windows-1250 text: it is UTF-16");
  const QString utf8 = QStringLiteral("The file is not Windows-1250 text: it is UTF-8");
  struct Case {
    const char *Label;
    QStringConverter::Encoding Encoding;
    bool Bom;
    QString Text;
    QString Error;
  };
  const Case cases[] = {
      {"little endian with a mark", QStringConverter::Utf16LE, true, text, utf16},
      {"little endian", QStringConverter::Utf16LE, false, text, utf16},
      {"big endian with a mark", QStringConverter::Utf16BE, true, text, utf16},
      {"big endian", QStringConverter::Utf16BE, false, text, utf16},
      {"little endian header only", QStringConverter::Utf16LE, false, header, utf16},
      {"big endian header only", QStringConverter::Utf16BE, false, header, utf16},
      {"UTF-8 with a mark", QStringConverter::Utf8, true, text, utf8},
      {"UTF-8 header with a mark", QStringConverter::Utf8, true, header, utf8},
      {"UTF-8 mark and one letter", QStringConverter::Utf8, true, QStringLiteral("x"), utf8},
  };
  const TTableState before = StateOf(Target);
  for (const Case &c : cases) {
    QStringEncoder encoder(c.Encoding,
                           c.Bom ? QStringConverter::Flag::WriteBom : QStringConverter::Flag::Default);
    const QByteArray bytes = encoder.encode(c.Text);
    EXPECT_EQ(Load(Target, bytes), c.Error) << c.Label;
    EXPECT_EQ(StateOf(Target), before) << c.Label;
  }
}

} // namespace
