#include "MemTableFixture.h"
#include "StreamBytes.h"

#include "DataSource.h"
#include "Fields.h"
#include "FormatSettings.h"
#include "woxMemCSVStreamFormat.h"

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>
#include <thread>

namespace {

// A format whose preparation fails after it has taken the table.
class TFailingSetupFormat : public TwoxCSVStreamFormat {
protected:
  void DetermineSaveFields(TwoxCustomMemTable &) override { throw EMemTableError("setup failed"); }
};

bool StoreLockIsFree(TwoxCommon &store) {
  bool locked = false;
  std::thread other([&] {
    TwoxStoreLock lock(store);
    locked = true;
  });
  other.join();
  return locked;
}

} // namespace

class StreamFormatTest : public MemTableFixture {
protected:
  void SetUp() override {
    MemTableFixture::SetUp();
    Table.SetDefaultFormat(&Format);
    Format.SetsfDef(0);
    Format.SetsfNoHeader(sfSaveNoHeader | sfLoadNoHeader);
    Fill({{"a", "", "A", 1}, {"b", "", "B", 2}, {"c", "", "A", 3}});
  }
  QString Path(const QString &name) const { return Folder.filePath(name); }
  static QByteArray Read(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
  }
  QByteArray Saved() { return SavedBytes(Table, Format); }

  QTemporaryDir Folder;
  TwoxCSVStreamFormat Format;
};

TEST_F(StreamFormatTest, AppendCreatesOrExtendsTheFile) {
  Format.SetsfAppend(sfSaveAppend);
  Table.SaveToFile(Path("t.txt"));
  const QByteArray once = Read(Path("t.txt"));
  EXPECT_EQ(once, "\"a\",\"\",\"A\",\"1\",\r\n\"b\",\"\",\"B\",\"2\",\r\n\"c\",\"\",\"A\",\"3\",\r\n");
  Table.SaveToFile(Path("t.txt"));
  EXPECT_EQ(Read(Path("t.txt")), once + once);
  Format.SetsfAppend(0);
  Table.SaveToFile(Path("t.txt"));
  EXPECT_EQ(Read(Path("t.txt")), once);
}

TEST_F(StreamFormatTest, RestrictionsAreIgnoredWhileSavingAndRestoredAfter) {
  Table.SetFilter(QStringLiteral("Grupa = 'A'"));
  Table.SetFiltered(true);
  EXPECT_EQ(Saved().count('\n'), 3);
  EXPECT_TRUE(Table.Filtered());
  EXPECT_EQ(Table.RecordCount(), 2);
  Format.SetsfFiltered(0);
  EXPECT_EQ(Saved().count('\n'), 2);
}

TEST_F(StreamFormatTest, DetailTableSavesAllItsRecords) {
  TwoxMemTable master;
  master.FieldDefs().Add(QStringLiteral("Grupa"), ftString, 20);
  master.Open();
  master.AppendRecord({"A"});
  TDataSource source;
  source.SetDataSet(&master);
  Table.SetMasterFields(QStringLiteral("Grupa"));
  Table.SetDetailFields(QStringLiteral("Grupa"));
  Table.SetMasterSource(&source);
  EXPECT_EQ(Table.RecordCount(), 2);
  EXPECT_EQ(Saved().count('\n'), 3);
  EXPECT_EQ(Table.RecordCount(), 2);
}

TEST_F(StreamFormatTest, InvisibleAndCalculatedFieldsFollowTheFlags) {
  Table.FieldByName("Baza")->SetVisible(false);
  Format.SetsfNonVisible(0);
  EXPECT_TRUE(Saved().startsWith("\"a\",\"A\",\"1\",\r\n"));
  Format.SetsfNonVisible(sfSaveNonVisible | sfLoadNonVisible);
  Format.SetsfData(0);
  EXPECT_TRUE(Saved().isEmpty());
}

TEST_F(StreamFormatTest, CalculatedFieldsAreNotSavedByDefault) {
  TwoxMemTable table;
  table.FieldDefs().Add(QStringLiteral("N"), ftInteger);
  auto *doubled = new TIntegerField(&table);
  doubled->SetFieldName(QStringLiteral("Doubled"));
  doubled->SetFieldKind(fkCalculated);
  auto *n = new TIntegerField(&table);
  n->SetFieldName(QStringLiteral("N"));
  n->SetDataSet(&table);
  doubled->SetDataSet(&table);
  table.OnCalcFields = [](TDataSet *dataSet) {
    dataSet->FieldByName("Doubled")->SetAsInteger(dataSet->FieldByName("N")->AsInteger() * 2);
  };
  table.Open();
  table.AppendRecord({21});
  EXPECT_EQ(table.FieldByName("Doubled")->AsInteger(), 42);
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::ReadWrite);
  table.SaveToStreamViaFormat(&buffer, &Format);
  EXPECT_EQ(bytes, "\"21\",\r\n");
  Format.SetsfCalculated(sfSaveCalculated);
  table.SaveToStreamViaFormat(&buffer, &Format);
  EXPECT_EQ(bytes, "\"21\",\"42\",\r\n");
}

