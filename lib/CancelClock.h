#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>

// An auto-reset event: Set wakes the wait, which resets it.
class TCancelEvent {
public:
  void Set();
  // Wakes a wait so that it looks at its clock again, without setting the event.
  void Notify();
  // Waits until the event is set or timeUp() holds; each sleep ends at wakeAt at the latest.
  // Returns whether the event was set.
  bool Wait(const std::function<bool()> &timeUp, std::chrono::steady_clock::time_point wakeAt);

private:
  std::mutex FMutex;
  std::condition_variable FCondition;
  bool FSignalled = false;
};

// The time source of the cancel window's delay; tests drive their own.
class TCancelClock {
public:
  using TMs = std::chrono::milliseconds;
  virtual ~TCancelClock() = default;
  virtual TMs Now() const = 0;
  // Waits until the event is set or the clock reaches the deadline; returns whether it was set.
  virtual bool WaitUntil(TCancelEvent &event, TMs deadline) = 0;
};

// The machine's monotonic clock.
TCancelClock &SteadyCancelClock();
