#include "StagedFiles.h"

#include "Exceptions.h"
#include "UpdaterTestHelpers.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <gtest/gtest.h>

namespace {

class StagedFilesTest : public testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(WriteTestFile(Path("program"), "old program"));
    ASSERT_TRUE(WriteTestFile(Path("data.txt"), "old data"));
  }
  QString Path(const char *name) const { return dir.filePath(QString::fromUtf8(name)); }
  // A rename that fails at the calls listed (counting from 1), as a busy or read-only folder would.
  TStagedFiles::TRename FailingAt(std::vector<int> failing) {
    return [this, failing](const QString &from, const QString &to) {
      if (std::find(failing.begin(), failing.end(), ++renames) != failing.end())
        throw EInOutError(QStringLiteral("simulated rename failure"));
      if (std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) != 0)
        throw EInOutError(QStringLiteral("rename failed"));
    };
  }
  void Stage(TStagedFiles &files) {
    files.Keep(Path("program"), Path("program.bak"));
    files.Write(Path("program"), [](QFileDevice &file) { file.write("new program"); });
    files.Write(Path("data.txt"), [](QFileDevice &file) { file.write("new data"); });
    files.Write(Path("new/deeper/file.txt"), [](QFileDevice &file) { file.write("new file"); });
  }
  static QString ErrorOf(const std::function<void()> &work) {
    try {
      work();
    } catch (const Exception &e) {
      return e.Message();
    }
    return QStringLiteral("(no error)");
  }

  QTemporaryDir dir;
  int renames = 0;
};

// The folder's files, leaving out the staging folder.
std::map<QString, TFileState> OutsideStaging(std::map<QString, TFileState> state) {
  std::erase_if(state, [](const auto &file) { return file.first.startsWith(QStringLiteral("/.upgrade-")); });
  return state;
}

TEST_F(StagedFilesTest, NothingChangesUntilCommit) {
  const auto before = FolderState(dir.path());
  {
    TStagedFiles files(dir.path(), FailingAt({}));
    Stage(files);
    EXPECT_EQ(OutsideStaging(FolderState(dir.path())), before);
    EXPECT_GT(FolderState(dir.path()).size(), before.size());
  }
  EXPECT_EQ(FolderState(dir.path()), before);
  EXPECT_EQ(renames, 0);
}

// A failing fill is a file that was not written: nothing of it stays.
TEST_F(StagedFilesTest, FailedWriteLeavesNoStagedFile) {
  const auto before = FolderState(dir.path());
  TStagedFiles files(dir.path(), FailingAt({}));
  EXPECT_EQ(ErrorOf([&] {
              files.Write(Path("data.txt"),
                          [](QFileDevice &) { throw EInOutError(QStringLiteral("fill failed")); });
            }),
            QStringLiteral("fill failed"));
  EXPECT_EQ(FolderState(dir.path()).size(), before.size() + 1) << "an empty staging folder";
  files.Commit();
  EXPECT_EQ(OutsideStaging(FolderState(dir.path())), before);
}

// Where the file system refuses hard links, the backup and the files kept for putting back are
// copies; a failure then still restores every file.
TEST_F(StagedFilesTest, CopiesServeWhereLinksAreRefused) {
  const auto before = FolderState(dir.path());
  {
    TStagedFiles files(dir.path(), FailingAt({4}));
    files.Link = [](const QString &, const QString &) { return false; };
    Stage(files);
    EXPECT_EQ(ErrorOf([&] { files.Commit(); }), QStringLiteral("simulated rename failure"));
  }
  EXPECT_EQ(FolderState(dir.path()), before);

  TStagedFiles files(dir.path(), FailingAt({}));
  files.Link = [](const QString &, const QString &) { return false; };
  Stage(files);
  files.Commit();
  EXPECT_EQ(ReadFile(Path("program.bak")), QByteArray("old program"));
  EXPECT_EQ(ReadFile(Path("program")), QByteArray("new program"));
  EXPECT_EQ(ReadFile(Path("new/deeper/file.txt")), QByteArray("new file"));
}

