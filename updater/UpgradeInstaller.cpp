#include "UpgradeInstaller.h"

#include "Common.h"
#include "Exceptions.h"
#include "Upg.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstdio>
#include <unistd.h>

TUpgradeInstaller::TUpgradeInstaller(QString programPath, QString packagePath)
    : FProgramPath(std::move(programPath)), FPackagePath(std::move(packagePath)) {}

QString TUpgradeInstaller::Folder() const {
  return AddTrailingBackslash(QFileInfo(FProgramPath).absolutePath());
}

QString TUpgradeInstaller::BackupPath() const { return Folder() + QStringLiteral("meridox_sec.bak"); }

bool TUpgradeInstaller::Execute(const QByteArray &installedImage) {
  const TVersionBlock installed = ImageVersionBlock(installedImage);
  TUpgradeArchiver archiver;
  archiver.Open(FPackagePath, true);
  TArchiveEntry first;
  if (!archiver.FirstEntry(first))
    throw Exception(QStringLiteral("Błędny plik z upgrade'm"));
  QByteArray image = archiver.ExtractToMemory(first);
  const TVersionBlock offered = ImageVersionBlock(image);
  if (offered.Major() > installed.Major())
    throw Exception(QStringLiteral(
        "Upgrade nie może zostać przeprowadzony. Dotychczasowa wersja programu jest za stara."));
  const bool newer = offered.Major() == installed.Major() && offered.Minor() > installed.Minor();
  if (!newer && !(OnConfirmNotNewer && OnConfirmNotNewer()))
    return false;
  CheckFurtherMembers(archiver, first);
  ReplaceProgram(image);
  image.clear();
  TArchiveEntry entry = first;
  while (archiver.NextEntry(entry))
    archiver.ExtractToFile(Folder(), entry);
  return true;
}

// A broken further member must be found before the program is replaced: every name is checked and
// every member decoded once.
void TUpgradeInstaller::CheckFurtherMembers(TUpgradeArchiver &archiver, TArchiveEntry entry) const {
  while (archiver.NextEntry(entry)) {
    TArchiver::TargetPath(Folder(), entry);
    archiver.ExtractToMemory(entry);
  }
}

void TUpgradeInstaller::WriteNewImage(const QString &fileName, const QByteArray &image) const {
  QFile file(fileName);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
    throw EInOutError(
        WithSystemReason(QStringLiteral("Nie można utworzyć pliku: ") + fileName, file.errorString()));
  bool failed = true;
  QString reason;
  if (file.write(image) != image.size() || !file.flush())
    reason = file.errorString();
  else if (::fsync(file.handle()) != 0)
    reason = SystemErrorText(errno);
  else if (!file.setPermissions(QFile::permissions(FProgramPath)))
    reason = file.errorString();
  else
    failed = false;
  file.close();
  if (failed || file.error() != QFileDevice::NoError) {
    if (reason.isEmpty())
      reason = file.errorString();
    file.remove();
    throw EInOutError(WithSystemReason(QStringLiteral("Błąd podczas zapisu do pliku: ") + fileName, reason));
  }
}

// The new image goes to a file beside the program first; the old program becomes the backup only
// once that file is complete, and comes back when the new one cannot be put in its place.
void TUpgradeInstaller::ReplaceProgram(const QByteArray &image) {
  const QString fresh = FProgramPath + QStringLiteral(".new");
  WriteNewImage(fresh, image);
  try {
    RenameFile(FProgramPath, BackupPath());
  } catch (...) {
    QFile::remove(fresh);
    throw;
  }
  try {
    RenameFile(fresh, FProgramPath);
  } catch (...) {
    QFile::remove(fresh);
    RenameFile(BackupPath(), FProgramPath);
    throw;
  }
}

// Moving a file into place creates the target under its name, so a failure is told as such.
void TUpgradeInstaller::RenameFile(const QString &from, const QString &to) {
  if (std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) != 0)
    throw EInOutError(
        WithSystemReason(QStringLiteral("Nie można utworzyć pliku: ") + to, SystemErrorText(errno)));
}

bool ReadWholeFile(const QString &fileName, QByteArray &bytes) {
  QFile file(fileName);
  if (!file.open(QIODevice::ReadOnly))
    return false;
  bytes = file.readAll();
  return file.error() == QFileDevice::NoError;
}
