#include "FileUtil.h"

#include <QFileInfo>

bool DirExists(const QString &name) { return !name.isEmpty() && QFileInfo(name).isDir(); }

bool HasAnyChar(const QString &s, const QString &characters) {
  for (QChar c : characters)
    if (s.contains(c))
      return true;
  return false;
}

bool ValidFileName(const QString &name) {
  return !name.isEmpty() && !HasAnyChar(name, QStringLiteral("<>\"[]|"));
}

QString LongFileName(const QString &name) {
  const QFileInfo info(name);
  return !name.isEmpty() && info.exists() ? info.fileName() : QString();
}

QString ShortFileName(const QString &name) { return LongFileName(name); }
