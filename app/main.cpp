#include "Application.h"
#include "IBDatabase.h"
#include "Resources.h"
#include "UMainForm.h"

int main(int argc, char **argv) {
  TApplication application(argc, argv);
  application.HandleSessionEnd();
  LeaveSignalShutdownToTheProgram();
  application.SetTitle(QStringLiteral("Menadżer użytkowników MERIDOX"));
  SetProgramMenuEntry(QStringLiteral("meridox_sec"));
  TMainForm mainForm;
  application.SetMainForm(&mainForm);
  mainForm.show();
  // The window writes its .ini and closes its connection as it goes, right after the loop.
  return application.Run();
}
