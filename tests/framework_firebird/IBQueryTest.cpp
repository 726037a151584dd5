#include "IBQuery.h"
#include "DateTimeUtils.h"
#include "FirebirdFixture.h"
#include "FormatSettings.h"
#include "IBError.h"
#include "IBUpdateSQL.h"

#include <QIODevice>

namespace {

class IBQueryTest : public FirebirdTest {
protected:
  void SetUp() override {
    FirebirdTest::SetUp();
    if (IsSkipped())
      return;
    Query.SetDatabase(&Database);
    Query.SetTransaction(&Transaction);
  }
  // USERS as the security database has it, with rows A, B, C.
  void CreateUsers() {
    Execute(
        {"create table USERS (USER_NAME varchar(50) not null primary key, FIRST_NAME varchar(50),"
         " PSWD_VALID smallint, STAMP timestamp)",
         "create trigger USERS_BI for USERS before insert as begin new.STAMP = '2001-02-03 04:05:06'; end",
         "insert into USERS (USER_NAME, FIRST_NAME, PSWD_VALID) values ('A', 'Anna', 1)",
         "insert into USERS (USER_NAME, FIRST_NAME, PSWD_VALID) values ('B', 'Bartosz', 0)",
         "insert into USERS (USER_NAME, FIRST_NAME, PSWD_VALID) values ('C', 'Celina', 1)"});
  }
  void UseUpdateObject() {
    Update.RefreshSQL().SetText(QStringLiteral("select * from USERS where USER_NAME = :USER_NAME"));
    Update.ModifySQL().SetText(
        QStringLiteral("update USERS set USER_NAME = :USER_NAME, FIRST_NAME = :FIRST_NAME,"
                       " PSWD_VALID = :PSWD_VALID where USER_NAME = :OLD_USER_NAME"));
    Update.InsertSQL().SetText(QStringLiteral("insert into USERS (USER_NAME, FIRST_NAME, PSWD_VALID)"
                                              " values (:USER_NAME, :FIRST_NAME, :PSWD_VALID)"));
    Update.DeleteSQL().SetText(QStringLiteral("delete from USERS where USER_NAME = :OLD_USER_NAME"));
    Query.SetUpdateObject(&Update);
    Query.SQL().SetText(QStringLiteral("select * from USERS order by USER_NAME"));
  }
  QString Names() {
    return QueryValue(QStringLiteral("select list(USER_NAME || ':' || FIRST_NAME, ',') from (select * from "
                                     "USERS order by USER_NAME)"))
        .toString();
  }

  TIBQuery Query;
  TIBUpdateSQL Update;
};

} // namespace

TEST_F(IBQueryTest, FetchesRowsOnlyAsTheCursorMoves) {
  Execute({"create table T (A integer)", "execute block as declare i integer = 0; begin while (i < 3000) do "
                                         "begin insert into T values (:i); i = i + 1; end end"});
  Query.SQL().SetText(QStringLiteral("select A from T order by A"));
  Query.Open();
  EXPECT_LT(Query.RecordCount(), 10);
  Query.MoveBy(100);
  EXPECT_EQ(Query.FieldByName(QStringLiteral("A"))->AsInteger(), 100);
  EXPECT_LT(Query.RecordCount(), 120);
  Query.Last();
  EXPECT_EQ(Query.RecordCount(), 3000);
  EXPECT_EQ(Query.FieldByName(QStringLiteral("A"))->AsInteger(), 2999);
  EXPECT_TRUE(Query.Locate(QStringLiteral("A"), 1500, {}));
  EXPECT_EQ(Query.RecNo(), 1501);
}

