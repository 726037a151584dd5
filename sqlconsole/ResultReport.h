#pragma once

#include "IntegerList.h"

#include <QFont>
#include <QStringList>
#include <vector>

class QFontMetrics;
class TDataSet;

// The tabulated preview of a result: the header line of the field names (bold), a line per record,
// columns split by TAB, and a tab stop after each column but the last. A value keeps to its cell: its
// tabs and line breaks show as blanks.
struct TResultReport {
  QFont Font;
  QString Header;
  QStringList Rows;
  std::vector<int> TabStops; // pixels from the left edge
};

// Measures columns of text: each column is as wide as its widest text and a space, and its tab stop
// lies where it ends.
class TColumnMeasure {
public:
  explicit TColumnMeasure(int columns);
  // Widens the columns for one line's texts in its font (a text past the last tab stop is not measured).
  void Measure(const QStringList &texts, const QFontMetrics &metrics);
  std::vector<int> TabStops() const;

private:
  TIntegerList FWidths;
};

// Walks the result from its first record, controls disabled, measuring in the font (the header bold).
TResultReport BuildResultReport(TDataSet &dataSet, const QFont &font);
