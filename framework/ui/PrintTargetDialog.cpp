#include "PrintTargetDialog.h"

#include "Dialogs.h"
#include "StdCtrls.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPrinter>
#include <QPrinterInfo>
#include <QVBoxLayout>

TPrintTargetDialog::TPrintTargetDialog(QWidget *owner, const TPrintTargetTexts &texts) : TForm(owner) {
  setObjectName(QStringLiteral("PrintDialog"));
  SetCaption(texts.Caption);
  SetBorderStyle(bsDialog);
  SetPosition(poScreenCenter);
  cbPrinter = new QComboBox(this);
  cbPrinter->addItems(QPrinterInfo::availablePrinterNames());
  cbPrinter->setCurrentText(QPrinterInfo::defaultPrinterName());
  edPdfFile = new QLineEdit(this);
  cbOrientation = new QComboBox(this);
  cbOrientation->addItem(texts.Portrait, int(QPageLayout::Portrait));
  cbOrientation->addItem(texts.Landscape, int(QPageLayout::Landscape));
  btnOK = new TButton(this, texts.Ok);
  btnOK->SetModalResult(mrOk);
  btnOK->SetDefault(true);
  btnCancel = new TButton(this, texts.Cancel);
  btnCancel->SetModalResult(mrCancel);
  auto *rows = new QFormLayout;
  rows->addRow(texts.PrinterLabel, cbPrinter);
  rows->addRow(texts.PdfFileLabel, edPdfFile);
  rows->addRow(texts.OrientationLabel, cbOrientation);
  auto *buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(btnOK);
  buttons->addWidget(btnCancel);
  auto *layout = new QVBoxLayout(this);
  layout->addLayout(rows);
  layout->addLayout(buttons);
}

bool TPrintTargetDialog::Execute(QPrinter &printer) {
  if (ShowModal() != mrOk)
    return false;
  const QString pdf = edPdfFile->text().trimmed();
  if (!pdf.isEmpty()) {
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
  } else {
    printer.setOutputFormat(QPrinter::NativeFormat);
    printer.setPrinterName(cbPrinter->currentText());
  }
  printer.setPageOrientation(QPageLayout::Orientation(cbOrientation->currentData().toInt()));
  return true;
}
