#include "ExDBGridExport.h"

#include "DBGrids.h"
#include "DataSetControls.h"
#include "Exceptions.h"
#include "Field.h"
#include "TextFile.h"

#include <QCoreApplication>
#include <QDir>

QChar TExDBGridExport::DelimiterChar(TExportDelimiter delimiter) {
  switch (delimiter) {
  case TExportDelimiter::Comma: return u',';
  case TExportDelimiter::Quote: return u'"';
  case TExportDelimiter::Pipe: break;
  }
  return u'|';
}

QString TExDBGridExport::Line(const QStringList &values, TExportDelimiter delimiter) {
  const QChar separator = DelimiterChar(delimiter);
  QStringList fields;
  for (const QString &value : values) {
    const bool needsQuotes =
        value.contains(separator) || value.contains(u'"') || value.contains(u'\r') || value.contains(u'\n');
    if (!needsQuotes) {
      fields << value;
      continue;
    }
    if (delimiter == TExportDelimiter::Quote)
      throw EConvertError(
          QStringLiteral("Value \"%1\" cannot be exported with the quote delimiter").arg(value));
    fields << u'"' + QString(value).replace(u'"', QStringLiteral("\"\"")) + u'"';
  }
  return fields.join(separator);
}

QStringList TExDBGridExport::Lines(TCustomDBGrid &grid, TExportDelimiter delimiter) {
  QStringList lines;
  TDataSet *dataSet = grid.DataLink()->Active() ? grid.DataLink()->DataSet() : nullptr;
  if (!dataSet)
    return lines;
  TControlsDisabled disabled(*dataSet);
  try {
    for (dataSet->First(); !dataSet->Eof(); dataSet->Next()) {
      QStringList values;
      for (int i = 0; i < grid.Columns().Count(); ++i) {
        TField *field = grid.Columns()[i]->Field();
        values << (field ? field->DisplayText() : QString());
      }
      lines << Line(values, delimiter);
    }
    dataSet->First();
  } catch (...) {
    dataSet->First();
    throw;
  }
  return lines;
}

void TExDBGridExport::Write(TCustomDBGrid &grid, TExportDelimiter delimiter, const QString &fileName) {
  TextFile::WriteLines(fileName, Lines(grid, delimiter));
}

QString TExDBGridExport::DefaultFileName() {
  return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("DataExport.Dat"));
}
