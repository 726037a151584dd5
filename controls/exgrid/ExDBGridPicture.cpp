// Pictures of blob cells: decoding and placing them in a cell.
#include "ExDBGridPicture.h"

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

// Decodes into image; false on any error of the decoder. Only plain data lives across the jump.
bool DecodeJpeg(const QByteArray &bytes, QImage &image) {
  jpeg_decompress_struct info;
  TJpegError error;
  info.err = jpeg_std_error(&error.Manager);
  error.Manager.error_exit = JpegErrorExit;
  error.Manager.emit_message = JpegSilence;
  if (setjmp(error.Jump)) {
    jpeg_destroy_decompress(&info);
    return false;
  }
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, reinterpret_cast<const unsigned char *>(bytes.constData()),
               (unsigned long)bytes.size());
  jpeg_read_header(&info, TRUE);
  info.out_color_space = JCS_RGB;
  jpeg_start_decompress(&info);
  image = QImage(int(info.output_width), int(info.output_height), QImage::Format_RGB888);
  while (info.output_scanline < info.output_height) {
    JSAMPROW row = image.scanLine(int(info.output_scanline));
    jpeg_read_scanlines(&info, &row, 1);
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  return true;
}

} // namespace

QImage DecodeGridPicture(const QByteArray &bytes) {
  if (bytes.isEmpty())
    return QImage();
  QImage image;
  if (bytes.startsWith("BM") && image.loadFromData(bytes, "BMP"))
    return image;
  if (bytes.startsWith("\xFF\xD8") && DecodeJpeg(bytes, image))
    return image;
  return QImage();
}

QRect FitPictureRect(QSize picture, const QRect &cell) {
  const double rx = picture.width() ? double(cell.width()) / picture.width() : 0;
  const double ry = picture.height() ? double(cell.height()) / picture.height() : 0;
  const QSize size = ry >= rx ? QSize(cell.width(), int(std::lround(picture.height() * rx)))
                              : QSize(int(std::lround(picture.width() * ry)), cell.height());
  return QRect(cell.left() + (cell.width() - size.width()) / 2,
               cell.top() + (cell.height() - size.height()) / 2, size.width(), size.height());
}
