#include "ProgramFolder.h"

#include "Application.h"

#include <QFileInfo>

namespace {
QString &ChosenFolder() {
  static QString folder;
  return folder;
}
} // namespace

QString ProgramFolder() {
  if (!ChosenFolder().isEmpty())
    return ChosenFolder();
  return QFileInfo(Application()->ExeName()).absolutePath() + u'/';
}

void SetProgramFolder(const QString &folder) {
  ChosenFolder() = folder.isEmpty() || folder.endsWith(u'/') ? folder : folder + u'/';
}
