#include "UpdaterTestHelpers.h"

#include "VersionBlock.h"

#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <random>

QByteArray FakeImage(std::uint16_t major, std::uint16_t minor, const QByteArray &filler) {
  const VersionBlock::TBlockBytes block = VersionBlock::Make(major, minor, 0, 7);
  return filler + QByteArray(reinterpret_cast<const char *>(&block), sizeof block) + filler;
}

QByteArray NoiseBytes(qsizetype length, unsigned seed) {
  std::mt19937 random(seed);
  QByteArray bytes(length, Qt::Uninitialized);
  for (char &c : bytes)
    c = char(random() % 7); // a small alphabet: some compression, many chunks for large members
  return bytes;
}

std::map<QString, TFileState> FolderState(const QString &folder) {
  std::map<QString, TFileState> state;
  QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                  QDirIterator::Subdirectories);
  while (it.hasNext()) {
    const QString path = it.next();
    QFile file(path);
    QByteArray bytes("(folder)");
    if (!it.fileInfo().isDir())
      bytes = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(unreadable)");
    state[path.mid(folder.size())] = {bytes, int(file.permissions())};
  }
  return state;
}

bool WriteTestFile(const QString &path, const QByteArray &bytes) {
  QFile file(path);
  return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size() &&
         file.flush();
}

QByteArray ReadFile(const QString &path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

QString RunProgram(const QString &path) {
  QProcess process;
  process.start(path, {});
  process.waitForFinished(20000);
  return QString::fromLatin1(process.readAllStandardOutput()).trimmed();
}
