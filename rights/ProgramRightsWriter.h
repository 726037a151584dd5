#pragma once

#include "ProgramUserTables.h"
#include "RightsConnections.h"

#include <QHash>
#include <QString>
#include <optional>
#include <vector>

class TField;
class TIBSQL;

// A security user's personal data, trimmed.
struct TPersonalData {
  QString FirstName;
  QString Surname;
  QString Pesel;
};

// Whom one run writes: the ticked users (names trimmed, in the list's order) and the personal
// data of the security users by name.
struct TRightsAssignment {
  QStringList Users;
  QHash<QString, TPersonalData> People;
  // "Podmieniaj dane osobowe": an existing row takes the personal data again.
  bool ReplacePersonalData = false;
};

// Writes one database of a program group: connects it (and its sister files), checks that the
// login may administer it, then for every user gives the role of the tab's level and inserts or
// updates the user's row from the tab. Each user's roles and row are committed together; on an
// error the user's pending work is rolled back in every file of the database and the error is
// raised. A user whom the database cannot take (an identity number VELDAR cannot use or whose ID
// another row holds, a name longer than the server's user names, a value longer than its column)
// is refused with a message before any role, and the next one written.
// The message of an assignment run that an error ended at a database of a program group (Nazwa and
// connection path) and a user ("" when it ended before the first one): what was written before it,
// what was not, and the error's own text below.
QString RightsRunFailure(const QString &group, const QString &nazwa, const QString &path, const QString &user,
                         const QString &error);

class TProgramRightsWriter {
public:
  explicit TProgramRightsWriter(TRightsConnections connections);

  void Write(int group, const QString &path, const TTabSettings &tab, const TRightsAssignment &assignment);
  // The user being written when Write raised; "" when it raised before the first user (connecting,
  // the admin check).
  const QString &FailedUser() const { return FUser; }

private:
  struct TActiveSister {
    TRightsConnections::TSister Connection;
    int Level;
  };
  // One column of the user's row and what it gets.
  struct TColumnValue {
    TField *Field;
    QVariant Value;
  };

  // False when the login may not administer a file (the check told why): nothing is written.
  bool ConnectSisters(const QString &path, const TTabSettings &tab);
  void PrepareQuery(const TProgramUserTable &table);
  void WriteUser(int group, const QString &user, const TTabSettings &tab,
                 const TRightsAssignment &assignment);
  // The row's columns, or nothing when the user is refused (the message has been shown).
  std::optional<std::vector<TColumnValue>> RowValues(const QString &user, bool found, const TTabSettings &tab,
                                                     const TRightsAssignment &assignment);
  bool IdentityRefused(const QString &user, const std::optional<TPersonalData> &person,
                       std::vector<TColumnValue> &values);
  // The login name of the row that holds this ID, when one does.
  std::optional<QString> IdHolder(qint32 id);
  // A name longer than the server's user names is refused with a message.
  bool NameRefused(const QString &user);
  // The role statement, closed and set on the main file's transaction.
  TIBSQL &MainStatement();
  bool TooLong(const QString &user, const std::vector<TColumnValue> &values);
  void PostRow(const QString &user, bool found, const std::vector<TColumnValue> &values);
  void WriteCaseFileRights(int level);
  void CommitUser();
  void RollbackUser();

  TRightsConnections FConnections;
  const TProgramUserTable *FTable = nullptr;
  QString FPath;
  QString FUser;
  std::vector<TActiveSister> FSisters;
};
