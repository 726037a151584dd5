#include "GridGlyphs.h"

#include <QPainter>
#include <QPolygon>
#include <array>

namespace {

constexpr int GlyphWidth = 8;
constexpr int GlyphHeight = 10;

void DrawTriangleRight(QPainter &p, int left) {
  p.drawPolygon(QPolygon({QPoint(left, 1), QPoint(left + 4, 5), QPoint(left, 9)}));
}

QPixmap Draw(TGridGlyph glyph) {
  QPixmap pixmap(GlyphWidth, GlyphHeight);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setPen(Qt::black);
  p.setBrush(Qt::black);
  switch (glyph) {
  case TGridGlyph::Current: DrawTriangleRight(p, 2); break;
  case TGridGlyph::Edit:
    p.drawLine(2, 1, 6, 1);
    p.drawLine(4, 1, 4, 8);
    p.drawLine(2, 8, 6, 8);
    break;
  case TGridGlyph::Insert:
    p.drawLine(4, 1, 4, 9);
    p.drawLine(1, 3, 7, 7);
    p.drawLine(1, 7, 7, 3);
    break;
  case TGridGlyph::MultiDot: p.drawEllipse(QRect(2, 3, 4, 4)); break;
  case TGridGlyph::MultiArrow:
    p.drawEllipse(QRect(0, 4, 2, 2));
    DrawTriangleRight(p, 3);
    break;
  case TGridGlyph::Ellipsis:
    for (int x : {0, 3, 6})
      p.fillRect(QRect(x, 7, 2, 2), Qt::black);
    break;
  case TGridGlyph::DropDown: p.drawPolygon(QPolygon({QPoint(0, 3), QPoint(6, 3), QPoint(3, 6)})); break;
  }
  return pixmap;
}

} // namespace

const QPixmap &GridGlyph(TGridGlyph glyph) {
  static std::array<QPixmap, 7> cache;
  QPixmap &pixmap = cache[size_t(glyph)];
  if (pixmap.isNull())
    pixmap = Draw(glyph);
  return pixmap;
}
