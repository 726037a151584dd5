#include "UServerUserName.h"

#include "Dialogs.h"
#include "Exceptions.h"
#include "IBServices.h"
#include "UDMSecurity.h"
#include "Win1250.h"

#include <QHash>

QString ServerUserNameProblem(const QString &name) {
  if (TIBSecurityService::CarriesUserName(name) && Win1250::CanEncode(name))
    return QString();
  if (name.isEmpty())
    return QString::fromUtf8("Nazwa użytkownika nie może być pusta.");
  for (const QChar c : name)
    if (c.isSpace() || c.category() == QChar::Other_Control)
      return QString::fromUtf8("Nazwa użytkownika nie może zawierać spacji, tabulatorów ani innych znaków "
                               "niewidocznych.");
  if (name.startsWith(u'-'))
    return QString::fromUtf8("Nazwa użytkownika nie może zaczynać się od znaku \"-\".");
  if (!Win1250::CanEncode(name))
    return QString::fromUtf8("Nazwa użytkownika może zawierać tylko znaki strony kodowej Windows-1250.");
  return QString::fromUtf8("Nazwa użytkownika może mieć najwyżej %1 znaków (polska litera liczy się za dwa).")
      .arg(TIBSecurityService::MaxUserNameBytes);
}

QString ServerPasswordProblem(const QString &password) {
  if (!Win1250::CanEncode(password))
    return QString::fromUtf8("Hasło może zawierać tylko znaki strony kodowej Windows-1250.");
  if (password.toUtf8().size() > TIBSecurityService::MaxPasswordBytes)
    return QString::fromUtf8(
               "Hasło jest za długie: może mieć najwyżej %1 bajtów w zapisie UTF-8 (polska litera "
               "zajmuje dwa).")
        .arg(TIBSecurityService::MaxPasswordBytes);
  return QString();
}

void RefuseUnsafeServerUserName(const QString &name) {
  const QString problem = ServerUserNameProblem(name);
  if (problem.isEmpty())
    return;
  MessageBox(QString::fromUtf8("Serwer nie wykona tej operacji dla użytkownika \"%1\".").arg(name) + u'\n' +
                 problem,
             QString::fromUtf8("Błąd"), MB_OK | MB_ICONERROR);
  Abort();
}

QStringList ServerUsersWithOwnRows(const QStringList &onServer) {
  QStringList stored;
  stored.reserve(onServer.size());
  bool anyChanged = false;
  for (const QString &name : onServer) {
    stored.append(TDMSecurity::StoredUserName(name));
    anyChanged = anyChanged || stored.back() != name;
  }
  // Only a name that upper case changes can collide; most lists have none.
  QHash<QString, int> givers;
  if (anyChanged)
    for (const QString &form : stored)
      ++givers[form];
  QStringList own;
  own.reserve(onServer.size());
  for (qsizetype i = 0; i < onServer.size(); ++i) {
    const QString &name = onServer[i];
    const QString &form = stored[i];
    if (!Win1250::CanEncode(name) ||
        (form != name && (!Win1250::CanEncode(form) || form.size() != name.size() || givers.value(form) > 1)))
      continue;
    own.append(name);
  }
  return own;
}