TEST_F(StreamFormatTest, LimitsAndCompletion) {
  Table.SetSaveLimit(2);
  EXPECT_EQ(Saved().count('\n'), 2);
  EXPECT_FALSE(Table.SavedCompletely());
  Table.SetSaveLimit(-1);
  const QByteArray all = Saved();
  EXPECT_TRUE(Table.SavedCompletely());
  EXPECT_EQ(Table.SavedCount(), 3);
  TwoxMemTable copy;
  copy.FieldDefs().Assign(Table.FieldDefs());
  copy.Open();
  copy.SetLoadLimit(2);
  QByteArray bytes = all;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::ReadOnly);
  copy.LoadFromStreamViaFormat(&buffer, &Format);
  EXPECT_EQ(copy.RecordCount(), 2);
  EXPECT_FALSE(copy.LoadedCompletely());
}

TEST_F(StreamFormatTest, AutoRepositionReturnsToTheRecord) {
  const QByteArray more = "\"d\",\"\",\"B\",\"4\",\r\n";
  Table.SetAutoReposition(true);
  ASSERT_TRUE(Table.Locate("Nazwa", "b", {}));
  QByteArray bytes = more;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::ReadOnly);
  Table.LoadFromStreamViaFormat(&buffer, &Format);
  EXPECT_EQ(Table.RecordCount(), 4);
  EXPECT_EQ(Table.FieldByName("Nazwa")->AsString(), "b");
}

TEST_F(StreamFormatTest, FailedSaveReleasesTheTableAndKeepsTheFile) {
  QFile old(Path("keep.txt"));
  ASSERT_TRUE(old.open(QIODevice::WriteOnly));
  old.write("previous");
  old.close();
  Table.OnSaveRecord = [](TDataSet *, bool &) { throw EMemTableError("refused"); };
  EXPECT_EQ(MessageOf([&] { Table.SaveToFile(Path("keep.txt")); }), "refused");
  EXPECT_EQ(Read(Path("keep.txt")), "previous");
  EXPECT_FALSE(Table.ControlsDisabled());
  EXPECT_EQ(Table.Operation(), mtoNone);
  EXPECT_TRUE(StoreLockIsFree(Table.Common()));
}

TEST_F(StreamFormatTest, FailedPreparationReleasesTheTableAndSettings) {
  TFailingSetupFormat failing;
  TFormatSettingsScope restore;
  FormatSettings().DecimalSeparator = u',';
  Table.SetFilter(QStringLiteral("N > 1"));
  Table.SetFiltered(true);
  EXPECT_EQ(MessageOf([&] { Table.SaveToFileViaFormat(Path("f.txt"), &failing); }), "setup failed");
  EXPECT_FALSE(QFile::exists(Path("f.txt")));
  EXPECT_FALSE(Table.ControlsDisabled());
  EXPECT_TRUE(Table.Filtered());
  EXPECT_EQ(FormatSettings().DecimalSeparator, u',');
  EXPECT_TRUE(StoreLockIsFree(Table.Common()));
}

TEST_F(StreamFormatTest, CompressionEventsWrapTheStream) {
  Format.OnCompress = [](TDataSet *, QIODevice *plain, QIODevice *packed) {
    packed->write("Z" + plain->readAll());
  };
  Format.OnDeCompress = [](TDataSet *, QIODevice *packed, QIODevice *plain) {
    plain->write(packed->readAll().mid(1));
  };
  const QByteArray bytes = Saved();
  EXPECT_TRUE(bytes.startsWith("Z\"a\""));
  TwoxMemTable copy;
  copy.FieldDefs().Assign(Table.FieldDefs());
  copy.Open();
  QByteArray input = bytes;
  QBuffer buffer(&input);
  buffer.open(QIODevice::ReadOnly);
  copy.LoadFromStreamViaFormat(&buffer, &Format);
  EXPECT_EQ(copy.RecordCount(), 3);
}

TEST_F(StreamFormatTest, NothingToLoadInto) {
  TwoxMemTable closed;
  QByteArray bytes = "\"x\"\r\n";
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::ReadOnly);
  EXPECT_EQ(MessageOf([&] { closed.LoadFromStreamViaFormat(&buffer, &Format); }),
            "Couldnt determine field count for load.");
  EXPECT_EQ(MessageOf([&] { closed.LoadFromStreamViaFormat(&buffer, nullptr); }), "No format specified.");
  EXPECT_EQ(MessageOf([&] { closed.SaveToFile(Path("x")); }),
            "Cannot perform this operation on a closed dataset");
}

