#include "SQLHistory.h"

#include <gtest/gtest.h>

namespace {

TEST(SQLHistoryTest, EntriesComeBackExactlyWhateverTheirCharacters) {
  TSQLHistory history;
  // "ţ" is the byte 0xFE of Windows-1250; a statement may hold it as well as line breaks.
  const QStringList statements{QString::fromUtf8("select 'aţb' from RDB$DATABASE"),
                               QStringLiteral("select ID\r\nfrom T1\r\n\r\nwhere ID > 1"),
                               QStringLiteral("select '\r' || 'x' from RDB$DATABASE\r\n"), QString()};
  for (const QString &statement : statements)
    history.Add(statement);
  ASSERT_EQ(history.Count(), 4);
  for (int i = 0; i < statements.size(); ++i)
    EXPECT_EQ(history.Entry(i), statements[i]) << i;
}

TEST(SQLHistoryTest, WalksWithinItsEndsAndKeepsDuplicates) {
  TSQLHistory history;
  EXPECT_EQ(history.Index(), -1);
  EXPECT_FALSE(history.CanGoBack());
  EXPECT_FALSE(history.CanGoForward());
  history.Add(QStringLiteral("a"));
  EXPECT_EQ(history.Index(), 0);
  EXPECT_FALSE(history.CanGoBack());
  EXPECT_FALSE(history.CanGoForward());
  history.Add(QStringLiteral("b"));
  history.Add(QStringLiteral("b"));
  EXPECT_EQ(history.Count(), 3);
  EXPECT_EQ(history.Back(), QStringLiteral("b"));
  EXPECT_EQ(history.Back(), QStringLiteral("a"));
  EXPECT_FALSE(history.CanGoBack());
  EXPECT_EQ(history.Back(), QStringLiteral("a")); // stays at the first
  EXPECT_EQ(history.Forward(), QStringLiteral("b"));
  EXPECT_EQ(history.Forward(), QStringLiteral("b"));
  EXPECT_FALSE(history.CanGoForward());
  EXPECT_EQ(history.Index(), 2);
  // A new statement becomes the current entry, wherever the walk stood.
  history.Back();
  history.Add(QStringLiteral("c"));
  EXPECT_EQ(history.Index(), 3);
}

} // namespace
