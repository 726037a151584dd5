#pragma once

#include "Forms.h"

class QCheckBox;
class QLabel;

// "Potwierdź": a question answered yes, no or cancel, optionally for all that follow.
class TYesNoAll : public TForm {
  Q_OBJECT
public:
  explicit TYesNoAll(QWidget *owner = nullptr);

  void SetMessage(const QString &text);
  bool ForAll() const;

  QLabel *Komunikat;
  QCheckBox *All;
};
