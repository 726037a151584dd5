#pragma once

#include "Forms.h"

// The main window of upgrade.
class TMainWindow : public TForm {
  Q_OBJECT
public:
  explicit TMainWindow(QWidget *owner = nullptr);
};
