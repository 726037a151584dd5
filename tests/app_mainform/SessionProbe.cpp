// meridox_sec as its main routine runs it, with a scripted start: the login typed and "Połącz" run,
// "Monitor SQL" opened and one statement left uncommitted in its transaction, so that a test can end the
// session of a connected program by a real signal and look at what it leaves behind.
//
//   session_probe INI SERVER DATABASE PASSWORD STATEMENT
//
// Prints "ready" once the statement ran; the exit code is the program's.
#include "Actions.h"
#include "Application.h"
#include "IBDatabase.h"
#include "PendingWork.h"
#include "UDMSecurity.h"
#include "UMainForm.h"
#include "USqlMon.h"

#include <QComboBox>
#include <QLineEdit>
#include <cstdio>

int main(int argc, char **argv) {
  TApplication application(argc, argv);
  application.HandleSessionEnd();
  LeaveSignalShutdownToTheProgram();
  const QStringList args = QCoreApplication::arguments();
  if (args.size() != 6) {
    std::fputs("usage: session_probe INI SERVER DATABASE PASSWORD STATEMENT\n", stderr);
    return 2;
  }
  TMainForm mainForm(nullptr, args[1]);
  application.SetMainForm(&mainForm);
  mainForm.show();
  mainForm.DM()->SecurityAlias = args[3];
  mainForm.edSerwer->setEditText(args[2]);
  mainForm.edUserName->setText(QStringLiteral("SYSDBA"));
  mainForm.edAdminPswd->setText(args[4]);
  if (!mainForm.DBConnectA->Execute() || !mainForm.MonitorSQLA->Execute())
    return 3;
  for (QWidget *widget : QApplication::topLevelWidgets())
    if (auto *monitor = qobject_cast<TSQLMonitorForm *>(widget)) {
      LeavePendingWork(*monitor, args[5]);
    }
  std::puts("ready");
  std::fflush(stdout);
  return application.Run();
}
