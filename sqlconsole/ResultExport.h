#pragma once

#include <QChar>
#include <QString>
#include <functional>

class QIODevice;
class TDataSet;

enum class TTextExportMode {
  Separator, // texts and dates in the quote character, other values plain, joined by the separator
  Tab,       // plain values joined by TAB
  KeyPair,   // one key line per record from its IDOBR and IDD fields
};

struct TTextExportOptions {
  TTextExportMode Mode = TTextExportMode::Separator;
  QChar Separator = u',';
  QChar Quote = u'\'';
  bool FieldNames = false; // a header line of the field names (not in key-pair mode)
};

// Writes a result as delimited text in Windows-1250 with CR LF. A value that holds the separator,
// the quote character or a line break is always enclosed in the quote character with its quotes
// doubled, so that every record reads back as one line of the same values.
class TResultTextExport {
public:
  TResultTextExport(TDataSet &dataSet, const TTextExportOptions &options)
      : FDataSet(dataSet), FOptions(options) {}

  // The field names joined as a comma text whose commas then become the separator.
  QString HeaderLine() const;
  // The line of the current record.
  QString RecordLine() const;
  // Every record from the first, controls disabled; OnRecord runs before each record's line is
  // written, with its number from 1 (the place to stop by raising). The dataset stays at its end.
  void Write(QIODevice &out);
  // Writes through a temporary file beside the target: the target is replaced only once every record
  // is written, and left as it was when the export fails or is stopped.
  void WriteFile(const QString &fileName);

  std::function<void(int record)> OnRecord;

private:
  QString Delimited(const QString &value, bool alwaysQuoted) const;
  QString KeyPairRecordLine() const;

  TDataSet &FDataSet;
  TTextExportOptions FOptions;
};

// The key line of one record: "d IDOBR.IDD" with the first "." of IDD turned into "-" when IDD holds
// a ".", else "IDOBR-IDD"; empty unless both are given.
QString KeyPairLine(const QString &idobr, const QString &idd);
