#pragma once

#include <QString>
#include <memory>

// One saved query: a file in the folder "SQL" beside the program, with an optional header of
// "nazwa=", "opis=" and "****" lines before the statement.
class TSQLItem {
public:
  QString FileName; // name with extension, no folder
  QString Name;
  QString Description;
  QString SQL;
};

// The folder of the saved queries, ending with "/": "SQL" beside the program unless another one
// was set (tests give each case a folder of its own).
QString SQLFolder();
void SetSQLFolder(const QString &folder);
// The saved-query files of the folder, in the order the file system lists them.
QStringList SQLFiles();
// Reads a saved-query file; an unreadable file raises the file error.
void ReadSQLItem(const QString &path, TSQLItem &item);
std::unique_ptr<TSQLItem> ReadSQLItem(const QString &path);
// Writes a saved-query file whole (or not at all).
void WriteSQLItem(const QString &path, const QString &name, const QString &description, const QString &sql);
