#include "MxSpinRepeater.h"

#include "Application.h"

#include <QTimer>
#include <QWidget>

TSpinRepeater::TSpinRepeater(QWidget *button, std::function<void()> expired)
    : FButton(button), FExpired(std::move(expired)) {}

void TSpinRepeater::Start() {
  if (!FTimer) {
    FTimer = new QTimer(FButton);
    QObject::connect(FTimer, &QTimer::timeout, FButton, [this] { Guarded(FButton, FExpired); });
  }
  FTimer->setInterval(FTimings.Pause);
  FTimer->start();
}

void TSpinRepeater::Stop() {
  if (FTimer)
    FTimer->stop();
}

void TSpinRepeater::Tick(bool held, const std::function<void()> &click) {
  if (!FTimer)
    return;
  FTimer->setInterval(FTimings.Interval);
  if (!held)
    return;
  try {
    click();
  } catch (...) {
    FTimer->stop();
    throw;
  }
}
