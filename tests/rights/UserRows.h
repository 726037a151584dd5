#pragma once

#include <QStringList>

class ApplicationDatabase;

// The user's row in the group's user table as "COLUMN=value;..." in the order given, a null as
// "null"; "" when the user has no row or no column is asked for.
QString RowOf(ApplicationDatabase &database, const QString &user, const QStringList &columns);
// How many rows of the group's user table hold the user's name.
int RowsOf(ApplicationDatabase &database, const QString &user);