// Wide rows fill the blocks that fetched rows share after a few dozen rows: values must come back
// from every block, an edited row must keep its new values apart from its neighbours, and a refresh
// must start the blocks again.
TEST_F(IBQueryTest, RowsAcrossManyBlocksKeepTheirValuesAndEdits) {
  constexpr int Rows = 300;
  Execute({"create table W (ID integer not null primary key, TXT varchar(2000))",
           "execute block as declare i integer = 0; begin while (i < 300) do begin"
           " insert into W values (:i, 'w' || :i || rpad('', mod(:i, 7) * 100, 'x')); i = i + 1; end end"});
  Update.RefreshSQL().SetText(QStringLiteral("select * from W where ID = :ID"));
  Update.ModifySQL().SetText(QStringLiteral("update W set TXT = :TXT where ID = :OLD_ID"));
  Query.SetUpdateObject(&Update);
  Query.SQL().SetText(QStringLiteral("select * from W order by ID"));
  const auto expected = [](int id) { return QStringLiteral("w%1").arg(id) + QString((id % 7) * 100, u'x'); };
  const auto checkAll = [&](int editedId, const QString &editedText) {
    int id = Rows - 1;
    for (Query.Last(); !Query.Bof(); Query.Prior(), --id) {
      ASSERT_EQ(Query.FieldByName(QStringLiteral("ID"))->AsInteger(), id);
      ASSERT_EQ(Query.FieldByName(QStringLiteral("TXT"))->AsString(),
                id == editedId ? editedText : expected(id))
          << id;
    }
    EXPECT_EQ(id, -1);
  };
  Query.Open();
  checkAll(-1, QString());
  ASSERT_TRUE(Query.Locate(QStringLiteral("ID"), 150, {}));
  Query.Edit();
  Query.FieldByName(QStringLiteral("TXT"))->SetAsString(QStringLiteral("changed"));
  Query.Post();
  checkAll(150, QStringLiteral("changed"));
  Query.Refresh();
  EXPECT_EQ(Query.FieldByName(QStringLiteral("ID"))->AsInteger(), 0);
  checkAll(150, QStringLiteral("changed"));
}

TEST_F(IBQueryTest, CommitRetainingKeepsTheDatasetOpenAndItsPosition) {
  CreateUsers();
  UseUpdateObject();
  Query.Open();
  Query.Next();
  Query.Edit();
  Query.FieldByName(QStringLiteral("FIRST_NAME"))->SetAsString(QStringLiteral("Bogdan"));
  Query.Post();
  Transaction.CommitRetaining();
  EXPECT_TRUE(Query.Active());
  EXPECT_EQ(Query.FieldByName(QStringLiteral("USER_NAME"))->AsString(), QStringLiteral("B"));
  Query.Next();
  EXPECT_EQ(Query.FieldByName(QStringLiteral("USER_NAME"))->AsString(), QStringLiteral("C"));
  EXPECT_EQ(Names(), QStringLiteral("A:Anna,B:Bogdan,C:Celina"));
  Transaction.Commit();
  EXPECT_FALSE(Query.Active());
}

TEST_F(IBQueryTest, UpdateObjectTakesOldValuesAndRefreshesPostedRows) {
  CreateUsers();
  UseUpdateObject();
  Query.Open();
  ASSERT_TRUE(Query.Locate(QStringLiteral("USER_NAME"), QStringLiteral("b"), loCaseInsensitive));
  Query.Edit();
  Query.FieldByName(QStringLiteral("USER_NAME"))->SetAsString(QStringLiteral("BB"));
  Query.Post();
  Query.Append();
  Query.FieldByName(QStringLiteral("USER_NAME"))->SetAsString(QStringLiteral("D"));
  Query.FieldByName(QStringLiteral("FIRST_NAME"))->SetAsString(QStringLiteral("Dorota"));
  Query.Post();
  // The trigger's value came back through the refresh statement.
  EXPECT_EQ(Query.FieldByName(QStringLiteral("STAMP"))->AsDateTime(),
            EncodeDate(2001, 2, 3) + EncodeTime(4, 5, 6, 0));
  ASSERT_TRUE(Query.Locate(QStringLiteral("USER_NAME"), QStringLiteral("A"), {}));
  Query.Delete();
  Transaction.CommitRetaining();
  EXPECT_EQ(Names(), QStringLiteral("BB:Bartosz,C:Celina,D:Dorota"));
  EXPECT_EQ(Query.RecordCount(), 3);
  Query.Cancel();
  EXPECT_TRUE(Query.CanModify());
}

TEST_F(IBQueryTest, FailedPostKeepsTheEditAndTheStoredRow) {
  CreateUsers();
  UseUpdateObject();
  Query.Open();
  Query.Edit();
  Query.FieldByName(QStringLiteral("USER_NAME"))->SetAsString(QStringLiteral("B"));
  EXPECT_THROW(Query.Post(), EIBError);
  EXPECT_EQ(Query.State(), dsEdit);
  Query.Cancel();
  EXPECT_EQ(Query.FieldByName(QStringLiteral("USER_NAME"))->AsString(), QStringLiteral("A"));
}

