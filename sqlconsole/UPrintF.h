#pragma once

#include "Forms.h"

class TButton;
class TColEdFrame;

// "Drukowanie": the tabulated preview of a result, to print or save.
class TPrintForm : public TForm {
  Q_OBJECT
public:
  explicit TPrintForm(QWidget *owner);

  TColEdFrame *ColEdFrame;
  TButton *btnZamknij;
};
