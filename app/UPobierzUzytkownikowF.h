#pragma once

#include "Forms.h"

class TButton;
class TFilenameEdit;

// "Pobierz użytkowników": the database file of the sibling application to take names from.
class TPobierzUzytkownikowF : public TForm {
  Q_OBJECT
public:
  explicit TPobierzUzytkownikowF(QWidget *owner);

  TFilenameEdit *edFileName;
  TButton *BitBtn1;
  TButton *BitBtn2;
};
