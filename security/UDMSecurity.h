#pragma once

#include "UAdminRights.h"

#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>

class Exception;
class TDataSet;
class TField;
class TIBDatabase;
class TIBQuery;
class TIBScript;
class TIBStoredProc;
class TIBTransaction;
class TIBUpdateSQL;

// The security data module: the connection to the security database, its schema scripts, the
// password policy row and the users list.
class TDMSecurity : public QObject {
  Q_OBJECT
public:
  explicit TDMSecurity(QObject *owner = nullptr);

  TIBDatabase *Database;
  TIBTransaction *Transaction;
  TIBQuery *config;
  TIBUpdateSQL *updConfig;
  TIBQuery *users;
  TIBUpdateSQL *updUsers;
  TIBStoredProc *procMODIFY_PASS_TIME;
  TIBStoredProc *procGET_VERSION;
  TIBStoredProc *procGET_PSWD_LENGTH;
  TIBStoredProc *procGET_EXTRA_CHARS;
  TIBStoredProc *procGET_DIGITS;
  TIBStoredProc *procGET_LOWER_CASES;
  TIBStoredProc *procGET_UPPER_CASES;
  TIBStoredProc *procGET_OPTIONS;
  TIBScript *DBScript;
  TIBScript *UpdateToVer1;
  TIBScript *UpdateToVer2;
  TIBScript *UpdateToVer3;
  TIBScript *UpdateToVer4;

  // What follows "server:" in the database name: the server's alias of the security database.
  // Tests point it at a database file of their own.
  QString SecurityAlias = QStringLiteral("meridox_sec");

  // The first two lines of the users statement; the third one orders it. One row per user, whatever
  // number of grants of RDB$ADMIN it holds; RDB$RELATION_NAME is "RDB$ADMIN" for a holder.
  static QStringList UsersSelectLines();
  static QString UsersOrderByName() { return QStringLiteral("order by u.USER_NAME"); }
  static QString UsersOrderBySurname() { return QStringLiteral("order by u.SECOND_NAME, u.FIRST_NAME"); }
  // The eight columns of USERS that the list's update statements write.
  static const QStringList &UsersColumns();
  // A user name as USERS stores it: upper-case.
  static QString StoredUserName(const QString &name) { return name.toUpper(); }
  // Whether the users list's current row holds RDB$ADMIN, as the list's join reads it.
  bool CurrentUserHoldsAdminRole() const;

  // Connects to Server:"meridox_sec" as the user, checks admin rights, upgrades the schema and opens
  // the policy row and the users list. A login without admin rights is told so and disconnected:
  // the result is then false. Connection errors raise.
  bool Connect(const QString &Server, const QString &UserName, const QString &Password);
  // Creates Server:"meridox_sec" as SYSDBA and lays schema version 1 on it.
  void CreateSecurityDatabase(const QString &Server, const QString &SysdbaPassword);

  // 0 for a database older than version 1.
  int GetSchemaVersion();
  void UpgradeSchema();

  // True when the password meets the policy; otherwise tells the user the first rule it breaks.
  bool CheckPassword(const QString &Password);
  // Bit 0 of OPTIONS as the database holds it; false when it cannot be read.
  bool GetSysdbaFlag();
  // Bit 0 of OPTIONS in the open policy row (true while it is closed).
  bool GetConfigSysdbaFlag();
  void SetConfigSysdbaFlag(bool Value);

  // Runs work with the users list's posts and deletes committed once, at its end, rather than each
  // on its own, and the list's controls brought up to date once. When work raises, none of its
  // changes stay: they are rolled back and the list is read again before the exception goes on.
  void InOneCommit(const std::function<void()> &work);
  // The USER_NAME of every row of USERS, group filter or not, case-folded.
  QSet<QString> ListedUserNames();

  void configBeforePost(TDataSet *DataSet);
  void configAfterPost(TDataSet *DataSet);
  void configAfterCancel(TDataSet *DataSet);
  void usersAfterEdit(TDataSet *DataSet);
  void usersBeforePost(TDataSet *DataSet);
  void usersAfterPost(TDataSet *DataSet);
  void usersAfterDelete(TDataSet *DataSet);
  void usersAfterCancel(TDataSet *DataSet);

private:
  void CreateUsersFields();
  void SetUpConfig();
  void SetUpUsers();
  TIBStoredProc *NewProc(const QString &name);
  TIBScript *NewScript(const QString &text);
  int ExecIntProc(TIBStoredProc *proc, const QString &output);
  void CommitUsersChange();
  void RefuseUnseenChange();
  [[noreturn]] void RefuseLockedRow(const QString &userName, const Exception &error);
  void ReloadKeepingTyped(const QString &userName);

  int FOneCommitDepth = 0;
  // The users row as the person saw it when the edit began, by column (USER_NAME first).
  QList<QVariant> FSeenRow;
};

// Counts of the kinds of characters in a password, over its Windows-1250 bytes: only the ASCII
// letters and digits are letters and digits, everything else (Polish letters too) is special.
struct TPasswordCounts {
  int Length = 0;
  int Special = 0;
  int Digits = 0;
  int Lower = 0;
  int Upper = 0;
};
TPasswordCounts CountPasswordCharacters(const QString &password);
