#include "ProgramRightsReader.h"

#include "Field.h"
#include "IBDatabase.h"
#include "IBQuery.h"
#include "IBSQL.h"
#include "IBTransaction.h"
#include "ProgramGroups.h"
#include "ProgramUserTables.h"
#include "ServerRoles.h"

#include <algorithm>

TProgramRightsReader::TProgramRightsReader(TRightsConnections connections)
    : FConnections(std::move(connections)) {}

TTabSettings TProgramRightsReader::Read(int group, const QString &path, const QString &UserName) {
  const TProgramUserTable &table = ProgramUserTable(group);
  const TProgramGroup &program = ProgramGroups()[static_cast<size_t>(group)];
  const QString user = UserName.trimmed();
  ConnectDatabase(FConnections.Database, path);
  FConnections.Transaction->EnsureActive();
  TIBQuery *query = FConnections.Query;
  query->Close();
  query->SQL().SetText(table.SelectSQL);
  query->Open();
  const bool found = query->Locate(table.KeyColumn, user, {});

  TTabSettings tab = ResetTabSettings(group);
  if (!found && !table.LevelWithoutRow)
    return tab;
  // No role of the group leaves the first item.
  tab.Level =
      std::max(RightsLevelOf(UserRoles(*FConnections.Statement, FConnections.Transaction, user), program),
               int(rlRead));
  for (const TSisterFile &sister : table.Sisters)
    if (sister.Level == TSisterLevel::ScansBase)
      tab.Scans = ScansOfSisterLevel(SisterLevel(program, path, sister, user));
  if (found)
    for (const TRightsColumn &column : table.Rights)
      ReadRightsColumn(column, query->FieldByName(column.Column)->Value(), tab);
  return tab;
}

int TProgramRightsReader::SisterLevel(const TProgramGroup &program, const QString &path,
                                      const TSisterFile &sister, const QString &user) {
  const TRightsConnections::TSister &connection = FConnections.Sister(sister.Extension);
  if (!ConnectSisterFile(connection.Database, SisterFilePath(path, sister.Extension)))
    return -1;
  connection.Transaction->EnsureActive();
  return RightsLevelOf(UserRoles(*FConnections.Statement, connection.Transaction, user), program);
}
