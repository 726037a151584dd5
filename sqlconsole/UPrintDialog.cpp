#include "UPrintDialog.h"

#include "Dialogs.h"
#include "StdCtrls.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPrinter>
#include <QPrinterInfo>
#include <QVBoxLayout>

TPrintDialog::TPrintDialog(QWidget *owner) : TForm(owner) {
  setObjectName(QStringLiteral("PrintDialog"));
  SetCaption(QStringLiteral("Drukuj"));
  SetBorderStyle(bsDialog);
  SetPosition(poScreenCenter);
  cbPrinter = new QComboBox(this);
  cbPrinter->addItems(QPrinterInfo::availablePrinterNames());
  cbPrinter->setCurrentText(QPrinterInfo::defaultPrinterName());
  edPdfFile = new QLineEdit(this);
  btnOK = new TButton(this, QStringLiteral("Drukuj"));
  btnOK->SetModalResult(mrOk);
  btnOK->SetDefault(true);
  btnCancel = new TButton(this, QStringLiteral("Anuluj"));
  btnCancel->SetModalResult(mrCancel);
  auto *rows = new QFormLayout;
  rows->addRow(QStringLiteral("Drukarka:"), cbPrinter);
  rows->addRow(QStringLiteral("Plik PDF:"), edPdfFile);
  auto *buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(btnOK);
  buttons->addWidget(btnCancel);
  auto *layout = new QVBoxLayout(this);
  layout->addLayout(rows);
  layout->addLayout(buttons);
}

bool TPrintDialog::Execute(QPrinter &printer) {
  if (ShowModal() != mrOk)
    return false;
  if (!edPdfFile->text().isEmpty()) {
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(edPdfFile->text());
  } else {
    printer.setPrinterName(cbPrinter->currentText());
  }
  return true;
}
