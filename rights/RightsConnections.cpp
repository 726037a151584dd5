#include "RightsConnections.h"

#include "Exceptions.h"
#include "IBDatabase.h"
#include "IBError.h"

#include <algorithm>

const TRightsConnections::TSister &TRightsConnections::Sister(const QString &extension) const {
  const auto found = std::find_if(Sisters.begin(), Sisters.end(), [&extension](const TSister &sister) {
    return sister.Extension == extension;
  });
  if (found == Sisters.end())
    throw EDatabaseError(QStringLiteral("No connection for the sister file ") + extension);
  return *found;
}

QString SisterFilePath(const QString &path, const QString &extension) {
  const qsizetype name =
      std::max({path.lastIndexOf(u'/'), path.lastIndexOf(u'\\'), path.lastIndexOf(u':')}) + 1;
  const qsizetype dot = path.lastIndexOf(u'.');
  return (dot >= name ? path.left(dot) : path) + extension;
}

void ConnectDatabase(TIBDatabase *database, const QString &path) {
  database->Close();
  database->SetDatabaseName(path);
  database->Open();
}

bool ConnectSisterFile(TIBDatabase *database, const QString &path) {
  try {
    ConnectDatabase(database, path);
  } catch (const EIBError &error) {
    // A database without this sister file; anything else about the file is an error.
    if (error.HasCode(isc_io_open_err))
      return false;
    throw;
  }
  return true;
}
