#include "StoreFixture.h"

#include "Win1250.h"
#include "woxMemTableError.h"

#include <algorithm>
#include <cstring>

class RecordStoreTest : public StoreFixture {};

TEST_F(RecordStoreTest, FreedIdsAreReusedLastFreedFirst) {
  Define({{"ID", ftInteger, 0}});
  for (int i = 0; i < 6; ++i)
    Add({i});
  Store.DeleteRecord(3);
  Store.DeleteRecord(5);
  EXPECT_EQ(Store.Record(3), nullptr);
  EXPECT_EQ(Store.RecordCount(), 4);
  const int uniqueBefore = Store.Record(4)->UniqueRecordID;
  TwoxRecord *first = Add({10});
  TwoxRecord *second = Add({11});
  EXPECT_EQ(first->RecordID, 5);
  EXPECT_EQ(second->RecordID, 3);
  EXPECT_GT(second->UniqueRecordID, first->UniqueRecordID);
  EXPECT_GT(first->UniqueRecordID, uniqueBefore);
  EXPECT_TRUE(first->Flags & mtrfFilled);
  EXPECT_EQ(Add({12})->RecordID, 6);
}

TEST_F(RecordStoreTest, EmptyingDrawsNewTableIdAndResetsCounters) {
  Define({{"ID", ftInteger, 0}});
  Add({1});
  Add({2});
  const quint32 id = Store.TableID();
  Store.Empty();
  EXPECT_NE(Store.TableID(), id);
  EXPECT_EQ(Store.RecordCount(), 0);
  EXPECT_EQ(Add({3})->RecordID, 0);
}

TEST_F(RecordStoreTest, VersioningMarksAppendedRecordsInserted) {
  Define({{"ID", ftInteger, 0}});
  EXPECT_EQ(Add({1})->UpdateStatus, mtusUnmodified);
  Store.SetEnableVersioning(true);
  EXPECT_EQ(Add({2})->UpdateStatus, mtusInserted);
}

TEST_F(RecordStoreTest, LocaleParts) {
  EXPECT_EQ(Store.LocaleID(), 1024);
  EXPECT_EQ(Store.LanguageID(), 0);
  EXPECT_EQ(Store.SubLanguageID(), 1);
  EXPECT_EQ(Store.SortID(), 0);
  Store.SetLocaleID(0x50415); // sort 5, Polish, sub-language 1
  EXPECT_EQ(Store.SortID(), 5);
  EXPECT_EQ(Store.LanguageID(), 0x15);
  EXPECT_EQ(Store.SubLanguageID(), 1);
  Store.SetSortID(0);
  Store.SetSubLanguageID(2);
  EXPECT_EQ(Store.LocaleID(), 2 * 1024 + 0x15);
}

TEST_F(RecordStoreTest, WhereValuesAreStoredByPerformance) {
  struct Case {
    TwoxMemTablePerformance performance;
    int size;
    quint8 flags;
  };
  for (const Case &c : {Case{mtpfBalanced, 12, 0}, Case{mtpfBalanced, 13, mtffOutside}, Case{mtpfFast, 12, 0},
                        Case{mtpfFast, 13, 0}, Case{mtpfSmall, 13, mtffOutside | mtffCompressed}}) {
    TTestDataSet fields;
    fields.FieldDefs().Add(QStringLiteral("S"), ftString, c.size);
    fields.FieldDefs().Add(QStringLiteral("M"), ftMemo, 0);
    fields.Open();
    TwoxCommon store(&fields);
    store.SetPerformance(c.performance);
    store.ComputeLayout(fields.FieldDefs());
    EXPECT_EQ(store.FieldInfo(1)->Flags, c.flags) << c.performance << " size " << c.size;
    EXPECT_EQ(store.FieldInfo(1)->Offset < 0, bool(c.flags & mtffOutside));
    EXPECT_EQ(store.FieldInfo(2)->Flags, mtffOutside); // blobs always live outside
  }
}

