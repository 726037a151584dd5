#include "zuvhtml.h"

#include "DB.h"
#include "Dialogs.h"
#include "Exceptions.h"
#include "TextFile.h"
#include "Win1250.h"

#include <QFile>

namespace {

const QString kCrLf = QStringLiteral("\r\n");

void Line(QString &out, const QString &text) { out += text + kCrLf; }

QByteArray ReadExistingReport(const QString &fileName) {
  QFile file(fileName);
  if (!file.open(QIODevice::ReadOnly))
    throw EInOutError(WithSystemReason(
        QStringLiteral("Błąd podczas dopisywania do pliku (prawdopodobnie plik nie istnieje): ") + kCrLf +
            fileName,
        file.errorString()));
  return file.readAll();
}

// Opens the dataset for the report and puts it back afterwards.
class TManagedDataSet {
public:
  TManagedDataSet(TDataSet *dataSet, bool manage) : FDataSet(manage ? dataSet : nullptr) {
    if (!FDataSet)
      return;
    FWasActive = FDataSet->Active();
    FDataSet->DisableControls();
    if (!FWasActive) {
      FDataSet->Open();
    } else {
      FMark = FDataSet->GetBookmark();
      FDataSet->First();
    }
  }
  ~TManagedDataSet() {
    if (!FDataSet)
      return;
    try {
      if (!FWasActive)
        FDataSet->Close();
      else if (!FMark.isEmpty())
        FDataSet->GotoBookmark(FMark);
    } catch (...) {
      // The report's own error, if any, is the one to report.
    }
    FDataSet->FreeBookmark(FMark);
    FDataSet->EnableControls();
  }

private:
  TDataSet *FDataSet;
  bool FWasActive = false;
  TBookmark FMark;
};

} // namespace

QByteArray ReportBeforeClosingBody(const QByteArray &report) {
  const qsizetype closing = report.toLower().lastIndexOf("</body>");
  if (closing < 0)
    return report;
  const qsizetype lineFeed = report.lastIndexOf('\n', closing);
  return lineFeed < 0 ? report : report.left(lineFeed + 1);
}

void tHTMLprint::Write(TDataSet *dataSet, const QString &fileName, const QString &templateFileName,
                       bool manageDataSet) {
  if (FName.isEmpty())
    FName = QStringLiteral("Wydruk");
  // Everything that can fail comes before the file is touched.
  FTemplate = LoadHtmlTemplate(templateFileName, {FName, FTitle, FSubtitle});
  const QByteArray kept = FAppend ? ReportBeforeClosingBody(ReadExistingReport(fileName)) : QByteArray();
  const QByteArray bytes = kept + Win1250::Encode(Report(dataSet, manageDataSet));
  try {
    TextFile::WriteBytes(fileName, bytes);
  } catch (const EInOutError &e) {
    throw EInOutError(WithSystemReason(
        (FAppend ? QStringLiteral("Błąd podczas dopisywania do pliku (prawdopodobnie plik nie istnieje): ")
                 : QStringLiteral("Błąd podczas tworzenia pliku: ")) +
            kCrLf + fileName,
        e.Reason()));
  }
}

QString tHTMLprint::Report(TDataSet *dataSet, bool manageDataSet) const {
  TManagedDataSet managed(dataSet, manageDataSet);
  QString out;
  if (!FAppend)
    Line(out, FTemplate.Head);
  Line(out, FTemplate.BeforeHeader);
  HeaderRow(dataSet, out);
  Line(out, FTemplate.Between);
  Records(dataSet, out);
  Line(out, FTemplate.Tail);
  return out;
}

void tHTMLprint::HeaderRow(TDataSet *dataSet, QString &out) const {
  const QString marker = QStringLiteral("[NAGŁÓWEK]");
  Line(out, FTemplate.HeaderStart);
  if (FNumbered)
    Line(out, ReplaceMarker(FTemplate.HeaderCell, marker, QStringLiteral("Lp.")));
  for (TField *field : dataSet->FieldList())
    if (field->Visible())
      Line(out, ReplaceMarker(FTemplate.HeaderCell, marker, HtmlEscape(field->DisplayLabel())));
  Line(out, FTemplate.HeaderEnd);
}

void tHTMLprint::Records(TDataSet *dataSet, QString &out) const {
  const QString marker = QStringLiteral("[DANE]");
  const int repeat = FTemplate.RepeatEvery;
  for (int k = 1; !dataSet->Eof(); ++k, dataSet->Next()) {
    if (repeat > 0 && k > 1 && (k - 1) % repeat == 0)
      HeaderRow(dataSet, out);
    const bool odd = k % 2 == 1;
    const QString &cell = odd ? FTemplate.Style1Cell : FTemplate.Style2Cell;
    Line(out, odd ? FTemplate.Style1Start : FTemplate.Style2Start);
    if (FNumbered)
      Line(out, ReplaceMarker(cell, marker, QString::number(k)));
    for (TField *field : dataSet->FieldList()) {
      if (!field->Visible())
        continue;
      const QString text = field->Text();
      Line(out, ReplaceMarker(cell, marker, text.isEmpty() ? QStringLiteral("&nbsp;") : HtmlEscape(text)));
    }
    Line(out, odd ? FTemplate.Style1End : FTemplate.Style2End);
  }
}

void tHTMLprint::OpenInBrowser(const QString &fileName) {
  if (DialogSeam().ShellOpen(fileName) != TShellOutcome::Opened)
    throw Exception(QString::fromUtf8("Nie można załadować domyślnej przeglądarki"));
}
