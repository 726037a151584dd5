#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <QWidget>
#include <deque>
#include <functional>
#include <set>

class QAbstractButton;
class QMessageBox;

// Walks a running program through a list of steps: each waits until its condition holds (and has
// held a moment, so that the windows have painted), then acts. Actions that open a modal window are
// queued, so that the steps go on inside its loop. Every window that comes up is checked: the
// caption the X server shows must be the window's own, and message boxes must show the toolkit's
// translated button texts and, once settled, leave the title bar room for the whole caption. The
// outcome goes to "<dir>/<program>.log": "ok", or one line per fault.
class TShotDriver : public QObject {
public:
  explicit TShotDriver(QString outputDir);
  ~TShotDriver() override;

  // The file name of the running program.
  const QString &Program() const { return FProgram; }

  void Step(const QString &name, std::function<bool()> ready, std::function<void()> work);
  void Do(const QString &name, std::function<void()> work);
  // Answers every message box whose text begins so, whenever it comes up and has settled.
  void AutoAnswer(const QString &textStart, const QString &buttonText);
  // Fails unless the window's width, as the X server holds it with its frame, takes the caption in
  // the title font of the window manager (openbox, configured in MERIDOX_WM_CONFIG) and a title bar's
  // height for each of its title buttons.
  void CheckCaptionRoom(QWidget *window);

  // The visible top-level window of that class.
  static QWidget *Shown(const char *className);
  template <class T> static T *Child(QWidget *window, const char *name) {
    return window ? window->findChild<T *>(QString::fromLatin1(name)) : nullptr;
  }
  // Clicks after the current step has returned (a modal window may open).
  static void ClickLater(QWidget *control);
  static void TriggerLater(QObject *owner, const char *actionName);
  static bool ActionEnabled(QObject *owner, const char *actionName);
  static QAbstractButton *ButtonWithText(QWidget *window, const QString &text);
  // The picture of the window with its frame, as the screen shows it, into "<dir>/<name>.png".
  void Shot(QWidget *window, const QString &name);
  void Fail(const QString &fault);

private:
  struct TStep {
    QString Name;
    std::function<bool()> Ready;
    std::function<void()> Work;
  };
  void Poll();
  void CheckNewWindows();
  void AnswerBoxes();
  void Finish();
  void WriteLog() const;

  QString FOutputDir;
  QString FProgram;
  std::deque<TStep> FSteps;
  std::vector<std::pair<QString, QString>> FAnswers;
  std::set<QWidget *> FChecked;
  QPointer<QMessageBox> FBox; // the message box waiting to settle before it is answered
  QElapsedTimer FBoxClock;
  QStringList FFaults;
  QTimer FPoll;
  QElapsedTimer FStepClock;
  QElapsedTimer FReadyClock;
  bool FReady = false;
  bool FFinished = false;
};

// The steps of a scenario: "meridox_sec" or "upgrade" (the pictures of that program), or
// "message-boxes" (meridox_sec's boxes on a server without the security database).
void AddScenario(TShotDriver &driver, const QString &scenario);
