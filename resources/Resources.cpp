#include "Resources.h"

#include <QGuiApplication>
#include <QPixmap>

// A static library's resources are registered only when something asks for them (outside any
// namespace, as the registration macro requires).
static void EnsureResources() {
  static const bool registered = [] {
    Q_INIT_RESOURCE(resources);
    return true;
  }();
  (void)registered;
}

QImage LoadBitmapResource(const QString &name) {
  EnsureResources();
  return QImage(QStringLiteral(":/bitmaps/") + name);
}

QCursor LoadCursorResource(const QString &name, QPoint hotSpot) {
  EnsureResources();
  const QPixmap pixmap(QStringLiteral(":/cursors/") + name);
  if (pixmap.isNull())
    return QCursor(Qt::ArrowCursor);
  return QCursor(pixmap, hotSpot.x(), hotSpot.y());
}

QIcon LoadProgramIcon(const QString &entry) {
  EnsureResources();
  const QPixmap pixmap(QStringLiteral(":/icons/") + entry);
  return pixmap.isNull() ? QIcon() : QIcon(pixmap);
}

void SetProgramMenuEntry(const QString &entry) {
  QGuiApplication::setWindowIcon(LoadProgramIcon(entry));
  QGuiApplication::setDesktopFileName(entry);
}
