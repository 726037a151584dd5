#pragma once

#include "Forms.h"

class TAction;

// The main window of meridox_sec.
class TMainForm : public TForm {
  Q_OBJECT
public:
  explicit TMainForm(QWidget *owner = nullptr);

  TAction *UpdateFormA = nullptr;
};
