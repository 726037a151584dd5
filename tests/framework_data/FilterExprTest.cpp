#include "TestDataSet.h"

#include "Exceptions.h"
#include "FilterExpr.h"
#include "FormatSettings.h"

#include <gtest/gtest.h>

namespace {

class FilterExprTest : public ::testing::Test {
protected:
  void SetUp() override {
    FormatSettings() = TFormatSettings::Polish();
    Data.FieldDefs().Add("NAME", ftString, 20);
    Data.FieldDefs().Add("AGE", ftInteger);
    Data.FieldDefs().Add("BORN", ftDate);
    Data.FieldDefs().Add("ACTIVE", ftBoolean);
    Data.FieldDefs().Add("SALARY", ftFloat);
    Data.FieldDefs().Add("MY FIELD", ftString, 5);
    Data.Open();
  }
  QString Parse(const QString &text, TFilterOptions options = {}) {
    return TFilterExpr(&Data, text, options).Root().ToString();
  }

  TFormatSettingsScope Settings;
  TTestDataSet Data;
};

} // namespace

TEST_F(FilterExprTest, ExpressionsBecomeTrees) {
  struct Case {
    const char *Text;
    TFilterOptions Options;
    const char *Tree;
  } cases[] = {
      {"NAME = 'Anna'", {}, "(NAME = 'Anna')"},
      {"name='It''s'", {}, "(NAME = 'It''s')"},
      {"AGE > 3 and AGE <= 10", {}, "((AGE > 3) AND (AGE <= 10))"},
      {"AGE >= 3 OR NOT AGE <> 4 AND ACTIVE", {}, "((AGE >= 3) OR ((NOT (AGE <> 4)) AND ACTIVE))"},
      {"(AGE + 2) * 3 < SALARY / 2 - 1", {}, "(((AGE + 2) * 3) < ((SALARY / 2) - 1))"},
      {"AGE = -5", {}, "(AGE = -5)"},
      {"-AGE = 5", {}, "((-AGE) = 5)"},
      {"AGE = '7'", {}, "(AGE = 7)"},
      {"SALARY < 2.5e3", {}, "(SALARY < 2500)"},
      {"BORN >= '01.02.2003'", {}, "(BORN >= DATE'2003-02-01')"},
      {"ACTIVE = 'true'", {}, "(ACTIVE = TRUE)"},
      {"ACTIVE = FALSE", {}, "(ACTIVE = FALSE)"},
      {"NAME = 'Ann*'", {}, "(NAME =[3] 'Ann')"},
      {"NAME = 'Ann*'", foNoPartialCompare, "(NAME = 'Ann*')"},
      {"NAME <> 'ann'", foCaseInsensitive, "(NAME <>~ 'ann')"},
      {"NAME LIKE 'A*a'", {}, "(NAME LIKE 'A*a')"},
      {"NAME NOT LIKE \"A?\"", {}, "(NOT (NAME LIKE 'A?'))"},
      {"AGE IN (1, 2, 3)", {}, "(AGE IN (1, 2, 3))"},
      {"NAME NOT IN ('a','b')", {}, "(NOT (NAME IN ('a', 'b')))"},
      {"NAME IS NULL", {}, "(NAME IS NULL)"},
      {"NAME is not null", {}, "(NAME IS NOT NULL)"},
      {"NAME = NULL", {}, "(NAME IS NULL)"},
      {"NAME <> NULL", {}, "(NAME IS NOT NULL)"},
      {"UPPER(NAME) = 'ANNA'", {}, "(UPPER(NAME) = 'ANNA')"},
      {"lower(NAME) = 'anna'", {}, "(LOWER(NAME) = 'anna')"},
      {"SUBSTRING(NAME, 1, 2) = 'An'", {}, "(SUBSTRING(NAME, 1, 2) = 'An')"},
      {"YEAR(BORN) = 2003 and GETDATE() > BORN", {}, "((YEAR(BORN) = 2003) AND (GETDATE() > BORN))"},
      {"[MY FIELD] = 'x'", {}, "(MY FIELD = 'x')"},
  };
  for (const Case &c : cases)
    EXPECT_EQ(Parse(QString::fromLatin1(c.Text), c.Options), QString::fromLatin1(c.Tree)) << c.Text;
}

