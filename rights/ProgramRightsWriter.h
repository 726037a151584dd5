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
// raised. A user whom the database cannot take (an identity number VELDAR cannot use, a value
// longer than its column) is refused with a message before any role, and the next one written.
class TProgramRightsWriter {
public:
  explicit TProgramRightsWriter(TRightsConnections connections);

  void Write(int group, const QString &path, const TTabSettings &tab, const TRightsAssignment &assignment);

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
  bool IdTaken(qint32 id);
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
  std::vector<TActiveSister> FSisters;
};
