#pragma once

#include "Forms.h"

class QLineEdit;
class QWidget;
class TButton;

// "Zmiana hasła": the new password twice, and the old one when its panel is shown.
class TZmianaHaslaF : public TForm {
  Q_OBJECT
public:
  explicit TZmianaHaslaF(QWidget *owner);

  QWidget *pnlOldPassword;
  QLineEdit *edOldPassword;
  QWidget *Panel2;
  QLineEdit *edPSWD1;
  QLineEdit *edPSWD2;
  TButton *BitBtn1;
  TButton *BitBtn2;

  // Checks the old password and the repetition; closes with OK when both are right.
  void BitBtn1Click();

private:
  QString FOldPassword;
};
