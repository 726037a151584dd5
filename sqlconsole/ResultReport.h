#pragma once

#include "IntegerList.h"

#include <QFontMetrics>
#include <QStringList>
#include <vector>

class TDataSet;

// The tabulated preview of a result: the header line of the field names, a line per record, columns
// split by TAB, and a tab stop after each column but the last.
struct TResultReport {
  QString Header;
  QStringList Rows;
  std::vector<int> TabStops; // pixels from the left edge
};

// Measures columns of text in a font: each column is as wide as its widest text and a space, and its
// tab stop lies where it ends.
class TColumnMeasure {
public:
  TColumnMeasure(int columns, const QFontMetrics &metrics);
  // Widens the columns for one line's texts (a text past the last tab stop is not measured).
  void Measure(const QStringList &texts);
  std::vector<int> TabStops() const;

private:
  TIntegerList FWidths;
  QFontMetrics FMetrics;
};

// Walks the result from its first record, controls disabled, measuring in the given font.
TResultReport BuildResultReport(TDataSet &dataSet, const QFontMetrics &metrics);
