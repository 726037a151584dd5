#include "StagedFiles.h"

#include "Exceptions.h"
#include "FileWrite.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
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
  return ::linkat(AT_FDCWD, QFile::encodeName(from).constData(), AT_FDCWD, QFile::encodeName(to).constData(),
                  0) == 0;
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

constexpr QLatin1StringView StagingPrefix(".upgrade-");

// An exclusive lock on the folder itself; -1 when it is held elsewhere or cannot be taken.
int LockFolder(const QString &folder, bool wait) {
  const int fd =
      ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd >= 0 && ::flock(fd, LOCK_EX | (wait ? 0 : LOCK_NB)) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

} // namespace

TStagedFiles::TStagedFiles(QString folder, TRename rename)
    : Link(HardLink), FFolder(std::move(folder)), FRename(std::move(rename)) {}

TStagedFiles::~TStagedFiles() {
  FStaging.reset();
  if (FStagingLock >= 0)
    ::close(FStagingLock);
}

bool TStagedFiles::IsStagingName(const QString &name) {
  if (name.size() != StagingPrefix.size() + 6 || !name.startsWith(StagingPrefix))
    return false;
  return std::all_of(name.begin() + StagingPrefix.size(), name.end(),
                     [](QChar c) { return c.isLetterOrNumber() && c.unicode() < 0x80; });
}

void TStagedFiles::RemoveLeftovers(const QString &folder) {
  const QDir dir(folder);
  for (const QFileInfo &entry :
       dir.entryInfoList(QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot | QDir::NoSymLinks)) {
    if (!IsStagingName(entry.fileName()))
      continue;
    const int lock = LockFolder(entry.filePath(), false);
    if (lock < 0)
      continue;
    QDir(entry.filePath()).removeRecursively();
    ::close(lock);
  }
}

// The staging folder is made on first use, inside the target folder: renames out of it stay on one
// file system.
QString TStagedFiles::NewStagedPath(const QString &target) {
  if (!FStaging) {
    auto staging =
        std::make_unique<QTemporaryDir>(QDir(FFolder).filePath(StagingPrefix + QStringLiteral("XXXXXX")));
    if (!staging->isValid())
      throw EInOutError(CannotCreate(target, staging->errorString()));
    // The lock goes with the process, however it ends: a folder nobody holds is a leftover.
    FStagingLock = LockFolder(staging->path(), true);
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

void TStagedFiles::Write(const QString &target, const QByteArray &bytes) {
  Write(target, [&](QFileDevice &file) {
    if (!WriteFully(file, bytes))
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
    throw EInOutError(e.Message() + QStringLiteral("\nPoprzednie wersje plików pozostały w folderze: ") +
                      KeepStagingFolder());
  }
}

// The old files that could not be put back must go neither with this run nor with the next one's
// clean-up.
QString TStagedFiles::KeepStagingFolder() {
  FStaging->setAutoRemove(false);
  const QString kept = FStaging->path() + QStringLiteral("-zachowane");
  return QDir().rename(FStaging->path(), kept) ? kept : FStaging->path();
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
