#include "USqlItem.h"

#include "Application.h"
#include "StringList.h"
#include "TextFile.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>

namespace {
QString &ChosenSQLFolder() {
  static QString folder;
  return folder;
}
} // namespace

QString SQLFolder() {
  if (!ChosenSQLFolder().isEmpty())
    return ChosenSQLFolder();
  return QFileInfo(Application()->ExeName()).absolutePath() + QStringLiteral("/SQL/");
}

void SetSQLFolder(const QString &folder) {
  ChosenSQLFolder() = folder.isEmpty() || folder.endsWith(u'/') ? folder : folder + u'/';
}

QStringList SQLFiles() {
  QStringList files;
  QDirIterator it(SQLFolder(), {QStringLiteral("*.sql")}, QDir::Files | QDir::Hidden | QDir::System);
  while (it.hasNext())
    files.append(it.next());
  return files;
}

namespace {

// The value of the first line whose key (text before the first "=") matches, ignoring case.
QString HeaderValue(const QStringList &lines, const QString &key) {
  for (const QString &line : lines) {
    const int eq = line.indexOf(u'=');
    if (eq >= 0 && line.left(eq).compare(key, Qt::CaseInsensitive) == 0)
      return line.mid(eq + 1);
  }
  return QString();
}

QString JoinedWithCrLf(const QStringList &lines) {
  QString text;
  for (const QString &line : lines)
    text += line + QStringLiteral("\r\n");
  return text;
}

} // namespace

void ReadSQLItem(const QString &path, TSQLItem &item) {
  QStringList lines = TextFile::ReadLines(path);
  item.FileName = QFileInfo(path).fileName();
  if (lines.size() > 3 && lines[2] == QStringLiteral("****")) {
    item.Name = HeaderValue(lines, QStringLiteral("Nazwa"));
    item.Description = HeaderValue(lines, QStringLiteral("Opis"));
    lines.erase(lines.begin(), lines.begin() + 3);
  } else {
    item.Name = item.FileName;
    item.Description.clear();
  }
  item.SQL = JoinedWithCrLf(lines);
}

std::unique_ptr<TSQLItem> ReadSQLItem(const QString &path) {
  auto item = std::make_unique<TSQLItem>();
  ReadSQLItem(path, *item);
  return item;
}

void WriteSQLItem(const QString &path, const QString &name, const QString &description, const QString &sql) {
  // One text split into lines, so that line breaks inside the description or the statement stay
  // line breaks of the file.
  TStringList lines;
  lines.SetText(QStringLiteral("nazwa=%1\r\nopis=%2\r\n****\r\n").arg(name, description) + sql);
  lines.SaveToFile(path);
}