TEST_F(RecordStoreTest, OutsideValuesRoundTripThroughCompressionHooks) {
  Define({{"S", ftString, 40}}, mtpfSmall);
  Store.CompressField = [](TField *, const QByteArray &bytes) { return QByteArray(bytes).prepend('Z'); };
  Store.DecompressField = [](TField *, const QByteArray &bytes) { return bytes.mid(1); };
  TwoxRecord *record = Add({QStringLiteral("a longer text value")});
  EXPECT_EQ(record->Outside(0).Block, QByteArray("Za longer text value"));
  char buffer[41];
  ASSERT_TRUE(Store.ReadField(*record, Field("S"), buffer));
  EXPECT_STREQ(buffer, "a longer text value");
  Put(*record, Field("S"), QVariant());
  EXPECT_FALSE(Store.ReadField(*record, Field("S"), nullptr));
}

TEST_F(RecordStoreTest, CopiesShareOutsideValuesUntilChanged) {
  Define({{"S", ftString, 40}}, mtpfBalanced);
  TwoxRecord *record = Add({QStringLiteral("original text value")});
  auto copy = record->Copy();
  Put(*record, Field("S"), QStringLiteral("changed text value"));
  char buffer[41];
  Store.ReadField(*copy, Field("S"), buffer);
  EXPECT_STREQ(buffer, "original text value");
}

// Texts of up to 254 bytes keep their length in one byte, longer ones in two: values at and around
// that limit, written over one record in turn, each read back with its neighbours untouched.
TEST_F(RecordStoreTest, TextsAtTheLengthWordLimitRoundTrip) {
  Define({{"Narrow", ftString, 253}, {"Wide", ftString, 254}, {"Short", ftString, 10}, {"N", ftInteger, 0}});
  ASSERT_EQ(Store.FieldInfo(1)->SlotWidth, 1);
  ASSERT_EQ(Store.FieldInfo(2)->SlotWidth, 2);
  struct Case {
    const char *name;
    QVariant narrow, wide, shortText;
  };
  const QString full253(253, u'a'), full254(254, u'b');
  const Case cases[] = {
      {"all null", QVariant(), QVariant(), QVariant()},
      {"full lengths", full253, full254, QStringLiteral("0123456789")},
      {"empty texts", QString(), QString(), QString()},
      {"narrow full, others null", full253, QVariant(), QVariant()},
      {"one byte below the limits", QString(252, u'c'), QString(253, u'd'), QStringLiteral("x")},
      {"narrow shrinks, wide grows", QStringLiteral("kot"), full254, QStringLiteral("ąęłńóśźż")},
  };
  auto record = Store.AllocRecord();
  Put(*record, Field("N"), 7);
  for (const Case &c : cases) {
    Put(*record, Field("Narrow"), c.narrow);
    Put(*record, Field("Wide"), c.wide);
    Put(*record, Field("Short"), c.shortText);
    const std::pair<const char *, QVariant> expected[] = {
        {"Narrow", c.narrow}, {"Wide", c.wide}, {"Short", c.shortText}};
    for (const auto &[name, value] : expected) {
      char buffer[256] = {};
      const bool present = Store.ReadField(*record, Field(name), buffer);
      EXPECT_EQ(present, !value.isNull()) << c.name << ": " << name;
      if (present) {
        EXPECT_EQ(Win1250::Decode(buffer, int(std::strlen(buffer))), value.toString())
            << c.name << ": " << name;
      }
    }
    qint32 n = 0;
    EXPECT_TRUE(Store.ReadField(*record, Field("N"), &n));
    EXPECT_EQ(n, 7) << c.name;
  }
}

