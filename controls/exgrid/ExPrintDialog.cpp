#include "ExPrintDialog.h"

#include "Dialogs.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QVBoxLayout>

TExPrintDialog::TExPrintDialog(QWidget *owner) : TForm(owner) {
  setObjectName(QStringLiteral("PrintDialog"));
  SetCaption(QStringLiteral("Print"));
  SetBorderStyle(bsDialog);
  SetPosition(poScreenCenter);
  FPrinters = new QComboBox(this);
  FPrinters->addItems(QPrinterInfo::availablePrinterNames());
  FPrinters->setCurrentText(QPrinterInfo::defaultPrinterName());
  FPdfFile = new QLineEdit(this);
  FOk = new QPushButton(QStringLiteral("&Ok"), this);
  FOk->setDefault(true);
  auto *cancel = new QPushButton(QStringLiteral("&Cancel"), this);
  connect(FOk, &QPushButton::clicked, this, [this] { SetModalResult(mrOk); });
  connect(cancel, &QPushButton::clicked, this, [this] { SetModalResult(mrCancel); });
  auto *rows = new QFormLayout;
  rows->addRow(QStringLiteral("Printer:"), FPrinters);
  rows->addRow(QStringLiteral("PDF file:"), FPdfFile);
  auto *buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(FOk);
  buttons->addWidget(cancel);
  auto *layout = new QVBoxLayout(this);
  layout->addLayout(rows);
  layout->addLayout(buttons);
}

bool TExPrintDialog::Execute(QPrinter &printer) {
  if (ShowModal() != mrOk)
    return false;
  if (!FPdfFile->text().trimmed().isEmpty()) {
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(FPdfFile->text().trimmed());
  } else {
    printer.setOutputFormat(QPrinter::NativeFormat);
    printer.setPrinterName(FPrinters->currentText());
  }
  return true;
}
