#pragma once

#include <QStatusBar>

// The status bar of the grid's dialogs: besides its own widgets it holds child controls placed on
// it by position (panels carrying buttons), which move with the bar.
class TExStatusBar : public QStatusBar {
public:
  explicit TExStatusBar(QWidget *parent = nullptr);
};
