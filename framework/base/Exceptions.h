#pragma once

#include <QString>
#include <exception>

// The root of every error the programs raise. It carries a message in the program's own words.
class Exception : public std::exception {
public:
  explicit Exception(QString message) : FMessage(std::move(message)), FUtf8(FMessage.toUtf8()) {}
  ~Exception() override = default;

  const QString &Message() const { return FMessage; }
  void SetMessage(const QString &message);
  const char *what() const noexcept override { return FUtf8.constData(); }

private:
  QString FMessage;
  QByteArray FUtf8;
};

// Stops an operation without telling the user anything.
class EAbort : public Exception {
public:
  EAbort() : Exception(QStringLiteral("Operation aborted")) {}
};

class EDatabaseError : public Exception {
public:
  using Exception::Exception;
};

class EConvertError : public Exception {
public:
  using Exception::Exception;
};

// A failed file operation; Reason is the operating system's own text, when there is one.
class EInOutError : public Exception {
public:
  explicit EInOutError(QString message, QString reason = QString())
      : Exception(std::move(message)), FReason(std::move(reason)) {}
  const QString &Reason() const { return FReason; }

private:
  QString FReason;
};

// A control asked to do what its state does not allow (such as a range whose end lies before its start).
class EInvalidOperation : public Exception {
public:
  using Exception::Exception;
};

// Raises the silent EAbort.
[[noreturn]] void Abort();

// The program's own words for a failed step, then the operating system's reason in parentheses, in
// Polish where the toolkit leaves it English ("Nie można utworzyć pliku: /a/b (Jest katalogiem)"); the
// message alone when there is no reason.
QString WithSystemReason(const QString &message, const QString &reason);
// A value as a message quotes it: whole up to 60 characters, else its start and "...", so that a
// value read from a damaged file cannot make a message of megabytes.
QString MessageExcerpt(const QString &value);
// The operating system's text for an errno value, in the user's language where there is one.
QString SystemErrorText(int error);
