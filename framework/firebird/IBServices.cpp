#include "IBServices.h"

#include "IBError.h"
#include "IBParamBlock.h"

#include <QStringDecoder>

namespace {

// The largest answer buffer a query can name.
constexpr int kAnswerSize = 0xFFFF;

int LittleEndian(const char *data, int size) {
  return static_cast<int>(isc_vax_integer(data, static_cast<short>(size)));
}

[[noreturn]] void ListError(const QString &what) {
  throw EDatabaseError(QStringLiteral("The server's user list cannot be read: %1").arg(what));
}

// Walks the records of a display-users answer.
class TUserListReader {
public:
  explicit TUserListReader(const QByteArray &answer) : FData(answer) {}

  // The service writes the same items for every user, so a record with fewer items than the
  // first one was cut short.
  std::vector<TUserInfo> Read() {
    std::vector<TUserInfo> users;
    QByteArray items, firstItems;
    while (FPos < FData.size()) {
      const char tag = FData[FPos++];
      if (tag != isc_spb_sec_username && users.empty())
        ListError(QStringLiteral("it does not start with a user name"));
      if (tag == isc_spb_sec_username && !users.empty())
        CheckItems(items, firstItems);
      items.append(tag);
      switch (tag) {
      case isc_spb_sec_username: users.push_back({Text(), {}, {}, {}, 0, 0}); break;
      case isc_spb_sec_firstname: users.back().FirstName = Text(); break;
      case isc_spb_sec_middlename: users.back().MiddleName = Text(); break;
      case isc_spb_sec_lastname: users.back().LastName = Text(); break;
      case isc_spb_sec_groupname: Text(); break;
      case isc_spb_sec_userid: users.back().UserID = Integer(); break;
      case isc_spb_sec_groupid: users.back().GroupID = Integer(); break;
      case isc_spb_sec_admin: Integer(); break;
      default: ListError(QStringLiteral("unknown item %1 at byte %2").arg(int(tag)).arg(FPos - 1));
      }
    }
    if (!users.empty())
      CheckItems(items, firstItems);
    return users;
  }

private:
  static void CheckItems(QByteArray &items, QByteArray &firstItems) {
    if (firstItems.isEmpty())
      firstItems = items;
    else if (items != firstItems)
      ListError(QStringLiteral("a record holds other items than the first one"));
    items.clear();
  }
  const char *Take(qsizetype size) {
    if (size > FData.size() - FPos)
      ListError(QStringLiteral("it ends inside a record"));
    const char *data = FData.constData() + FPos;
    FPos += size;
    return data;
  }
  int Integer() { return LittleEndian(Take(4), 4); }
  QString Text() {
    const int length = static_cast<unsigned short>(LittleEndian(Take(2), 2));
    const char *bytes = Take(length);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(QByteArrayView(bytes, length));
    if (utf8.hasError())
      ListError(QStringLiteral("a name is not UTF-8"));
    return text;
  }

  const QByteArray &FData;
  qsizetype FPos = 0;
};

} // namespace

std::vector<TUserInfo> ParseUserList(const QByteArray &answer) { return TUserListReader(answer).Read(); }

bool TIBSecurityService::CarriesUserName(const QString &name) {
  if (name.isEmpty() || name.startsWith(u'-') || !name.isValidUtf16() ||
      name.toUtf8().size() > MaxUserNameBytes)
    return false;
  for (const QChar c : name)
    if (c.isSpace() || c.category() == QChar::Other_Control)
      return false;
  return true;
}

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
  // Every text of the service, both ways, is UTF-8: without the marker the client refuses any
  // byte outside ASCII.
  spb.AddString(isc_spb_utf8_filename, QByteArray());
  for (int i = 0; i < FParams.Count(); ++i) {
    const QString name = FParams.Names(i).trimmed().toLower();
    const QByteArray value = FParams.ValueFromIndex(i).toUtf8();
    if (name == QLatin1String("user_name"))
      spb.AddString(isc_spb_user_name, value);
    else if (name == QLatin1String("password"))
      spb.AddString(isc_spb_password, value);
    else if (!name.isEmpty())
      throw EDatabaseError(QStringLiteral("Unknown service parameter \"%1\"").arg(name));
  }
  const QByteArray service = ServiceName().toUtf8();
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
  CheckDetach(status);
}

