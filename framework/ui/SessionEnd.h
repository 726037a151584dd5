#pragma once

#include <QObject>
#include <atomic>
#include <functional>
#include <thread>

class TApplication;

// Hands the end of the desktop session to the application object, which closes its main form: the
// session manager's commit request, SIGTERM, and SIGINT. The signal handler only writes a byte into a pipe
// (nothing else is safe there: not the toolkit, not the database client). A thread of its own reads the
// pipe, so that a signal is seen even while the event loop waits for a long call: it interrupts that
// call (see TSessionEndInterruption) and ends the session on the event loop.
class TSessionEnd : public QObject {
public:
  explicit TSessionEnd(TApplication *application);
  ~TSessionEnd() override;

private:
  void WatchSignals();

  TApplication *FApplication;
  std::thread FWatcher;
  std::atomic<bool> FEndPending = false;
};

// While it lives, the end of the session also runs Interrupt at once, on the signal watcher's thread:
// work that holds the event loop (a statement the server runs for minutes) is stopped, and the session
// ends as soon as the loop runs again. Interrupt must be safe to call from another thread while the
// work runs; it is never called once the interruption is gone.
class TSessionEndInterruption {
public:
  explicit TSessionEndInterruption(std::function<void()> interrupt);
  ~TSessionEndInterruption();
  TSessionEndInterruption(const TSessionEndInterruption &) = delete;
  TSessionEndInterruption &operator=(const TSessionEndInterruption &) = delete;

  // Whether the end of the session has interrupted the work.
  bool Fired() const { return FFired; }

private:
  friend class TSessionEnd;

  std::function<void()> FInterrupt;
  std::atomic<bool> FFired = false;
};
