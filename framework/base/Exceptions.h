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

class EInOutError : public Exception {
public:
  using Exception::Exception;
};

// A control asked to do what its state does not allow (such as a range whose end lies before its start).
class EInvalidOperation : public Exception {
public:
  using Exception::Exception;
};

// Raises the silent EAbort.
[[noreturn]] void Abort();
