#include "DatabaseListKeeper.h"

#include "Dialogs.h"
#include "Exceptions.h"
#include "woxMemTable.h"

#include <QFile>
#include <QFileInfo>
#include <filesystem>

namespace {

// A second name of the file where the file system has links, else a copy: the replacing write
// puts a new file in place of the old name and leaves this one as it was.
void KeepBeside(const QString &path, const QString &backup) {
  namespace fs = std::filesystem;
  const fs::path from = path.toStdU16String(), to = backup.toStdU16String();
  std::error_code error;
  fs::create_hard_link(from, to, error);
  if (error && !fs::copy_file(from, to, error))
    throw EInOutError(WithSystemReason(QString::fromUtf8("Nie udało się zachować pliku %1 jako %2; lista nie "
                                                         "została zapisana.")
                                           .arg(path, backup),
                                       QString::fromStdString(error.message())));
}

} // namespace

TDatabaseListKeeper::TDatabaseListKeeper(QString path, TwoxMemTable &table)
    : FPath(std::move(path)), FTable(table) {}

void TDatabaseListKeeper::Load() {
  if (!QFileInfo::exists(FPath))
    return;
  try {
    FTable.LoadFromFile(FPath);
    FReadError.clear();
  } catch (const Exception &error) {
    FReadError = error.Message().isEmpty() ? QStringLiteral("?") : error.Message();
    throw;
  } catch (const std::exception &error) {
    FReadError = QString::fromLocal8Bit(error.what());
    throw;
  }
}

bool TDatabaseListKeeper::AgreeToReplace() {
  if (!Unread() || FAgreed)
    return true;
  const int answer = MessageBox(
      QString::fromUtf8("Nie udało się odczytać pliku %1:\n%2\n\nZapisanie listy zastąpi ten plik. Jego "
                        "dotychczasowa zawartość zostanie zachowana w pliku %3.\n\nCzy zastąpić plik %1?")
          .arg(FPath, FReadError, BackupPath()),
      QStringLiteral("Uwaga"), MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2);
  FAgreed = answer == mrYes;
  return FAgreed;
}

void TDatabaseListKeeper::Save() {
  if (!AgreeToReplace())
    Abort();
  const QString backup = Unread() && QFileInfo::exists(FPath) ? BackupPath() : QString();
  if (!backup.isEmpty())
    KeepBeside(FPath, backup);
  try {
    FTable.SaveToFile(FPath);
  } catch (...) {
    // The old file is still in its place.
    if (!backup.isEmpty())
      QFile::remove(backup);
    throw;
  }
  FReadError.clear();
  FAgreed = false;
}

QString TDatabaseListKeeper::BackupPath() const {
  QString path = FPath + QStringLiteral(".bak");
  for (int n = 2; QFileInfo::exists(path) || QFileInfo(path).isSymLink(); ++n)
    path = FPath + QStringLiteral(".%1.bak").arg(n);
  return path;
}
