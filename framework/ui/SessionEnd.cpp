#include "SessionEnd.h"

#include "Application.h"

#include <QSessionManager>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <mutex>
#include <unistd.h>
#include <vector>

namespace {

const int kEndSignals[] = {SIGTERM, SIGINT};

// One pipe per process: the handler sees only this.
int gSignalPipe[2] = {-1, -1};

// The interruptions alive now; the watcher runs them under the lock, so none runs once it is gone.
std::mutex gInterruptionsLock;
std::vector<TSessionEndInterruption *> gInterruptions;

extern "C" void OnTerminationSignal(int) {
  const int saved = errno;
  const char byte = 1;
  // A full pipe already holds an end request; nothing more to say.
  [[maybe_unused]] const ssize_t written = ::write(gSignalPipe[1], &byte, 1);
  errno = saved;
}

} // namespace

TSessionEnd::TSessionEnd(TApplication *application) : QObject(application), FApplication(application) {
  connect(application, &QGuiApplication::commitDataRequest, this,
          [this](QSessionManager &) { Guarded(this, [this] { FApplication->EndSession(); }); });
  if (gSignalPipe[0] >= 0 || ::pipe2(gSignalPipe, O_CLOEXEC) != 0)
    return;
  // The handler never waits; the watcher does.
  ::fcntl(gSignalPipe[1], F_SETFL, ::fcntl(gSignalPipe[1], F_GETFL) | O_NONBLOCK);
  FWatcher = std::thread([this] { WatchSignals(); });
  struct sigaction action = {};
  action.sa_handler = OnTerminationSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  // Ctrl+C in the terminal that started the program ends it the same way.
  for (int signal : kEndSignals)
    ::sigaction(signal, &action, nullptr);
}

TSessionEnd::~TSessionEnd() {
  if (!FWatcher.joinable())
    return;
  // A signal from now on ends the process as it would without us.
  for (int signal : kEndSignals)
    std::signal(signal, SIG_DFL);
  // With the writing end closed, the watcher reads the end of the pipe and stops.
  ::close(gSignalPipe[1]);
  FWatcher.join();
  ::close(gSignalPipe[0]);
  gSignalPipe[0] = gSignalPipe[1] = -1;
}

void TSessionEnd::WatchSignals() {
  for (;;) {
    char byte = 0;
    const ssize_t got = ::read(gSignalPipe[0], &byte, 1);
    if (got < 0 && errno == EINTR)
      continue;
    if (got <= 0)
      return;
    {
      const std::lock_guard lock(gInterruptionsLock);
      for (TSessionEndInterruption *interruption : gInterruptions) {
        interruption->FFired = true;
        interruption->FInterrupt();
      }
    }
    // Signals that come before the loop has got to the first one end the session once.
    if (FEndPending.exchange(true))
      continue;
    QMetaObject::invokeMethod(
        this,
        [this] {
          FEndPending = false;
          Guarded(this, [this] { FApplication->EndSession(); });
        },
        Qt::QueuedConnection);
  }
}

TSessionEndInterruption::TSessionEndInterruption(std::function<void()> interrupt)
    : FInterrupt(std::move(interrupt)) {
  const std::lock_guard lock(gInterruptionsLock);
  gInterruptions.push_back(this);
}

TSessionEndInterruption::~TSessionEndInterruption() {
  const std::lock_guard lock(gInterruptionsLock);
  std::erase(gInterruptions, this);
}
