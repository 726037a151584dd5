#include "MxEditButtonGlyph.h"

#include "MxCtrls.h"

#include <algorithm>

namespace {

// Three 2 x 2 dots on a strip 4 pixels high, for a button `buttonWidth` wide.
QImage EllipsisGlyph(int buttonWidth) {
  const int width = std::max(1, buttonWidth - 6);
  QImage image(width, 4, QImage::Format_Mono);
  image.fill(1);
  const int step = std::min(3, std::max(1, (width - 6) / 2));
  const int x0 = (width - 6 - 2 * step) / 2;
  for (int dot : {x0, x0 + step + 2, x0 + 2 * step + 4})
    for (int dx = 0; dx < 2; ++dx)
      for (int y = 1; y < 3; ++y)
        if (image.valid(dot + dx, y))
          image.setPixel(dot + dx, y, 0);
  return image;
}

// The combo-box arrow: a black triangle of 7, 5, 3 and 1 pixels on white.
QImage DropDownGlyph() {
  QImage image(7, 4, QImage::Format_Mono);
  image.fill(1);
  for (int row = 0; row < 4; ++row)
    for (int x = row; x < 7 - row; ++x)
      image.setPixel(x, row, 0);
  return image;
}

} // namespace

void TEditButtonGlyph::Recreate(const QImage *defaultGlyph) {
  switch (FKind) {
  case gkDefault:
    if (defaultGlyph) {
      FButton->SetGlyph(*defaultGlyph);
      FButton->SetNumGlyphs(FDefNumGlyphs);
    }
    break;
  case gkDropDown:
    FButton->SetGlyph(DropDownGlyph());
    FButton->SetNumGlyphs(1);
    break;
  case gkEllipsis:
    FButton->SetGlyph(EllipsisGlyph(FButton->width()));
    FButton->SetNumGlyphs(1);
    break;
  case gkCustom: break;
  }
}

void TEditButtonGlyph::SetCustom(const QImage &value) {
  FButton->SetGlyph(value);
  FKind = gkCustom;
}

void TEditButtonGlyph::SetNumGlyphs(TMxNumGlyphs value) {
  if (FKind == gkDropDown || FKind == gkEllipsis)
    value = 1;
  else if (FKind == gkDefault)
    value = FDefNumGlyphs;
  FButton->SetNumGlyphs(value);
}
