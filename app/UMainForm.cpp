#include "UMainForm.h"

#include "Actions.h"

TMainForm::TMainForm(QWidget *owner) : TForm(owner) {
  setObjectName(QStringLiteral("MainForm"));
  UpdateFormA = new TAction(this, QStringLiteral("UpdateFormA"),
                            QStringLiteral("Menadżer użytkowników MERIDOX"));
  SetAction(UpdateFormA);
  resize(798, 647);
  setMinimumSize(778, 571);
  SetPosition(poDesktopCenter);
}
