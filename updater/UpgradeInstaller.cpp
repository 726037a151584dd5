#include "UpgradeInstaller.h"

#include "Common.h"
#include "Exceptions.h"
#include "StagedFiles.h"
#include "Upg.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstdio>

namespace {

// The program file itself. One reached through a symbolic link is replaced where the link leads, so
// that the link goes on naming the program, now the new build.
QString ProgramFile(const QString &path) {
  const QFileInfo info(path);
  const QString real = info.isSymLink() ? info.canonicalFilePath() : QString();
  return real.isEmpty() ? info.absoluteFilePath() : real;
}

// Whether a file put at `target` (its folders resolved) would replace `kept` or land below it, or
// would replace a link that names it: each is a road that loses the file.
bool TakesPlaceOf(const QString &target, const QString &kept) {
  if (IsWithinFolder(target, QDir::cleanPath(kept)))
    return true;
  const QFileInfo place(target);
  const QString real = QFileInfo(kept).canonicalFilePath();
  return place.isSymLink() && !real.isEmpty() && place.canonicalFilePath() == real;
}

} // namespace

TUpgradeInstaller::TUpgradeInstaller(const QString &programPath, QString packagePath)
    : FProgramPath(ProgramFile(programPath)), FPackagePath(std::move(packagePath)) {}

QString TUpgradeInstaller::Folder() const {
  return AddTrailingBackslash(QFileInfo(FProgramPath).absolutePath());
}

QString TUpgradeInstaller::BackupPath() const { return Folder() + QStringLiteral("meridox_sec.bak"); }

bool TUpgradeInstaller::Execute(const QByteArray &installedImage) {
  TStagedFiles::RemoveLeftovers(Folder());
  const TVersionBlock installed = ImageVersionBlock(installedImage);
  TUpgradeArchiver archiver;
  archiver.Open(FPackagePath, true);
  // No member is decoded before every member's claim is known to be within bounds.
  archiver.ForEachEntry(TArchiver::CheckClaim);
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
  TStagedFiles staged(Folder(), [this](const QString &from, const QString &to) { RenameFile(from, to); });
  staged.Keep(FProgramPath, BackupPath());
  staged.Write(FProgramPath, image);
  image = QByteArray();
  TArchiveEntry entry = first;
  while (archiver.NextEntry(entry))
    staged.Write(MemberTarget(entry),
                 [&](QFileDevice &file) { archiver.ExtractToFile(Folder(), entry, &file); });
  staged.Commit();
  return true;
}

// A further file may take neither the place of the program nor of its backup, by any road, which would
// lose the old program, nor go into a staging folder, which the next run would remove.
QString TUpgradeInstaller::MemberTarget(const TArchiveEntry &entry) const {
  const QString target = QDir::cleanPath(TArchiver::TargetPath(Folder(), entry));
  const QString firstStep = QDir(Folder()).relativeFilePath(target).section(u'/', 0, 0);
  if (TakesPlaceOf(target, FProgramPath) || TakesPlaceOf(target, BackupPath()) ||
      TStagedFiles::IsStagingName(firstStep))
    throw EArchiveError(TArchiver::ForbiddenNameMessage(entry));
  return target;
}

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
