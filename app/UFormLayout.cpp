#include "UFormLayout.h"

#include "StdCtrls.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

TLabelledRows::TLabelledRows(QWidget *form) : FForm(form) {
  auto *outer = new QVBoxLayout(form);
  FRows = new QFormLayout;
  outer->addLayout(FRows);
  FButtons = new QHBoxLayout;
  FButtons->addStretch();
  outer->addLayout(FButtons);
}

QLineEdit *TLabelledRows::AddEdit(const QString &label, const QString &name, QLineEdit::EchoMode echo) {
  auto *edit = new QLineEdit(FForm);
  edit->setObjectName(name);
  edit->setEchoMode(echo);
  AddRow(label, edit);
  return edit;
}

void TLabelledRows::AddRow(const QString &label, QWidget *field) { FRows->addRow(label, field); }

TButton *AddDialogButton(QWidget *form, QBoxLayout *row, const QString &caption, const QString &name,
                         int modalResult) {
  auto *button = new TButton(form, caption);
  button->setObjectName(name);
  button->SetModalResult(modalResult);
  row->addWidget(button);
  return button;
}

TButton *TLabelledRows::AddButton(const QString &caption, const QString &name, int modalResult) {
  return AddDialogButton(FForm, FButtons, caption, name, modalResult);
}
