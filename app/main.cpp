#include "Application.h"
#include "UMainForm.h"

int main(int argc, char **argv) {
  TApplication application(argc, argv);
  application.SetTitle(QStringLiteral("Menadżer użytkowników MERIDOX"));
  TMainForm mainForm;
  application.SetMainForm(&mainForm);
  mainForm.show();
  return application.exec();
}
