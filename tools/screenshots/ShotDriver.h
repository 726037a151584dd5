#pragma once

#include <QElapsedTimer>
#include <QObject>
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
// translated button texts. The outcome goes to "<dir>/<program>.log": "ok", or one line per fault.
class TShotDriver : public QObject {
public:
  explicit TShotDriver(QString outputDir);
  ~TShotDriver() override;

  // The file name of the running program.
  const QString &Program() const { return FProgram; }

  void Step(const QString &name, std::function<bool()> ready, std::function<void()> work);
  void Do(const QString &name, std::function<void()> work);
  // Answers every message box whose text begins so, whenever it comes up.
  void AutoAnswer(const QString &textStart, const QString &buttonText);

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
  QStringList FFaults;
  QTimer FPoll;
  QElapsedTimer FStepClock;
  QElapsedTimer FReadyClock;
  bool FReady = false;
  bool FFinished = false;
};

// The steps for the program this process runs (meridox_sec or upgrade).
void AddScenario(TShotDriver &driver, const QString &program);
