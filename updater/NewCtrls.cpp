#include "NewCtrls.h"

#include "Exceptions.h"

#include <QStyle>
#include <algorithm>

TNewProgressBar::TNewProgressBar(QWidget *parent) : QProgressBar(parent) {
  setTextVisible(false);
  setRange(0, 100);
  setValue(0);
  resize(150, style()->pixelMetric(QStyle::PM_ScrollBarExtent));
}

void TNewProgressBar::SetRange(int newMin, int newMax) {
  if (newMax < newMin)
    throw EInvalidOperation(QStringLiteral("TNewProgressBar property out of range"));
  if (newMin == minimum() && newMax == maximum())
    return;
  setRange(newMin, newMax);
}

void TNewProgressBar::SetPosition(int value) { setValue(std::clamp(value, minimum(), maximum())); }
