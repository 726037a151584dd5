// The console's outputs of a result: delimited text, the printable preview and HTML.
#include "USqlMon.h"

#include "Actions.h"
#include "DB.h"
#include "Dialogs.h"
#include "Exceptions.h"
#include "IBQuery.h"
#include "StringList.h"
#include "TextFile.h"
#include "UColEdFrame.h"
#include "UPrintF.h"
#include "USepDlg.h"
#include "CancelWindow.h"
#include "cncl.h"
#include "zuvhtml1.h"

#include <QCheckBox>
#include <QFontMetrics>
#include <QLineEdit>
#include <QTextEdit>
#include <memory>

namespace {

// Controls bound to the result repaint nothing while it is walked.
class TControlsDisabled {
public:
  explicit TControlsDisabled(TDataSet *dataSet) : FDataSet(dataSet) { FDataSet->DisableControls(); }
  ~TControlsDisabled() { FDataSet->EnableControls(); }
  TControlsDisabled(const TControlsDisabled &) = delete;
  TControlsDisabled &operator=(const TControlsDisabled &) = delete;

private:
  TDataSet *FDataSet;
};

bool IsQuotedType(TFieldType type) {
  switch (type) {
  case ftString:
  case ftFixedChar:
  case ftWideString:
  case ftDate:
  case ftTime:
  case ftDateTime:
    return true;
  default:
    return false;
  }
}

// A field name of the comma text: quoted when it holds a space, a control character, a comma or a
// double quote.
QString CommaTextName(const QString &name) {
  const bool quote = std::any_of(name.begin(), name.end(), [](QChar c) {
    return c.unicode() <= u' ' || c == u',' || c == u'"';
  });
  if (!quote)
    return name;
  QString doubled = name;
  doubled.replace(u'"', QStringLiteral("\"\""));
  return u'"' + doubled + u'"';
}

const char *const TableFilter = "Pliki tablic (*.tab)|*.TAB";

} // namespace

QString TSQLMonitorForm::ExportLine() const {
  QStringList values;
  for (TField *field : Query->FieldList()) {
    if (FTabMode || !IsQuotedType(field->DataType())) {
      values.append(field->AsString());
      continue;
    }
    QString text = field->Text();
    text.replace(FQuote, QString(2, FQuote));
    values.append(FQuote + text + FQuote);
  }
  return values.join(FSeparator);
}

QStringList TSQLMonitorForm::ExportToText() {
  QStringList lines;
  Query->First();
  if (FieldNameCheck->isChecked()) {
    QStringList names;
    for (TField *field : Query->FieldList())
      names.append(CommaTextName(field->FieldName()));
    lines.append(names.join(u',').replace(u',', FSeparator));
  }
  TControlsDisabled disabled(Query);
  TCancel cancel(100, QStringLiteral("Zapisywanie na dysk..."), false);
  for (int k = 1; !Query->Eof(); ++k) {
    cancel.CheckCanceled();
    lines.append(ExportLine());
    cancel.SetText(QStringLiteral("zapisywanie rekordu: %1").arg(k));
    Query->Next();
  }
  return lines;
}

void TSQLMonitorForm::ExportToChosenFile() {
  TFileDialogRequest request;
  request.Kind = TFileDialogKind::Save;
  request.Filter = QString::fromLatin1(TableFilter);
  request.DefaultExt = QStringLiteral("tab");
  if (!DialogSeam().FileDialog(request))
    return;
  // Written whole once every record is there: a cancelled or failed export leaves the file as it was.
  const QStringList lines = ExportToText();
  TextFile::WriteLines(request.FileName, lines);
}

void TSQLMonitorForm::TabFileActionExecute() {
  const QChar remembered = FSeparator;
  FSeparator = u'\t';
  FTabMode = true;
  try {
    ExportToChosenFile();
  } catch (...) {
    FSeparator = remembered;
    FTabMode = false;
    throw;
  }
  FSeparator = remembered;
  FTabMode = false;
}

void TSQLMonitorForm::SeparatorFileActionExecute() {
  FTabMode = false;
  ExportToChosenFile();
}

void TSQLMonitorForm::SeparatorSettingsActionExecute() {
  auto dialog = std::make_unique<TSeparatorDlg>(this);
  dialog->Edit->setText(QString(FSeparator));
  dialog->Edit2->setText(QString(FQuote));
  if (dialog->ShowModal() != mrOk)
    return;
  // Both are read before either changes: a bad code leaves the settings as they were.
  const QChar separator = dialog->GetSeparator();
  const QChar quote = dialog->GetQuote();
  FSeparator = separator;
  FQuote = quote;
}

void TSQLMonitorForm::PrintAExecute() {
  Query->CheckActive();
  Query->First();
  TControlsDisabled disabled(Query);
  auto form = std::make_unique<TPrintForm>(this);
  const int n = Query->FieldCount();
  const QFontMetrics metrics(QFont(QStringLiteral("Courier")));
  // Column i ends where its widest text (and a space) does; its tab stop follows.
  std::vector<int> widths(std::size_t(std::max(n - 1, 0)), 0);
  const auto measure = [&widths, &metrics, n](const QStringList &texts) {
    for (int i = 0; i < n - 1; ++i)
      widths[std::size_t(i)] = std::max(widths[std::size_t(i)], metrics.horizontalAdvance(texts[i] + u' '));
  };
  QStringList header;
  for (TField *field : Query->FieldList())
    header.append(field->FieldName());
  measure(header);
  QStringList rows;
  for (; !Query->Eof(); Query->Next()) {
    QStringList values;
    for (TField *field : Query->FieldList())
      values.append(field->AsString());
    measure(values);
    rows.append(values.join(u'\t'));
  }
  std::vector<int> stops;
  int position = 0;
  for (int width : widths)
    stops.push_back(position += width);
  form->ColEdFrame->SetReport(header.join(u'\t'), rows, stops);
  form->ShowModal();
}

void TSQLMonitorForm::GenerujHTMLAExecute() {
  if (!Query->Active())
    throw Exception(QStringLiteral("Pusta tabela wynikowa"));
  ExportDataSetToHTML(Query, QStringLiteral("SQL/Wzorce/"), QString(), QString());
}
