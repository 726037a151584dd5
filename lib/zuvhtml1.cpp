#include "zuvhtml1.h"

#include "Application.h"
#include "MxToolEdit.h"
#include "StdCtrls.h"
#include "StrUtils.h"
#include "TextFile.h"
#include "zuvhtml.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QVBoxLayout>
#include <algorithm>

namespace {

// What the dialog remembers for the rest of the run.
struct TRemembered {
  QString Title, Subtitle, Name, File, Template;
  bool Numbered = false, Show = false;
};

TRemembered &Remembered() {
  static TRemembered remembered;
  return remembered;
}

// The first line's text between "<!--" and "-->"; the file name when that is empty.
QString TemplateDescription(const QFileInfo &file) {
  QString line;
  try {
    const QStringList lines = TextFile::ReadLines(file.filePath());
    if (!lines.isEmpty())
      line = lines.first();
  } catch (const Exception &) {
    // An unreadable template is listed by its name; writing it reports the error.
  }
  const qsizetype open = line.indexOf(QStringLiteral("<!--"));
  if (open >= 0)
    line.remove(0, open + 4);
  const qsizetype close = line.indexOf(QStringLiteral("-->"));
  if (close >= 0)
    line.truncate(close);
  return line.isEmpty() ? file.fileName() : line;
}

// Restores the cursor however the work ends.
class TWaitCursor {
public:
  TWaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~TWaitCursor() { QApplication::restoreOverrideCursor(); }
};

} // namespace

Thtml::Thtml(QWidget *owner) : TForm(owner) {
  SetCaption(QStringLiteral("Zapis do pliku HTML"));
  SetBorderStyle(bsDialog);
  SetPosition(poScreenCenter);

  wzor = new QComboBox(this);
  wzor->setEditable(false);
  plik = new TFilenameEdit(this);
  // The report is usually a new file: browsing must accept a name that does not exist yet.
  plik->SetDialogKind(TFilenameEdit::dkSave);
  plik->SetDefaultExt(QStringLiteral("htm"));
  plik->SetFilter(QStringLiteral("Pliki HTML (*.htm,*.html)|*.htm;*.html|Wszystkie pliki (*.*)|*.*"));
  dopisywanie = new QCheckBox(QStringLiteral("Dopisywanie do istniejącego pliku"), this);
  nazwa = new QLineEdit(this);
  tytul = new QLineEdit(this);
  podtytul = new QLineEdit(this);
  lp = new QCheckBox(QStringLiteral("Dodaj kolumnę Lp."), this);
  pokaz = new QCheckBox(QStringLiteral("Po generacji pokaż wynik w przeglądarce internetowej"), this);
  BitBtn1 = new TButton(this, QStringLiteral("Generuj"));
  BitBtn1->SetDefault(true);
  BitBtn2 = new TButton(this, QStringLiteral("Anuluj"));
  BitBtn2->SetModalResult(mrCancel);
  connect(BitBtn1, &QPushButton::clicked, this, [this] { Guarded(this, [this] { BitBtn1Click(); }); });

  auto *fields = new QFormLayout;
  fields->addRow(QStringLiteral("Wzór wydruku:"), wzor);
  fields->addRow(QStringLiteral("Plik, do którego należy zapisać:"), plik);
  fields->addRow(QString(), dopisywanie);
  fields->addRow(QStringLiteral("Nazwa wydruku:"), nazwa);
  fields->addRow(QStringLiteral("Tytuł:"), tytul);
  fields->addRow(QStringLiteral("Podtytuł:"), podtytul);
  fields->addRow(QString(), lp);
  fields->addRow(QString(), pokaz);
  auto *buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(BitBtn1);
  buttons->addWidget(BitBtn2);
  auto *layout = new QVBoxLayout(this);
  layout->addLayout(fields);
  layout->addLayout(buttons);
}

void Thtml::SetTemplates(const QString &folder, const QString &mask) {
  FTemplateDir = folder;
  FTemplateMask = mask;
}

