// The console's outputs of a result: delimited text, key pairs, the printable preview and HTML.
#include "USqlMon.h"

#include "CancelWindow.h"
#include "DataSetControls.h"
#include "Dialogs.h"
#include "Exceptions.h"
#include "IBQuery.h"
#include "ResultReport.h"
#include "UColEdFrame.h"
#include "UPrintF.h"
#include "USepDlg.h"
#include "cncl.h"
#include "zuvhtml1.h"

#include <QCheckBox>
#include <QLineEdit>
#include <memory>

namespace {

const char *const TableFilter = "Pliki tablic (*.tab)|*.TAB";

// Sets a flag for a scope and puts its value back however the scope ends.
template <class T> class TScopedValue {
public:
  TScopedValue(T &target, T value) : FTarget(target), FSaved(target) { FTarget = value; }
  ~TScopedValue() { FTarget = FSaved; }
  TScopedValue(const TScopedValue &) = delete;
  TScopedValue &operator=(const TScopedValue &) = delete;

private:
  T &FTarget;
  T FSaved;
};

} // namespace

void TSQLMonitorForm::ExportToChosenFile() {
  TFileDialogRequest request;
  request.Kind = TFileDialogKind::Save;
  request.Filter = QString::fromLatin1(TableFilter);
  request.DefaultExt = QStringLiteral("tab");
  if (!DialogSeam().FileDialog(request))
    return;
  TTextExportOptions options;
  options.Mode = FKorvinMode ? TTextExportMode::KeyPair
                 : FTabMode  ? TTextExportMode::Tab
                             : TTextExportMode::Separator;
  options.Separator = FSeparator;
  options.Quote = FQuote;
  options.FieldNames = FieldNameCheck->isChecked();
  TResultTextExport export_(*Query, options);
  // The cancel window is made only for a result that is there to walk.
  Query->CheckActive();
  TCancel cancel(100, QStringLiteral("Zapisywanie na dysk..."), false);
  export_.OnRecord = [&cancel](int record) {
    cancel.CheckCanceled();
    cancel.SetText(QStringLiteral("zapisywanie rekordu: %1").arg(record));
  };
  export_.WriteFile(request.FileName);
}

void TSQLMonitorForm::TabFileActionExecute() {
  TScopedValue<QChar> separator(FSeparator, u'\t');
  TScopedValue<bool> tabs(FTabMode, true);
  ExportToChosenFile();
}

void TSQLMonitorForm::SeparatorFileActionExecute() {
  FTabMode = false;
  ExportToChosenFile();
}

void TSQLMonitorForm::ZapiszKorvinAExecute() {
  TScopedValue<bool> keyPairs(FKorvinMode, true);
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
  auto form = std::make_unique<TPrintForm>(this);
  // Sized as the saved RTF says (\fs20): a font without a size would measure at another size than
  // the editor shows it.
  form->ColEdFrame->SetReport(BuildResultReport(*Query, QFont(QStringLiteral("Courier"), 10)));
  TControlsDisabled disabled(*Query);
  form->ShowModal();
}

void TSQLMonitorForm::GenerujHTMLAExecute() {
  if (!Query->Active())
    throw Exception(QStringLiteral("Pusta tabela wynikowa"));
  ExportDataSetToHTML(Query, QStringLiteral("SQL/Wzorce/"), QString(), QString());
}

void TSQLMonitorForm::IBDataSetAfterOpen(TDataSet *dataSet) {
  FKeyFieldsPresent =
      dataSet->FindField(QStringLiteral("IDOBR")) && dataSet->FindField(QStringLiteral("IDD"));
}

void TSQLMonitorForm::IBDataSetAfterClose(TDataSet *dataSet) { IBDataSetAfterOpen(dataSet); }

void TSQLMonitorForm::WizualizacjaAExecute() {
  TScopedValue<std::function<void(TDataSet *)>> detached(Query->AfterScroll, nullptr);
  TControlsDisabled disabled(*Query);
  QStringList lines;
  for (Query->First(); !Query->Eof(); Query->Next())
    lines.append(QStringLiteral("%1 %2")
                     .arg(Query->FieldByName(QStringLiteral("IDOBR"))->AsInteger())
                     .arg(Query->FieldByName(QStringLiteral("IDD"))->AsString()));
  // The lines go nowhere: the form collects them and drops them.
}
