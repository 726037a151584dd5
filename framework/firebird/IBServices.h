#pragma once

#include "StringList.h"

#include <QObject>
#include <ibase.h>
#include <vector>

struct TIBStatus;

enum TProtocol { TCP, SPX, NamedPipe, Local };

struct TUserInfo {
  QString UserName;
  QString FirstName;
  QString MiddleName;
  QString LastName;
  int UserID = 0;
  int GroupID = 0;
};

// The users in the answer of a display-users request: records that each start with the user name.
// Raises EDatabaseError on anything that is not a whole list (a record cut short, an unknown item).
std::vector<TUserInfo> ParseUserList(const QByteArray &answer);

// The server's user administration through the services API. ServerName "host" or "host/port";
// Params: user_name and password of the administrator. UserName, Password and the names describe
// the user that AddUser, ModifyUser and DeleteUser work on; ModifyUser changes only what was set
// since the last action. DisplayUsers / DisplayUser fill UserInfo. Names and passwords travel as
// UTF-8; a user name the service would read as another one (see CarriesUserName) is refused before
// anything is sent.
class TIBSecurityService : public QObject {
  Q_OBJECT

public:
  explicit TIBSecurityService(QObject *owner = nullptr);
  ~TIBSecurityService() override;

  const QString &ServerName() const { return FServerName; }
  void SetServerName(const QString &value);
  TProtocol Protocol() const { return FProtocol; }
  void SetProtocol(TProtocol value);
  TStringList &Params() { return FParams; }
  // There is no login dialog: the login comes from Params whatever this says.
  bool LoginPrompt() const { return FLoginPrompt; }
  void SetLoginPrompt(bool value) { FLoginPrompt = value; }
  // A connection found lost (the server went away) leaves the service inactive; detaching from
  // one is no error, so activating again after a server restart connects anew.
  bool Active() const { return FHandle != 0; }
  void SetActive(bool value);
  void Attach();
  void Detach();

  const QString &UserName() const { return FUser.UserName; }
  void SetUserName(const QString &value) { FUser.UserName = value; }
  const QString &Password() const { return FPassword; }
  void SetPassword(const QString &value);
  const QString &FirstName() const { return FUser.FirstName; }
  void SetFirstName(const QString &value);
  const QString &MiddleName() const { return FUser.MiddleName; }
  void SetMiddleName(const QString &value);
  const QString &LastName() const { return FUser.LastName; }
  void SetLastName(const QString &value);
  int UserID() const { return FUser.UserID; }
  void SetUserID(int value);
  int GroupID() const { return FUser.GroupID; }
  void SetGroupID(int value);

  void AddUser();
  void ModifyUser();
  void DeleteUser();
  void DisplayUsers();
  void DisplayUser(const QString &userName);
  int UserInfoCount() const { return static_cast<int>(FUserInfo.size()); }
  const TUserInfo &UserInfo(int index) const;

  // The service acts on exactly this name (its ASCII letters upper-cased): it is not empty, has no
  // blank or control character (the service cuts the name there), does not start with "-" (read as
  // a switch) and fits the server's 31 bytes of UTF-8.
  static bool CarriesUserName(const QString &name);
  static constexpr int MaxUserNameBytes = 31;
  // A login's parameter block carries a password of at most 255 bytes of UTF-8: a longer one can
  // be set, but nobody can log in with it.
  static constexpr int MaxPasswordBytes = 255;

private:
  enum TChange {
    chPassword = 1,
    chFirstName = 2,
    chMiddleName = 4,
    chLastName = 8,
    chUserID = 16,
    chGroupID = 32
  };
  QString ServiceName() const;
  void CheckActive() const;
  // Raises the status's error; a lost connection leaves the service inactive.
  void Check(const TIBStatus &status);
  static void CheckUserName(const QString &name);
  void RunUserAction(char action, int changes);
  // The whole answer for the item, gathered over as many calls as the service needs.
  QByteArray QueryAll(char item);
  void Display(const QString &userName);

  QString FServerName;
  TProtocol FProtocol = TCP;
  TStringList FParams;
  bool FLoginPrompt = false;
  isc_svc_handle FHandle = 0;
  TUserInfo FUser;
  QString FPassword;
  int FChanges = 0;
  std::vector<TUserInfo> FUserInfo;
};
