#include "IBSQL.h"
#include "FirebirdFixture.h"
#include "FormatSettings.h"
#include "IBError.h"
#include "IBValues.h"
#include "Win1250.h"

#include <cstring>

#include <QDateTime>

namespace {

class IBSQLTest : public FirebirdTest {
protected:
  void SetUp() override {
    FirebirdTest::SetUp();
    if (IsSkipped())
      return;
    Query.SetDatabase(&Database);
    FormatSettings().DecimalSeparator = u'.';
  }
  TFormatSettingsScope KeepFormats;
  TIBSQL Query;
};

} // namespace

TEST_F(IBSQLTest, NamedParametersIgnoreCaseAndReachEveryOccurrence) {
  Execute(QStringLiteral("create table T (A integer, B integer, C varchar(10))"));
  Query.SQL().SetText(QStringLiteral("insert into T (A, B, C) values (:Value, :VALUE, ':value')"));
  ASSERT_EQ(Query.Params().Count(), 2);
  EXPECT_EQ(Query.Params().Names(), QStringList({"VALUE", "VALUE"}));
  Query.ParamByName(QStringLiteral("value")).SetAsInteger(7);
  Query.ExecQuery();
  EXPECT_EQ(Query.RowsAffected(), 1);
  Query.SQL().SetText(QStringLiteral("select A, B, C from T"));
  Query.ExecQuery();
  EXPECT_EQ(Query.FieldByName(QStringLiteral("a")).AsInteger(), 7);
  EXPECT_EQ(Query.FieldByName(QStringLiteral("B")).AsInteger(), 7);
  EXPECT_EQ(Query.FieldByName(QStringLiteral("C")).AsString(), QStringLiteral(":value"));
  EXPECT_THROW(Query.FieldByName(QStringLiteral("D")), EDatabaseError);
}

TEST_F(IBSQLTest, AnAlternativelyQuotedLiteralHoldsNoParameters) {
  Execute(QStringLiteral("create table T (A integer, C varchar(20))"));
  Query.SQL().SetText(QStringLiteral("insert into T (A, C) values (:V, q'{:v ?'}')"));
  ASSERT_EQ(Query.Params().Count(), 1);
  Query.ParamByName(QStringLiteral("V")).SetAsInteger(3);
  Query.ExecQuery();
  Query.SQL().SetText(QStringLiteral("select C from T where A = 3 and C = Q'!:v ?'!'"));
  Query.ExecQuery();
  ASSERT_FALSE(Query.Eof());
  EXPECT_EQ(Query.Fields(0).AsString(), QStringLiteral(":v ?'"));
}

TEST_F(IBSQLTest, ReportsTheServersStatementType) {
  Execute({"create table T (A integer)", "create generator G",
           "create procedure P returns (X integer) as begin X = 1; end"});
  const std::pair<const char *, TIBSQLTypes> cases[] = {
      {"select A from T", SQLSelect},
      {"insert into T (A) values (1)", SQLInsert},
      {"update T set A = 2", SQLUpdate},
      {"delete from T", SQLDelete},
      {"create table U (B integer)", SQLDDL},
      {"execute procedure P", SQLExecProcedure},
      {"select A from T for update", SQLSelectForUpdate},
      {"set generator G to 5", SQLSetGenerator},
  };
  for (const auto &[sql, type] : cases) {
    Query.SQL().SetText(QString::fromLatin1(sql));
    Query.Prepare();
    EXPECT_EQ(Query.SQLType(), type) << sql;
  }
}

TEST_F(IBSQLTest, GivesPlanAndRowsAffected) {
  Execute({"create table T (A integer primary key)", "insert into T values (1)", "insert into T values (2)",
           "insert into T values (3)"});
  Query.SQL().SetText(QStringLiteral("update T set A = A + 10 where A >= :A"));
  Query.ParamByName(QStringLiteral("A")).SetAsInteger(2);
  Query.ExecQuery();
  EXPECT_EQ(Query.RowsAffected(), 2);
  Query.SQL().SetText(QStringLiteral("select * from T where A = 1"));
  EXPECT_TRUE(Query.Plan().startsWith(QStringLiteral("PLAN (T INDEX (RDB$PRIMARY")))
      << Query.Plan().toStdString();
}

