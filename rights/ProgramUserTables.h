#pragma once

#include "TabSettings.h"
#include "TessalRights.h"

#include <QString>
#include <QVariant>
#include <vector>

// How a rights column of a group's user table stands for the group's tab. The writers compute the
// column from the tab; the readers put the column back on the tab through the same description.
// Where the tab has no control for a column (constants), the reader leaves the tab alone.
enum class TRightsValue {
  Box,         // 1 when the tab's box Control is ticked, else 0
  BoxOrNull,   // 1 when the tab's box Control is ticked, else null
  Zero,        // always 0
  Null,        // always null
  Letters,     // TESSAL's letter string of the ticked boxes ("AlaSpeDu")
  ListMask,    // the tab's check list Control as bits, item i = bit i
  RecordLimit, // the whole part of the tab's record limit Control
  RightsMask,  // the tab's rights mask (KORVIN's, TORMISK's)
};

struct TRightsColumn {
  QString Column;
  TRightsValue Value;
  QString Control; // the control of the tab that the value comes from, "" for constants and masks
  int Items = 0;   // ListMask: how many items the check list has; the bits above them are no items
  // Box: a user without a row shows the box ticked (SARNIK's "Prawo globalnej zmiany pól", TULVAR's
  // "Zapis do słownika adresów").
  bool TickedOnReset = false;
};

// Which level a sister file gets.
enum class TSisterLevel {
  AsTab,     // the tab's level
  Printing,  // VELDAR's ".fdd": 2 with the tab's level 2, else write with "Drukowanie", else read
  ScansBase, // VELDAR's ".fdr": 2 with the tab's level 2, else "Baza skanów" (none, read, write)
};

struct TSisterFile {
  QString Extension; // ".fdd" or ".fdr", replacing the main file's extension
  TSisterLevel Level;
};

// The personal data of a user row, from the security user's first name, surname and identity
// number (PESEL). A column left empty is not written.
struct TPersonalColumns {
  QString FirstName{};
  QString Surname{};
  QString Pesel{};
  // First name + " " + surname, the whole trimmed (KORVIN, GRESSON, TORMISK).
  QString FullName{};
  // VELDAR: the identity number is written into a new row only, and gives the row its ID.
  bool PeselIdentifiesNewRows = false;
};

// A program group's own table of users in each of its databases, and how its writer fills it.
struct TProgramUserTable {
  QString Table{};
  QString KeyColumn{}; // the login name
  QString SelectSQL{}, ModifySQL{}, InsertSQL{};
  // The row's identity, given by the generator when a new row is posted; the update's key.
  QString GeneratorField{}, Generator{};
  TPersonalColumns Personal{};
  std::vector<TRightsColumn> Rights{};
  QString RoleColumn{}; // "" when the table keeps no role
  std::vector<TSisterFile> Sisters{};
  // BAVIRO: every case file (SPRAWY) gets the user's right in PRAWA after the row is posted.
  bool CaseFileRights = false;
  // VELDAR: its readers take the level from the user's roles whether or not the user has a row.
  bool LevelWithoutRow = false;
};

// The table of the group at this index of the program groups.
const TProgramUserTable &ProgramUserTable(int group);

// The value the writers put in a rights column for the tab.
QVariant RightsColumnValue(const TRightsColumn &column, const TTabSettings &tab);
// The role column's text for a level: "ODCZYT", "ZAPIS", "RDB$ADMIN"; null for any other level.
QVariant RoleColumnValue(int level);
// The level a sister file gets for the tab; -1 for no role.
int SisterLevel(TSisterLevel rule, const TTabSettings &tab);

// The tab a reader starts from, and shows for a user without a row: level 0, the boxes ticked on
// reset, everything else empty.
TTabSettings ResetTabSettings(int group);
// The reader's side: puts the value stored in a rights column on the tab. A null number reads as
// 0; a value that is no whole number raises EConvertError.
void ReadRightsColumn(const TRightsColumn &column, const QVariant &value, TTabSettings &tab);
// VELDAR's "Baza skanów" for the level the user's roles in the ".fdr" file give (-1 for none):
// "Brak" for none, "Tylko odczyt" for read, "Zapis i odczyt" for write or administrator.
int ScansOfSisterLevel(int level);

// VELDAR: the row ID of an identity number, from its characters 1-6 and 8-10; false when the
// number is not 11 characters long or one of those nine is not a digit.
bool IdentityNumberId(const QString &pesel, qint32 &id);
