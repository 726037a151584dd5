#include "MemTableFixture.h"

#include "Fields.h"
#include "TestDataSet.h"
#include "woxMemDeltaHandler.h"

namespace {

// Records what Resolve reports, by name.
class TRecordingHandler : public TwoxCustomDeltaHandler {
public:
  QStringList Calls;

protected:
  void InsertRecord() override { Calls << "insert " + Value("Nazwa").toString(); }
  void DeleteRecord() override { Calls << "delete " + OrigValue("Nazwa").toString(); }
  void ModifyRecord() override {
    Calls << "modify " + OrigValue("Nazwa").toString() + ">" + Value("Nazwa").toString();
  }
  void UnmodifiedRecord() override { Calls << "same " + Value("Nazwa").toString(); }
};

} // namespace

class AttachTest : public MemTableFixture {};

TEST_F(AttachTest, AttachRules) {
  TwoxMemTable second, third;
  EXPECT_EQ(MessageOf([&] { Table.SetAttachedTo(&Table); }), "Cant attach memorytable to it self.");
  Fill({{"a"}});
  EXPECT_EQ(MessageOf([&] { second.SetAttachedTo(&Table); }), "Table must be closed for this operation.");
  EXPECT_EQ(second.AttachedTo(), nullptr); // still on its own store
  EXPECT_NE(&second.Common(), &Table.Common());
  Table.Close();
  second.SetAttachedTo(&Table);
  EXPECT_EQ(&second.Common(), &Table.Common());
  EXPECT_EQ(MessageOf([&] { third.SetAttachedTo(&second); }),
            "Cant attach to another table which itself is an attachment.");
  EXPECT_EQ(MessageOf([&] { second.SetStandalone(true); }), "Table is attached to another table.");
  EXPECT_EQ(MessageOf([&] { Table.SetStandalone(true); }), "Children are attached to this table.");
  second.SetAttachedTo(nullptr);
  EXPECT_NE(&second.Common(), &Table.Common());
  Table.SetStandalone(true);
  EXPECT_TRUE(Table.Standalone());
}

TEST_F(AttachTest, AttachedTablesShareRecordsWithOwnCursorsAndIndexes) {
  TwoxMemTable view;
  view.SetAttachedTo(&Table);
  view.IndexDefs().Add(QStringLiteral("ByName"), QStringLiteral("Nazwa"), {});
  view.SetIndexName(QStringLiteral("ByName"));
  view.Open(); // opens the table it is attached to first
  EXPECT_TRUE(Table.Active());
  Fill({{"c"}, {"a"}, {"b"}});
  EXPECT_EQ(view.RecordCount(), 3);
  view.First();
  EXPECT_EQ(view.FieldByName("Nazwa")->AsString(), "a");
  EXPECT_EQ(Column("Nazwa"), QStringList({"c", "a", "b"}));
  view.Last();
  view.Delete(); // "c" through the view
  EXPECT_EQ(Column("Nazwa"), QStringList({"a", "b"}));
  Table.Close(); // the owner's close empties the store and closes the view
  EXPECT_FALSE(view.Active());
}

TEST_F(AttachTest, FreeingTheOwnerGivesAttachedTablesTheirOwnStore) {
  TwoxMemTable view;
  {
    TwoxMemTable owner;
    owner.FieldDefs().Add(QStringLiteral("X"), ftInteger);
    view.SetAttachedTo(&owner);
  }
  EXPECT_EQ(view.AttachedTo(), nullptr);
  view.Open();
  view.AppendRecord({1});
  EXPECT_EQ(view.RecordCount(), 1);
}

class VersionsTest : public MemTableFixture {
protected:
  void SetUp() override {
    MemTableFixture::SetUp();
    Fill({{"a"}, {"b"}, {"c"}});
    Table.SetEnableVersioning(true);
    Table.SetVersioningMode(mtvmAllSinceCheckPoint);
  }
  void Rename(const QString &from, const QString &to) {
    ASSERT_TRUE(Table.Locate("Nazwa", from, {}));
    Table.Edit();
    Table.FieldByName("Nazwa")->SetAsString(to);
    Table.Post();
  }
};

TEST_F(VersionsTest, TransactionsNeedMultiversionVersioning) {
  Table.SetVersioningMode(mtvm1SinceCheckPoint);
  EXPECT_EQ(MessageOf([&] { Table.StartTransaction(); }), "Transactioning requires multiversion versioning.");
}

