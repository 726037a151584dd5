#pragma once

#include "Forms.h"

class QLineEdit;
class TButton;

// "Nowy użytkownik": the name, personal data and password (twice) of a new user.
class TNowyUzytkownikF : public TForm {
  Q_OBJECT
public:
  explicit TNowyUzytkownikF(QWidget *owner);

  QLineEdit *edUser;
  QLineEdit *edFirstName;
  QLineEdit *edSecondName;
  QLineEdit *edPesel;
  QLineEdit *edPswd1;
  QLineEdit *edPSWD2;
  TButton *BitBtn3;
  TButton *BitBtn4;
};
