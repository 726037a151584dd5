#pragma once

#include "Exceptions.h"

// The error of the in-memory table and its stream formats.
class EMemTableError : public EDatabaseError {
public:
  using EDatabaseError::EDatabaseError;
};

[[noreturn]] inline void MemTableError(const QString &message) { throw EMemTableError(message); }
