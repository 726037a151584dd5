#pragma once

#include <QApplication>
#include <QString>
#include <functional>
#include <vector>

class Exception;
class TAction;

// The application object: title, idle update of actions, and the one place where exceptions that
// no handler caught are shown.
class TApplication : public QApplication {
public:
  TApplication(int &argc, char **argv);
  ~TApplication() override;

  const QString &Title() const { return FTitle; }
  void SetTitle(const QString &title);
  QString ExeName() const;

  void ProcessMessages();

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

  bool notify(QObject *receiver, QEvent *event) override;

private:
  QString FTitle;
  std::vector<TAction *> FActions;
  bool FInIdle = false;
};

// The running application object, or nullptr before it exists.
TApplication *Application();

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
