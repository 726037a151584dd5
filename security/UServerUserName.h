#pragma once

#include <QString>
#include <QStringList>

// The server's user service acts on a user name only as far as it reads it: it cuts the name at a
// blank, takes a leading "-" for a switch and upper-cases ASCII letters. These routines keep every
// name that the program hands to the service one that it acts on exactly.

// Why the service would act on another user than the one named, in the program's words; "" when it
// acts on exactly this name. USERS holds the name too, so it must fit Windows-1250 as well.
QString ServerUserNameProblem(const QString &name);

// For an action on a listed user: tells the user that the action cannot be done for that name
// (caption "Błąd") and aborts, when the service would act on another name.
void RefuseUnsafeServerUserName(const QString &name);

// Why a login could not carry this password, in the program's words; "" when it can. The password
// goes into the security database's history too, so it must fit Windows-1250 as well.
QString ServerPasswordProblem(const QString &password);

// The server's users, in the given order, that the users list can show as rows of their own. Left
// out: a name that Windows-1250 cannot hold, as it is or as USERS stores it (upper-case); one that
// upper case makes longer or shorter ("ß" becomes "SS"); and one that upper case changes into a
// form that another server user's name gives too ("jan" beside "JAN" or "Jan"): its row would
// stand for another user. A name that is its own stored form keeps its row.
QStringList ServerUsersWithOwnRows(const QStringList &onServer);
