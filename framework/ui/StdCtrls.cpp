#include "StdCtrls.h"

#include "Actions.h"
#include "Dialogs.h"
#include "Forms.h"

TButton::TButton(QWidget *parent, const QString &caption) : QPushButton(caption, parent) {
  setAutoDefault(false);
  connect(this, &QPushButton::clicked, this, [this] {
    if (FModalResult == 0)
      return;
    for (QWidget *w = parentWidget(); w; w = w->parentWidget())
      if (auto *form = qobject_cast<TForm *>(w)) {
        form->SetModalResult(FModalResult);
        return;
      }
  });
}

void TButton::SetModalResult(int result) {
  FModalResult = result;
  if (result == mrCancel)
    FCancel = true;
}

void TButton::SetAction(TAction *action) { LinkAction(this, action); }
