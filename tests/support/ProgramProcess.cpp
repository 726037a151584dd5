#include "ProgramProcess.h"

#include <QFile>
#include <QThread>
#include <csignal>
#include <gtest/gtest.h>

namespace ProgramProcess {

void StartOffscreen(QProcess &process, const QString &program, const QStringList &args,
                    const QString &configHome) {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  env.insert(QStringLiteral("XDG_CONFIG_HOME"), configHome);
  process.setProcessEnvironment(env);
  process.start(program, args);
}

// The kernel lists the signals a process catches in its status, as a hexadecimal mask.
bool CatchesSigterm(const QProcess &process) {
  for (int i = 0; i < 600; ++i) {
    QFile status(QStringLiteral("/proc/%1/status").arg(process.processId()));
    if (status.open(QIODevice::ReadOnly))
      for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("SigCgt:") &&
            (line.mid(7).trimmed().toULongLong(nullptr, 16) >> (SIGTERM - 1) & 1))
          return true;
    QThread::msleep(50);
  }
  return false;
}

void EndSession(QProcess &process) {
  // Until the program image runs, the child still carries the handlers of the test that forked it.
  ASSERT_TRUE(process.waitForStarted()) << process.errorString().toStdString();
  ASSERT_TRUE(CatchesSigterm(process))
      << "no SIGTERM handler: " << process.readAllStandardError().toStdString();
  ::kill(pid_t(process.processId()), SIGTERM);
  ASSERT_TRUE(process.waitForFinished(30000)) << "still running after SIGTERM";
  EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
}

} // namespace ProgramProcess
