#include "SessionEnd.h"

#include "Application.h"

#include <QSessionManager>
#include <QSocketNotifier>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

const int kEndSignals[] = {SIGTERM, SIGINT};

// One pipe per process: the handler sees only this.
int gSignalPipe[2] = {-1, -1};

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
  if (gSignalPipe[0] >= 0 || ::pipe2(gSignalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
    return;
  FNotifier = new QSocketNotifier(gSignalPipe[0], QSocketNotifier::Read, this);
  connect(FNotifier, &QSocketNotifier::activated, this, [this] { SignalArrived(); });
  struct sigaction action = {};
  action.sa_handler = OnTerminationSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  // Ctrl+C in the terminal that started the program ends it the same way.
  for (int signal : kEndSignals)
    ::sigaction(signal, &action, nullptr);
}

TSessionEnd::~TSessionEnd() {
  if (!FNotifier)
    return;
  // A signal from now on ends the process as it would without us.
  for (int signal : kEndSignals)
    std::signal(signal, SIG_DFL);
  delete FNotifier;
  ::close(gSignalPipe[0]);
  ::close(gSignalPipe[1]);
  gSignalPipe[0] = gSignalPipe[1] = -1;
}

void TSessionEnd::SignalArrived() {
  char bytes[16];
  while (::read(gSignalPipe[0], bytes, sizeof bytes) > 0) {
  }
  Guarded(this, [this] { FApplication->EndSession(); });
}
