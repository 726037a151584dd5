#pragma once

#include <atomic>
#include <functional>
#include <thread>

// The cancelled flag of a long operation and the thread of its own that a canceller runs.
class TCancelImp {
public:
  TCancelImp(const TCancelImp &) = delete;
  TCancelImp &operator=(const TCancelImp &) = delete;
  virtual ~TCancelImp();

  // Raises ECanceled once the operation has been cancelled; the working code calls it between steps.
  void CheckCanceled();
  bool Canceled() const { return FCanceled; }

protected:
  TCancelImp() = default;

  // Runs the body on the thread; a derived destructor must Terminate and WaitFor before it ends.
  // The body is no virtual call, so that the thread may start while a derived class is still
  // being built.
  void Start(std::function<void()> body);
  void Terminate() { FTerminated = true; }
  bool Terminated() const { return FTerminated; }
  void WaitFor();

  // Runs on the polling thread just before the flag is read.
  virtual void Poll() {}

  std::atomic<bool> FCanceled{false};

private:
  std::thread FThread;
  std::atomic<bool> FTerminated{false};
};