// A record keeps up to 64 KiB of data in its own block; beyond, the data moves to a block of its own.
// Values that take a record across that line and back, in a record made for them, in its copy and in
// its kept version, each read back with the values around them; an outside value stays with it.
TEST_F(RecordStoreTest, RecordsPastSixtyFourKilobytesKeepTheirValues) {
  Define({{"A", ftString, 30000},
          {"B", ftString, 30000},
          {"C", ftString, 30000},
          {"N", ftInteger, 0},
          {"M", ftMemo, 0}});
  const auto text = [](char letter, int length) { return QString(length, QChar::fromLatin1(letter)); };
  auto expectValues = [&](const TwoxRecord &record, const QVariantList &values, const char *where) {
    for (int i = 0; i < values.size(); ++i) {
      TField *field = Fields.Fields(i);
      QByteArray buffer(field->DataSize() + 1, '\0');
      const bool present = Store.ReadField(record, field, buffer.data());
      ASSERT_EQ(present, !values[i].isNull()) << where << ": " << field->FieldName().toStdString();
      if (!present)
        continue;
      if (field->DataType() == ftInteger) {
        qint32 n;
        std::memcpy(&n, buffer.constData(), sizeof n);
        EXPECT_EQ(n, values[i].toInt()) << where;
      } else {
        EXPECT_EQ(QString::fromLatin1(buffer.constData()), values[i].toString())
            << where << ": " << field->FieldName().toStdString();
      }
    }
  };
  const QVariantList rounds[] = {
      {text('a', 30000), text('b', 30000), text('c', 30000), 1}, // about 90 KiB
      {text('d', 10), text('e', 30000), QVariant(), 2},          // back below the line
      {text('f', 30000), text('g', 30000), text('h', 5000), 3},  // across it again
      {QVariant(), QVariant(), QVariant(), 4},                   // all text null
  };
  auto buffer = Store.AllocRecord();
  Store.OutsideBlock(*buffer, Field("M"))->append("memo");
  buffer->Outside(0).State = 2;
  TwoxRecord *stored = nullptr;
  for (const QVariantList &values : rounds) {
    for (int i = 0; i < values.size(); ++i)
      Put(*buffer, Fields.Fields(i), values[i]);
    expectValues(*buffer, values, "written");
    if (!stored) {
      stored = Store.AppendRecord(Store.AllocRecordFor(*buffer));
    } else {
      stored->KeepVersion();
      stored->CopyDataFrom(*buffer);
    }
    expectValues(*stored, values, "stored");
    expectValues(*stored->Copy(true), values, "copied");
    EXPECT_EQ(stored->Outside(0).Block, QByteArray("memo"));
  }
  // The versions hold the rounds before, newest first.
  const TwoxRecord *version = stored->PreviousVersion();
  for (int i = int(std::size(rounds)) - 2; i >= 0; --i, version = version->PreviousVersion()) {
    ASSERT_NE(version, nullptr) << i;
    expectValues(*version, rounds[i], "kept version");
  }
  EXPECT_EQ(version, nullptr);
}

// The record list grows in chunks: ids across their borders are freed, reused last freed first, taken
// out with the content and put back.
TEST_F(RecordStoreTest, ThousandsOfRecordsAcrossChunksKeepTheirIds) {
  Define({{"ID", ftInteger, 0}});
  constexpr int Rows = 10000;
  for (int i = 0; i < Rows; ++i)
    Add({i});
  const int freed[] = {0, 1023, 1024, 2047, 2048, 9999};
  for (int id : freed)
    Store.DeleteRecord(id);
  EXPECT_EQ(Store.RecordCount(), Rows - int(std::size(freed)));
  EXPECT_EQ(Store.RecordSlotCount(), Rows);
  for (int i = int(std::size(freed)) - 1; i >= 0; --i)
    EXPECT_EQ(Add({-freed[i]})->RecordID, freed[i]);
  EXPECT_EQ(Add({Rows})->RecordID, Rows);
  TwoxStoreContent content = Store.TakeContent();
  EXPECT_EQ(Store.RecordCount(), 0);
  EXPECT_EQ(Store.Record(5), nullptr);
  EXPECT_EQ(Add({-1})->RecordID, 0);
  Store.RestoreContent(std::move(content));
  ASSERT_EQ(Store.RecordCount(), Rows + 1);
  for (int id = 0; id <= Rows; ++id) {
    const TwoxRecord *record = Store.Record(id);
    ASSERT_NE(record, nullptr) << id;
    ASSERT_EQ(record->RecordID, id);
    qint32 value = 0;
    Store.ReadField(*record, Field("ID"), &value);
    const bool wasFreed = std::find(std::begin(freed), std::end(freed), id) != std::end(freed);
    ASSERT_EQ(value, wasFreed ? -id : id) << id;
  }
  EXPECT_EQ(Store.Record(Rows + 1), nullptr);
  EXPECT_EQ(Store.Record(-1), nullptr);
}