TEST_F(IBQueryTest, RefreshRunsAgainAndKeepsThePositionByKey) {
  CreateUsers();
  UseUpdateObject();
  Query.Open();
  Query.Last();
  Execute("insert into USERS (USER_NAME, FIRST_NAME) values ('AA', 'Adam')");
  Query.Refresh();
  EXPECT_EQ(Query.FieldByName(QStringLiteral("USER_NAME"))->AsString(), QStringLiteral("C"));
  EXPECT_EQ(Query.RecNo(), 4);
}

TEST_F(IBQueryTest, WithoutUpdateStatementsTheQueryIsReadOnly) {
  CreateUsers();
  Query.SQL().SetText(QStringLiteral("select * from USERS"));
  Query.Open();
  EXPECT_FALSE(Query.CanModify());
  EXPECT_THROW(Query.Edit(), EDatabaseError);
  EXPECT_THROW(Query.SetCachedUpdates(true), EDatabaseError);
}

TEST_F(IBQueryTest, ParametersOfTheSameNameShareTheirValue) {
  CreateUsers();
  Query.SQL().SetText(
      QStringLiteral("select USER_NAME from USERS where USER_NAME = :name or FIRST_NAME = :NAME"));
  ASSERT_EQ(Query.Params().Count(), 2);
  Query.ParamByName(QStringLiteral("Name"))->SetAsString(QStringLiteral("Celina"));
  Query.Open();
  EXPECT_EQ(Query.FieldByName(QStringLiteral("USER_NAME"))->AsString(), QStringLiteral("C"));
  EXPECT_EQ(Query.SQLParams().Count(), 2);
  Query.Close();
  Query.SQL().SetText(QStringLiteral("select USER_NAME from USERS where FIRST_NAME = :NAME"));
  EXPECT_EQ(Query.ParamByName(QStringLiteral("NAME"))->AsString(), QStringLiteral("Celina"));
}

TEST_F(IBQueryTest, OpeningAStatementWithoutRowsRunsIt) {
  CreateUsers();
  Query.SQL().SetText(QStringLiteral("update USERS set PSWD_VALID = 7"));
  Query.Open();
  EXPECT_TRUE(Query.IsEmpty());
  EXPECT_EQ(Query.RowsAffected(), 3);
  Query.Close();
  Query.SQL().SetText(QStringLiteral("delete from USERS where USER_NAME = :U"));
  Query.ParamByName(QStringLiteral("U"))->SetAsString(QStringLiteral("A"));
  Query.ExecSQL();
  EXPECT_EQ(Query.RowsAffected(), 1);
  Transaction.Commit();
  EXPECT_EQ(QueryValue(QStringLiteral("select sum(PSWD_VALID) from USERS")).toInt(), 14);
}

