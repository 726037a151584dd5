#include "TextFile.h"

#include "Exceptions.h"
#include "FileWrite.h"
#include "Win1250.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace TextFile {

bool Exists(const QString &fileName) { return QFileInfo(fileName).isFile(); }

QStringList ReadLines(const QString &fileName) {
  QFile file(fileName);
  if (!file.open(QIODevice::ReadOnly))
    throw EInOutError(QStringLiteral("Cannot open file \"%1\". %2").arg(fileName, file.errorString()));
  const QString text = Win1250::Decode(file.readAll());
  QStringList lines;
  QString line;
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar c = text.at(i);
    if (c == u'\r' || c == u'\n') {
      lines.append(line);
      line.clear();
      if (c == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n')
        ++i;
    } else {
      line.append(c);
    }
  }
  if (!line.isEmpty())
    lines.append(line);
  return lines;
}

QByteArray EncodeLines(const QStringList &lines) {
  QByteArray bytes;
  for (const QString &line : lines) {
    bytes += Win1250::Encode(line);
    bytes += "\r\n";
  }
  return bytes;
}

void WriteLines(const QString &fileName, const QStringList &lines) {
  WriteBytes(fileName, EncodeLines(lines));
}

void WriteBytes(const QString &fileName, const QByteArray &bytes) {
  QSaveFile file(fileName);
  // Unbuffered: a buffered short write (a full disk, a file size limit) is lost on the way and the
  // commit then puts a truncated file in place. A short write is retried, so that the next one
  // fails with the system's reason.
  if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
    const QString reason = file.errorString();
    throw EInOutError(QStringLiteral("Cannot create file \"%1\". %2").arg(fileName, reason), reason);
  }
  if (!WriteFully(file, bytes)) {
    const QString reason = file.errorString();
    file.cancelWriting();
    throw EInOutError(QStringLiteral("Cannot write file \"%1\". %2").arg(fileName, reason), reason);
  }
  if (!file.commit()) {
    const QString reason = file.errorString();
    throw EInOutError(QStringLiteral("Cannot write file \"%1\". %2").arg(fileName, reason), reason);
  }
}

} // namespace TextFile
