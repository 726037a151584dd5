#include "Exceptions.h"

#include <QtGlobal>

void Exception::SetMessage(const QString &message) {
  FMessage = message;
  FUtf8 = FMessage.toUtf8();
}

void Abort() { throw EAbort(); }

QString WithSystemReason(const QString &message, const QString &reason) {
  const QString trimmed = reason.trimmed();
  return trimmed.isEmpty() ? message : message + QStringLiteral(" (") + trimmed + u')';
}

QString MessageExcerpt(const QString &value) {
  constexpr qsizetype Shown = 60;
  return value.size() <= Shown ? value : value.left(Shown) + QStringLiteral("...");
}

// The toolkit's texts for the common errors (which its translations turn into Polish), else the C
// library's.
QString SystemErrorText(int error) { return qt_error_string(error); }
