#include "ProgramFolder.h"
#include "Application.h"

#include <QFileInfo>
#include <gtest/gtest.h>

namespace {

struct FolderScope {
  ~FolderScope() { SetProgramFolder(QString()); }
};

TEST(ProgramFolder, IsTheProgramsOwnFolderUnlessAnotherIsChosen) {
  FolderScope scope;
  const QString own = QFileInfo(Application()->ExeName()).absolutePath() + u'/';
  EXPECT_EQ(ProgramFolder(), own);
  SetProgramFolder(QStringLiteral("/srv/meridox/Dział kadr"));
  EXPECT_EQ(ProgramFolder(), QString::fromUtf8("/srv/meridox/Dział kadr/"));
  SetProgramFolder(QStringLiteral("/srv/meridox/"));
  EXPECT_EQ(ProgramFolder(), QStringLiteral("/srv/meridox/"));
  SetProgramFolder(QString());
  EXPECT_EQ(ProgramFolder(), own);
}

} // namespace
