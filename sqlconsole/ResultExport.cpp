#include "ResultExport.h"

#include "DB.h"
#include "DataSetControls.h"
#include "Exceptions.h"
#include "Field.h"
#include "StringList.h"
#include "Win1250.h"

#include <QSaveFile>

namespace {

bool IsQuotedType(TFieldType type) {
  switch (type) {
  case ftString:
  case ftFixedChar:
  case ftWideString:
  case ftDate:
  case ftTime:
  case ftDateTime: return true;
  default: return false;
  }
}

void WriteLine(QIODevice &out, const QString &line) {
  const QByteArray bytes = Win1250::Encode(line) + "\r\n";
  if (out.write(bytes) != bytes.size())
    throw EInOutError(QStringLiteral("Cannot write the export file. %1").arg(out.errorString()));
}

} // namespace

QString TResultTextExport::Delimited(const QString &value, bool alwaysQuoted) const {
  const bool quoted = alwaysQuoted || value.contains(FOptions.Separator) || value.contains(FOptions.Quote) ||
                      value.contains(u'\n') || value.contains(u'\r');
  return quoted ? AnsiQuotedStr(value, FOptions.Quote) : value;
}

QString TResultTextExport::HeaderLine() const {
  QStringList names;
  for (const TField *field : FDataSet.FieldList()) {
    const QString name = field->FieldName();
    // A name holding the separator is quoted too, or it would split the header.
    names.append(name.contains(FOptions.Separator) ? AnsiQuotedStr(name, u'"') : CommaTextItem(name));
  }
  return names.join(u',').replace(u',', FOptions.Separator);
}

QString TResultTextExport::RecordLine() const {
  if (FOptions.Mode == TTextExportMode::KeyPair)
    return KeyPairRecordLine();
  const bool tabs = FOptions.Mode == TTextExportMode::Tab;
  QStringList values;
  for (const TField *field : FDataSet.FieldList()) {
    const bool quoted = !tabs && IsQuotedType(field->DataType());
    values.append(Delimited(quoted ? field->Text() : field->AsString(), quoted));
  }
  return values.join(FOptions.Separator);
}

QString TResultTextExport::KeyPairRecordLine() const {
  // Both values come from the record itself: one without the other writes an empty line.
  QString idobr, idd;
  for (const TField *field : FDataSet.FieldList()) {
    if (field->FieldName() == QStringLiteral("IDOBR"))
      idobr = field->AsString();
    else if (field->FieldName() == QStringLiteral("IDD"))
      idd = field->AsString();
    else
      continue;
    if (!idobr.isEmpty() && !idd.isEmpty())
      break;
  }
  return KeyPairLine(idobr, idd);
}

QString KeyPairLine(const QString &idobr, const QString &idd) {
  if (idobr.isEmpty() || idd.isEmpty())
    return QString();
  const qsizetype point = idd.indexOf(u'.');
  if (point < 0)
    return idobr + u'-' + idd;
  QString dashed = idd;
  dashed[point] = u'-';
  return QStringLiteral("d ") + idobr + u'.' + dashed;
}

void TResultTextExport::Write(QIODevice &out) {
  FDataSet.First();
  if (FOptions.FieldNames && FOptions.Mode != TTextExportMode::KeyPair)
    WriteLine(out, HeaderLine());
  TControlsDisabled disabled(FDataSet);
  for (int record = 1; !FDataSet.Eof(); ++record) {
    if (OnRecord)
      OnRecord(record);
    WriteLine(out, RecordLine());
    FDataSet.Next();
  }
}

void TResultTextExport::WriteFile(const QString &fileName) {
  QSaveFile file(fileName);
  if (!file.open(QIODevice::WriteOnly))
    throw EInOutError(QStringLiteral("Cannot create file \"%1\". %2").arg(fileName, file.errorString()));
  Write(file); // an error or a stop drops the temporary file with the QSaveFile
  if (!file.commit())
    throw EInOutError(QStringLiteral("Cannot write file \"%1\". %2").arg(fileName, file.errorString()));
}
