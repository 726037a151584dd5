#include "Common.h"

#include <gtest/gtest.h>

namespace {

std::vector<QByteArray> Tokens(const QByteArray &line) {
  TTokenizer tokenizer;
  InitTokenizer(tokenizer, line);
  std::vector<QByteArray> tokens;
  QByteArray token;
  while (NextToken(tokenizer, token))
    tokens.push_back(token);
  return tokens;
}

struct TokenCase {
  const char *Label;
  const char *Line;
  std::vector<QByteArray> Expected;
};

void PrintTo(const TokenCase &c, std::ostream *os) { *os << c.Label; }

class TokenizerLines : public testing::TestWithParam<TokenCase> {};

TEST_P(TokenizerLines, SplitsAtTabAndSpaceOnly) { EXPECT_EQ(Tokens(GetParam().Line), GetParam().Expected); }

INSTANTIATE_TEST_SUITE_P(
    Lines, TokenizerLines,
    testing::Values(TokenCase{"Tabs",
                              "P\t1.5\thttp://host:8080/a/meridox_sec.upg",
                              {"P", "1.5", "http://host:8080/a/meridox_sec.upg"}},
                    TokenCase{"Spaces", "  P   4.1  x ", {"P", "4.1", "x"}},
                    // "." and "/" cannot start a token and are skipped up to the next that can
                    TokenCase{"SkippedStarts", "./P .5 //x", {"P", "5", "x"}},
                    TokenCase{"NoStarter", "...", {}}, TokenCase{"Empty", "", {}},
                    // Polish letters of Windows-1250 start tokens: ą (0xB9), Ł (0xA3)
                    TokenCase{"PolishLetters", "\xB9z \xA3\xF3", {"\xB9z", "\xA3\xF3"}}),
    [](const testing::TestParamInfo<TokenCase> &info) { return std::string(info.param.Label); });

TEST(Tokenizer, StartSetHoldsTheTokenStarters) {
  TTokenizer tokenizer;
  InitTokenizer(tokenizer, "");
  const auto in = [&](unsigned char c) { return bool(tokenizer.StartSet[c / 8] & (1 << (c % 8))); };
  for (unsigned char c : {'"', '(', '*', ',', '-', '0', '9', '?', 'A', 'Z', '_', 'a', 'z'})
    EXPECT_TRUE(in(c)) << c;
  for (unsigned char c : {' ', '\t', '.', '/', ':', '!', '+', '@', '[', '`', '{'})
    EXPECT_FALSE(in(c)) << c;
  EXPECT_EQ(tokenizer.Position, 1);
  EXPECT_EQ(tokenizer.NoSkip, 0);
}

TEST(Tokenizer, FindCharInSetBounds) {
  TTokenizer tokenizer;
  InitTokenizer(tokenizer, "ab c");
  EXPECT_EQ(FindCharInSet("ab c", 1, tokenizer.DelimiterSet), 3);
  EXPECT_EQ(FindCharInSet("ab c", 4, tokenizer.DelimiterSet), 5) << "none left: length + 1";
  EXPECT_EQ(FindCharInSet("ab c", 5, tokenizer.DelimiterSet), -1) << "beyond the text";
}

TEST(Tokenizer, NoSkipStartsAtTheGivenPositionAndStepsOverTheDelimiter) {
  TTokenizer tokenizer;
  InitTokenizer(tokenizer, "..a b");
  tokenizer.NoSkip = 1;
  QByteArray token;
  EXPECT_EQ(NextTokenBounds(tokenizer, tokenizer.Text, token, 1), 5);
  EXPECT_EQ(token, QByteArray("..a"));
}

TEST(Tokenizer, AddTrailingBackslashAddsTheSeparatorOnce) {
  EXPECT_EQ(AddTrailingBackslash(QString()), QString());
  EXPECT_EQ(AddTrailingBackslash(QStringLiteral("/opt/m")), QStringLiteral("/opt/m/"));
  EXPECT_EQ(AddTrailingBackslash(QStringLiteral("/opt/m/")), QStringLiteral("/opt/m/"));
}

} // namespace
