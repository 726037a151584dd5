#include "cnclImp.h"

#include "ECanceled.h"

TCancelImp::~TCancelImp() {
  Terminate();
  WaitFor();
}

void TCancelImp::CheckCanceled() {
  Poll();
  if (FCanceled)
    throw ECanceled();
}

void TCancelImp::Start(std::function<void()> body) { FThread = std::thread(std::move(body)); }

void TCancelImp::WaitFor() {
  if (FThread.joinable())
    FThread.join();
}