TEST_F(IBSQLTest, ServerErrorsKeepTheirTextAndCodes) {
  Query.SQL().SetText(QStringLiteral("select * from NO_SUCH_TABLE"));
  try {
    Query.ExecQuery();
    FAIL();
  } catch (const EIBError &error) {
    EXPECT_TRUE(error.Message().contains(QStringLiteral("Table unknown\nNO_SUCH_TABLE")))
        << error.Message().toStdString();
    EXPECT_EQ(error.SQLCode(), -204);
    EXPECT_EQ(error.IBErrorCode(), isc_dsql_error);
    EXPECT_FALSE(error.ConnectionLost());
  }
  EXPECT_TRUE(Database.Connected());
}

TEST_F(IBSQLTest, EveryColumnTypeRoundTrips) {
  Execute(QStringLiteral(
      "create table T (C_SMALL smallint, C_INT integer, C_BIG bigint, C_FLOAT float, C_DOUBLE double "
      "precision,"
      " C_NUM numeric(15,2), C_DEC decimal(9,4), C_DATE date, C_TIME time, C_STAMP timestamp, C_CHAR char(5),"
      " C_VARCHAR varchar(30), C_BOOL boolean, C_TEXT blob sub_type text, C_BIN blob sub_type binary)"));
  const QByteArray binary("\x00\x01\xFFzero\x00", 8);
  const QString text = QStringLiteral("Długi tekst ") + QString(40000, u'ż');
  struct Column {
    const char *Name;
    int SQLType;
    QVariant In;
    QVariant Out;
    QString AsString;
  };
  const Column columns[] = {
      {"C_SMALL", SQL_SHORT, -32768, -32768, "-32768"},
      {"C_INT", SQL_LONG, 2147483647, 2147483647, "2147483647"},
      {"C_BIG", SQL_INT64, Q_INT64_C(-9007199254740993), Q_INT64_C(-9007199254740993), "-9007199254740993"},
      {"C_FLOAT", SQL_FLOAT, 1.5, 1.5, "1.5"},
      {"C_DOUBLE", SQL_DOUBLE, 2.25e100, 2.25e100, "2.25e+100"},
      {"C_NUM", SQL_INT64, QStringLiteral("1234567890123.45"), 1234567890123.45, "1234567890123.45"},
      {"C_DEC", SQL_LONG, -0.0625, -0.0625, "-0.0625"},
      {"C_DATE", SQL_TYPE_DATE, QDate(1410, 7, 15), QDate(1410, 7, 15), "1410-07-15"},
      {"C_TIME", SQL_TYPE_TIME, QTime(23, 59, 58, 125), QTime(23, 59, 58, 125), "23:59:58"},
      {"C_STAMP", SQL_TIMESTAMP, QDateTime(QDate(2024, 3, 31), QTime(2, 30), Qt::UTC),
       QDateTime(QDate(2024, 3, 31), QTime(2, 30), Qt::UTC), "2024-03-31 02:30:00"},
      {"C_CHAR", SQL_TEXT, QStringLiteral("ab"), QStringLiteral("ab   "), "ab   "},
      {"C_VARCHAR", SQL_VARYING, QStringLiteral("Łódź"), QStringLiteral("Łódź"), "Łódź"},
      {"C_BOOL", SQL_BOOLEAN, true, true, "True"},
      {"C_TEXT", SQL_BLOB, text, text, text},
      {"C_BIN", SQL_BLOB, binary, binary, Win1250::Decode(binary)},
  };
  QStringList names, markers;
  for (const Column &c : columns) {
    names.append(QString::fromLatin1(c.Name));
    markers.append(QStringLiteral(":") + QString::fromLatin1(c.Name));
  }
  Query.SQL().SetText(
      QStringLiteral("insert into T (%1) values (%2)").arg(names.join(u','), markers.join(u',')));
  for (const Column &c : columns)
    Query.ParamByName(QString::fromLatin1(c.Name)).SetValue(c.In);
  Query.ExecQuery();
  Query.SQL().SetText(QStringLiteral("insert into T (C_INT) values (null)"));
  Query.ExecQuery();

  Query.SQL().SetText(QStringLiteral("select %1 from T order by C_INT nulls last").arg(names.join(u',')));
  Query.ExecQuery();
  for (const Column &c : columns) {
    const TIBXSQLVAR &field = Query.FieldByName(QString::fromLatin1(c.Name));
    EXPECT_EQ(field.SQLType(), c.SQLType) << c.Name;
    EXPECT_EQ(field.Value(), c.Out) << c.Name;
    EXPECT_EQ(field.AsString(), c.AsString) << c.Name;
  }
  EXPECT_EQ(Query.FieldByName(QStringLiteral("C_NUM")).SQLScale(), -2);
  FormatSettings().DecimalSeparator = u',';
  EXPECT_EQ(Query.FieldByName(QStringLiteral("C_NUM")).AsString(), QStringLiteral("1234567890123,45"));
  EXPECT_EQ(Query.FieldByName(QStringLiteral("C_DOUBLE")).AsString(), QStringLiteral("2,25e+100"));
  EXPECT_DOUBLE_EQ(Query.FieldByName(QStringLiteral("C_STAMP")).AsDateTime(), 45382 + 2.5 / 24);
  ASSERT_TRUE(Query.Next());
  for (const Column &c : columns) {
    if (QByteArray(c.Name) != "C_INT") {
      EXPECT_TRUE(Query.FieldByName(QString::fromLatin1(c.Name)).IsNull()) << c.Name;
    }
  }
  EXPECT_FALSE(Query.Next());
  EXPECT_TRUE(Query.Eof());
}

