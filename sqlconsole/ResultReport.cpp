#include "ResultReport.h"

#include "DB.h"
#include "DataSetControls.h"
#include "Field.h"
#include "MemoText.h"

#include <QFontMetrics>
#include <algorithm>

TColumnMeasure::TColumnMeasure(int columns) : FWidths(columns - 1) {}

void TColumnMeasure::Measure(const QStringList &texts, const QFontMetrics &metrics) {
  for (int i = 0; i < FWidths.Count() && i < texts.size(); ++i)
    FWidths.SetItems(i, std::max(FWidths.Items(i), metrics.horizontalAdvance(texts[i] + u' ')));
}

std::vector<int> TColumnMeasure::TabStops() const {
  std::vector<int> stops;
  int position = 0;
  for (int i = 0; i < FWidths.Count(); ++i)
    stops.push_back(position += FWidths.Items(i));
  return stops;
}

namespace {

// A TAB would jump to the next column and a line break start a new row.
QString CellText(const QString &value) { return OneLine(value).replace(u'\t', u' '); }

} // namespace

TResultReport BuildResultReport(TDataSet &dataSet, const QFont &font) {
  dataSet.CheckActive();
  dataSet.First();
  TControlsDisabled disabled(dataSet);
  TColumnMeasure columns(dataSet.FieldCount());
  const auto line = [&dataSet, &columns](const QFontMetrics &metrics, const auto &text) {
    QStringList texts;
    for (const TField *field : dataSet.FieldList())
      texts.append(CellText(text(field)));
    columns.Measure(texts, metrics);
    return texts.join(u'\t');
  };
  TResultReport report;
  report.Font = font;
  QFont bold = font;
  bold.setBold(true);
  report.Header = line(QFontMetrics(bold), [](const TField *field) { return field->FieldName(); });
  const QFontMetrics metrics(font);
  for (; !dataSet.Eof(); dataSet.Next())
    report.Rows.append(line(metrics, [](const TField *field) { return field->AsString(); }));
  report.TabStops = columns.TabStops();
  return report;
}
