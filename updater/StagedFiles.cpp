#include "StagedFiles.h"

#include "Exceptions.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace {

QString CannotCreate(const QString &target, const QString &reason = QString()) {
  return WithSystemReason(QStringLiteral("Nie można utworzyć pliku: ") + target, reason);
}

QString WriteFailed(const QString &target, const QString &reason = QString()) {
  return WithSystemReason(QStringLiteral("Błąd podczas zapisu do pliku: ") + target, reason);
}

// Without AT_SYMLINK_FOLLOW a symbolic link is linked itself, just as a rename moves it.
bool HardLink(const QString &from, const QString &to) {
  return ::linkat(AT_FDCWD, QFile::encodeName(from).constData(), AT_FDCWD, QFile::encodeName(to).constData(), 0) ==
         0;
}

// Something stands at the path, a dangling symbolic link included.
bool Occupied(const QString &path) {
  const QFileInfo info(path);
  return info.exists() || info.isSymLink();
}

// A file cannot take the place of a folder, nor have a name that ends as a folder's does.
void RefuseFolder(const QString &target) {
  if (target.endsWith(u'/') || QFileInfo(target).isDir())
    throw EInOutError(CannotCreate(target, SystemErrorText(EISDIR)));
}

} // namespace

TStagedFiles::TStagedFiles(QString folder, TRename rename)
    : Link(HardLink), FFolder(std::move(folder)), FRename(std::move(rename)) {}

TStagedFiles::~TStagedFiles() = default;

// The staging folder is made on first use, inside the target folder: renames out of it stay on one
// file system.
QString TStagedFiles::NewStagedPath(const QString &target) {
  if (!FStaging) {
    auto staging = std::make_unique<QTemporaryDir>(QDir(FFolder).filePath(QStringLiteral(".upgrade-XXXXXX")));
    if (!staging->isValid())
      throw EInOutError(CannotCreate(target));
    FStaging = std::move(staging);
  }
  return FStaging->filePath(QString::number(++FCount));
}

void TStagedFiles::Add(const QString &target, const QString &staged) {
  const QString clean = QDir::cleanPath(target);
  for (TStaged &file : FFiles)
    if (file.Target == clean) {
      QFile::remove(file.Staged);
      file.Staged = staged;
      return;
    }
  FFiles.push_back({clean, staged, QString()});
}

void TStagedFiles::Write(const QString &target, const std::function<void(QFileDevice &file)> &fill) {
  RefuseFolder(target);
  const QString staged = NewStagedPath(target);
  QFile file(staged);
  if (!file.open(QIODevice::WriteOnly))
    throw EInOutError(CannotCreate(target, file.errorString()));
  auto discard = qScopeGuard([&] {
    file.close();
    QFile::remove(staged);
  });
  fill(file);
  QString reason;
  if (file.error() != QFileDevice::NoError || !file.flush())
    reason = file.errorString();
  else if (::fsync(file.handle()) != 0)
    reason = SystemErrorText(errno);
  file.close();
  bool written = reason.isEmpty() && file.error() == QFileDevice::NoError;
  if (written && Occupied(target))
    written = file.setPermissions(QFile::permissions(target));
  if (!written)
    throw EInOutError(WriteFailed(target, reason.isEmpty() ? file.errorString() : reason));
  discard.dismiss();
  Add(target, staged);
}

// A write to a full disk can stop part of the way without an error: the count tells.
void TStagedFiles::Write(const QString &target, const QByteArray &bytes) {
  Write(target, [&](QFileDevice &file) {
    if (file.write(bytes) != bytes.size())
      throw EInOutError(WriteFailed(target, file.errorString()));
  });
}

void TStagedFiles::Keep(const QString &source, const QString &target) {
  RefuseFolder(target);
  const QString staged = NewStagedPath(target);
  LinkOrCopy(source, staged, target);
  Add(target, staged);
}

void TStagedFiles::LinkOrCopy(const QString &from, const QString &to, const QString &target) {
  if (!Link(from, to) && !QFile::copy(from, to))
    throw EInOutError(WriteFailed(target));
}

// Every file that Commit is going to replace is first linked into the staging folder, so that it can
// be put back by a rename.
void TStagedFiles::KeepPreviousFiles() {
  for (TStaged &file : FFiles)
    if (Occupied(file.Target)) {
      file.Previous = NewStagedPath(file.Target);
      LinkOrCopy(file.Target, file.Previous, file.Target);
    }
}

void TStagedFiles::MakeFolders(const QString &target, std::vector<QString> &created) {
  std::vector<QString> missing;
  QString folder = QFileInfo(target).absolutePath();
  for (; !QFileInfo(folder).exists(); folder = QFileInfo(folder).absolutePath())
    missing.push_back(folder);
  if (!QFileInfo(folder).isDir())
    throw EInOutError(CannotCreate(target));
  for (auto folder = missing.rbegin(); folder != missing.rend(); ++folder) {
    if (!QDir().mkdir(*folder))
      throw EInOutError(CannotCreate(target));
    created.push_back(*folder);
  }
}

void TStagedFiles::Commit() {
  KeepPreviousFiles();
  std::vector<QString> createdFolders;
  std::size_t done = 0;
  try {
    for (; done < FFiles.size(); ++done) {
      MakeFolders(FFiles[done].Target, createdFolders);
      FRename(FFiles[done].Staged, FFiles[done].Target);
    }
  } catch (const Exception &e) {
    if (Undo(done, createdFolders))
      throw;
    // The old files that could not be put back must not go with the staging folder.
    FStaging->setAutoRemove(false);
    throw EInOutError(e.Message() + QStringLiteral("\nPoprzednie wersje plików pozostały w folderze: ") +
                      FStaging->path());
  }
}

bool TStagedFiles::Undo(std::size_t done, const std::vector<QString> &createdFolders) {
  bool restored = true;
  for (std::size_t i = done; i-- > 0;) {
    const TStaged &file = FFiles[i];
    try {
      if (file.Previous.isEmpty())
        restored = QFile::remove(file.Target) && restored;
      else
        FRename(file.Previous, file.Target);
    } catch (const Exception &) {
      restored = false;
    }
  }
  for (auto folder = createdFolders.rbegin(); folder != createdFolders.rend(); ++folder)
    QDir().rmdir(*folder);
  return restored;
}
