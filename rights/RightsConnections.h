#pragma once

#include <QString>
#include <vector>

class TIBDatabase;
class TIBQuery;
class TIBSQL;
class TIBTransaction;
class TIBUpdateSQL;

// The connection components the writers and readers work on (the rights window's own): the main
// file with its statement for roles and its query for the user table, and one connection per
// sister file.
struct TRightsConnections {
  TIBDatabase *Database;
  TIBTransaction *Transaction;
  TIBSQL *Statement;
  TIBQuery *Query;
  TIBUpdateSQL *UpdateSQL;
  struct TSister {
    QString Extension;
    TIBDatabase *Database;
    TIBTransaction *Transaction;
  };
  std::vector<TSister> Sisters;

  // The connection of the sister file of that extension; raises when there is none.
  const TSister &Sister(const QString &extension) const;
};

// The path of a sister file: the main file's path with its extension replaced (or added), the
// server prefix kept.
QString SisterFilePath(const QString &path, const QString &extension);

// Opens a connection on a path, closing whatever it had open.
void ConnectDatabase(TIBDatabase *database, const QString &path);
// The same for a sister file: false when the database has no such file; any other failure raises.
bool ConnectSisterFile(TIBDatabase *database, const QString &path);
