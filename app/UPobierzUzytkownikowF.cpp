#include "UPobierzUzytkownikowF.h"

#include "MxToolEdit.h"
#include "StdCtrls.h"
#include "UFormLayout.h"

TPobierzUzytkownikowF::TPobierzUzytkownikowF(QWidget *owner) : TForm(owner) {
  setObjectName(QStringLiteral("PobierzUzytkownikowF"));
  SetCaption(QString::fromUtf8("Pobierz użytkowników"));
  SetBorderStyle(bsDialog);
  SetPosition(poDesktopCenter);
  TLabelledRows rows(this);
  edFileName = new TFilenameEdit(this);
  edFileName->setObjectName(QStringLiteral("edFileName"));
  rows.AddRow(QStringLiteral("Plik z bazą:"), edFileName);
  BitBtn1 = rows.AddButton(QStringLiteral("Pobierz"), QStringLiteral("BitBtn1"), mrOk);
  BitBtn1->SetDefault(true);
  BitBtn2 = rows.AddButton(QStringLiteral("Anuluj"), QStringLiteral("BitBtn2"), mrCancel);
  resize(420, height());
}
