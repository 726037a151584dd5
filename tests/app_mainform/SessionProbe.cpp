// meridox_sec as its main routine runs it, with a scripted start: the login typed and "Połącz" run,
// "Monitor SQL" opened and one statement left uncommitted in its transaction, so that a test can end the
// session of a connected program by a real signal and look at what it leaves behind. A second text, when
// given, is then run once the loop runs, through the console's action of that name ("ExecuteSQLAction",
// "ExecuteSQLScriptA"), as a person would run it.
//
//   session_probe INI SERVER DATABASE PASSWORD STATEMENT [RUN ACTION]
//
// Prints "ready" once the statement ran, then "message: " and the text of every message box the program
// shows (answered with OK); the exit code is the program's.
#include "Actions.h"
#include "Application.h"
#include "Dialogs.h"
#include "IBDatabase.h"
#include "PendingWork.h"
#include "UDMSecurity.h"
#include "UMainForm.h"
#include "USqlMon.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTimer>
#include <cstdio>

namespace {

// Message boxes go to the test's reading, the rest to the real widgets.
class TPrintedMessages : public TDialogSeam {
public:
  explicit TPrintedMessages(TDialogSeam &real) : FReal(real) {}
  int MessageBox(const TMessageRequest &request) override {
    std::printf("message: %s\n", request.Text.toUtf8().constData());
    std::fflush(stdout);
    return mrOk;
  }
  int ShowModal(TForm &form) override { return FReal.ShowModal(form); }
  bool FileDialog(TFileDialogRequest &request) override { return FReal.FileDialog(request); }
  TShellOutcome ShellOpen(const QString &target) override { return FReal.ShellOpen(target); }

private:
  TDialogSeam &FReal;
};

} // namespace

int main(int argc, char **argv) {
  TApplication application(argc, argv);
  TPrintedMessages printed(DialogSeam());
  SetDialogSeam(&printed);
  application.HandleSessionEnd();
  LeaveSignalShutdownToTheProgram();
  const QStringList args = QCoreApplication::arguments();
  if (args.size() != 6 && args.size() != 8) {
    std::fputs("usage: session_probe INI SERVER DATABASE PASSWORD STATEMENT [RUN ACTION]\n", stderr);
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
      if (args.size() == 8)
        QTimer::singleShot(0, monitor, [monitor, run = args[6], action = args[7]] {
          monitor->SetEditorText(run);
          // The actions follow the editor on idle, as they do before a person's click.
          Application()->DoIdle();
          Guarded(monitor, [monitor, action] { monitor->findChild<TAction *>(action)->Execute(); });
        });
    }
  std::puts("ready");
  std::fflush(stdout);
  return application.Run();
}
