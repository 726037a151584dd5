#include "YNAllD.h"

#include "Dialogs.h"
#include "StdCtrls.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

TYesNoAll::TYesNoAll(QWidget *owner) : TForm(owner) {
  SetCaption(QStringLiteral("Potwierdź"));
  SetBorderStyle(bsDialog);
  SetPosition(poMainFormCenter);

  Komunikat = new QLabel(this);
  Komunikat->setObjectName(QStringLiteral("Komunikat"));
  Komunikat->setAlignment(Qt::AlignCenter);
  Komunikat->setWordWrap(true);
  // 405 x 60 pixels at 120 pixels per inch.
  Komunikat->setFixedSize(405 * logicalDpiX() / 120, 60 * logicalDpiY() / 120);

  All = new QCheckBox(QStringLiteral("Na wszystkie"), this);
  All->setObjectName(QStringLiteral("All"));

  auto *buttons = new QHBoxLayout;
  const struct {
    const char *caption;
    int result;
  } kinds[] = {{"&Tak", mrYes}, {"&Nie", mrNo}, {"Anuluj", mrCancel}};
  for (const auto &kind : kinds) {
    auto *button = new TButton(this, QString::fromUtf8(kind.caption));
    button->SetModalResult(kind.result);
    buttons->addWidget(button);
  }

  auto *layout = new QVBoxLayout(this);
  layout->addWidget(Komunikat);
  layout->addWidget(All);
  layout->addLayout(buttons);
}

void TYesNoAll::SetMessage(const QString &text) { Komunikat->setText(text); }

bool TYesNoAll::ForAll() const { return All->isChecked(); }