void Thtml::FormShow() {
  const TRemembered &r = Remembered();
  tytul->setText(r.Title);
  podtytul->setText(r.Subtitle);
  lp->setChecked(r.Numbered);
  pokaz->setChecked(r.Show);
  plik->SetText(r.File);
  if (nazwa->text().isEmpty())
    nazwa->setText(r.Name);
  ListTemplates();
}

QString Thtml::TemplateFolder() const {
  if (FTemplateDir.size() < 2)
    throw Exception(QStringLiteral("Zła nazwa kartoteki z wzorcami"));
  QString folder = QDir::fromNativeSeparators(QString(FTemplateDir).replace(u'\\', u'/'));
  if (!QDir::isAbsolutePath(folder))
    folder = QFileInfo(Application()->ExeName()).absolutePath() + u'/' + folder;
  if (!folder.endsWith(u'/'))
    folder += u'/';
  return folder;
}

void Thtml::ListTemplates() {
  const QDir folder(TemplateFolder());
  const QString mask = FTemplateMask.isEmpty() ? QStringLiteral("*.*") : FTemplateMask;
  std::vector<std::pair<QString, QString>> templates; // path, description
  for (const QFileInfo &file : folder.entryInfoList({mask}, QDir::Files)) {
    const QString extension = u'.' + file.suffix().toUpper();
    if (extension == QStringLiteral(".HTML") || extension == QStringLiteral(".HTM"))
      templates.emplace_back(file.filePath(), TemplateDescription(file));
  }
  std::sort(templates.begin(), templates.end(), [](const auto &a, const auto &b) {
    return QString::compare(a.first, b.first, Qt::CaseInsensitive) < 0;
  });

  wzor->clear();
  FTemplateFiles.clear();
  int byName = -1, byRemembered = -1;
  for (const auto &[path, description] : templates) {
    if (description.compare(nazwa->text(), Qt::CaseInsensitive) == 0)
      byName = wzor->count();
    if (description == Remembered().Template)
      byRemembered = wzor->count();
    wzor->addItem(description);
    FTemplateFiles.append(path);
  }
  wzor->setCurrentIndex(byName >= 0 ? byName : byRemembered >= 0 ? byRemembered : 0);
}

void Thtml::BitBtn1Click() {
  const QString fileName = UnquoteIfQuoted(plik->Text(), u'"');
  TRemembered &r = Remembered();
  r.Title = tytul->text();
  r.Subtitle = podtytul->text();
  r.Numbered = lp->isChecked();
  r.Show = pokaz->isChecked();
  r.Name = nazwa->text();
  r.File = fileName;
  if (wzor->currentIndex() >= 0)
    r.Template = wzor->currentText();
  if (fileName.isEmpty()) {
    SetModalResult(mrNone);
    throw Exception(QStringLiteral("Nie podano nazwy pliku do eksportu."));
  }
  SetModalResult(mrOk);
  TWaitCursor wait;
  tHTMLprint writer;
  writer.FName = nazwa->text();
  writer.FTitle = tytul->text();
  writer.FSubtitle = podtytul->text();
  writer.FNumbered = lp->isChecked();
  writer.FAppend = dopisywanie->isChecked();
  // Without any template the writer reports the missing template file.
  const int index = wzor->currentIndex();
  writer.Write(FDataSet, fileName, index >= 0 ? FTemplateFiles[index] : QString(), true);
  if (pokaz->isChecked())
    writer.OpenInBrowser(fileName);
}

void ExportDataSetToHTML(TDataSet *dataSet, const QString &templateDir, const QString &templateMask,
                         const QString &reportName) {
  Thtml dialog;
  dialog.nazwa->setText(reportName);
  dialog.SetDataSet(dataSet);
  dialog.SetTemplates(templateDir, templateMask);
  dialog.FormShow();
  dialog.ShowModal();
}
