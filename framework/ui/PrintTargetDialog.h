#pragma once

#include "Forms.h"

class QComboBox;
class QLineEdit;
class QPrinter;
class TButton;

// The texts of a print-target dialog, in the language of the window that asks.
struct TPrintTargetTexts {
  QString Caption;
  QString PrinterLabel;
  QString PdfFileLabel;
  QString OrientationLabel;
  QString Portrait;
  QString Landscape;
  QString Ok;
  QString Cancel;
};

// Where a report goes: a printer of the system, or a PDF file when one is named; and which way up
// its pages are.
class TPrintTargetDialog : public TForm {
  Q_OBJECT
public:
  TPrintTargetDialog(QWidget *owner, const TPrintTargetTexts &texts);

  // Shows the dialog through the seam; on OK sets the printer up for the choice and answers true.
  bool Execute(QPrinter &printer);

  QComboBox *cbPrinter;
  QLineEdit *edPdfFile;
  QComboBox *cbOrientation; // portrait, landscape
  TButton *btnOK;
  TButton *btnCancel;
};
