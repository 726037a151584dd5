#pragma once

#include "ErrorText.h"
#include "woxMemTable.h"
#include "woxMemTableError.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

// A table shaped like the database list: Nazwa, Baza, Grupa and a number.
class MemTableFixture : public ::testing::Test {
protected:
  void SetUp() override {
    Table.FieldDefs().Add(QStringLiteral("Nazwa"), ftString, 30);
    Table.FieldDefs().Add(QStringLiteral("Baza"), ftString, 60);
    Table.FieldDefs().Add(QStringLiteral("Grupa"), ftString, 20);
    Table.FieldDefs().Add(QStringLiteral("N"), ftInteger);
  }
  void Fill(const std::vector<QVariantList> &rows) {
    if (!Table.Active())
      Table.Open();
    for (const QVariantList &row : rows)
      Table.AppendRecord(row);
  }
  // The values of one field from the first record to the last, in the table's order.
  QStringList Column(const QString &fieldName) {
    QStringList values;
    Table.First();
    while (!Table.Eof()) {
      values << Table.FieldByName(fieldName)->AsString();
      Table.Next();
    }
    return values;
  }

  TwoxMemTable Table;
};
