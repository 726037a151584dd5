#pragma once

#include "TestDataSet.h"

#include <QStringList>
#include <memory>

// A users-like dataset: ID integer, USER_NAME string(20), GRUPA string(10), filled with
// (name, group) pairs and left open on the first row.
inline std::unique_ptr<TTestDataSet> MakeUsers(const std::vector<std::pair<QString, QString>> &rows) {
  auto users = std::make_unique<TTestDataSet>();
  users->setObjectName(QStringLiteral("users"));
  users->FieldDefs().Add(QStringLiteral("ID"), ftInteger, 0, true);
  users->FieldDefs().Add(QStringLiteral("USER_NAME"), ftString, 20);
  users->FieldDefs().Add(QStringLiteral("GRUPA"), ftString, 10);
  users->Open();
  int id = 1;
  for (const auto &[name, group] : rows)
    users->AppendRecord({id++, name, group.isNull() ? QVariant() : QVariant(group)});
  users->First();
  return users;
}

// The USER_NAME values from the current record to the end.
inline QStringList NamesFromHere(TDataSet &dataSet) {
  QStringList names;
  while (!dataSet.Eof()) {
    names << dataSet.FieldByName(QStringLiteral("USER_NAME"))->AsString();
    dataSet.Next();
  }
  return names;
}
