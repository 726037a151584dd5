#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

// A built program run as the desktop runs it, for the tests that end it as the session manager does.
namespace ProgramProcess {

// Starts the program offscreen, with the registry (the user's config folder) in `configHome`.
void StartOffscreen(QProcess &process, const QString &program, const QStringList &args,
                    const QString &configHome);
// Waits until the process has its SIGTERM handler in place; false after 30 seconds without.
bool CatchesSigterm(const QProcess &process);
// Sends SIGTERM once the process catches it and expects it to end by itself with exit code 0.
void EndSession(QProcess &process);

} // namespace ProgramProcess
