#pragma once

#include "CancelClock.h"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <vector>

// A clock that moves only when the test says so; a waiting thread wakes when it passes its deadline.
class TManualClock : public TCancelClock {
public:
  TMs Now() const override { return TMs(FNow.load()); }

  bool WaitUntil(TCancelEvent &event, TMs deadline) override {
    {
      std::lock_guard lock(FMutex);
      FWaiting.push_back(&event);
    }
    const bool signalled = event.Wait([this, deadline] { return Now() >= deadline; },
                                      std::chrono::steady_clock::time_point::max());
    std::lock_guard lock(FMutex);
    std::erase(FWaiting, &event);
    return signalled;
  }

  void Advance(TMs step) {
    FNow += step.count();
    std::lock_guard lock(FMutex);
    for (TCancelEvent *event : FWaiting)
      event->Notify();
  }

private:
  std::atomic<long long> FNow{0};
  std::mutex FMutex;
  std::vector<TCancelEvent *> FWaiting;
};
