#pragma once

#include <QString>
#include <QStringList>
#include <array>

// A program group of the product family: the name that "bazy.txt", the rights editor's tree and
// its tabs spell, and the roles that give a user read or write access in the group's databases.
struct TProgramGroup {
  QString Name;
  QString ReadRole;
  QString WriteRole;
  // Whether the group's tab offers the level "Administrator" (KAPRENA's users are never
  // administrators).
  bool AdministratorLevel = true;
};

constexpr int ProgramGroupCount = 18;
using TProgramGroups = std::array<TProgramGroup, ProgramGroupCount>;

// The index of each group in the fixed order.
enum TProgramGroupIndex : int {
  pgKorvin,
  pgVeldar,
  pgPlomer,
  pgSarnik,
  pgTulvar,
  pgBrontel,
  pgFenno,
  pgDravel,
  pgHolmar,
  pgGresson,
  pgPelkar,
  pgNirvos,
  pgTessal,
  pgQuento,
  pgBaviro,
  pgSolmet,
  pgTormisk,
  pgKaprena
};

// The eighteen groups in their fixed order: KORVIN, VELDAR, ..., KAPRENA; built on first use and
// released at the program's end.
const TProgramGroups &ProgramGroups();
// The index of the group of exactly this name (case-sensitive), -1 for none.
int ProgramGroupIndex(const QString &name);

// The level radio group's items: what a user gets in a database.
enum TRightsLevel { rlRead = 0, rlWrite = 1, rlAdministrator = 2 };
// The server's administrator role, the role of level 2 in every group.
inline QString AdministratorRole() { return QStringLiteral("RDB$ADMIN"); }

// The level that a user's roles in a database of the group stand for: the group's read role 0,
// its write role 1, RDB$ADMIN 2 where the group has that level; the strongest of several; -1 when
// the roles hold none of them. Names are compared exactly.
int RightsLevelOf(const QStringList &roles, const TProgramGroup &group);
