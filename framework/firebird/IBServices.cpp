#include "IBServices.h"

#include "IBError.h"
#include "IBParamBlock.h"
#include "Win1250.h"

#include <cstring>

namespace {

int LittleEndian(const char *data, int size) {
  return static_cast<int>(isc_vax_integer(data, static_cast<short>(size)));
}

} // namespace

TIBSecurityService::TIBSecurityService(QObject *owner) : QObject(owner) {}

TIBSecurityService::~TIBSecurityService() {
  if (Active()) {
    TIBStatus ignored;
    isc_service_detach(&ignored, &FHandle);
  }
}

void TIBSecurityService::SetServerName(const QString &value) {
  if (Active())
    throw EDatabaseError(QStringLiteral("Cannot change the server of an active service"));
  FServerName = value;
}

void TIBSecurityService::SetProtocol(TProtocol value) {
  if (Active())
    throw EDatabaseError(QStringLiteral("Cannot change the protocol of an active service"));
  FProtocol = value;
}

void TIBSecurityService::SetActive(bool value) { value ? Attach() : Detach(); }

QString TIBSecurityService::ServiceName() const {
  if (FProtocol == Local || FServerName.isEmpty())
    return QStringLiteral("service_mgr");
  if (FProtocol != TCP)
    throw EDatabaseError(QStringLiteral("Only the TCP protocol is available"));
  return FServerName + QStringLiteral(":service_mgr");
}

void TIBSecurityService::Attach() {
  if (Active())
    return;
  TIBParamBlock spb(isc_spb_version);
  spb.AddTag(isc_spb_current_version);
  for (int i = 0; i < FParams.Count(); ++i) {
    const QString name = FParams.Names(i).trimmed().toLower();
    const QByteArray value = Win1250::Encode(FParams.ValueFromIndex(i));
    if (name == QLatin1String("user_name"))
      spb.AddString(isc_spb_user_name, value);
    else if (name == QLatin1String("password"))
      spb.AddString(isc_spb_password, value);
    else if (!name.isEmpty())
      throw EDatabaseError(QStringLiteral("Unknown service parameter \"%1\"").arg(name));
  }
  const QByteArray service = Win1250::Encode(ServiceName());
  TIBStatus status;
  isc_service_attach(&status, static_cast<unsigned short>(service.size()), service.constData(), &FHandle,
                     spb.Length(), spb.Data());
  if (status.Failed())
    FHandle = 0;
  status.Check();
}

void TIBSecurityService::Detach() {
  if (!Active())
    return;
  TIBStatus status;
  isc_service_detach(&status, &FHandle);
  FHandle = 0;
  status.Check();
}

void TIBSecurityService::CheckActive() const {
  if (!Active())
    throw EDatabaseError(QStringLiteral("Service is not active"));
}

void TIBSecurityService::CheckUserName() const {
  if (FUser.UserName.trimmed().isEmpty())
    throw EDatabaseError(QStringLiteral("User name is not set"));
}

void TIBSecurityService::SetPassword(const QString &value) {
  FPassword = value;
  FChanges |= chPassword;
}

void TIBSecurityService::SetFirstName(const QString &value) {
  FUser.FirstName = value;
  FChanges |= chFirstName;
}

void TIBSecurityService::SetMiddleName(const QString &value) {
  FUser.MiddleName = value;
  FChanges |= chMiddleName;
}

void TIBSecurityService::SetLastName(const QString &value) {
  FUser.LastName = value;
  FChanges |= chLastName;
}

void TIBSecurityService::SetUserID(int value) {
  FUser.UserID = value;
  FChanges |= chUserID;
}

void TIBSecurityService::SetGroupID(int value) {
  FUser.GroupID = value;
  FChanges |= chGroupID;
}

