#include "UNowyUzytkownikF.h"

#include "Dialogs.h"
#include "StdCtrls.h"
#include "UFormLayout.h"

#include <QLineEdit>

TNowyUzytkownikF::TNowyUzytkownikF(QWidget *owner) : TForm(owner) {
  setObjectName(QStringLiteral("NowyUzytkownikF"));
  SetCaption(QString::fromUtf8("Nowy użytkownik"));
  SetPosition(poMainFormCenter);
  TLabelledRows rows(this);
  edUser = rows.AddEdit(QStringLiteral("Nazwa użytkownika"), QStringLiteral("edUser"));
  edFirstName = rows.AddEdit(QStringLiteral("Imię"), QStringLiteral("edFirstName"));
  edSecondName = rows.AddEdit(QStringLiteral("Nazwisko"), QStringLiteral("edSecondName"));
  edPesel = rows.AddEdit(QStringLiteral("PESEL"), QStringLiteral("edPesel"));
  edPswd1 = rows.AddEdit(QStringLiteral("Hasło"), QStringLiteral("edPswd1"), QLineEdit::Password);
  edPSWD2 = rows.AddEdit(QStringLiteral("Powtórz hasło"), QStringLiteral("edPSWD2"), QLineEdit::Password);
  BitBtn3 = rows.AddButton(QString::fromUtf8("Zatwierdź"), QStringLiteral("BitBtn3"), mrOk);
  BitBtn3->SetDefault(true);
  BitBtn4 = rows.AddButton(QStringLiteral("Anuluj"), QStringLiteral("BitBtn4"), mrCancel);
}
