#pragma once

#include <QByteArray>
#include <QImage>
#include <QRect>

// Decodes the picture of a blob: a bitmap, else a JPEG image (through libjpeg); null when neither.
QImage DecodeGridPicture(const QByteArray &bytes);

// The rectangle a picture of the given size takes in the cell: scaled with its aspect ratio kept and
// centred.
QRect FitPictureRect(QSize picture, const QRect &cell);
