// Applies an update package as "Przeprowadź upgrade" does, answering Yes to the question, so that a
// test can run the whole step in a process of its own, under limits that only a process can carry.
//
//   install_probe PROGRAM PACKAGE      exit 0 when installed; 1 with the error on stdout
#include "Exceptions.h"
#include "UpgradeInstaller.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char **argv) {
  QCoreApplication app(argc, argv);
  const QStringList args = QCoreApplication::arguments();
  if (args.size() != 3) {
    std::fputs("usage: install_probe PROGRAM PACKAGE\n", stderr);
    return 2;
  }
  try {
    QByteArray image;
    if (!ReadWholeFile(args[1], image))
      throw Exception(QStringLiteral("Nie można otworzyć pliku: ") + args[1]);
    TUpgradeInstaller installer(args[1], args[2]);
    installer.OnConfirmNotNewer = [] { return true; };
    installer.Execute(image);
    return 0;
  } catch (const Exception &e) {
    std::fputs(e.Message().toUtf8().constData(), stdout);
    return 1;
  }
}
