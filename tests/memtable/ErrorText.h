#pragma once

#include "Exceptions.h"

#include <QString>
#include <functional>
#include <ostream>

// Texts in test failures read as text.
inline void PrintTo(const QString &text, std::ostream *out) { *out << '"' << text.toStdString() << '"'; }

// The message of the error the action raises, or "<no error>".
inline QString MessageOf(const std::function<void()> &action) {
  try {
    action();
  } catch (const Exception &e) {
    return e.Message();
  }
  return QStringLiteral("<no error>");
}
