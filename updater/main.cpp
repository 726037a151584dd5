#include "Application.h"
#include "UpgrWnd.h"

int main(int argc, char **argv) {
  TApplication application(argc, argv);
  application.HandleSessionEnd();
  TMainWindow mainWindow;
  application.SetMainForm(&mainWindow);
  mainWindow.show();
  return application.Run();
}
