#include "MemTableFixture.h"

#include "Fields.h"
#include "TestDataSet.h"

class BlobStreamTest : public ::testing::Test {
protected:
  void SetUp() override {
    Table.FieldDefs().Add(QStringLiteral("Name"), ftString, 10);
    Table.FieldDefs().Add(QStringLiteral("Notes"), ftMemo);
    Table.FieldDefs().Add(QStringLiteral("Data"), ftBlob);
    Table.Open();
  }
  TField *Notes() { return Table.FieldByName("Notes"); }
  TwoxMemTable Table;
};

TEST_F(BlobStreamTest, MemoValuesRoundTripAndEmptyIsNull) {
  Table.AppendRecord({"a", QString::fromUtf8("Zażółć gęślą jaźń"), QByteArray("\x00\x01\x02", 3)});
  EXPECT_EQ(Notes()->AsString(), QString::fromUtf8("Zażółć gęślą jaźń"));
  EXPECT_EQ(Table.FieldByName("Data")->AsBytes(), QByteArray("\x00\x01\x02", 3));
  Table.Edit();
  Notes()->SetAsString(QString());
  Table.Post();
  EXPECT_TRUE(Notes()->IsNull());
  Table.Edit();
  {
    auto stream = Table.CreateBlobStream(Notes(), bmWrite); // written empty
  }
  Table.Post();
  EXPECT_TRUE(Notes()->IsNull());
}

TEST_F(BlobStreamTest, ReadWriteStreamAppendsAndCancelKeepsStoredValue) {
  Table.AppendRecord({"a", "first"});
  Table.Edit();
  {
    auto stream = Table.CreateBlobStream(Notes(), bmReadWrite);
    EXPECT_EQ(stream->readAll(), QByteArray("first"));
    stream->write(" second");
  }
  EXPECT_EQ(Notes()->AsString(), "first second");
  Table.Cancel();
  EXPECT_EQ(Notes()->AsString(), "first");
}

TEST_F(BlobStreamTest, WritingNeedsEditModeAndWritableField) {
  Table.AppendRecord({"a", "x"});
  EXPECT_THROW(
      {
        try {
          Table.CreateBlobStream(Notes(), bmWrite);
        } catch (const EMemTableError &e) {
          EXPECT_EQ(e.Message(), "Dataset is not in edit mode.");
          throw;
        }
      },
      EMemTableError);
  Notes()->SetReadOnly(true);
  Table.Edit();
  try {
    Table.CreateBlobStream(Notes(), bmWrite);
    ADD_FAILURE() << "no error";
  } catch (const EDatabaseError &e) {
    EXPECT_EQ(e.Message(), "Field Notes is read only");
  }
  Table.Cancel();
  EXPECT_EQ(Table.CreateBlobStream(Notes(), bmRead)->readAll(), QByteArray("x"));
}

TEST_F(BlobStreamTest, StreamOutlivingItsEditIsRefusedNotWrittenIntoFreedMemory) {
  Table.AppendRecord({"a", "kept"});
  Table.AppendRecord({"b", "other"});
  Table.First();
  const std::vector<std::function<void()>> endings = {[&] { Table.Post(); }, [&] { Table.Cancel(); },
                                                      [&] {
                                                        Table.Post();
                                                        Table.Next();
                                                        Table.Edit(); // editing another record now
                                                      },
                                                      [&] { Table.Close(); }};
  for (const auto &end : endings) {
    if (!Table.Active())
      Table.Open();
    Table.First();
    Table.Edit();
    auto stream = Table.CreateBlobStream(Notes(), bmReadWrite);
    end();
    EXPECT_EQ(MessageOf([&] { stream->write("late"); }), "Dataset is not in edit mode.");
    stream.reset(); // the destructor neither writes nor raises
    if (Table.Active()) {
      Table.Cancel();
      Table.First();
      EXPECT_EQ(Notes()->AsString(), "kept");
    }
  }
}

TEST_F(BlobStreamTest, CompressionEventsConvertStoredBytes) {
  Table.OnCompressBlobStream = [](TDataSet *, QIODevice *plain, QIODevice *packed) {
    QByteArray bytes = plain->readAll();
    std::reverse(bytes.begin(), bytes.end());
    packed->write(bytes);
  };
  Table.OnDecompressBlobStream = [](TDataSet *, QIODevice *packed, QIODevice *plain) {
    QByteArray bytes = packed->readAll();
    std::reverse(bytes.begin(), bytes.end());
    plain->write(bytes);
  };
  Table.AppendRecord({"a", "abc"});
  EXPECT_EQ(Notes()->AsString(), "abc");
  const TwoxRecord *record = Table.CurrentIndex().Records(0);
  EXPECT_EQ(record->Outside(Table.Common().FieldInfo(Notes()->FieldNo())->OutsideIndex).Block,
            QByteArray("cba"));
  Table.OnCompressBlobStream = [](TDataSet *, QIODevice *, QIODevice *) {
    throw EMemTableError("packing failed");
  };
  Table.Edit();
  EXPECT_THROW(Notes()->SetAsString("def"), Exception); // the failure reaches the writer
  Table.Cancel();
  EXPECT_EQ(Notes()->AsString(), "abc");
}

TEST_F(BlobStreamTest, LoadFromDataSetCopiesBlobs) {
  TTestDataSet source;
  source.FieldDefs().Add(QStringLiteral("Name"), ftString, 10);
  source.FieldDefs().Add(QStringLiteral("Notes"), ftMemo);
  source.Open();
  source.AppendRecord({"s", "memo text"});
  Table.LoadFromDataSet(&source, {});
  EXPECT_EQ(Notes()->AsString(), "memo text");
}
