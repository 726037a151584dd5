#include "ImgList.h"

#include <QPainter>

int TImageList::Add(const QPixmap &image) {
  if (image.width() == FWidth && image.height() == FHeight)
    FImages.push_back(image);
  else
    FImages.push_back(image.scaled(FWidth, FHeight, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
  return Count() - 1;
}

void TImageList::Draw(QPainter &painter, int x, int y, int index) const {
  if (index >= 0 && index < Count())
    painter.drawPixmap(x, y, FImages[static_cast<size_t>(index)]);
}
