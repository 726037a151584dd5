#pragma once

#include <QString>

class TwoxMemTable;

// How "Matryca uprawnień" keeps "bazy.txt": it reads the file into the table when there is one and
// writes the table over it. A file that could not be read (or that the list format refused) is
// replaced only when the person agrees, and a copy of its bytes is kept beside it first under a
// name no other file has: "bazy.txt.bak", else "bazy.txt.2.bak", "bazy.txt.3.bak", ...
class TDatabaseListKeeper {
public:
  TDatabaseListKeeper(QString path, TwoxMemTable &table);

  // Reads the file into the table through its default format when there is a file. One that cannot
  // be read whole raises (the table stays as it was) and is from then on marked unread.
  void Load();
  // Whether the table may be written over the file: yes when it was read or was not there;
  // otherwise the person is asked, and a yes holds until the next save.
  bool AgreeToReplace();
  // Writes the table over the file whole. An unread file needs the person's yes (asked here when
  // not yet given; a no aborts silently) and is kept beside it before it is replaced; a failed
  // write leaves the old file as it was and keeps no copy.
  void Save();

  bool Unread() const { return !FReadError.isEmpty(); }
  // Where the bytes of an unread file are kept when the person agrees.
  QString BackupPath() const;

private:
  QString FPath;
  TwoxMemTable &FTable;
  QString FReadError;
  bool FAgreed = false;
};
