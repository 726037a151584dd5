#pragma once

#include "TestDataSet.h"

#include <QString>
#include <memory>
#include <utility>
#include <vector>

// The report tests' dataset: a hidden ID, "Nazwisko" and "Uwagi"; open on its first record.
inline std::unique_ptr<TTestDataSet> MakeReportData(int rowCount) {
  static const std::vector<std::pair<QString, QString>> people = {
      {QStringLiteral("Kowalski"), QStringLiteral("a < b & c")},
      {QStringLiteral("Nowak"), QString()},
      {QStringLiteral("Wiśniewski"), QStringLiteral("zażółć")},
      {QStringLiteral("Zieliński"), QStringLiteral("x")},
      {QStringLiteral("Wójcik"), QStringLiteral("y")},
      {QStringLiteral("Kamiński"), QStringLiteral("z")},
      {QStringLiteral("Lewandowski"), QStringLiteral("w")},
  };
  auto data = std::make_unique<TTestDataSet>();
  data->FieldDefs().Add(QStringLiteral("ID"), ftInteger, 0, true);
  data->FieldDefs().Add(QStringLiteral("NAZWISKO"), ftString, 30);
  data->FieldDefs().Add(QStringLiteral("UWAGI"), ftString, 30);
  data->Open();
  data->FieldByName(QStringLiteral("ID"))->SetVisible(false);
  data->FieldByName(QStringLiteral("NAZWISKO"))->SetDisplayLabel(QStringLiteral("Nazwisko"));
  data->FieldByName(QStringLiteral("UWAGI"))->SetDisplayLabel(QStringLiteral("Uwagi"));
  for (int i = 0; i < rowCount; ++i)
    data->AppendRecord(
        {i + 1, people[i].first, people[i].second.isNull() ? QVariant() : QVariant(people[i].second)});
  data->First();
  return data;
}

inline QString Fixture(const QString &name) { return QStringLiteral(LIB_FIXTURES "/") + name; }
