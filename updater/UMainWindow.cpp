#include "UMainWindow.h"

TMainWindow::TMainWindow(QWidget *owner) : TForm(owner) {
  setObjectName(QStringLiteral("MainWindow"));
  SetPosition(poScreenCenter);
}
