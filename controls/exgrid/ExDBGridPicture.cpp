// Pictures of blob cells: decoding and placing them in a cell.
#include "ExDBGridPicture.h"

#include <QBuffer>
#include <QImageReader>
#include <cmath>
#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

namespace {

struct TJpegError {
  jpeg_error_mgr Manager;
  std::jmp_buf Jump;
};

void JpegErrorExit(j_common_ptr info) { std::longjmp(reinterpret_cast<TJpegError *>(info->err)->Jump, 1); }

void JpegSilence(j_common_ptr, int) {}

// The largest of 1/1, 1/2, 1/4 and 1/8 that still covers the wanted size.
unsigned ScaleDenominator(unsigned width, unsigned height, QSize fitInto) {
  if (fitInto.isEmpty())
    return 1;
  unsigned denom = 8;
  while (denom > 1 && ((width + denom - 1) / denom < unsigned(fitInto.width()) ||
                       (height + denom - 1) / denom < unsigned(fitInto.height())))
    denom /= 2;
  return denom;
}

// Decodes into image; false on any error of the decoder or a picture too large. Only plain data lives
// across the jump.
bool DecodeJpeg(const QByteArray &bytes, QSize fitInto, QImage &image) {
  jpeg_decompress_struct info;
  TJpegError error;
  info.err = jpeg_std_error(&error.Manager);
  error.Manager.error_exit = JpegErrorExit;
  error.Manager.emit_message = JpegSilence;
  if (setjmp(error.Jump)) {
    jpeg_destroy_decompress(&info);
    image = QImage();
    return false;
  }
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, reinterpret_cast<const unsigned char *>(bytes.constData()),
               (unsigned long)bytes.size());
  jpeg_read_header(&info, TRUE);
  if (qint64(info.image_width) * info.image_height > MaxGridPicturePixels) {
    jpeg_destroy_decompress(&info);
    return false;
  }
  info.out_color_space = JCS_RGB;
  info.scale_num = 1;
  info.scale_denom = ScaleDenominator(info.image_width, info.image_height, fitInto);
  jpeg_start_decompress(&info);
  image = QImage(int(info.output_width), int(info.output_height), QImage::Format_RGB888);
  if (image.isNull()) {
    jpeg_destroy_decompress(&info);
    return false;
  }
  while (info.output_scanline < info.output_height) {
    JSAMPROW row = image.scanLine(int(info.output_scanline));
    jpeg_read_scanlines(&info, &row, 1);
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  return true;
}

QImage DecodeBitmap(const QByteArray &bytes) {
  QBuffer buffer;
  buffer.setData(bytes);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer, "BMP");
  const QSize size = reader.size();
  if (!size.isValid() || qint64(size.width()) * size.height() > MaxGridPicturePixels)
    return QImage();
  return reader.read();
}

} // namespace

QImage DecodeGridPicture(const QByteArray &bytes, QSize fitInto) {
  if (bytes.startsWith("BM"))
    return DecodeBitmap(bytes);
  QImage image;
  if (bytes.startsWith("\xFF\xD8") && DecodeJpeg(bytes, fitInto, image))
    return image;
  return QImage();
}

QByteArray EncodeGridPicture(const QImage &image, const char *format) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, format);
  return bytes;
}

QRect FitPictureRect(QSize picture, const QRect &cell) {
  const double rx = picture.width() ? double(cell.width()) / picture.width() : 0;
  const double ry = picture.height() ? double(cell.height()) / picture.height() : 0;
  const QSize size = ry >= rx ? QSize(cell.width(), int(std::lround(picture.height() * rx)))
                              : QSize(int(std::lround(picture.width() * ry)), cell.height());
  return QRect(cell.left() + (cell.width() - size.width()) / 2,
               cell.top() + (cell.height() - size.height()) / 2, size.width(), size.height());
}

// Room for the pictures of a few screens of cells, in kilobytes.
TGridPictureCache::TGridPictureCache() : FEntries(64 * 1024) {}

QImage TGridPictureCache::Picture(const QByteArray &record, const QString &fieldName, const QByteArray &bytes,
                                  QSize cell) {
  const QByteArray key = record + '\0' + fieldName.toUtf8();
  const size_t hash = qHash(bytes);
  if (const TEntry *entry = FEntries.object(key);
      entry && entry->Hash == hash && entry->Size == bytes.size() && entry->Cell == cell)
    return entry->Image;
  auto *entry = new TEntry{hash, bytes.size(), cell, DecodeGridPicture(bytes, cell)};
  ++FDecodes;
  const QImage image = entry->Image;
  FEntries.insert(key, entry, std::max<qsizetype>(1, image.sizeInBytes() / 1024));
  return image;
}
