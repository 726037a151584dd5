#pragma once

#include "Forms.h"

#include <QStringList>

class QCheckBox;
class QComboBox;
class QLineEdit;
class TButton;
class TDataSet;
class TFilenameEdit;

// "Zapis do pliku HTML": asks for the output file, the template (by its description), the report's
// name, title and subtitle and three options, then writes the report. The choices are remembered
// for the rest of the run.
class Thtml : public TForm {
  Q_OBJECT
public:
  explicit Thtml(QWidget *owner = nullptr);

  // Fills the fields from the remembered choices and lists the templates of the folder.
  void FormShow();
  // "Generuj".
  void BitBtn1Click();

  void SetDataSet(TDataSet *dataSet) { FDataSet = dataSet; }
  // A folder without a leading "/" is taken beside the program; an empty mask lists every file.
  void SetTemplates(const QString &folder, const QString &mask);
  // The template paths, in the order of wzor's items.
  const QStringList &TemplateFiles() const { return FTemplateFiles; }

  QComboBox *wzor;
  TFilenameEdit *plik;
  QCheckBox *dopisywanie;
  QLineEdit *nazwa;
  QLineEdit *tytul;
  QLineEdit *podtytul;
  QCheckBox *lp;
  QCheckBox *pokaz;
  TButton *BitBtn1;
  TButton *BitBtn2;

private:
  void ListTemplates();
  QString TemplateFolder() const;

  QStringList FTemplateFiles;
  TDataSet *FDataSet = nullptr;
  QString FTemplateDir;
  QString FTemplateMask;
};

// The SQL console's HTML output: the dialog for the dataset, with the templates of the folder.
void ExportDataSetToHTML(TDataSet *dataSet, const QString &templateDir, const QString &templateMask,
                         const QString &reportName);
