#include "MemTableFixture.h"

#include "DataSource.h"
#include "Fields.h"
#include "TestDataSet.h"

class MemTableCopyTest : public MemTableFixture {
protected:
  void MakeSource(int rows) {
    Source.FieldDefs().Add(QStringLiteral("Nazwa"), ftString, 30);
    Source.FieldDefs().Add(QStringLiteral("N"), ftInteger);
    Source.FieldDefs().Add(QStringLiteral("Extra"), ftFloat);
    Source.Open();
    for (int i = 0; i < rows; ++i)
      Source.AppendRecord({QStringLiteral("r%1").arg(i), i, i / 2.0});
  }
  TTestDataSet Source;
};

TEST_F(MemTableCopyTest, CopyRecordsHonoursLimit) {
  MakeSource(25);
  Table.Open();
  Source.First();
  std::vector<int> progress;
  Table.OnProgress = [&](TDataSet *, int percentage, TwoxProgressCode code) {
    if (code == mtpcCopy)
      progress.push_back(percentage);
  };
  EXPECT_EQ(Table.CopyRecords(&Source, &Table, 10), 10);
  EXPECT_FALSE(Table.LoadedCompletely());
  EXPECT_EQ(Table.RecordCount(), 10);
  EXPECT_EQ(progress.front(), 0);
  EXPECT_EQ(progress.back(), 100);
  Source.First();
  EXPECT_EQ(Table.CopyRecords(&Source, &Table, 25), 25);
  EXPECT_TRUE(Table.LoadedCompletely()); // exactly the limit, nothing left out
  EXPECT_EQ(Table.CopyRecords(&Source, nullptr, 0), 0);
  EXPECT_EQ(Table.CopyRecords(&Table, &Table, 0), 0);
}

TEST_F(MemTableCopyTest, LoadFromDataSetCopiesAcceptedRecordsAndRestoresSource) {
  MakeSource(6);
  Fill({{"old"}});
  Source.OnFilterRecord = [](TDataSet *dataSet, bool &accept) {
    accept = dataSet->FieldByName("N")->AsInteger() % 2 == 0;
  };
  Source.SetFiltered(true);
  Source.First();
  Source.Next(); // on r2
  Table.LoadFromDataSet(&Source, {});
  EXPECT_EQ(Column("Nazwa"), QStringList({"r0", "r2", "r4"}));
  EXPECT_EQ(Table.LoadedCount(), 3);
  EXPECT_EQ(Source.FieldByName("Nazwa")->AsString(), "r2");
  EXPECT_TRUE(Source.Active());
  EXPECT_FALSE(Source.ControlsDisabled());
  EXPECT_FALSE(Table.ControlsDisabled());
  Table.LoadFromDataSet(&Source, mtcpoAppend);
  EXPECT_EQ(Table.RecordCount(), 6);
}

TEST_F(MemTableCopyTest, LoadFromDataSetWithStructureAndClosedSource) {
  MakeSource(3);
  Source.Close();
  TwoxMemTable table;
  table.LoadFromDataSet(&Source, mtcpoStructure | mtcpoProperties);
  EXPECT_FALSE(Source.Active());
  ASSERT_TRUE(table.Active());
  EXPECT_EQ(table.FieldCount(), 3);
  EXPECT_EQ(table.FieldByName("Extra")->DataType(), ftFloat);
  EXPECT_EQ(table.RecordCount(), 3);
  EXPECT_EQ(table.FieldByName("Nazwa")->AsString(), "r0");
  EXPECT_EQ(MessageOf([&] { table.LoadFromDataSet(&Source, mtcpoAppend | mtcpoStructure); }),
            "Appending cannot be combined with copying the structure or field properties.");
}

TEST_F(MemTableCopyTest, LoadRecordEventRefusesRecordsAndReadOnlyFieldsAreFilled) {
  MakeSource(4);
  Table.Open();
  Table.FieldByName("N")->SetReadOnly(true);
  Table.OnLoadRecord = [](TDataSet *dataSet, bool &accept) {
    accept = dataSet->FieldByName("N")->AsInteger() != 1;
  };
  Table.LoadFromDataSet(&Source, {});
  EXPECT_EQ(Column("N"), QStringList({"0", "2", "3"}));
  Table.OnLoadRecord = [](TDataSet *, bool &accept) { accept = false; };
  Table.LoadFromDataSet(&Source, {});
  EXPECT_EQ(Table.RecordCount(), 0);
}

TEST_F(MemTableCopyTest, DetailTableLoadsEveryRecordAndKeepsItsMaster) {
  MakeSource(4);
  TwoxMemTable master;
  master.FieldDefs().Add(QStringLiteral("N"), ftInteger);
  master.Open();
  master.AppendRecord({2});
  TDataSource source;
  source.SetDataSet(&master);
  Table.Open();
  Table.SetMasterFields(QStringLiteral("N"));
  Table.SetDetailFields(QStringLiteral("N"));
  Table.SetMasterSource(&source);
  Table.LoadFromDataSet(&Source, {});
  EXPECT_EQ(Table.LoadedCount(), 4);
  EXPECT_EQ(Table.MasterSource(), &source);
  EXPECT_EQ(Column("Nazwa"), QStringList({"r2"}));
}

TEST_F(MemTableCopyTest, SaveToDataSetWritesEveryRecord) {
  Fill({{"a", "", "", 1}, {"b", "", "", 2}, {"c", "", "", 3}});
  Table.Last();
  TTestDataSet destination;
  destination.FieldDefs().Add(QStringLiteral("Nazwa"), ftString, 30);
  destination.FieldDefs().Add(QStringLiteral("N"), ftInteger);
  Table.SaveToDataSet(&destination);
  EXPECT_EQ(Table.SavedCount(), 3);
  EXPECT_TRUE(Table.SavedCompletely());
  EXPECT_EQ(destination.RecordCount(), 3);
  EXPECT_EQ(Table.FieldByName("Nazwa")->AsString(), "c"); // back where it was
}
