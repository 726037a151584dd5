#pragma once

#include <functional>

class QTimer;
class QWidget;

// How long a held spin button waits before it repeats, and how fast it repeats then (ms); tests
// shorten them.
struct TSpinRepeat {
  int Pause = 400;
  int Interval = 100;
};

// The auto-repeat of a held button: a timer made on the first press that waits the pause, then
// ticks at the interval until it is stopped.
class TSpinRepeater {
public:
  // `expired` runs on each tick, inside the button's exception guard.
  TSpinRepeater(QWidget *button, std::function<void()> expired);

  TSpinRepeat &Timings() { return FTimings; }
  QTimer *Timer() const { return FTimer; }
  // Starts the timer (making it on first use) with the pause.
  void Start();
  void Stop();
  // One tick: later ticks come at the interval; `click` runs while the button is held, and a
  // click that fails stops the repeat.
  void Tick(bool held, const std::function<void()> &click);

private:
  QWidget *FButton;
  std::function<void()> FExpired;
  TSpinRepeat FTimings;
  QTimer *FTimer = nullptr;
};