void TIBSecurityService::RunUserAction(char action, int changes) {
  CheckActive();
  CheckUserName();
  TIBParamBlock request;
  request.AddTag(action);
  request.AddString2(isc_spb_sec_username, Win1250::Encode(FUser.UserName));
  if (changes & chPassword)
    request.AddString2(isc_spb_sec_password, Win1250::Encode(FPassword));
  if (changes & chFirstName)
    request.AddString2(isc_spb_sec_firstname, Win1250::Encode(FUser.FirstName));
  if (changes & chMiddleName)
    request.AddString2(isc_spb_sec_middlename, Win1250::Encode(FUser.MiddleName));
  if (changes & chLastName)
    request.AddString2(isc_spb_sec_lastname, Win1250::Encode(FUser.LastName));
  if (changes & chUserID)
    request.AddInt4(isc_spb_sec_userid, FUser.UserID);
  if (changes & chGroupID)
    request.AddInt4(isc_spb_sec_groupid, FUser.GroupID);
  TIBStatus status;
  isc_service_start(&status, &FHandle, nullptr, static_cast<unsigned short>(request.Length()), request.Data());
  status.Check();
  // The action has finished when the service has no more output for it.
  while (Query(isc_info_svc_line).size() > 0) {
  }
  FChanges = 0;
}

void TIBSecurityService::AddUser() {
  if (FPassword.isEmpty())
    throw EDatabaseError(QStringLiteral("Password is not set"));
  int changes = chPassword | (FChanges & (chUserID | chGroupID));
  if (!FUser.FirstName.isEmpty())
    changes |= chFirstName;
  if (!FUser.MiddleName.isEmpty())
    changes |= chMiddleName;
  if (!FUser.LastName.isEmpty())
    changes |= chLastName;
  RunUserAction(isc_action_svc_add_user, changes);
}

void TIBSecurityService::ModifyUser() { RunUserAction(isc_action_svc_modify_user, FChanges); }

void TIBSecurityService::DeleteUser() { RunUserAction(isc_action_svc_delete_user, 0); }

// The item's data gathered over as many calls as the service needs.
QByteArray TIBSecurityService::Query(char item) {
  QByteArray data;
  for (;;) {
    QByteArray buffer(0x7FFF, '\0');
    TIBStatus status;
    isc_service_query(&status, &FHandle, nullptr, 0, nullptr, 1, &item, static_cast<unsigned short>(buffer.size()),
                      buffer.data());
    status.Check();
    if (buffer[0] != item)
      return data;
    const int length = LittleEndian(buffer.constData() + 1, 2);
    data.append(buffer.constData() + 3, length);
    // Lines come one per call; other items come whole unless the buffer ran out.
    if (item == isc_info_svc_line || length == 0 || buffer[3 + length] != isc_info_truncated)
      return data;
  }
}

void TIBSecurityService::Display(const QString &userName) {
  CheckActive();
  TIBParamBlock request;
  request.AddTag(isc_action_svc_display_user);
  if (!userName.isNull())
    request.AddString2(isc_spb_sec_username, Win1250::Encode(userName));
  TIBStatus status;
  isc_service_start(&status, &FHandle, nullptr, static_cast<unsigned short>(request.Length()), request.Data());
  status.Check();
  const QByteArray data = Query(isc_info_svc_get_users);
  FUserInfo.clear();
  for (int i = 0; i < data.size();) {
    const char tag = data[i++];
    if (tag == isc_spb_sec_userid || tag == isc_spb_sec_groupid || tag == isc_spb_sec_admin) {
      const int value = LittleEndian(data.constData() + i, 4);
      i += 4;
      if (FUserInfo.empty())
        continue;
      if (tag == isc_spb_sec_userid)
        FUserInfo.back().UserID = value;
      else if (tag == isc_spb_sec_groupid)
        FUserInfo.back().GroupID = value;
      continue;
    }
    const int length = LittleEndian(data.constData() + i, 2);
    const QString text = Win1250::Decode(data.mid(i + 2, length));
    i += 2 + length;
    if (tag == isc_spb_sec_username)
      FUserInfo.push_back({text, {}, {}, {}, 0, 0});
    else if (FUserInfo.empty())
      continue;
    else if (tag == isc_spb_sec_firstname)
      FUserInfo.back().FirstName = text;
    else if (tag == isc_spb_sec_middlename)
      FUserInfo.back().MiddleName = text;
    else if (tag == isc_spb_sec_lastname)
      FUserInfo.back().LastName = text;
  }
}

void TIBSecurityService::DisplayUsers() { Display(QString()); }

void TIBSecurityService::DisplayUser(const QString &userName) { Display(userName); }

const TUserInfo &TIBSecurityService::UserInfo(int index) const {
  if (index < 0 || index >= UserInfoCount())
    throw EDatabaseError(QStringLiteral("User index %1 is out of range (%2 users)").arg(index).arg(UserInfoCount()));
  return FUserInfo[std::size_t(index)];
}
