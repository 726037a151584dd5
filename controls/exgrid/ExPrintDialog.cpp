#include "ExPrintDialog.h"

TExPrintDialog::TExPrintDialog(QWidget *owner)
    : TPrintTargetDialog(owner,
                         {QStringLiteral("Print"), QStringLiteral("Printer:"), QStringLiteral("PDF file:"),
                          QStringLiteral("&Ok"), QStringLiteral("&Cancel")}) {}
