#pragma once

#include "PrintTargetDialog.h"

// "Print": where a report of the grid family goes.
class TExPrintDialog : public TPrintTargetDialog {
public:
  explicit TExPrintDialog(QWidget *owner = nullptr);
};