TEST_F(IBQueryTest, EveryColumnTypeBecomesItsField) {
  TFormatSettingsScope keep;
  FormatSettings().DecimalSeparator = u'.';
  Execute(
      {"create table T (ID integer primary key, C_SMALL smallint, C_BIG bigint, C_DOUBLE double precision,"
       " C_NUM numeric(15,2), C_DATE date, C_TIME time, C_STAMP timestamp, C_CHAR char(3),"
       " C_VARCHAR varchar(20) character set WIN1250, C_BOOL boolean, C_TEXT blob sub_type text,"
       " C_BIN blob sub_type binary)",
       "insert into T values (1, -7, 9007199254740993, 0.5, -1234567890123.45, '2024-02-29', '13:14:15.678',"
       " '1999-12-31 23:59:59.999', 'ab', 'Zażółć', true, 'Długi tekst', x'00FF10')"});
  Query.SQL().SetText(QStringLiteral("select * from T"));
  Update.ModifySQL().SetText(
      QStringLiteral("update T set C_NUM = :C_NUM, C_STAMP = :C_STAMP, C_TEXT = :C_TEXT,"
                     " C_BIN = :C_BIN, C_VARCHAR = :C_VARCHAR where ID = :OLD_ID"));
  Query.SetUpdateObject(&Update);
  Query.Open();
  struct Case {
    const char *Field;
    TFieldType Type;
    QString Text;
  };
  const Case cases[] = {
      {"ID", ftInteger, "1"},
      {"C_SMALL", ftSmallint, "-7"},
      {"C_BIG", ftLargeint, "9007199254740993"},
      {"C_DOUBLE", ftFloat, "0.5"},
      {"C_NUM", ftBCD, "-1234567890123.45"},
      {"C_CHAR", ftFixedChar, "ab"},
      {"C_VARCHAR", ftString, "Zażółć"},
      {"C_TEXT", ftMemo, "Długi tekst"},
  };
  for (const Case &c : cases) {
    TField *field = Query.FieldByName(QString::fromLatin1(c.Field));
    EXPECT_EQ(field->DataType(), c.Type) << c.Field;
    EXPECT_EQ(field->AsString(), c.Text) << c.Field;
  }
  EXPECT_EQ(Query.FieldByName(QStringLiteral("C_DATE"))->DataType(), ftDate);
  EXPECT_EQ(Query.FieldByName(QStringLiteral("C_DATE"))->AsDateTime(), EncodeDate(2024, 2, 29));
  EXPECT_EQ(Query.FieldByName(QStringLiteral("C_TIME"))->DataType(), ftTime);
  EXPECT_EQ(Query.FieldByName(QStringLiteral("C_TIME"))->AsDateTime(), EncodeTime(13, 14, 15, 678));
  EXPECT_EQ(Query.FieldByName(QStringLiteral("C_STAMP"))->DataType(), ftDateTime);
  EXPECT_EQ(Query.FieldByName(QStringLiteral("C_STAMP"))->AsDateTime(),
            EncodeDate(1999, 12, 31) + EncodeTime(23, 59, 59, 999));
  EXPECT_EQ(Query.FieldByName(QStringLiteral("C_BOOL"))->DataType(), ftBoolean);
  EXPECT_TRUE(Query.FieldByName(QStringLiteral("C_BOOL"))->AsBoolean());
  EXPECT_EQ(Query.FieldByName(QStringLiteral("C_BIN"))->DataType(), ftBlob);
  EXPECT_EQ(Query.FieldByName(QStringLiteral("C_BIN"))->AsBytes(), QByteArray("\x00\xFF\x10", 3));

  Query.Edit();
  Query.FieldByName(QStringLiteral("C_NUM"))->SetAsString(QStringLiteral("0.01"));
  Query.FieldByName(QStringLiteral("C_STAMP"))
      ->SetAsDateTime(EncodeDate(2024, 3, 31) + EncodeTime(2, 30, 0, 0));
  Query.FieldByName(QStringLiteral("C_TEXT"))->SetAsString(QStringLiteral("Źdźbło ") + QString(70000, u'ą'));
  Query.FieldByName(QStringLiteral("C_BIN"))->SetAsBytes(QByteArray(100000, '\x7F'));
  Query.FieldByName(QStringLiteral("C_VARCHAR"))->SetAsString(QStringLiteral("ŁÓDŹ"));
  Query.Post();
  Query.Close();
  Query.Open();
  EXPECT_EQ(Query.FieldByName(QStringLiteral("C_NUM"))->AsString(), QStringLiteral("0.01"));
  EXPECT_EQ(Query.FieldByName(QStringLiteral("C_STAMP"))->AsDateTime(),
            EncodeDate(2024, 3, 31) + EncodeTime(2, 30, 0, 0));
  EXPECT_EQ(Query.FieldByName(QStringLiteral("C_TEXT"))->AsString(),
            QStringLiteral("Źdźbło ") + QString(70000, u'ą'));
  EXPECT_EQ(Query.FieldByName(QStringLiteral("C_BIN"))->AsBytes(), QByteArray(100000, '\x7F'));
  EXPECT_EQ(Query.FieldByName(QStringLiteral("C_VARCHAR"))->AsString(), QStringLiteral("ŁÓDŹ"));
}

TEST_F(IBQueryTest, ClosingTheDatabaseClosesTheQuery) {
  CreateUsers();
  Query.SQL().SetText(QStringLiteral("select * from USERS"));
  Query.Open();
  Database.Close();
  EXPECT_FALSE(Query.Active());
  Database.Open();
  Query.Open();
  EXPECT_EQ(Query.FieldByName(QStringLiteral("USER_NAME"))->AsString(), QStringLiteral("A"));
}

TEST_F(IBQueryTest, AutoStopActionEndsTheTransactionWhenTheLastDatasetCloses) {
  CreateUsers();
  Transaction.SetAutoStopAction(saCommit);
  Query.SQL().SetText(QStringLiteral("select * from USERS"));
  Query.Open();
  EXPECT_TRUE(Transaction.InTransaction());
  Query.Close();
  EXPECT_FALSE(Transaction.InTransaction());
}

