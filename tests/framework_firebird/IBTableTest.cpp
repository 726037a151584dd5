#include "IBTable.h"
#include "FirebirdFixture.h"

TEST_F(FirebirdTest, TableReadsItsIndexDefinitionsAndWritesByPrimaryKey) {
  Execute({"create table BAZY (ID integer not null, NAZWA varchar(200), GRUPA varchar(100), constraint "
           "PK_BAZY primary key (ID))",
           "create unique index BAZY_NAZWA on BAZY (NAZWA, GRUPA)",
           "create descending index BAZY_GRUPA on BAZY (GRUPA)",
           "insert into BAZY values (1, 'Zeta', 'KORVIN')", "insert into BAZY values (2, 'Alfa', 'VELDAR')"});
  TIBTable table;
  table.SetDatabase(&Database);
  table.SetTransaction(&Transaction);
  table.SetTableName(QStringLiteral("BAZY"));
  table.Open();
  ASSERT_EQ(table.IndexDefs().Count(), 3);
  const TIndexDef *primary = table.IndexDefs().Find(QStringLiteral("PK_BAZY"));
  EXPECT_EQ(primary->Fields(), QStringLiteral("ID"));
  EXPECT_TRUE(primary->Options().testFlag(ixPrimary));
  const TIndexDef *names = table.IndexDefs().Find(QStringLiteral("BAZY_NAZWA"));
  EXPECT_EQ(names->Fields(), QStringLiteral("NAZWA;GRUPA"));
  EXPECT_TRUE(names->Options().testFlag(ixUnique));
  EXPECT_TRUE(table.IndexDefs().Find(QStringLiteral("BAZY_GRUPA"))->Options().testFlag(ixDescending));

  table.SetIndexFieldNames(QStringLiteral("NAZWA"));
  EXPECT_EQ(table.FieldByName(QStringLiteral("NAZWA"))->AsString(), QStringLiteral("Alfa"));
  ASSERT_TRUE(table.Locate(QStringLiteral("NAZWA"), QStringLiteral("ze"), loCaseInsensitive | loPartialKey));
  table.Edit();
  table.FieldByName(QStringLiteral("GRUPA"))->SetAsString(QStringLiteral("TORMISK"));
  table.Post();
  table.Append();
  table.FieldByName(QStringLiteral("ID"))->SetAsInteger(3);
  table.FieldByName(QStringLiteral("NAZWA"))->SetAsString(QStringLiteral("Beta"));
  table.Post();
  table.First();
  table.Delete();
  Transaction.Commit();
  EXPECT_EQ(QueryValue(QStringLiteral("select list(ID || GRUPA, ',') from (select * from BAZY order by ID)"))
                .toString(),
            QStringLiteral("1TORMISK"));
  EXPECT_EQ(QueryValue(QStringLiteral("select count(*) from BAZY")).toInt(), 2);
}
