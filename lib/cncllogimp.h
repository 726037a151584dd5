#pragma once

#include "cnclImp.h"

#include <QString>

// Answers of Ask.
enum TCancelAnswer : int { caYes = 0, caYesToAll = 1, caNo = 2, caNoToAll = 3, caCancel = 4 };

// A canceller that can put a yes/no/all question; this one never asks.
class TCancelLogImp : public TCancelImp {
public:
  virtual int Ask(const QString &caption, const QString &message);
};
