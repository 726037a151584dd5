#include "IniFiles.h"
#include "Exceptions.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QByteArray ReadBytes(const QString &fileName) {
  QFile file(fileName);
  EXPECT_TRUE(file.open(QIODevice::ReadOnly));
  return file.readAll();
}

void WriteRaw(const QString &fileName, const QByteArray &bytes) {
  QFile file(fileName);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(bytes);
}

class IniFilesTest : public testing::Test {
protected:
  QTemporaryDir dir;
  QString Path(const QString &name) const { return dir.filePath(name); }
};

TEST_F(IniFilesTest, PolishTextRoundTripsAsWindows1250WithCrLf) {
  const QString file = Path("meridox_sec.ini");
  {
    TMemIniFile ini(file);
    ini.WriteString("GROUPS", "Default", QString::fromUtf8("Księgowość"));
    ini.WriteInteger("GROUPS", "ChangeEnabled", 0);
    ini.UpdateFile();
  }
  // "Księgowość" in Windows-1250: ę = 0xEA, ś = 0x9C, ć = 0xE6.
  EXPECT_EQ(ReadBytes(file),
            QByteArray("[GROUPS]\r\nDefault=Ksi\xEAgowo\x9C\xE6\r\nChangeEnabled=0\r\n\r\n"));
  TMemIniFile again(file);
  EXPECT_EQ(again.ReadString("groups", "default", ""), QString::fromUtf8("Księgowość"));
  EXPECT_EQ(again.ReadInteger("GROUPS", "ChangeEnabled", 1), 0);
}

TEST_F(IniFilesTest, MissingFileAndMissingKeysGiveTheDefaults) {
  TMemIniFile ini(Path("absent.ini"));
  EXPECT_EQ(ini.ReadString("LAST_SERVER", "SERVER", "127.0.0.1"), "127.0.0.1");
  EXPECT_EQ(ini.ReadInteger("GROUPS", "ChangeEnabled", 1), 1);
  TStringList servers;
  ini.ReadSectionValues("SERVERS", servers);
  EXPECT_EQ(servers.Count(), 0);
  EXPECT_FALSE(QFile::exists(Path("absent.ini")));
}

TEST_F(IniFilesTest, NumbersThatDoNotParseGiveTheDefault) {
  WriteRaw(Path("n.ini"), "[G]\r\nA=12\r\nB=x1\r\nC=$1F\r\nD=\r\n");
  TMemIniFile ini(Path("n.ini"));
  EXPECT_EQ(ini.ReadInteger("G", "A", 7), 12);
  EXPECT_EQ(ini.ReadInteger("G", "B", 7), 7);
  EXPECT_EQ(ini.ReadInteger("G", "C", 7), 31);
  EXPECT_EQ(ini.ReadInteger("G", "D", 7), 7);
}

struct IntCase {
  const char *Text;
  int Expected;
};

TEST(StrToIntDefTest, EdgesOfTheIntRange) {
  const IntCase cases[] = {
      {"2147483647", 2147483647},
      {"-2147483648", -2147483647 - 1},
      {"2147483648", 7},
      {"-$80000000", -2147483647 - 1},
      {"$80000000", -2147483647 - 1},
      {"$FFFFFFFF", -1},
      {"-$FFFFFFFF", 1},
      {"$100000000", 7},
      {"0x7fffffff", 2147483647},
      {"-0x1", -1},
      {"$", 7},
      {"-", 7},
      {"$-1", 7},
      {"  42 ", 42},
      {"4 2", 7},
  };
  for (const IntCase &c : cases)
    EXPECT_EQ(StrToIntDef(QString::fromLatin1(c.Text), 7), c.Expected) << c.Text;
}

TEST_F(IniFilesTest, SectionValuesKeepPlainLinesWhole) {
  WriteRaw(Path("s.ini"), "; comment\r\n[SERVERS]\r\nalpha\r\n  10.1.2.3/3050  "
                          "\r\n\r\nbeta=1\r\n[LAST_SERVER]\nSERVER = gamma\n");
  TMemIniFile ini(Path("s.ini"));
  TStringList lines;
  ini.ReadSectionValues("SERVERS", lines);
  EXPECT_EQ(lines.ToStringList(), QStringList({"alpha", "10.1.2.3/3050", "beta=1"}));
  TStringList names;
  ini.ReadSection("SERVERS", names);
  EXPECT_EQ(names.ToStringList(), QStringList({"", "", "beta"}));
  EXPECT_EQ(ini.ReadString("LAST_SERVER", "SERVER", ""), "gamma");
}

TEST_F(IniFilesTest, SetStringsReplacesEveryOtherSection) {
  WriteRaw(Path("r.ini"), "[OTHER]\r\nX=1\r\n[GROUPS]\r\nDefault=A\r\n");
  TMemIniFile ini(Path("r.ini"));
  TStringList text;
  text.Add("[LAST_SERVER]");
  text.Add("SERVER=host");
  text.Add("[SERVERS]");
  text.Add("host");
  ini.SetStrings(text);
  ini.WriteString("GROUPS", "Default", "B");
  ini.UpdateFile();
  EXPECT_EQ(
      ReadBytes(Path("r.ini")),
      QByteArray(
          "[LAST_SERVER]\r\nSERVER=host\r\n\r\n[SERVERS]\r\nhost\r\n\r\n[GROUPS]\r\nDefault=B\r\n\r\n"));
  TMemIniFile reread(Path("r.ini"));
  EXPECT_FALSE(reread.SectionExists("OTHER"));
}

TEST_F(IniFilesTest, AFailedWriteLeavesTheOldFileIntact) {
  const QString file = Path("keep.ini");
  WriteRaw(file, "[A]\r\nB=old\r\n");
  TMemIniFile ini(file);
  ini.WriteString("A", "B", QString::fromUtf8("→ cannot be Windows-1250"));
  EXPECT_THROW(ini.UpdateFile(), EConvertError);
  EXPECT_EQ(ReadBytes(file), QByteArray("[A]\r\nB=old\r\n"));

  TMemIniFile unwritable(dir.filePath("missing-folder/x.ini"));
  unwritable.WriteString("A", "B", "c");
  EXPECT_THROW(unwritable.UpdateFile(), EInOutError);
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::NoDotAndDotDot), QStringList({"keep.ini"}));
}

} // namespace