TEST_F(IBQueryTest, GeneratorGivesPostedNewRecordsTheirKey) {
  Execute({"create table T (ID integer not null primary key, NAME varchar(20))", "create generator G_LOG",
           "set generator G_LOG to 41"});
  Query.SQL().SetText(QStringLiteral("select * from T"));
  Update.InsertSQL().SetText(QStringLiteral("insert into T (ID, NAME) values (:ID, :NAME)"));
  Query.SetUpdateObject(&Update);
  Query.GeneratorField() = {QStringLiteral("ID"), QStringLiteral("G_LOG"), 1, gamOnPost};
  Query.Open();
  Query.Append();
  Query.FieldByName(QStringLiteral("NAME"))->SetAsString(QStringLiteral("nowy"));
  EXPECT_TRUE(Query.FieldByName(QStringLiteral("ID"))->IsNull());
  Query.Post();
  EXPECT_EQ(Query.FieldByName(QStringLiteral("ID"))->AsInteger(), 42);
  Transaction.Commit();
  EXPECT_EQ(QueryValue(QStringLiteral("select ID from T where NAME = 'nowy'")).toInt(), 42);
}

// Deleting while walking the rows, as keeping a list in step with another does: runs of deletes,
// and deletes at the end, leave the cursor on the row that follows.
TEST_F(IBQueryTest, DeletingRunsOfRowsWhileWalkingKeepsTheCursorValid) {
  Execute({"create table USERS (USER_NAME varchar(50) not null primary key, FIRST_NAME varchar(50),"
           " PSWD_VALID smallint, STAMP timestamp)",
           "execute block as declare i integer = 0; begin while (i < 40) do begin"
           " insert into USERS (USER_NAME) values (lpad(:i, 3, '0')); i = i + 1; end end"});
  UseUpdateObject();
  Query.Open();
  const auto keep = [](const QString &name) {
    const int n = name.toInt();
    return n < 5 || (n >= 12 && n < 30 && n % 3 == 0);
  };
  int visited = 0;
  Query.First();
  while (!Query.Eof()) {
    ASSERT_LT(++visited, 100);
    if (keep(Query.FieldByName(QStringLiteral("USER_NAME"))->AsString()))
      Query.Next();
    else
      Query.Delete();
  }
  Transaction.CommitRetaining();
  EXPECT_EQ(
      QueryValue(QStringLiteral("select list(USER_NAME, ',') from (select * from USERS order by USER_NAME)"))
          .toString()
          .toStdString(),
      "000,001,002,003,004,012,015,018,021,024,027");
}

// What a post or delete changed on the server, so that a caller can tell a modify whose key
// condition matched nothing (a row changed or removed meanwhile) from a written one.
TEST_F(IBQueryTest, TellsTheRowsTheLastUpdateStatementChanged) {
  CreateUsers();
  UseUpdateObject();
  Query.Open();
  EXPECT_EQ(Query.UpdateRowsAffected(), -1) << "no update statement ran yet";
  Query.Edit();
  Query.FieldByName(QStringLiteral("FIRST_NAME"))->SetAsString(QStringLiteral("Ala"));
  Query.Post();
  EXPECT_EQ(Query.UpdateRowsAffected(), 1);

  Execute(QStringLiteral("update USERS set USER_NAME = 'B2' where USER_NAME = 'B'"));
  Query.Next();
  Query.Edit();
  Query.FieldByName(QStringLiteral("FIRST_NAME"))->SetAsString(QStringLiteral("Beata"));
  Query.Post();
  EXPECT_EQ(Query.UpdateRowsAffected(), 0) << "the row was renamed meanwhile";

  Query.Append();
  Query.FieldByName(QStringLiteral("USER_NAME"))->SetAsString(QStringLiteral("D"));
  Query.Post();
  EXPECT_EQ(Query.UpdateRowsAffected(), 1);

  Update.ModifySQL().SetText(
      QStringLiteral("update USERS set PSWD_VALID = :PSWD_VALID where PSWD_VALID = :OLD_PSWD_VALID"));
  Query.First();
  Query.Edit();
  Query.FieldByName(QStringLiteral("PSWD_VALID"))->SetAsInteger(5);
  Query.Post();
  EXPECT_EQ(Query.UpdateRowsAffected(), 2) << "A and C both had 1";

  Update.ModifySQL().SetText(
      QStringLiteral("update USERS set PSWD_VALID = 1 / 0 where USER_NAME = :OLD_USER_NAME"));
  Query.Edit();
  EXPECT_THROW(Query.Post(), EIBError) << "the statement fails: the count is not the earlier one";
  EXPECT_EQ(Query.UpdateRowsAffected(), -1);
  Query.Cancel();

  Query.Last();
  Query.Delete();
  EXPECT_EQ(Query.UpdateRowsAffected(), 1);
}
