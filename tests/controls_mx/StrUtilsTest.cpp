#include "StrUtils.h"
#include "MaxMin.h"

#include <gtest/gtest.h>

TEST(StrUtils, ReplaceStr) {
  struct Case {
    QString s, search, replacement, expected;
  };
  for (const Case &c : {
           Case{"a-b-c", "-", "+", "a+b+c"},
           Case{"aaa", "aa", "b", "ba"},
           Case{"abc", "b", "bb", "abbc"}, // the replacement holds the search text: no loop
           Case{"abc", "", "x", "abc"},
           Case{"", "a", "b", ""},
           Case{"xx", "x", "", ""},
       })
    EXPECT_EQ(ReplaceStr(c.s, c.search, c.replacement), c.expected) << c.s.toStdString();
}

TEST(StrUtils, Words) {
  struct Case {
    int n;
    QString s;
    int position;
    QString word;
  };
  const TCharSet delimiters = QStringLiteral(" ,");
  for (const Case &c : {
           Case{1, "alpha beta", 1, "alpha"},
           Case{2, "alpha beta", 7, "beta"},
           Case{3, "alpha beta", 0, ""},
           Case{1, "  ,lead", 4, "lead"},
           Case{2, "a,,b, ", 4, "b"},
           Case{1, "", 0, ""},
           Case{0, "a b", 0, ""},
       }) {
    EXPECT_EQ(WordPosition(c.n, c.s, delimiters), c.position) << c.n << " " << c.s.toStdString();
    EXPECT_EQ(ExtractWord(c.n, c.s, delimiters), c.word) << c.n << " " << c.s.toStdString();
  }
}

TEST(StrUtils, MakeStrAndCharSets) {
  EXPECT_EQ(MakeStr(u'x', 3), "xxx");
  EXPECT_EQ(MakeStr(u'x', 0), "");
  EXPECT_EQ(MakeStr(u'x', -2), "");
  EXPECT_TRUE(AllCharsInSet("", "01"));
  EXPECT_TRUE(AllCharsInSet("0110", "01"));
  EXPECT_FALSE(AllCharsInSet("012", "01"));
  EXPECT_EQ(Max(-3, 2), 2);
  EXPECT_EQ(Min(-3, 2), -3);
}

TEST(StrUtils, UnquoteIfQuoted) {
  struct Case {
    QString s, expected;
  };
  for (const Case &c : {
           Case{R"("C:\My Files\a.htm")", R"(C:\My Files\a.htm)"},
           Case{R"("say ""hi""")", R"(say "hi")"},
           Case{R"("")", ""},
           Case{"", ""},
           Case{"plain text", "plain text"},
           Case{R"(a "b")", R"(a "b")"},
           // A quote that never closes is plain text, not a quoted string cut short.
           Case{R"("C:\never closed)", R"("C:\never closed)"},
           // Text after the closing quote is not dropped.
           Case{R"("a.htm" extra)", R"("a.htm" extra)"},
       })
    EXPECT_EQ(UnquoteIfQuoted(c.s, u'"'), c.expected) << c.s.toStdString();
}
