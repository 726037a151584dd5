#include "MxIndicatorMarks.h"

#include "GridGlyphs.h"

TMxIndicatorMarks::TMxIndicatorMarks()
    : FImages(GridGlyph(TGridGlyph::MultiDot).width(), GridGlyph(TGridGlyph::MultiDot).height()) {
  FImages.Add(GridGlyph(TGridGlyph::MultiDot));
  FImages.Add(GridGlyph(TGridGlyph::MultiArrow));
}

void TMxIndicatorMarks::Draw(TCanvas &canvas, const QRect &cell, bool current, bool bothLines,
                             bool rightToLeft, TColor background) const {
  const QRect inner = bothLines ? cell.adjusted(1, 1, -1, -1) : cell;
  const int frame = bothLines ? 1 : 2;
  int x = inner.left() + inner.width() - FImages.Width() - frame;
  if (rightToLeft)
    ++x;
  const int y = inner.top() + (inner.height() - FImages.Height()) / 2;
  canvas.Brush.Color = background;
  canvas.FillRect(inner);
  FImages.Draw(canvas.Painter(), x, y, current ? 1 : 0);
}
