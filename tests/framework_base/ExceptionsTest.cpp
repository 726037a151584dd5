#include "Exceptions.h"

#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <cerrno>
#include <csignal>
#include <functional>
#include <gtest/gtest.h>
#include <sys/resource.h>

namespace {

// The reason of a real failure as the toolkit reports it, given to the message as the programs do.
struct ReasonCase {
  const char *Label;
  std::function<QString(const QTemporaryDir &dir)> Fail; // returns the file's errorString()
  QString Shown;
};

QString OpenForWriting(const QString &path) {
  QFile file(path);
  return file.open(QIODevice::WriteOnly) ? QStringLiteral("(opened)") : file.errorString();
}

// The kernel cuts writes off past 16 bytes, as a full disk would.
QString WritePastTheSizeLimit(const QString &path) {
  rlimit saved{};
  ::getrlimit(RLIMIT_FSIZE, &saved);
  const auto handler = std::signal(SIGXFSZ, SIG_IGN);
  const auto restore = qScopeGuard([&] {
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, handler);
  });
  const rlimit tiny{16, saved.rlim_max};
  ::setrlimit(RLIMIT_FSIZE, &tiny);
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
    return file.errorString();
  file.write(QByteArray(64, 'x'));
  return file.write(QByteArray(64, 'x')) < 0 ? file.errorString() : QStringLiteral("(written)");
}

TEST(WithSystemReason, TellsTheReasonInPolishWhereTheToolkitLeavesItEnglish) {
  QTemporaryDir dir;
  const ReasonCase cases[] = {
      {"a folder in the file's place", [](const QTemporaryDir &d) { return OpenForWriting(d.path()); },
       QStringLiteral("Zapis (Jest katalogiem)")},
      {"a file past the size limit",
       [](const QTemporaryDir &d) { return WritePastTheSizeLimit(d.filePath(QStringLiteral("f"))); },
       QStringLiteral("Zapis (Plik jest za duży)")},
      {"a missing folder keeps the toolkit's text",
       [](const QTemporaryDir &d) { return OpenForWriting(d.filePath(QStringLiteral("no/f"))); },
       QStringLiteral("Zapis (%1)").arg(SystemErrorText(ENOENT))},
      {"no reason", [](const QTemporaryDir &) { return QString(); }, QStringLiteral("Zapis")},
  };
  for (const ReasonCase &c : cases)
    EXPECT_EQ(WithSystemReason(QStringLiteral("Zapis"), c.Fail(dir)), c.Shown) << c.Label;
}

} // namespace
