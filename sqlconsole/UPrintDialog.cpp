#include "UPrintDialog.h"

TPrintDialog::TPrintDialog(QWidget *owner)
    : TPrintTargetDialog(owner,
                         {QStringLiteral("Drukuj"), QStringLiteral("Drukarka:"), QStringLiteral("Plik PDF:"),
                          QStringLiteral("Drukuj"), QStringLiteral("Anuluj")}) {}
