#include "Application.h"
#include "FormatSettings.h"

#include <QFont>
#include <gtest/gtest.h>

// Every test program runs inside one offscreen application object with a fixed style and font, so
// that windows can be built and pixels compared.
int main(int argc, char **argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  testing::InitGoogleTest(&argc, argv);
  TApplication app(argc, argv);
  app.setStyle(QStringLiteral("Fusion"));
  app.setFont(QFont(QStringLiteral("DejaVu Sans"), 9));
  return RUN_ALL_TESTS();
}
