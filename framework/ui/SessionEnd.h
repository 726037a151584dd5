#pragma once

#include <QObject>

class QSocketNotifier;
class TApplication;

// Hands the end of the desktop session to the application object, which closes its main form: the
// session manager's commit request, SIGTERM, and SIGINT. The signal handler only writes a byte into a pipe
// (nothing else is safe there: not the toolkit, not the database client); the pipe's reader runs on
// the event loop and ends the session from there.
class TSessionEnd : public QObject {
public:
  explicit TSessionEnd(TApplication *application);
  ~TSessionEnd() override;

private:
  void SignalArrived();

  TApplication *FApplication;
  QSocketNotifier *FNotifier = nullptr;
};
