#pragma once

#include "TabSettings.h"

#include <QStringList>
#include <vector>

// What one group's writer makes of two settings of its tab, for the security user NOWAK (Łukasz
// Nowak, 85030412345) written as the first user of a fresh database of the group.
struct WriterCase {
  const char *Group;
  // The database's character set is UTF8 (else WIN1250).
  bool Utf8 = false;
  // The personal data of a new row, "COLUMN=value;..."; the first column is the one a test changes.
  QStringList PersonalColumns;
  QString Personal;
  // The generated identity of the first new row.
  QStringList IdentityColumns;
  QString Identity;
  // The rights and role columns.
  QStringList RightsColumns;
  TTabSettings First;
  QString FirstRights;
  QString FirstRole;
  TTabSettings Second;
  QString SecondRights;
  QString SecondRole;

  // The table is built by naming each part.
  explicit WriterCase(const char *group) : Group(group) {}
  WriterCase &InUtf8();
  WriterCase &NewRow(QStringList personalColumns, QString personal, QStringList identityColumns,
                     QString identity);
  WriterCase &RightsIn(QStringList columns);
  WriterCase &FirstRun(TTabSettings tab, QString rights, QString role);
  WriterCase &SecondRun(TTabSettings tab, QString rights, QString role);
};

// One case per program group, in the groups' order.
const std::vector<WriterCase> &WriterCases();

// The personal data with the first column's value replaced.
QString WithFirstValue(const QString &row, const QString &value);
