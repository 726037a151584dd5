#include "CancelClock.h"

void TCancelEvent::Set() {
  std::lock_guard lock(FMutex);
  FSignalled = true;
  FCondition.notify_all();
}

void TCancelEvent::Notify() {
  // Taking the lock orders the notification after a waiter's check of its clock.
  std::lock_guard lock(FMutex);
  FCondition.notify_all();
}

bool TCancelEvent::Wait(const std::function<bool()> &timeUp, std::chrono::steady_clock::time_point wakeAt) {
  std::unique_lock lock(FMutex);
  while (!FSignalled && !timeUp()) {
    if (wakeAt == std::chrono::steady_clock::time_point::max())
      FCondition.wait(lock);
    else
      FCondition.wait_until(lock, wakeAt);
  }
  const bool signalled = FSignalled;
  FSignalled = false;
  return signalled;
}

namespace {

class TSteadyCancelClock final : public TCancelClock {
public:
  TMs Now() const override {
    return std::chrono::duration_cast<TMs>(std::chrono::steady_clock::now().time_since_epoch());
  }

  bool WaitUntil(TCancelEvent &event, TMs deadline) override {
    const std::chrono::steady_clock::time_point wakeAt{deadline};
    return event.Wait([wakeAt] { return std::chrono::steady_clock::now() >= wakeAt; }, wakeAt);
  }
};

} // namespace

TCancelClock &SteadyCancelClock() {
  static TSteadyCancelClock clock;
  return clock;
}
