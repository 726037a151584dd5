#include "TestServer.h"

#include <QAtomicInt>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QUuid>

namespace TestServer {

bool Available() { return !Address().isEmpty() && !SysdbaPassword().isEmpty() && !DataDir().isEmpty(); }

QString Address() { return qEnvironmentVariable("MERIDOX_TEST_SERVER"); }

QString SysdbaPassword() { return qEnvironmentVariable("MERIDOX_TEST_PASSWORD"); }

QString DataDir() { return qEnvironmentVariable("MERIDOX_TEST_DATADIR"); }

QString FreshDatabase(const QString &stem) {
  const QString file = QDir(DataDir()).filePath(
      stem + u'_' + QUuid::createUuid().toString(QUuid::Id128).left(12) + QStringLiteral(".fdb"));
  QFile::remove(file);
  return Address() + u':' + file;
}

} // namespace TestServer
