#include "Application.h"
#include "Resources.h"
#include "UpgrWnd.h"

int main(int argc, char **argv) {
  TApplication application(argc, argv);
  application.HandleSessionEnd();
  SetProgramMenuEntry(QStringLiteral("meridox_sec-upgrade"));
  TMainWindow mainWindow;
  application.SetMainForm(&mainWindow);
  mainWindow.show();
  return application.Run();
}
