#pragma once

#include <QApplication>
#include <QPointer>
#include <QString>
#include <functional>
#include <vector>

class Exception;
class TAction;
class TForm;

// The application object: title, idle update of actions, and the one place where exceptions that
// no handler caught are shown.
class TApplication : public QApplication {
public:
  TApplication(int &argc, char **argv);
  ~TApplication() override;

  // The title names the program in message boxes; it is not added to the windows' own captions.
  const QString &Title() const { return FTitle; }
  void SetTitle(const QString &title);
  QString ExeName() const;

  // The program's main window; the first form a program creates as such. Placement rules meant for
  // the main window apply to it alone (or to any form while there is none). Closing it ends the program.
  TForm *MainForm() const;
  void SetMainForm(TForm *form);

  void ProcessMessages();

  // Runs the message loop until the program ends, then frees the forms the application owns, while
  // the windows whose connections they use still exist.
  int Run();
  // Ends the message loop and every modal loop inside it; work that lets events through meanwhile
  // looks at Terminated and stops. Does nothing outside Run.
  void Terminate();
  bool Terminated() const { return FTerminated; }
  // The application owns the form: Run frees it when the program ends, the last one taken first.
  void InsertForm(TForm *form);

  // The end of the desktop session closes the main form, as closing it by hand does: SIGTERM and the
  // session manager's commit request (see SessionEnd.h).
  void HandleSessionEnd();
  void EndSession();

  // Replaces ShowException for every exception that reaches the application (EAbort never does).
  std::function<void(QObject *sender, Exception &e)> OnException;
  std::function<void(QObject *sender)> OnIdle;

  // Shows the message in a box captioned with the title, with the stop icon; a "." follows a
  // non-empty message whose last character sorts above ".".
  void ShowException(const Exception &e);
  void HandleException(QObject *sender, Exception &e);

  // Runs every action's update, as the loop does whenever it falls idle.
  void DoIdle();

  // Called by TAction only.
  void RegisterAction(TAction *action);
  void UnregisterAction(TAction *action);

  // Runs the function once the event being delivered now has gone through every filter and its
  // receiver (and the parents it propagates to). Called from an event filter; a window hook's
  // after-pass uses it, so that filters installed before the hook still see the event first.
  void AfterDelivery(QEvent *event, std::function<void()> work);

  bool notify(QObject *receiver, QEvent *event) override;

private:
  void RunAfterDelivery(QEvent *event);

  void FreeOwnedForms();

  QString FTitle;
  QPointer<TForm> FMainForm;
  std::vector<QPointer<TForm>> FOwnedForms;
  QObject *FSessionEnd = nullptr;
  bool FRunning = false;
  bool FTerminated = false;
  bool FSessionEndPending = false;
  std::vector<TAction *> FActions;
  std::vector<std::pair<QEvent *, std::function<void()>>> FAfterDelivery;
  bool FInIdle = false;
};

// The running application object, or nullptr before it exists.
TApplication *Application();

// Loads Qt's own Polish texts (standard buttons, file and print dialogs, edit menus) from the
// translations folder; false when they are not installed, and the toolkit then stays English.
bool LoadPolishQtTranslations(QCoreApplication &application);

// The message the application shows for an exception: "." added under the rule above.
QString ExceptionDisplayText(const QString &message);

// Hands the exception being handled (call from a catch block) to the application object.
void HandleCurrentException(QObject *sender);

// Runs an entry from the event loop (click, action, timer, key) so that an exception reaches the
// application object instead of unwinding through Qt.
template <class F> void Guarded(QObject *sender, F &&work) {
  try {
    work();
  } catch (...) {
    HandleCurrentException(sender);
  }
}
