#pragma once

#include "Forms.h"

class TButton;
class TDataSource;
class TDBGrid;
class TDBNavigator;
class TIBDatabase;
class TIBQuery;
class TIBTransaction;

// "Grupy": picks a user group from those the users list holds.
class TGrupyForm : public TForm {
  Q_OBJECT
public:
  TGrupyForm(QWidget *owner, TIBDatabase *database);

  TDBGrid *DBGrid1;
  TDBNavigator *DBNavigator1;
  TButton *BitBtn1;
  TButton *BitBtn2;
  TIBQuery *grupy;
  TIBTransaction *Transaction;
  TDataSource *dsGrupy;

  // The group of the current row.
  QString ChosenGroup() const;

private:
  void FormCreate();
};
