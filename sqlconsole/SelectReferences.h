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

// What a select's text names that can make it change data, read past comments and literals as the
// server reads them.
struct TSelectReferences {
  QList<TObjectName> Sources; // where a table, a view or a selectable procedure stands (FROM, JOIN, ",")
  QList<TObjectName> Calls;   // names called with arguments: functions of the database among them
  QList<TObjectName> Casts;   // what CAST (... AS name) names: a domain's check runs on the cast
  bool StepsSequence = false; // NEXT VALUE FOR, or GEN_ID with any step but a plain 0
  bool LocksRows = false;     // WITH LOCK or FOR UPDATE: the server's select for update
  // No query in the text, or a query in which no source was found: the reading missed something, so
  // the names above cannot be taken as all the select reaches.
  bool SourceMissing = false;
};

// The names in the source, call and cast places of a select (a statement that is no select names
// no source). A common table expression's own name is no source.
TSelectReferences ScanSelect(const QString &sql);
