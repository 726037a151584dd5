#pragma once

#include <QPixmap>
#include <vector>

class QPainter;

// A list of equally sized images addressed by index, as controls take them for their glyphs.
class TImageList {
public:
  TImageList(int width = 16, int height = 16) : FWidth(width), FHeight(height) {}

  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  int Count() const { return static_cast<int>(FImages.size()); }
  // Adds the image (scaled to the list's size when it differs) and returns its index.
  int Add(const QPixmap &image);
  void Clear() { FImages.clear(); }
  // Draws image `index` with its top left corner at (x, y); an index outside the list draws nothing.
  void Draw(QPainter &painter, int x, int y, int index) const;

private:
  int FWidth;
  int FHeight;
  std::vector<QPixmap> FImages;
};
