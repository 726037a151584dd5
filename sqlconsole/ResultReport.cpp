#include "ResultReport.h"

#include "DB.h"
#include "DataSetControls.h"
#include "Field.h"

#include <algorithm>

TColumnMeasure::TColumnMeasure(int columns, const QFontMetrics &metrics)
    : FWidths(columns - 1), FMetrics(metrics) {}

void TColumnMeasure::Measure(const QStringList &texts) {
  for (int i = 0; i < FWidths.Count() && i < texts.size(); ++i)
    FWidths.SetItems(i, std::max(FWidths.Items(i), FMetrics.horizontalAdvance(texts[i] + u' ')));
}

std::vector<int> TColumnMeasure::TabStops() const {
  std::vector<int> stops;
  int position = 0;
  for (int i = 0; i < FWidths.Count(); ++i)
    stops.push_back(position += FWidths.Items(i));
  return stops;
}

TResultReport BuildResultReport(TDataSet &dataSet, const QFontMetrics &metrics) {
  dataSet.CheckActive();
  dataSet.First();
  TControlsDisabled disabled(dataSet);
  TColumnMeasure columns(dataSet.FieldCount(), metrics);
  const auto line = [&dataSet, &columns](const auto &text) {
    QStringList texts;
    for (const TField *field : dataSet.FieldList())
      texts.append(text(field));
    columns.Measure(texts);
    return texts.join(u'\t');
  };
  TResultReport report;
  report.Header = line([](const TField *field) { return field->FieldName(); });
  for (; !dataSet.Eof(); dataSet.Next())
    report.Rows.append(line([](const TField *field) { return field->AsString(); }));
  report.TabStops = columns.TabStops();
  return report;
}
