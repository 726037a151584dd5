#pragma once

#include <QFileDevice>
#include <QString>
#include <QTemporaryDir>
#include <cstddef>
#include <functional>
#include <memory>
#include <vector>

// New files that go into one folder together. Each is written whole into a hidden staging folder
// inside that folder first; only Commit changes the files there, and only by renames, so a file is
// always either its old or its new self. A failure before Commit leaves the folder as it was; a
// failure during Commit puts back what it had already replaced.
class TStagedFiles {
public:
  using TRename = std::function<void(const QString &from, const QString &to)>;
  using TLink = std::function<bool(const QString &from, const QString &to)>;

  // Every target lies below `folder`; `rename` replaces `to` with `from` in one step or raises.
  TStagedFiles(QString folder, TRename rename);
  // Removes the staging folder with whatever is left in it.
  ~TStagedFiles();
  TStagedFiles(const TStagedFiles &) = delete;
  TStagedFiles &operator=(const TStagedFiles &) = delete;

  // Writes the new content of `target` through `fill` into a staged file and flushes it to disk. The
  // file takes the permissions of the one it replaces. Staging a target again replaces the earlier
  // file. Raises "Nie można utworzyć pliku: " or "Błąd podczas zapisu do pliku: " + target.
  void Write(const QString &target, const std::function<void(QFileDevice &file)> &fill);
  void Write(const QString &target, const QByteArray &bytes);
  // `target` is to become what `source` holds now: a hard link, or a copy where a link fails.
  void Keep(const QString &source, const QString &target);
  // Puts the staged files in place in the order they were staged, creating folders as needed.
  void Commit();

  // Makes a hard link; false when the file system refuses one. Tests replace it.
  TLink Link;

  // Whether a name is one that a staging folder takes.
  static bool IsStagingName(const QString &name);
  // Removes the staging folders that a run killed half-way left in `folder`; a folder that a running
  // install holds stays.
  static void RemoveLeftovers(const QString &folder);

private:
  struct TStaged {
    QString Target;
    QString Staged;
    QString Previous; // a link to the target's old file while Commit runs; empty when there was none
  };

  QString NewStagedPath(const QString &target);
  void Add(const QString &target, const QString &staged);
  void LinkOrCopy(const QString &from, const QString &to, const QString &target);
  void KeepPreviousFiles();
  void MakeFolders(const QString &target, std::vector<QString> &created);
  // Puts back the first `done` targets and removes the folders Commit made; false when a file could
  // not be put back.
  bool Undo(std::size_t done, const std::vector<QString> &createdFolders);
  // Gives the staging folder a name that RemoveLeftovers does not take and keeps it; returns its path.
  QString KeepStagingFolder();

  QString FFolder;
  TRename FRename;
  std::unique_ptr<QTemporaryDir> FStaging;
  int FStagingLock = -1; // held while the staging folder is in use, so that no other run removes it
  std::vector<TStaged> FFiles;
  int FCount = 0;
};
