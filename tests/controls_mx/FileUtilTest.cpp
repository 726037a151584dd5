#include "FileUtil.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(FileUtil, ValidFileName) {
  struct Case {
    QString name;
    bool valid;
  };
  for (const Case &c :
       {Case{"a.txt", true}, Case{"dir/with blank/a.txt", true}, Case{"", false}, Case{"a<b", false},
        Case{"a>b", false}, Case{"a\"b", false}, Case{"a[1]", false}, Case{"a|b", false}})
    EXPECT_EQ(ValidFileName(c.name), c.valid) << c.name.toStdString();
  EXPECT_TRUE(HasAnyChar("abc", "xyc"));
  EXPECT_FALSE(HasAnyChar("abc", "xyz"));
}

TEST(FileUtil, NamesOfExistingFiles) {
  QTemporaryDir dir;
  const QString path = dir.filePath("Long Name.txt");
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.close();
  EXPECT_TRUE(DirExists(dir.path()));
  EXPECT_FALSE(DirExists(path));
  EXPECT_FALSE(DirExists(dir.filePath("missing")));
  EXPECT_EQ(LongFileName(path), "Long Name.txt");
  EXPECT_EQ(ShortFileName(path), "Long Name.txt");
  EXPECT_EQ(LongFileName(dir.filePath("missing.txt")), "");
}
