#pragma once

#include <QList>
#include <QString>

// A name of the database as a statement writes it: unquoted names upper-case, quoted ones exact;
// Package is set for a packaged routine (PKG.NAME).
struct TObjectName {
  QString Package;
  QString Name;
  bool operator==(const TObjectName &) const = default;
};

// What a select's text names that can make it change data, read past comments and literals.
struct TSelectReferences {
  QList<TObjectName> Sources; // where a table, a view or a selectable procedure stands (FROM, JOIN, ",")
  QList<TObjectName> Calls;   // names called with arguments: functions of the database among them
  bool StepsSequence = false; // NEXT VALUE FOR, or GEN_ID with any step but a plain 0
};

// The names in the source and call places of a select (or of any statement: a statement that is no
// select names no source). A common table expression's own name is no source.
TSelectReferences ScanSelect(const QString &sql);