// Staging a target again replaces the earlier file, and never writes into a file that another name
// shares: the backup is a link to the program, so writing into it would change the program.
TEST_F(StagedFilesTest, StagingATargetAgainReplacesTheEarlierFile) {
  TStagedFiles files(dir.path(), FailingAt({}));
  files.Keep(Path("program"), Path("program.bak"));
  files.Write(Path("program.bak"), [](QFileDevice &file) { file.write("written later"); });
  files.Write(Path("./data.txt"), [](QFileDevice &file) { file.write("first"); });
  files.Write(Path("data.txt"), [](QFileDevice &file) { file.write("second"); });
  EXPECT_EQ(ReadFile(Path("program")), QByteArray("old program"));
  files.Commit();
  EXPECT_EQ(renames, 2);
  EXPECT_EQ(ReadFile(Path("program.bak")), QByteArray("written later"));
  EXPECT_EQ(ReadFile(Path("data.txt")), QByteArray("second"));
  EXPECT_EQ(ReadFile(Path("program")), QByteArray("old program"));
}

// When even putting back fails, the old files are not thrown away with the staging folder: the
// error says where they are.
TEST_F(StagedFilesTest, OldFilesThatCannotBePutBackStayAndAreNamed) {
  QString error;
  {
    TStagedFiles files(dir.path(), FailingAt({3, 4}));
    Stage(files);
    error = ErrorOf([&] { files.Commit(); });
  }
  const QString prefix =
      QStringLiteral("simulated rename failure\nPoprzednie wersje plików pozostały w folderze: ");
  ASSERT_TRUE(error.startsWith(prefix)) << error.toStdString();
  const QDir kept(error.mid(prefix.size()));
  ASSERT_TRUE(kept.exists());
  std::vector<QByteArray> contents;
  for (const QString &name : kept.entryList(QDir::Files, QDir::Name))
    contents.push_back(ReadFile(kept.filePath(name)));
  EXPECT_NE(std::find(contents.begin(), contents.end(), QByteArray("old program")), contents.end());
  EXPECT_EQ(ReadFile(Path("program")), QByteArray("new program")) << "the program could not be put back";
  EXPECT_FALSE(QFile::exists(Path("program.bak"))) << "a file that was new is removed again";
}

// What a killed run left goes: a folder by the staging name that no running install holds. Files,
// links and folders of other names stay, and so does what a link points to.
TEST_F(StagedFilesTest, LeftoversGoAndNothingElse) {
  const auto folder = [this](const char *name) {
    EXPECT_TRUE(QDir().mkpath(Path(name) + QStringLiteral("/sub")));
    EXPECT_TRUE(WriteTestFile(Path(name) + QStringLiteral("/sub/1"), "staged"));
  };
  folder(".upgrade-AbC123");
  folder(".upgrade-xyzXYZ");
  for (const char *other :
       {".upgrade-abc", ".upgrade-ABCDEFG", "upgrade-ABCDEF", ".upgrade-AbCdEf-zachowane", ".upgrade-ab-dEf"})
    folder(other);
  ASSERT_TRUE(WriteTestFile(Path(".upgrade-FILEAB"), "a file"));
  QTemporaryDir outside;
  ASSERT_TRUE(WriteTestFile(outside.filePath(QStringLiteral("kept.txt")), "kept"));
  ASSERT_TRUE(QFile::link(outside.path(), Path(".upgrade-LINKAB")));
  TStagedFiles live(dir.path(), FailingAt({}));
  const QStringList before =
      QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
  live.Write(Path("data.txt"), [](QFileDevice &file) { file.write("new data"); });

  TStagedFiles::RemoveLeftovers(dir.path());
  EXPECT_FALSE(QFileInfo::exists(Path(".upgrade-AbC123")));
  EXPECT_FALSE(QFileInfo::exists(Path(".upgrade-xyzXYZ")));
  QStringList after = QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
  QStringList expected = before;
  expected.removeAll(QStringLiteral(".upgrade-AbC123"));
  expected.removeAll(QStringLiteral(".upgrade-xyzXYZ"));
  ASSERT_EQ(after.size(), expected.size() + 1) << "the running install's folder stays";
  for (const QString &name : expected)
    EXPECT_TRUE(after.contains(name)) << name.toStdString();
  EXPECT_EQ(ReadFile(outside.filePath(QStringLiteral("kept.txt"))), QByteArray("kept"));
  live.Commit();
  EXPECT_EQ(ReadFile(Path("data.txt")), QByteArray("new data"));
}

} // namespace
