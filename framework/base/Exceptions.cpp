#include "Exceptions.h"

void Exception::SetMessage(const QString &message) {
  FMessage = message;
  FUtf8 = FMessage.toUtf8();
}

void Abort() { throw EAbort(); }
