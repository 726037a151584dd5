#include "UZmianaHaslaF.h"

#include "Application.h"
#include "Dialogs.h"
#include "Exceptions.h"
#include "StdCtrls.h"
#include "UFormLayout.h"
#include "UServerUserName.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QVBoxLayout>

namespace {
QLineEdit *PasswordEdit(QWidget *parent, const QString &name) {
  auto *edit = new QLineEdit(parent);
  edit->setObjectName(name);
  edit->setEchoMode(QLineEdit::Password);
  return edit;
}
} // namespace

TZmianaHaslaF::TZmianaHaslaF(QWidget *owner) : TForm(owner) {
  setObjectName(QStringLiteral("ZmianaHaslaF"));
  SetCaption(QString::fromUtf8("Zmiana hasła"));
  SetBorderStyle(bsDialog);
  SetPosition(poScreenCenter);
  auto *outer = new QVBoxLayout(this);
  outer->setSizeConstraint(QLayout::SetFixedSize);

  pnlOldPassword = new QWidget(this);
  pnlOldPassword->setObjectName(QStringLiteral("pnlOldPassword"));
  auto *oldRows = new QFormLayout(pnlOldPassword);
  edOldPassword = PasswordEdit(pnlOldPassword, QStringLiteral("edOldPassword"));
  oldRows->addRow(QString::fromUtf8("Stare hasło"), edOldPassword);
  outer->addWidget(pnlOldPassword);

  Panel2 = new QWidget(this);
  Panel2->setObjectName(QStringLiteral("Panel2"));
  auto *newRows = new QFormLayout(Panel2);
  edPSWD1 = PasswordEdit(Panel2, QStringLiteral("edPSWD1"));
  edPSWD2 = PasswordEdit(Panel2, QStringLiteral("edPSWD2"));
  newRows->addRow(QString::fromUtf8("Nowe hasło"), edPSWD1);
  newRows->addRow(QString::fromUtf8("Powtórz hasło"), edPSWD2);
  outer->addWidget(Panel2);

  auto *buttons = new QHBoxLayout;
  buttons->addStretch();
  BitBtn1 = AddDialogButton(this, buttons, QString::fromUtf8("Zatwierdź"), QStringLiteral("BitBtn1"), mrNone);
  BitBtn1->SetDefault(true);
  BitBtn2 = AddDialogButton(this, buttons, QStringLiteral("Anuluj"), QStringLiteral("BitBtn2"), mrCancel);
  outer->addLayout(buttons);
  connect(BitBtn1, &QPushButton::clicked, this, [this] { Guarded(this, [this] { BitBtn1Click(); }); });
}

void TZmianaHaslaF::BitBtn1Click() {
  // The panel's own flag, not whether the window shows it.
  if (!edOldPassword->isHidden() && edOldPassword->text() != FOldPassword) {
    MessageBox(QString::fromUtf8("Błędnie wprowadzone stare hasło"), QString::fromUtf8("Błąd"),
               MB_OK | MB_ICONERROR);
    Abort();
  }
  if (edPSWD1->text() != edPSWD2->text()) {
    MessageBox(QString::fromUtf8("Błędnie powtórzone hasło"), QString::fromUtf8("Błąd"),
               MB_OK | MB_ICONERROR);
    Abort();
  }
  // Refused here, so that the dialog stays open with what was typed.
  if (const QString problem = ServerPasswordProblem(edPSWD1->text()); !problem.isEmpty()) {
    MessageBox(problem, QString::fromUtf8("Błąd"), MB_OK | MB_ICONERROR);
    Abort();
  }
  SetModalResult(mrOk);
}
