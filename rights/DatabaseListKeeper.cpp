#include "DatabaseListKeeper.h"

#include "DatabaseListFormat.h"
#include "Dialogs.h"
#include "Exceptions.h"
#include "TextFile.h"
#include "woxMemTable.h"

#include <QFile>
#include <QFileInfo>

namespace {

// A copy of the old bytes, written whole or not at all. A second name would not do where "bazy.txt"
// is a symbolic link: the save writes into the file the link names, which the second name shows.
void KeepBeside(const QString &path, const QString &backup) {
  QFile file(path);
  QString reason;
  if (file.open(QIODevice::ReadOnly)) {
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
      reason = file.errorString();
    else
      try {
        TextFile::WriteBytes(backup, bytes);
      } catch (const EInOutError &error) {
        reason = error.Reason().isEmpty() ? error.Message() : error.Reason();
      }
  } else {
    reason = file.errorString();
  }
  if (!reason.isEmpty())
    throw EInOutError(WithSystemReason(QString::fromUtf8("Nie udało się zachować pliku %1 jako %2; lista nie "
                                                         "została zapisana.")
                                           .arg(path, backup),
                                       reason));
}

} // namespace

TDatabaseListKeeper::TDatabaseListKeeper(QString path, TwoxMemTable &table)
    : FPath(std::move(path)), FTable(table) {}

void TDatabaseListKeeper::Load() {
  if (!QFileInfo::exists(FPath))
    return;
  try {
    LoadDatabaseList(FTable, FPath);
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
