#include "USqlItem.h"

#include "Exceptions.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct ReadCase {
  const char *Name;
  QByteArray Bytes;
  const char *ItemName; // nullptr: the file name
  const char *Description;
  const char *Sql;
};

class SqlItemReadTest : public testing::TestWithParam<ReadCase> {};

TEST_P(SqlItemReadTest, ReadsTheHeaderOnlyWhenTheThirdOfMoreThanThreeLinesIsTheMarker) {
  const ReadCase &c = GetParam();
  QTemporaryDir dir;
  const QString path = dir.path() + QStringLiteral("/q.sql");
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(c.Bytes);
  file.close();
  TSQLItem item;
  ReadSQLItem(path, item);
  EXPECT_EQ(item.FileName, QStringLiteral("q.sql"));
  EXPECT_EQ(item.Name, c.ItemName ? QString::fromUtf8(c.ItemName) : QStringLiteral("q.sql"));
  EXPECT_EQ(item.Description, QString::fromUtf8(c.Description));
  EXPECT_EQ(item.SQL, QString::fromUtf8(c.Sql));
}

INSTANTIATE_TEST_SUITE_P(
    Files, SqlItemReadTest,
    testing::Values(ReadCase{"Header", "nazwa=Lista\r\nopis=Wszyscy\r\n****\r\nselect *\r\nfrom T1\r\n",
                             "Lista", "Wszyscy", "select *\r\nfrom T1\r\n"},
                    ReadCase{"KeysIgnoreCaseAndOrder", "OPIS=Druga\r\nNazwa=Pierwsza\r\n****\r\nselect 1\r\n",
                             "Pierwsza", "Druga", "select 1\r\n"},
                    ReadCase{"PolishLetters", "nazwa=\xa3\xb9ka\r\nopis=\r\n****\r\nselect 1\r\n", "Łąka", "",
                             "select 1\r\n"},
                    ReadCase{"ExactlyThreeLines", "nazwa=A\r\nopis=B\r\n****\r\n", nullptr, "",
                             "nazwa=A\r\nopis=B\r\n****\r\n"},
                    ReadCase{"MarkerIsCaseSensitiveAndExact", "nazwa=A\r\nopis=B\r\n*** \r\nselect 1\r\n",
                             nullptr, "", "nazwa=A\r\nopis=B\r\n*** \r\nselect 1\r\n"},
                    ReadCase{"NoHeader", "select 1\nfrom RDB$DATABASE", nullptr, "",
                             "select 1\r\nfrom RDB$DATABASE\r\n"}),
    [](const testing::TestParamInfo<ReadCase> &info) { return std::string(info.param.Name); });

TEST(SqlItemWriteTest, WritesTheHeaderAndStatementInWindows1250WithCrLfAndReadsThemBack) {
  QTemporaryDir dir;
  const QString path = dir.path() + QStringLiteral("/n.sql");
  WriteSQLItem(path, QString::fromUtf8("Użytkownicy"), QStringLiteral("Opis"),
               QStringLiteral("select *\r\nfrom T1"));
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_EQ(file.readAll(),
            QByteArray("nazwa=U\xbfytkownicy\r\nopis=Opis\r\n****\r\nselect *\r\nfrom T1\r\n"));
  TSQLItem item;
  ReadSQLItem(path, item);
  EXPECT_EQ(item.Name, QString::fromUtf8("Użytkownicy"));
  EXPECT_EQ(item.SQL, QStringLiteral("select *\r\nfrom T1\r\n"));
}

TEST(SqlItemWriteTest, AFailedWriteLeavesTheOldFile) {
  QTemporaryDir dir;
  const QString path = dir.path() + QStringLiteral("/n.sql");
  WriteSQLItem(path, QStringLiteral("A"), QString(), QStringLiteral("select 1"));
  // A character Windows-1250 can't hold stops the write before the file is touched.
  EXPECT_THROW(WriteSQLItem(path, QString::fromUtf8("日本"), QString(), QStringLiteral("select 2")),
               EConvertError);
  TSQLItem item;
  ReadSQLItem(path, item);
  EXPECT_EQ(item.Name, QStringLiteral("A"));
  EXPECT_EQ(item.SQL, QStringLiteral("select 1\r\n"));
}

TEST(SqlItemReadTest, AMissingFileRaisesTheFileError) {
  TSQLItem item;
  EXPECT_THROW(ReadSQLItem(QTemporaryDir().path() + QStringLiteral("/missing.sql"), item), EInOutError);
}

} // namespace
