#include "Application.h"
#include "UMainWindow.h"

int main(int argc, char **argv) {
  TApplication application(argc, argv);
  TMainWindow mainWindow;
  mainWindow.show();
  return application.exec();
}
