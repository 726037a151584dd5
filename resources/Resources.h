#pragma once

#include <QCursor>
#include <QIcon>
#include <QImage>
#include <QString>

// The bitmap resource of that name ("FEDITBMP"); a null image when there is none.
QImage LoadBitmapResource(const QString &name);
// The cursor resource of that name ("MX_HANDCUR") with its hot spot; the arrow when there is none.
QCursor LoadCursorResource(const QString &name, QPoint hotSpot);
// The icon of the menu entry of that name ("meridox_sec"), the picture installed with the entry; a
// null icon when there is none.
QIcon LoadProgramIcon(const QString &entry);
// Makes the running program the one its menu entry starts: every window shows the entry's icon, and
// the desktop file name (the entry's name) lets a desktop group the windows under the entry.
void SetProgramMenuEntry(const QString &entry);
