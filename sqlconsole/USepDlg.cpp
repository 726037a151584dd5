#include "USepDlg.h"

#include "Application.h"
#include "Dialogs.h"
#include "Exceptions.h"
#include "StdCtrls.h"
#include "Win1250.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

TSeparatorDlg::TSeparatorDlg(QWidget *owner) : TForm(owner) {
  setObjectName(QStringLiteral("SeparatorDlg"));
  SetCaption(QStringLiteral("Ustawienia separatora i ogranicznika"));
  SetBorderStyle(bsDialog);
  SetPosition(poScreenCenter);
  auto *layout = new QVBoxLayout(this);
  layout->addWidget(
      CreateInput(QStringLiteral("Podaj separator:"), FSeparator, Edit, rbSepLetter, rbSepCode));
  layout->addWidget(
      CreateInput(QStringLiteral("Podaj ogranicznik:"), FQuote, Edit2, rbQuoteLetter, rbQuoteCode));
  btnOK = new TButton(this, QString::fromUtf8("Potwierdź"));
  btnOK->SetModalResult(mrOk);
  btnCancel = new TButton(this, QStringLiteral("Anuluj"));
  btnCancel->SetModalResult(mrCancel);
  auto *buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(btnOK);
  buttons->addWidget(btnCancel);
  layout->addLayout(buttons);
}

QWidget *TSeparatorDlg::CreateInput(const QString &label, TCharInput &input, QLineEdit *&edit,
                                    QRadioButton *&letter, QRadioButton *&code) {
  auto *box = new QWidget(this);
  auto *row = new QHBoxLayout(box);
  row->addWidget(new QLabel(label, box));
  edit = new QLineEdit(box);
  edit->setMaxLength(1);
  edit->setToolTip(QStringLiteral("Tu podaj odpowiedni separator..."));
  row->addWidget(edit);
  auto *group = new QGroupBox(QStringLiteral("Wpisywanie"), box);
  group->setToolTip(QStringLiteral("Metoda podania separatora..."));
  auto *choices = new QVBoxLayout(group);
  letter = new QRadioButton(QStringLiteral("Litera"), group);
  code = new QRadioButton(QStringLiteral("Kod ASCI"), group);
  letter->setChecked(true);
  choices->addWidget(letter);
  choices->addWidget(code);
  row->addWidget(group);
  input.Edit = edit;
  input.Code = code;
  TCharInput *target = &input;
  connect(code, &QRadioButton::toggled, this,
          [this, target] { Guarded(this, [target] { Apply(*target); }); });
  return box;
}

void TSeparatorDlg::showEvent(QShowEvent *event) {
  TForm::showEvent(event);
  Guarded(this, [this] { ApplyGroups(); });
}

void TSeparatorDlg::ApplyGroups() {
  Apply(FSeparator);
  Apply(FQuote);
}

QChar TSeparatorDlg::Read(const TCharInput &input) {
  const QString text = input.Edit->text();
  if (input.AsCode) {
    bool ok = false;
    const int code = text.toInt(&ok, 10);
    if (!ok)
      throw EConvertError(QStringLiteral("'%1' is not a valid integer value").arg(text));
    // A code of the window's code page; only its low byte counts.
    return Win1250::Decode(QByteArray(1, char(code & 0xFF))).at(0);
  }
  if (text.isEmpty())
    throw EConvertError(QStringLiteral("Nie podano znaku"));
  return text.at(0);
}

void TSeparatorDlg::Apply(TCharInput &input) {
  const bool wantCode = input.Code->isChecked();
  if (!wantCode && input.AsCode) {
    const QChar c = Read(input);
    input.Edit->setMaxLength(1);
    input.Edit->setText(QString(c));
    input.AsCode = false;
  } else if (wantCode && !input.AsCode) {
    const QChar c = Read(input);
    input.Edit->setMaxLength(3);
    input.Edit->setText(QString::number(quint8(Win1250::Encode(QString(c)).at(0))));
    input.AsCode = true;
  }
  input.Edit->selectAll();
}

QChar TSeparatorDlg::GetSeparator() const { return Read(FSeparator); }

QChar TSeparatorDlg::GetQuote() const { return Read(FQuote); }
