#pragma once

#include <QProgressBar>

// The progress bar of the download window: 32-bit range, the position kept within it.
class TNewProgressBar : public QProgressBar {
  Q_OBJECT
public:
  explicit TNewProgressBar(QWidget *parent = nullptr);

  int Min() const { return minimum(); }
  void SetMin(int value) { SetRange(value, Max()); }
  int Max() const { return maximum(); }
  void SetMax(int value) { SetRange(Min(), value); }
  int Position() const { return value(); }
  void SetPosition(int value);
  // A maximum below the minimum raises EInvalidOperation and keeps the old range.
  void SetRange(int newMin, int newMax);
};
