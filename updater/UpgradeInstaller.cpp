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

TUpgradeInstaller::TUpgradeInstaller(QString programPath, QString packagePath)
    : FProgramPath(std::move(programPath)), FPackagePath(std::move(packagePath)) {}

QString TUpgradeInstaller::Folder() const {
  return AddTrailingBackslash(QFileInfo(FProgramPath).absolutePath());
}

QString TUpgradeInstaller::BackupPath() const { return Folder() + QStringLiteral("meridox_sec.bak"); }

bool TUpgradeInstaller::Execute(const QByteArray &installedImage) {
  TStagedFiles::RemoveLeftovers(Folder());
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
  TStagedFiles staged(Folder(), [this](const QString &from, const QString &to) { RenameFile(from, to); });
  staged.Keep(FProgramPath, BackupPath());
  staged.Write(QFileInfo(FProgramPath).absoluteFilePath(), image);
  image = QByteArray();
  TArchiveEntry entry = first;
  while (archiver.NextEntry(entry))
    staged.Write(MemberTarget(entry),
                 [&](QFileDevice &file) { archiver.ExtractToFile(Folder(), entry, &file); });
  staged.Commit();
  return true;
}

// A further file may take neither the place of the program nor of its backup, which would lose the old
// program, nor go into a staging folder, which the next run would remove.
QString TUpgradeInstaller::MemberTarget(const TArchiveEntry &entry) const {
  const QString target = TArchiver::TargetPath(Folder(), entry);
  const QString clean = QDir::cleanPath(target);
  const auto within = [&clean](const QString &path) {
    const QString other = QDir::cleanPath(path);
    return clean == other || clean.startsWith(other + u'/');
  };
  const QString firstStep = QDir(Folder()).relativeFilePath(clean).section(u'/', 0, 0);
  if (within(QFileInfo(FProgramPath).absoluteFilePath()) || within(BackupPath()) ||
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
