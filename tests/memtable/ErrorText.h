#pragma once

#include "Exceptions.h"

#include <QString>
#include <functional>

// The message of the error the action raises, or "<no error>".
inline QString MessageOf(const std::function<void()> &action) {
  try {
    action();
  } catch (const Exception &e) {
    return e.Message();
  }
  return QStringLiteral("<no error>");
}
