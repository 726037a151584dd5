#include "UPrintF.h"

#include "Dialogs.h"
#include "StdCtrls.h"
#include "UColEdFrame.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

TPrintForm::TPrintForm(QWidget *owner) : TForm(owner) {
  setObjectName(QStringLiteral("PrintForm"));
  SetCaption(QStringLiteral("Drukowanie"));
  ColEdFrame = new TColEdFrame(this);
  btnZamknij = new TButton(this, QStringLiteral("Zamknij"));
  btnZamknij->SetModalResult(mrOk);
  auto *buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(btnZamknij);
  auto *layout = new QVBoxLayout(this);
  layout->addWidget(ColEdFrame, 1);
  layout->addLayout(buttons);
  resize(640, 480);
}