void TIBSecurityService::Check(const TIBStatus &status) {
  CheckConnection(status, QStringLiteral("service ") + ServiceName(), [this] {
    TIBStatus ignored;
    isc_service_detach(&ignored, &FHandle);
    FHandle = 0;
  });
}

void TIBSecurityService::CheckActive() const {
  if (!Active())
    throw EDatabaseError(QStringLiteral("Service is not active"));
}

void TIBSecurityService::CheckUserName(const QString &name) {
  if (name.trimmed().isEmpty())
    throw EDatabaseError(QStringLiteral("User name is not set"));
  if (!CarriesUserName(name))
    throw EDatabaseError(
        QStringLiteral("The user service cannot carry the user name \"%1\" exactly").arg(name));
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
  CheckUserName(FUser.UserName);
  TIBParamBlock request;
  request.AddTag(action);
  request.AddString2(isc_spb_sec_username, FUser.UserName.toUtf8());
  if (changes & chPassword)
    request.AddString2(isc_spb_sec_password, FPassword.toUtf8());
  if (changes & chFirstName)
    request.AddString2(isc_spb_sec_firstname, FUser.FirstName.toUtf8());
  if (changes & chMiddleName)
    request.AddString2(isc_spb_sec_middlename, FUser.MiddleName.toUtf8());
  if (changes & chLastName)
    request.AddString2(isc_spb_sec_lastname, FUser.LastName.toUtf8());
  if (changes & chUserID)
    request.AddInt4(isc_spb_sec_userid, FUser.UserID);
  if (changes & chGroupID)
    request.AddInt4(isc_spb_sec_groupid, FUser.GroupID);
  TIBStatus status;
  isc_service_start(&status, &FHandle, nullptr, static_cast<unsigned short>(request.Length()),
                    request.Data());
  Check(status);
  // The action has finished when the service has no more output for it.
  QueryAll(isc_info_svc_line);
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

// The service hands its output out in pieces, each of them ending at whatever byte its buffer
// ended on; an empty piece ends the output. Output left unread would keep the service busy.
QByteArray TIBSecurityService::QueryAll(char item) {
  QByteArray data;
  QByteArray buffer(kAnswerSize, '\0');
  for (;;) {
    TIBStatus status;
    isc_service_query(&status, &FHandle, nullptr, 0, nullptr, 1, &item,
                      static_cast<unsigned short>(buffer.size()), buffer.data());
    Check(status);
    if (buffer[0] == isc_info_end)
      return data;
    if (buffer[0] != item)
      throw EDatabaseError(QStringLiteral("The service answered item %1 where %2 was asked for")
                               .arg(int(buffer[0]))
                               .arg(int(item)));
    const int length = static_cast<unsigned short>(LittleEndian(buffer.constData() + 1, 2));
    if (3 + length >= buffer.size() || buffer[3 + length] == isc_info_truncated)
      throw EDatabaseError(QStringLiteral("The service's answer does not fit its buffer"));
    if (length == 0)
      return data;
    data.append(buffer.constData() + 3, length);
  }
}

void TIBSecurityService::Display(const QString &userName) {
  CheckActive();
  TIBParamBlock request;
  request.AddTag(isc_action_svc_display_user);
  if (!userName.isNull()) {
    CheckUserName(userName);
    request.AddString2(isc_spb_sec_username, userName.toUtf8());
  }
  TIBStatus status;
  isc_service_start(&status, &FHandle, nullptr, static_cast<unsigned short>(request.Length()),
                    request.Data());
  Check(status);
  FUserInfo.clear();
  FUserInfo = ParseUserList(QueryAll(isc_info_svc_get_users));
}

void TIBSecurityService::DisplayUsers() { Display(QString()); }

void TIBSecurityService::DisplayUser(const QString &userName) { Display(userName); }

const TUserInfo &TIBSecurityService::UserInfo(int index) const {
  if (index < 0 || index >= UserInfoCount())
    throw EDatabaseError(
        QStringLiteral("User index %1 is out of range (%2 users)").arg(index).arg(UserInfoCount()));
  return FUserInfo[std::size_t(index)];
}
