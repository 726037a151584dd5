#pragma once

#include <QCursor>
#include <QImage>
#include <QString>

// The bitmap resource of that name ("FEDITBMP"); a null image when there is none.
QImage LoadBitmapResource(const QString &name);
// The cursor resource of that name ("MX_HANDCUR") with its hot spot; the arrow when there is none.
QCursor LoadCursorResource(const QString &name, QPoint hotSpot);
