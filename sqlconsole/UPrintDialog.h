#pragma once

#include "Forms.h"

class QComboBox;
class QLineEdit;
class QPrinter;
class TButton;

// "Drukuj": where a report goes, a printer of the system or a PDF file.
class TPrintDialog : public TForm {
  Q_OBJECT
public:
  explicit TPrintDialog(QWidget *owner);

  // Shows the dialog; on OK sets the printer up for the choice and answers true.
  bool Execute(QPrinter &printer);

  QComboBox *cbPrinter;
  QLineEdit *edPdfFile; // when filled, the report goes to this PDF file
  TButton *btnOK;
  TButton *btnCancel;
};
