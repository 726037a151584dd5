#pragma once

#include "ScratchDatabase.h"

#include <QStringList>
#include <map>
#include <memory>

// What sets a test's application database apart from the plain one of its group.
struct ApplicationDatabaseOptions {
  QString CharacterSet = QStringLiteral("WIN1250");
  // The group's write role is missing.
  bool WithoutWriteRole = false;
  // The user table's login column is varchar(KeyLength) instead of varchar(31); 0 keeps 31.
  int KeyLength = 0;
  // VELDAR and GRESSON only: UID may be null, and a row with a null UID is there.
  bool NullableUid = false;
  // BAVIRO only: its PRAWA refuses a right of 2 or more.
  bool RightBelowTwo = false;
  // A file of garbage stands where this sister (".fdd" or ".fdr") belongs.
  QString GarbageSister;
  // Nothing stands where these sisters belong.
  QStringList MissingSisters;
  // Logins granted RDB$ADMIN in the database and in its sisters.
  QStringList Administrators;
  // This sister grants RDB$ADMIN to none of them.
  QString SisterWithoutAdministrators;
};

// The user table of a group and its login column.
struct ApplicationUserTable {
  QString Table;
  QString KeyColumn;
};
ApplicationUserTable UserTableOf(const QString &group);
// The group's sister files, in the order ".fdd", ".fdr".
QStringList SisterExtensionsOf(const QString &group);

// An application database of a program group on the test server: created with its default
// character set, the group's roles, generators and user table; with its sister files (same path
// and stem, ".fdd" / ".fdr") that hold only the group's roles. Everything is dropped at the end.
class ApplicationDatabase {
public:
  explicit ApplicationDatabase(const QString &group, const ApplicationDatabaseOptions &options = {});
  ~ApplicationDatabase();
  ApplicationDatabase(const ApplicationDatabase &) = delete;
  ApplicationDatabase &operator=(const ApplicationDatabase &) = delete;

  const QString &Group() const { return FGroup; }
  // The file as "bazy.txt" names it in "Baza", and as a connection names it.
  QString Path() const { return FMain.Path(); }
  QString DatabaseName() const { return FMain.DatabaseName(); }
  QString SisterPath(const QString &extension) const;
  ScratchDatabase &Main() { return FMain; }
  // A sister that is a database (not the garbage one).
  ScratchDatabase &Sister(const QString &extension);

  void Execute(const QStringList &statements) { FMain.Execute(statements); }
  void Execute(const QString &statement) { FMain.Execute(statement); }
  // Reads run as SYSDBA over a connection kept open (per file) and see what is committed.
  QVariant QueryValue(const QString &sql);
  // The roles the user holds in the main file, or in the sister of that extension, sorted.
  QStringList RolesOf(const QString &user, const QString &extension = QString());

private:
  class Reader;
  // The first column of every row, in the main file or in the sister of that extension.
  QList<QVariant> Read(const QString &sql, const QString &extension);
  void CreateSister(const QString &extension, const ApplicationDatabaseOptions &options);
  QStringList RoleStatements(const ApplicationDatabaseOptions &options, bool sister) const;

  QString FGroup;
  ScratchDatabase FMain;
  std::map<QString, std::unique_ptr<ScratchDatabase>> FSisters;
  QString FGarbage;
  // Closed before the files are dropped: declared after them.
  std::map<QString, std::unique_ptr<Reader>> FReaders;
};
