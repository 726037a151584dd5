#include "UPrintDialog.h"

TPrintDialog::TPrintDialog(QWidget *owner)
    : TPrintTargetDialog(owner,
                         {QStringLiteral("Drukuj"), QStringLiteral("Drukarka:"), QStringLiteral("Plik PDF:"),
                          QStringLiteral("Orientacja:"), QStringLiteral("Pionowa"), QStringLiteral("Pozioma"),
                          QStringLiteral("Drukuj"), QStringLiteral("Anuluj")}) {}