TEST_F(IBSQLTest, TextParametersAreConvertedByTheServer) {
  Execute(QStringLiteral("create table T (N numeric(9,2), D date, S smallint)"));
  Query.SQL().SetText(QStringLiteral("insert into T values (:N, :D, :S)"));
  Query.ParamByName(QStringLiteral("N")).SetAsString(QStringLiteral("12.34"));
  Query.ParamByName(QStringLiteral("D")).SetAsString(QStringLiteral("2020-02-29"));
  Query.ParamByName(QStringLiteral("S")).SetAsInt64(40000);
  EXPECT_THROW(Query.ExecQuery(), EConvertError);
  Query.ParamByName(QStringLiteral("S")).SetAsDateTime(0);
  EXPECT_THROW(Query.ExecQuery(), EIBError);
  Query.ParamByName(QStringLiteral("S")).SetAsInteger(-5);
  Query.ExecQuery();
  Query.SQL().SetText(QStringLiteral("select N, D, S from T"));
  Query.ExecQuery();
  EXPECT_EQ(Query.Fields(0).AsString(), QStringLiteral("12.34"));
  EXPECT_EQ(Query.Fields(1).Value(), QVariant(QDate(2020, 2, 29)));
  EXPECT_EQ(Query.Fields(2).AsInteger(), -5);
}

TEST_F(IBSQLTest, ExecutesProceduresWithOutputs) {
  Execute(QStringLiteral("create procedure TWICE (X integer) returns (Y integer, Z varchar(10)) as "
                         "begin Y = :X * 2; Z = 'ok'; end"));
  Query.SQL().SetText(QStringLiteral("execute procedure TWICE :X"));
  Query.ParamByName(QStringLiteral("X")).SetAsInteger(21);
  Query.ExecQuery();
  EXPECT_EQ(Query.FieldByName(QStringLiteral("Y")).AsInteger(), 42);
  EXPECT_EQ(Query.FieldByName(QStringLiteral("Z")).AsString(), QStringLiteral("ok"));
}

TEST_F(IBSQLTest, CommitRetainingKeepsTheCursorAndCommitClosesIt) {
  Execute({"create table T (A integer)", "insert into T values (1)", "insert into T values (2)",
           "insert into T values (3)"});
  Query.SQL().SetText(QStringLiteral("select A from T order by A"));
  Query.ExecQuery();
  Transaction.CommitRetaining();
  ASSERT_TRUE(Query.Next());
  EXPECT_EQ(Query.Fields(0).AsInteger(), 2);
  Transaction.Commit();
  EXPECT_FALSE(Query.Open());
  EXPECT_THROW(Query.Next(), EDatabaseError);
  // The statement stays prepared and starts the transaction again.
  Query.ExecQuery();
  EXPECT_EQ(Query.Fields(0).AsInteger(), 1);
  EXPECT_TRUE(Transaction.InTransaction());
}

TEST(IBValuesTest, ScaledIntegersBecomeTheCanonicalBcd) {
  const std::pair<qint64, int> cases[] = {{0, -2},         {5, -2},         {-5, -2},  {123450, -2},
                                          {-100, -2},      {7, 0},          {-1, -4},  {10000, -4},
                                          {INT64_MAX, -2}, {INT64_MIN, -2}, {120, -1}, {1, -18}};
  for (const auto &[value, scale] : cases) {
    const TBcd expected = StrToBcd(IBScaledToString(value, scale));
    const TBcd actual = IBScaledToBcd(value, scale);
    EXPECT_EQ(BcdToStr(actual), BcdToStr(expected)) << value << " " << scale;
    EXPECT_EQ(std::memcmp(&actual, &expected, sizeof(TBcd)), 0) << value << " " << scale;
  }
}
