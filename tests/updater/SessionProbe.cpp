// upgrade as its main routine runs it, with a scripted start: the program and the package named and
// "Przeprowadź upgrade" pressed while an end of the session (SIGTERM) is already waiting, so that a
// test sees what the signal does to an install under way.
//
//   upgrade_session_probe PROGRAM PACKAGE      the exit code is the program's
#include "Application.h"
#include "StdCtrls.h"
#include "UpgrWnd.h"

#include <QLineEdit>
#include <QTimer>
#include <csignal>
#include <cstdio>

int main(int argc, char **argv) {
  TApplication application(argc, argv);
  application.HandleSessionEnd();
  const QStringList args = QCoreApplication::arguments();
  if (args.size() != 3) {
    std::fputs("usage: upgrade_session_probe PROGRAM PACKAGE\n", stderr);
    return 2;
  }
  TMainWindow mainWindow;
  application.SetMainForm(&mainWindow);
  mainWindow.show();
  mainWindow.Path->setText(args[1]);
  mainWindow.UpgradePath->setText(args[2]);
  QTimer::singleShot(0, &mainWindow, [&mainWindow] {
    std::raise(SIGTERM);
    mainWindow.MakeUpgradeBtn->click();
  });
  return application.Run();
}
