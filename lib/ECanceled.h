#pragma once

#include "Exceptions.h"

// Raised when the person cancels a long operation; silent like every EAbort.
class ECanceled : public EAbort {
public:
  ECanceled();
};
