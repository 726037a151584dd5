#pragma once

#include "Forms.h"

class TButton;
class TIBParamsFrame;
class TIBQuery;

// "Parametry zapytania": the values of a prepared query's parameters, one panel per name.
class TSQLParamsForm : public TForm {
  Q_OBJECT
public:
  explicit TSQLParamsForm(QWidget *owner);

  // Builds the panels from the query's descriptors and parameter values.
  void Bind(TIBQuery *query);
  // Writes the entered values into the query's parameters.
  void WriteBack();

  TIBParamsFrame *Frame;
  QWidget *ButtonPanel;
  TButton *btnOK;
  TButton *btnCancel;

private:
  TIBQuery *FQuery = nullptr;
};