TEST_F(VersionsTest, RollbackRestoresStateBeforeTransaction) {
  Table.StartTransaction();
  Rename("a", "a1");
  Rename("a1", "a2");
  Table.AppendRecord({"new"});
  ASSERT_TRUE(Table.Locate("Nazwa", "b", {}));
  Table.Delete();
  EXPECT_EQ(Column("Nazwa"), QStringList({"a2", "c", "new"}));
  Table.Rollback();
  EXPECT_EQ(Table.Common().TransactionLevel(), 0);
  EXPECT_EQ(Column("Nazwa"), QStringList({"a", "b", "c"}));
  EXPECT_EQ(Table.Common().DeletedCount(), 0);
}

TEST_F(VersionsTest, RollbackKeepsRecordsChangedWhileVersioningWasOff) {
  Table.StartTransaction();
  Rename("a", "a1");
  Table.SetEnableVersioning(false);
  Rename("b", "b1");         // no old version kept
  Table.AppendRecord({"x"}); // not marked inserted
  Table.SetEnableVersioning(true);
  Table.Rollback();
  EXPECT_EQ(Column("Nazwa"), QStringList({"a", "b1", "c", "x"}));
  // A later transaction does not take them for its own changes.
  Table.StartTransaction();
  Table.Rollback();
  EXPECT_EQ(Column("Nazwa"), QStringList({"a", "b1", "c", "x"}));
}

TEST_F(VersionsTest, CommitKeepsChangesAndRollbackOfOuterLevelStillWorks) {
  Table.StartTransaction();
  Rename("a", "a1");
  Table.StartTransaction();
  Rename("b", "b1");
  Table.Commit(); // b1 now belongs to level 1
  EXPECT_EQ(Column("Nazwa"), QStringList({"a1", "b1", "c"}));
  Table.Rollback();
  EXPECT_EQ(Column("Nazwa"), QStringList({"a", "b", "c"}));
}

TEST_F(VersionsTest, ResolveReportsEffectiveStatus) {
  TRecordingHandler handler;
  EXPECT_EQ(MessageOf([&] { handler.Resolve(); }), "Delta handler is not assigned to any memorytables.");
  Table.SetDeltaHandler(&handler);
  EXPECT_EQ(handler.MemTable(), &Table);
  Rename("a", "a1");
  Rename("a1", "a2");
  ASSERT_TRUE(Table.Locate("Nazwa", "b", {}));
  Table.Delete();
  Table.AppendRecord({"temp"});
  Table.Last();
  Table.Delete(); // inserted and deleted inside the delta
  Table.AppendRecord({"kept"});
  handler.Resolve();
  EXPECT_THAT(handler.Calls, ::testing::UnorderedElementsAre("modify a>a2", "delete b", "same c", "same temp",
                                                             "insert kept"));
}

TEST_F(VersionsTest, DeltaHandlerReferenceIsClearedWhenEitherGoes) {
  {
    TRecordingHandler handler;
    Table.SetDeltaHandler(&handler);
  }
  EXPECT_EQ(Table.DeltaHandler(), nullptr);
  TRecordingHandler handler;
  {
    TwoxMemTable other;
    other.SetDeltaHandler(&handler);
  }
  EXPECT_EQ(handler.MemTable(), nullptr);
}

TEST_F(VersionsTest, UpdateToDataSetAppliesTheDelta) {
  TTestDataSet target, second;
  for (TTestDataSet *dataSet : {&target, &second}) {
    dataSet->FieldDefs().Add(QStringLiteral("Nazwa"), ftString, 30);
    dataSet->FieldDefs().Add(QStringLiteral("N"), ftInteger);
    dataSet->Open();
    for (const char *name : {"a", "b", "c"})
      dataSet->AppendRecord({name});
  }
  auto names = [](TTestDataSet &dataSet) {
    QStringList result;
    for (dataSet.First(); !dataSet.Eof(); dataSet.Next())
      result << dataSet.FieldByName("Nazwa")->AsString();
    return result;
  };
  Rename("a", "a1");
  ASSERT_TRUE(Table.Locate("Nazwa", "b", {}));
  Table.Delete();
  Table.AppendRecord({"d", "", "", 4});
  Table.UpdateToDataSet(&target, QStringLiteral("Nazwa"), mtufEdit | mtufAppend | mtufDelete);
  EXPECT_EQ(names(target), QStringList({"a1", "c", "d"}));
  // The short form edits and appends but leaves deletions out.
  Table.UpdateToDataSet(&second, QStringLiteral("Nazwa"));
  EXPECT_EQ(names(second), QStringList({"a1", "b", "c", "d"}));
}
