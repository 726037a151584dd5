#include "OwnServer.h"

#include <QFile>
#include <QProcess>
#include <stdexcept>

namespace {

const char *const kServer = "MERIDOX_TEST_SERVER";
const char *const kPassword = "MERIDOX_TEST_PASSWORD";
const char *const kDataDir = "MERIDOX_TEST_DATADIR";

} // namespace

TOwnServer::TOwnServer()
    : FSavedServer(qgetenv(kServer)), FSavedPassword(qgetenv(kPassword)), FSavedDataDir(qgetenv(kDataDir)) {
  if (!FDir.isValid()) {
    FError = QStringLiteral("no temporary folder");
    return;
  }
  Start();
}

TOwnServer::~TOwnServer() {
  if (FDir.isValid())
    Run(QStringLiteral("stop"));
  qputenv(kServer, FSavedServer);
  qputenv(kPassword, FSavedPassword);
  qputenv(kDataDir, FSavedDataDir);
}

bool TOwnServer::Run(const QString &command) {
  QProcess process;
  process.start(QStringLiteral(MERIDOX_FBSERVER), {command, FDir.path()});
  if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit ||
      process.exitCode() != 0) {
    FError = QStringLiteral("tools/fbserver %1 failed: %2")
                 .arg(command, QString::fromLocal8Bit(process.readAllStandardError()));
    return false;
  }
  return true;
}

void TOwnServer::Stop() {
  if (!Run(QStringLiteral("stop")))
    throw std::runtime_error(FError.toStdString());
}

bool TOwnServer::Start() {
  FStarted = Run(QStringLiteral("start"));
  if (!FStarted)
    return false;
  // server.env: the lines to source, the same names as the shared server's.
  QFile env(FDir.filePath(QStringLiteral("server.env")));
  if (!env.open(QIODevice::ReadOnly)) {
    FStarted = false;
    FError = QStringLiteral("no server.env");
    return false;
  }
  for (const QByteArray &line : env.readAll().split('\n')) {
    const qsizetype equals = line.indexOf('=');
    const QByteArray name = line.left(equals);
    if (equals > 0 && (name == kServer || name == kPassword || name == kDataDir))
      qputenv(name.constData(), line.mid(equals + 1));
  }
  return true;
}
