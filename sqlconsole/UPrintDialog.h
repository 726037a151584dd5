#pragma once

#include "PrintTargetDialog.h"

// "Drukuj": where the console's report goes.
class TPrintDialog : public TPrintTargetDialog {
public:
  explicit TPrintDialog(QWidget *owner);
};
