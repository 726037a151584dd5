#pragma once

#include "RightsConnections.h"
#include "TabSettings.h"

#include <QString>

struct TProgramGroup;
struct TSisterFile;

// Reads what one database of a program group holds for a user, as the group's tab shows it: the
// level from the user's roles (the group's roles only, the strongest of several), the tab's
// controls from the user's row in the group's table through the table's description, which the
// writers use the other way round. A user without a row reads as the group's reset values
// (ResetTabSettings); VELDAR's level and "Baza skanów" live in the server's roles and are read all the same.
// The user name is trimmed. Errors of the database (one that cannot be opened, a table or column
// missing) raise.
class TProgramRightsReader {
public:
  explicit TProgramRightsReader(TRightsConnections connections);

  TTabSettings Read(int group, const QString &path, const QString &UserName);

private:
  // The level the user's roles in the sister file give; -1 when the file is not there.
  int SisterLevel(const TProgramGroup &program, const QString &path, const TSisterFile &sister,
                  const QString &user);

  TRightsConnections FConnections;
};
