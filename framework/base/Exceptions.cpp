#include "Exceptions.h"

#include <QtGlobal>
#include <cerrno>
#include <utility>

void Exception::SetMessage(const QString &message) {
  FMessage = message;
  FUtf8 = FMessage.toUtf8();
}

void Abort() { throw EAbort(); }

namespace {

// The toolkit translates the texts of only a few errors; for others that file steps often meet it gives
// the C library's, English in most sessions. Those get Polish words of our own.
QString InUsersLanguage(const QString &reason) {
  for (const auto &[error, text] :
       {std::pair{EISDIR, "Jest katalogiem"}, std::pair{EFBIG, "Plik jest za duży"}})
    if (reason == SystemErrorText(error))
      return QString::fromUtf8(text);
  return reason;
}

} // namespace

QString WithSystemReason(const QString &message, const QString &reason) {
  const QString trimmed = reason.trimmed();
  return trimmed.isEmpty() ? message : message + QStringLiteral(" (") + InUsersLanguage(trimmed) + u')';
}

QString MessageExcerpt(const QString &value) {
  constexpr qsizetype Shown = 60;
  return value.size() <= Shown ? value : value.left(Shown) + QStringLiteral("...");
}

// The toolkit's texts for the common errors (which its translations turn into Polish), else the C
// library's.
QString SystemErrorText(int error) { return qt_error_string(error); }
