#include "StringList.h"

#include <gtest/gtest.h>

namespace {

struct CommaCase {
  QStringList Items;
  QString Text;
};

TEST(StringListTest, CommaTextQuotesWhatNeedsIt) {
  const std::vector<CommaCase> cases = {
      {{"a", "b"}, "a,b"},
      {{"a b", "c"}, "\"a b\",c"},
      {{"say \"hi\""}, "\"say \"\"hi\"\"\""},
      {{"x,y"}, "\"x,y\""},
      {{""}, "\"\""},
      {{"", "a"}, ",a"},
      {{}, ""},
      {{"", ""}, ","},
      {{"", "", ""}, ",,"},
      {{"a", ""}, "a,"},
  };
  for (const CommaCase &c : cases) {
    TStringList list(c.Items);
    EXPECT_EQ(list.CommaText(), c.Text) << c.Text.toStdString();
    TStringList parsed;
    parsed.SetCommaText(c.Text);
    EXPECT_EQ(parsed.ToStringList(), c.Items) << c.Text.toStdString();
  }
}

TEST(StringListTest, CommaTextReadingSplitsOnBlanksOutsideQuotes) {
  TStringList list;
  list.SetCommaText("  one two,\"three four\" ,, five");
  EXPECT_EQ(list.ToStringList(), QStringList({"one", "two", "three four", "", "five"}));
}

TEST(StringListTest, CommaTextReadingStopsAtANul) {
  TStringList list;
  list.SetCommaText(QStringLiteral("a,b") + QChar(0) + QStringLiteral(",c"));
  EXPECT_EQ(list.ToStringList(), QStringList({"a", "b"}));
  list.SetCommaText(QString(QChar(0)) + QStringLiteral("a"));
  EXPECT_EQ(list.Count(), 0);
  list.SetCommaText(QStringLiteral("\"open") + QChar(0) + QStringLiteral("\""));
  EXPECT_EQ(list.ToStringList(), QStringList({"open"}));
}

TEST(StringListTest, SortedFindIgnoresCaseAndGivesTheInsertPosition) {
  TStringList list;
  list.SetSorted(true);
  for (const char *name : {"SYSDBA", "anna", "Bolek", "zenon"})
    list.Add(name);
  EXPECT_EQ(list.ToStringList(), QStringList({"anna", "Bolek", "SYSDBA", "zenon"}));
  int index = -1;
  EXPECT_TRUE(list.Find("sysdba", index));
  EXPECT_EQ(index, 2);
  EXPECT_FALSE(list.Find("celina", index));
  EXPECT_EQ(index, 2);
  EXPECT_EQ(list.Add("ANNA"), 0) << "duplicates are ignored by default";
  EXPECT_EQ(list.Count(), 4);
}

TEST(StringListTest, ValuesAndTextWithCrLf) {
  TStringList list;
  list.SetText("user_name=SYSDBA\npassword=x\r\nlc_ctype=WIN1250\rplain");
  EXPECT_EQ(list.Count(), 4);
  EXPECT_EQ(list.Values("USER_NAME"), "SYSDBA");
  list.SetValues("password", "");
  list.SetValues("sql_role_name", "RDB$ADMIN");
  EXPECT_EQ(list.Text(), "user_name=SYSDBA\r\nlc_ctype=WIN1250\r\nplain\r\nsql_role_name=RDB$ADMIN\r\n");
  EXPECT_EQ(list.Names(2), "");
}

} // namespace
