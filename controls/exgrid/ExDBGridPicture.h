#pragma once

#include <QByteArray>
#include <QCache>
#include <QImage>
#include <QRect>
#include <QString>

// Pictures whose header claims more pixels than this are refused before anything is decoded.
constexpr qint64 MaxGridPicturePixels = 40'000'000;

// Decodes the picture of a blob: a bitmap, else a JPEG image (through libjpeg); null when it is
// neither, damaged, or larger than MaxGridPicturePixels. A JPEG is scaled down while decoding as far
// as it still covers fitInto (an empty size decodes at full size).
QImage DecodeGridPicture(const QByteArray &bytes, QSize fitInto = QSize());

// The picture in a file format ("BMP", "JPG") as its bytes.
QByteArray EncodeGridPicture(const QImage &image, const char *format);

// The rectangle a picture of the given size takes in the cell: scaled with its aspect ratio kept and
// centred.
QRect FitPictureRect(QSize picture, const QRect &cell);

// Decoded pictures of a grid's cells, one per record and field: a value is decoded again only when
// its bytes or the cell's size change. Failed decodes are remembered too.
class TGridPictureCache {
public:
  TGridPictureCache();
  QImage Picture(const QByteArray &record, const QString &fieldName, const QByteArray &bytes, QSize cell);
  void Clear() { FEntries.clear(); }
  // Decodes done so far (each miss of the cache).
  int Decodes() const { return FDecodes; }

private:
  struct TEntry {
    size_t Hash = 0;
    qsizetype Size = 0;
    QSize Cell;
    QImage Image;
  };
  QCache<QByteArray, TEntry> FEntries;
  int FDecodes = 0;
};
