#pragma once

#include <QString>
#include <QStringList>

class TCustomDBGrid;

enum class TExportDelimiter { Pipe, Comma, Quote };

// The grid's delimited export: one line per record with the display texts of all grid columns.
// Every value keeps its place (empty ones included); a value that holds the delimiter, a quote or a
// line break is quoted with doubled quotes, and where the delimiter is the quote itself such a
// value cannot be written and the export is refused.
class TExDBGridExport {
public:
  static QChar DelimiterChar(TExportDelimiter delimiter);
  static QString Line(const QStringList &values, TExportDelimiter delimiter);
  // All records of the grid's dataset from the first; the dataset is left on its first record.
  static QStringList Lines(TCustomDBGrid &grid, TExportDelimiter delimiter);
  // Writes the file whole (Windows-1250, CR LF) or leaves an existing one untouched.
  static void Write(TCustomDBGrid &grid, TExportDelimiter delimiter, const QString &fileName);
  // "DataExport.Dat" in the program's folder.
  static QString DefaultFileName();
};
