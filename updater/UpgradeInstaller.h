#pragma once

#include "ArchDef.h"

#include <QByteArray>
#include <QString>
#include <functional>

// Applies an update package to the installed program: compares the versions of the two images,
// keeps the old program as "meridox_sec.bak", puts the new image in its place and extracts the
// package's further files beside it. The new image and every further file are decoded into staged
// files first; only then do renames put them in place, so a broken package or a full disk leaves
// the program and its folder as they were, and there is never a moment without a program.
class TUpgradeInstaller {
public:
  // A program reached through a symbolic link is replaced where the link leads; its folder is the
  // folder of the package's further files.
  TUpgradeInstaller(const QString &programPath, QString packagePath);
  virtual ~TUpgradeInstaller() = default;

  // Asked when the package is not newer than the installed program; true goes on.
  std::function<bool()> OnConfirmNotNewer;

  // Works on the installed image that the caller has read; false when the person declined.
  bool Execute(const QByteArray &installedImage);

  QString Folder() const;
  QString BackupPath() const;

protected:
  // Renames, replacing an existing target; raises EInOutError when it fails.
  virtual void RenameFile(const QString &from, const QString &to);

private:
  // Where a further member goes; raises for a name that is not to be replaced by a package.
  QString MemberTarget(const TArchiveEntry &entry) const;

  QString FProgramPath;
  QString FPackagePath;
};

// Reads the whole file; false when it cannot be opened or read.
bool ReadWholeFile(const QString &fileName, QByteArray &bytes);