TEST_F(StreamFormatTest, PersistentFileIsLoadedOnOpenAndSavedOnClose) {
  TwoxCSVStreamFormat persistent;
  Table.SetPersistentFormat(&persistent);
  Table.SetPersistentFile(Path("data.csv"));
  Table.SetPersistent(true);
  Table.SetPersistentBackup(true);
  Table.SetPersistentBackupExt(QStringLiteral(".bak"));
  Table.Close(); // saved
  EXPECT_TRUE(QFile::exists(Path("data.csv")));
  Table.Open(); // loaded
  EXPECT_EQ(Column("Nazwa"), QStringList({"a", "b", "c"}));
  Table.AppendRecord({"d"});
  Table.Close();
  EXPECT_TRUE(QFile::exists(Path("data.bak")));
  EXPECT_FALSE(QFile::exists(Path("data.$$$")));
  {
    TwoxMemTable reader;
    reader.FieldDefs().Assign(Table.FieldDefs());
    reader.SetPersistentFormat(&persistent);
    reader.SetPersistentFile(Path("data.csv"));
    reader.SetPersistent(true);
    reader.Open();
    EXPECT_EQ(reader.RecordCount(), 4);
    reader.AppendRecord({"e"});
  } // freed while active: saved
  TwoxMemTable check;
  check.SetDefaultFormat(&persistent);
  check.LoadFromFile(Path("data.csv"));
  EXPECT_EQ(check.RecordCount(), 5);
}

TEST_F(StreamFormatTest, PersistentSaveReplacesTheFileInOneStepAndKeepsTheOldAsBackup) {
  TwoxCSVStreamFormat persistent;
  Table.SetPersistentFormat(&persistent);
  Table.SetPersistentFile(Path("data.csv"));
  Table.SetPersistent(true);
  Table.Close(); // the first save: no old file, no backup
  EXPECT_FALSE(QFile::exists(Path("data.bak")));
  const QByteArray first = Read(Path("data.csv"));
  Table.SetPersistentBackup(true);
  Table.SetPersistentBackupExt(QStringLiteral("bak"));
  Table.Open();
  Table.AppendRecord({"d"});
  Table.Close();
  EXPECT_EQ(Read(Path("data.bak")), first);
  EXPECT_TRUE(Read(Path("data.csv")).contains("\"d\""));
  EXPECT_FALSE(QFile::exists(Path("data.$$$")));
  // A backup of the same name as the file itself would be the file: it is left alone.
  Table.SetPersistentBackupExt(QStringLiteral("csv"));
  Table.Open();
  Table.Close();
  EXPECT_TRUE(Read(Path("data.csv")).contains("\"d\""));
}

TEST_F(StreamFormatTest, DataStoredOnAFormComesBackWhenTheTableOpens) {
  TwoxCSVStreamFormat formFormat;
  Table.SetFormFormat(&formFormat);
  QByteArray data;
  QBuffer stream(&data);
  stream.open(QIODevice::WriteOnly);
  Table.WriteData(&stream);
  EXPECT_TRUE(data.isEmpty()) << "not stored without StoreDataOnForm";
  Table.SetStoreDataOnForm(true);
  EXPECT_TRUE(Table.DataStored());
  Table.WriteData(&stream);
  stream.close();
  EXPECT_FALSE(data.isEmpty());
  for (const bool store : {true, false}) {
    TwoxMemTable copy;
    copy.FieldDefs().Assign(Table.FieldDefs());
    copy.SetFormFormat(&formFormat);
    copy.SetStoreDataOnForm(store);
    EXPECT_FALSE(copy.DataStored()); // closed
    QBuffer read(&data);
    read.open(QIODevice::ReadOnly);
    copy.ReadData(&read);
    copy.Open();
    EXPECT_EQ(copy.RecordCount(), store ? 3 : 0) << store;
    copy.Close();
    copy.Open();
    EXPECT_EQ(copy.RecordCount(), 0) << "the bytes are dropped once used";
  }
}

TEST_F(StreamFormatTest, FormatReferencesAreClearedWhenFormatsGo) {
  {
    TwoxCSVStreamFormat temporary;
    Table.SetDefaultFormat(&temporary);
    Table.SetPersistentFormat(&temporary);
    Table.SetCommaTextFormat(&temporary);
    Table.SetFormFormat(&temporary);
  }
  EXPECT_EQ(Table.DefaultFormat(), nullptr);
  EXPECT_EQ(Table.PersistentFormat(), nullptr);
  EXPECT_EQ(Table.CommaTextFormat(), nullptr);
  EXPECT_EQ(Table.FormFormat(), nullptr);
  EXPECT_EQ(MessageOf([&] { Table.SaveToFile(Path("x")); }), "No format specified.");
}