TEST_F(RecordStoreTest, LayoutErrors) {
  TTestDataSet none;
  TwoxCommon store(&none);
  EXPECT_EQ(MessageOf([&] { store.ComputeLayout(none.FieldDefs()); }), "There must be at least one field");

  TTestDataSet wide;
  wide.FieldDefs().Add(QStringLiteral("L"), ftWideString, 10);
  EXPECT_EQ(MessageOf([&] { store.ComputeLayout(wide.FieldDefs()); }),
            "Fielddef L (L) Datatype 24 not supported.");
  TTestDataSet many;
  for (int i = 0; i <= WOX_MAX_FIELDS; ++i)
    many.FieldDefs().Add(QStringLiteral("F%1").arg(i), ftInteger);
  EXPECT_EQ(MessageOf([&] { store.ComputeLayout(many.FieldDefs()); }),
            "Too many fielddefs. Please raise WOX_MAX_FIELDS value.");
}

TEST_F(RecordStoreTest, AttachAndStandaloneRules) {
  TTestDataSet second, third;
  EXPECT_EQ(MessageOf([&] { Store.SetAttachMaxCount(0); }), "Invalid argument.");
  Store.Attach(&Fields);
  EXPECT_EQ(Store.AttachedSlot(&Fields), 0);
  EXPECT_EQ(Store.Attach(&second), 1); // no empty slot, nothing active: a new one
  EXPECT_EQ(MessageOf([&] { Store.SetStandalone(true); }), "Children are attached to this table.");
  Store.Detach(&second);
  Store.SetStandalone(true);
  EXPECT_TRUE(Store.Standalone());
  EXPECT_EQ(Store.Attach(&third), 1); // the emptied slot is taken again
  EXPECT_EQ(MessageOf([&] { Store.SetAttachMaxCount(1); }), "Children are attached to this table.");
}

TEST_F(RecordStoreTest, AttachRefusesNewSlotWhileTableActive) {
  Define({{"ID", ftInteger, 0}});
  Store.Attach(&Fields); // Fields is open
  TTestDataSet second;
  EXPECT_EQ(MessageOf([&] { Store.Attach(&second); }), "Table must be closed for this operation.");
  EXPECT_EQ(MessageOf([&] { Store.SetAttachMaxCount(2); }), "Table must be closed for this operation.");
}

TEST_F(RecordStoreTest, AutoIncMinValueRaisesHighestValue) {
  Store.SetHighestAutoInc(3);
  Store.SetAutoIncMinValue(10);
  EXPECT_EQ(Store.HighestAutoInc(), 9);
  Store.SetAutoIncMinValue(5);
  EXPECT_EQ(Store.HighestAutoInc(), 9);
}

TEST_F(RecordStoreTest, FieldListOperationsAndIndexOptions) {
  Define({{"A", ftInteger, 0}, {"B", ftInteger, 0}});
  TwoxFieldList list, copy;
  TField *a = Field("A"), *b = Field("B");
  list.Add(a, mtcoDescending);
  list.Add(b, {});
  list.SetOptions(1, mtcoCaseInsensitive);
  copy.Assign(list);
  EXPECT_EQ(copy.Count(), 2);
  EXPECT_EQ(copy.IndexOf(b), 1);
  EXPECT_EQ(copy.IndexOf(nullptr), -1);
  EXPECT_EQ(copy.Options(1), TwoxMemTableCompareOptions(mtcoCaseInsensitive));
  copy.Clear();
  EXPECT_EQ(copy.Count(), 0);
  EXPECT_EQ(
      IndexOptionsToCompareOptions(ixUnique | ixDescending | ixCaseInsensitive | ixNonMaintained | ixPrimary),
      mtcoUnique | mtcoDescending | mtcoCaseInsensitive | mtcoNonMaintained);
}
