#pragma once

#include "Forms.h"

class QComboBox;
class QLineEdit;
class QPrinter;
class QPushButton;

// "Print": the printer a report of the grid family goes to, or a PDF file.
class TExPrintDialog : public TForm {
public:
  explicit TExPrintDialog(QWidget *owner = nullptr);

  // Shows the dialog through the seam; on OK sets the printer up for the choice and answers true.
  bool Execute(QPrinter &printer);

  QComboBox *Printers() const { return FPrinters; }
  // When filled, the report goes to this PDF file.
  QLineEdit *PdfFile() const { return FPdfFile; }
  QPushButton *OkBtn() const { return FOk; }

private:
  QComboBox *FPrinters;
  QLineEdit *FPdfFile;
  QPushButton *FOk;
};
