#include "ExPrintDialog.h"

TExPrintDialog::TExPrintDialog(QWidget *owner)
    : TPrintTargetDialog(owner,
                         {QStringLiteral("Print"), QStringLiteral("Printer:"), QStringLiteral("PDF file:"),
                          QStringLiteral("Orientation:"), QStringLiteral("Portrait"),
                          QStringLiteral("Landscape"), QStringLiteral("&Ok"), QStringLiteral("&Cancel")}) {}