TEST_F(FilterExprTest, NodesCarryClassesAndOperators) {
  TFilterExpr expr(&Data, "NAME = 'Ann*' and AGE in (1,2)", foCaseInsensitive);
  const TFilterNode &root = expr.Root();
  ASSERT_EQ(root.NodeClass, nodeBINARY);
  EXPECT_EQ(root.Operator, coAND);
  const TFilterNode &compare = *root.Args[0];
  EXPECT_EQ(compare.NodeClass, nodeCOMPARE);
  EXPECT_EQ(compare.Operator, coEQ);
  EXPECT_TRUE(compare.CaseInsensitive);
  EXPECT_EQ(compare.PartialLength, 3);
  EXPECT_EQ(compare.Args[0]->NodeClass, nodeFIELD);
  EXPECT_EQ(compare.Args[0]->Field, Data.FieldByName("NAME"));
  EXPECT_EQ(compare.Args[1]->NodeClass, nodeCONST);
  EXPECT_EQ(compare.Args[1]->DataType, ftString);
  const TFilterNode &in = *root.Args[1];
  EXPECT_EQ(in.Operator, coIN);
  ASSERT_EQ(in.Args[1]->NodeClass, nodeLIST);
  EXPECT_EQ(in.Args[1]->Args.size(), 2u);
  EXPECT_EQ(in.Args[1]->Args[1]->Value, QVariant(qint64(2)));
}

TEST_F(FilterExprTest, BadExpressionsRaiseClearErrors) {
  struct Case {
    const char *Text;
    const char *Message;
  } cases[] = {
      {"", "Expression expected but nothing found"},
      {"NAME = 'Anna", "Unterminated string constant"},
      {"[NAME = 1", "Unterminated field name"},
      {"NAZWA = 1", "Field 'NAZWA' not found"},
      {"AGE = 1 AGE", "Filter expression incorrectly terminated at 'AGE'"},
      {"(AGE = 1", "')' expected but nothing found"},
      {"AGE = ", "Expression expected but nothing found"},
      {"AGE > NULL", "NULL only allowed with '=' and '<>'"},
      {"AGE = 1 # 2", "Invalid filter expression character: '#'"},
      {"AGE = 'abc'", "'abc' is not a valid value for field 'AGE'"},
      {"BORN = '31.02.2003'", "'31.02.2003' is not a valid value for field 'BORN'"},
      {"NAME IS 5", "NULL expected but 5 found"},
  };
  for (const Case &c : cases) {
    try {
      Parse(QString::fromLatin1(c.Text));
      ADD_FAILURE() << c.Text << " parsed";
    } catch (const EDatabaseError &e) {
      EXPECT_EQ(e.Message(), QString::fromLatin1(c.Message)) << c.Text;
    }
  }
}

TEST_F(FilterExprTest, NestingBeyondWhatCanBeWalkedIsRefused) {
  const QString refusal = QStringLiteral("Filter expression is nested too deeply");
  const QString deepParentheses = QString(300, u'(') + QStringLiteral("AGE = 1") + QString(300, u')');
  const QString longChain = QStringLiteral("AGE = 1") + QStringLiteral(" + 1").repeated(1200);
  const QString manyNots = QStringLiteral("NOT ").repeated(300) + QStringLiteral("AGE = 1");
  const QString manyMinus =
      QStringLiteral("AGE = ") + QStringLiteral("- ").repeated(300) + QStringLiteral("1");
  for (const QString &text : {deepParentheses, longChain, manyNots, manyMinus}) {
    try {
      Parse(text);
      ADD_FAILURE() << text.left(40).toStdString() << " parsed";
    } catch (const EDatabaseError &e) {
      EXPECT_EQ(e.Message(), refusal) << text.left(40).toStdString();
    }
  }
  // What people write stays well inside the limits.
  EXPECT_NO_THROW(Parse(QString(50, u'(') + QStringLiteral("AGE = 1") + QString(50, u')')));
  EXPECT_NO_THROW(
      Parse(QStringList(QList<QString>(500, QStringLiteral("AGE = 1"))).join(QStringLiteral(" OR "))));
}

TEST(MatchesMask, WildcardsOfLike) {
  struct Case {
    const char *Text, *Mask;
    bool CaseInsensitive, Match;
  } cases[] = {
      {"Anna", "A*", false, true},     {"Anna", "a*", false, false},    {"Anna", "a*", true, true},
      {"Anna", "*n*", false, true},    {"Anna", "A??a", false, true},   {"Anna", "A?a", false, false},
      {"Anna", "*", false, true},      {"", "*", false, true},          {"", "?", false, false},
      {"abcabd", "*abd", false, true}, {"abcab", "*abd", false, false}, {"Anna", "Anna", false, true},
      {"Annak", "Anna", false, false},
  };
  for (const Case &c : cases)
    EXPECT_EQ(MatchesMask(QString::fromLatin1(c.Text), QString::fromLatin1(c.Mask), c.CaseInsensitive),
              c.Match)
        << c.Text << " " << c.Mask;
}
