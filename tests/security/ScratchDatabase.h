#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>

// A database file of its own on the test server, and the server users a test made, all removed
// again when it goes out of scope. Statements run as SYSDBA in a transaction of their own.
class ScratchDatabase {
public:
  explicit ScratchDatabase(const QString &stem);
  // A file at this path (as it follows "server:"), such as a sister file beside another database.
  struct AtPath {
    QString Path;
  };
  explicit ScratchDatabase(const AtPath &at);
  ~ScratchDatabase();
  ScratchDatabase(const ScratchDatabase &) = delete;
  ScratchDatabase &operator=(const ScratchDatabase &) = delete;

  QString Server() const { return FServer; }
  // The file, as it follows "server:" in a database name.
  QString Path() const { return FPath; }
  QString DatabaseName() const { return FServer + u':' + FPath; }

  // Creates the file as SYSDBA with this default character set.
  void Create(const QString &characterSet = QStringLiteral("WIN1250"));
  void Execute(const QStringList &statements);
  void Execute(const QString &statement) { Execute(QStringList{statement}); }
  // Over a UTF-8 connection, for names that Windows-1250 cannot hold.
  void ExecuteUtf8(const QString &statement);
  QVariant QueryValue(const QString &sql);
  // The first column of every row, as text.
  QStringList QueryStrings(const QString &sql);
  // A server user with a unique name made from the stem; dropped at the end.
  QString CreateServerUser(const QString &stem, const QString &password);
  // Drops a user made elsewhere (by the program under test or in SQL) at the end as well.
  void ForgetServerUser(const QString &name) { FServerUsers.append(name); }
  // Drops these server users now, in SQL on this database.
  void DropServerUsers(const QStringList &names);

private:
  QString FServer;
  QString FPath;
  QStringList FServerUsers;
};
