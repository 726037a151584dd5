#include "ExStatusBar.h"

TExStatusBar::TExStatusBar(QWidget *parent) : QStatusBar(parent) {
  // Placed children keep their own geometry; a size grip would cover the right-hand panel.
  setSizeGripEnabled(false);
}
