#pragma once

#include "ScratchDatabase.h"

#include <QVariant>
#include <memory>
#include <vector>

class TDMSecurity;

struct SecurityPerson {
  QString Stem; // the name without its unique part
  QString Name; // in USERS and on the server: upper case, unique on the server
  QString FirstName;
  QString Surname;
  QString Pesel;  // USER_ID as it stands, not always a valid one
  QVariant Group; // null: no group
};

// A security database for the rights editor's tests, at the latest schema version, with people
// whose names are upper case and whose first names and surnames are Polish, whose PESEL values
// take every shape (11 digits; 10 characters; one with a letter; two that differ only in the 7th
// and 11th digit) and whose groups differ (also in case, and none); each one is a server user
// too. A second administrator holds RDB$ADMIN and logs in with that role. All of it, server users
// included, goes at the end.
class SecurityPeople {
public:
  SecurityPeople();
  ~SecurityPeople();

  QString Server() const { return FDb.Server(); }
  QString Path() const { return FDb.Path(); }
  ScratchDatabase &Database() { return FDb; }
  const std::vector<SecurityPerson> &People() const { return FPeople; }
  const SecurityPerson &Person(const QString &stem) const;
  static QString PersonPassword() { return QStringLiteral("Haslo1!x"); }
  const QString &AdministratorName() const { return FAdministrator; }
  static QString AdministratorPassword() { return QStringLiteral("Admin1!x"); }

  // A data module connected as the main window connects it (the role RDB$ADMIN for any login but
  // SYSDBA); as SYSDBA unless another login is given.
  std::unique_ptr<TDMSecurity> Connect(const QString &user = QString(), const QString &password = QString());
  std::unique_ptr<TDMSecurity> ConnectAsAdministrator();
  // Adds people named stem + a number, in the group, without server users: lists of thousands.
  void AddMany(const QString &stem, int count, const QString &group);

private:
  ScratchDatabase FDb;
  std::vector<SecurityPerson> FPeople;
  QString FAdministrator;
};
