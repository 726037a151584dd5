#include "MxButtonGlyph.h"

#include "MxCtlUtils.h"

#include <QFontMetrics>
#include <QPainter>

namespace {

std::unique_ptr<TGlyphCache> TheGlyphCache;
int GlyphObjectCount = 0;

// Mixes every pixel to grey, except the transparent colour and the button face.
QImage GreyedImage(const QImage &image, TColor transparentColor) {
  QImage result = image.convertToFormat(QImage::Format_RGB32);
  const QRgb key = ColorToQColor(transparentColor).rgb() & 0xFFFFFF;
  const QRgb face = ColorToQColor(clBtnFace).rgb() & 0xFFFFFF;
  for (int y = 0; y < result.height(); ++y) {
    auto *line = reinterpret_cast<QRgb *>(result.scanLine(y));
    for (int x = 0; x < result.width(); ++x) {
      const QRgb rgb = line[x] & 0xFFFFFF;
      if (rgb == key || rgb == face)
        continue;
      const int grey = (77 * qRed(rgb) + 150 * qGreen(rgb) + 29 * qBlue(rgb)) >> 8;
      line[x] = qRgb(grey, grey, grey);
    }
  }
  return result;
}

} // namespace

// ---- TGlyphList

int TGlyphList::AllocateIndex() {
  for (size_t i = 0; i < FUsed.size(); ++i)
    if (!FUsed[i]) {
      FUsed[i] = true;
      return static_cast<int>(i);
    }
  FImages.emplace_back();
  FUsed.push_back(true);
  return static_cast<int>(FImages.size()) - 1;
}

int TGlyphList::AddMasked(const QImage &image, TColor maskColor) {
  const int index = AllocateIndex();
  FImages[index] = MaskedImage(image, maskColor);
  ++FCount;
  return index;
}

void TGlyphList::Delete(int index) {
  if (index < 0 || index >= Slots() || !FUsed[index])
    return;
  FUsed[index] = false;
  --FCount;
}

// ---- TGlyphCache

TGlyphList *TGlyphCache::GetList(int width, int height) {
  for (auto it = FLists.rbegin(); it != FLists.rend(); ++it)
    if ((*it)->Width() == width && (*it)->Height() == height)
      return it->get();
  FLists.push_back(std::make_unique<TGlyphList>(width, height));
  return FLists.back().get();
}

void TGlyphCache::ReturnList(TGlyphList *list) {
  if (!list || list->Count() > 0)
    return;
  std::erase_if(FLists, [list](const std::unique_ptr<TGlyphList> &item) { return item.get() == list; });
}

TGlyphCache *GlyphCache() { return TheGlyphCache.get(); }

// ---- TMxButtonGlyph

TMxButtonGlyph::TMxButtonGlyph() {
  if (!TheGlyphCache)
    TheGlyphCache = std::make_unique<TGlyphCache>();
  ++GlyphObjectCount;
}

TMxButtonGlyph::~TMxButtonGlyph() {
  Invalidate();
  if (--GlyphObjectCount == 0 && TheGlyphCache && TheGlyphCache->Empty())
    TheGlyphCache.reset();
}

void TMxButtonGlyph::SetGlyph(const QImage &glyph) {
  Invalidate();
  FOriginal = glyph;
  GlyphChanged();
}

void TMxButtonGlyph::GlyphChanged() {
  Invalidate();
  if (FOriginal.height() > 0) {
    FTransparentColor = QColorToColor(FOriginal.pixelColor(0, FOriginal.height() - 1));
    if (FOriginal.width() % FOriginal.height() == 0) {
      const int count = FOriginal.width() / FOriginal.height();
      FNumGlyphs = count > 5 ? 1 : count;
    }
  }
  if (OnChange)
    OnChange();
}

void TMxButtonGlyph::SetNumGlyphs(TMxNumGlyphs value) {
  if (value <= 0 || value == FNumGlyphs)
    return;
  Invalidate();
  FNumGlyphs = std::min(value, 5);
  if (OnChange)
    OnChange();
}

void TMxButtonGlyph::Invalidate() {
  for (int &index : FIndexes) {
    if (index != -1 && FGlyphList)
      FGlyphList->Delete(index);
    index = -1;
  }
  if (FGlyphList && TheGlyphCache)
    TheGlyphCache->ReturnList(FGlyphList);
  FGlyphList = nullptr;
}

QSize TMxButtonGlyph::ImageSize() const {
  if (FOriginal.isNull() || FOriginal.width() == 0 || FOriginal.height() == 0)
    return QSize(0, 0);
  return QSize(FOriginal.width() / FNumGlyphs, FOriginal.height());
}

QImage TMxButtonGlyph::Column(int index) const {
  const QSize size = ImageSize();
  if (index >= FNumGlyphs)
    index = 0;
  QImage column(size, QImage::Format_RGB32);
  column.fill(ColorToQColor(clBtnFace));
  QPainter painter(&column);
  painter.drawImage(QPoint(0, 0), FOriginal, QRect(QPoint(index * size.width(), 0), size));
  return column;
}

int TMxButtonGlyph::CreateButtonGlyph(TMxButtonState state) {
  if (state == rbsDown && FNumGlyphs < 3)
    state = rbsUp;
  if (FIndexes[state] != -1)
    return FIndexes[state];
  const QSize size = ImageSize();
  if (size.isEmpty())
    return -1;
  if (!FGlyphList)
    FGlyphList = TheGlyphCache->GetList(size.width(), size.height());
  int index;
  switch (state) {
  case rbsDisabled:
    index = FNumGlyphs > 1 ? FGlyphList->AddMasked(Column(rbsDisabled), FTransparentColor)
                           : FGlyphList->AddMasked(CreateDisabledBitmap(Column(0), clBlack), clBtnFace);
    break;
  case rbsInactive:
    index = FNumGlyphs == 5
                ? FGlyphList->AddMasked(Column(rbsInactive), FTransparentColor)
                : FGlyphList->AddMasked(GreyedImage(Column(0), FTransparentColor), FTransparentColor);
    break;
  default: index = FGlyphList->AddMasked(Column(state), FTransparentColor); break;
  }
  FIndexes[state] = index;
  return index;
}

namespace {

// The caption as the room allows it: without word wrap every line is shortened with "...".
QString FitCaption(const QString &caption, const QFontMetrics &metrics, int width, bool wordWrap) {
  QString text = caption.left(255);
  if (wordWrap)
    return text;
  QStringList lines = text.split(u'\n');
  for (QString &line : lines)
    line = ShortenString(line, metrics, width);
  text = lines.join(u'\n');
  while (text.endsWith(u' '))
    text.chop(1);
  return text;
}

// Margin and spacing along the layout's axis when either is left free (-1).
void ResolveMarginAndSpacing(int axis, int glyphLen, int textLen, int &margin, int &spacing) {
  if (textLen == 0 || glyphLen == 0)
    spacing = 0;
  if (margin == -1 && spacing == -1)
    margin = spacing = (axis - (glyphLen + textLen)) / 3;
  else if (margin == -1)
    margin = axis / 2 - (glyphLen + spacing + textLen) / 2;
  else if (spacing == -1)
    spacing = (axis - margin - glyphLen) / 2 - textLen / 2;
}

} // namespace

TButtonLayoutResult TMxButtonGlyph::CalcButtonLayout(const TCanvas &canvas, const QRect &client,
                                                     const QString &caption, TButtonLayout layout, int margin,
                                                     int spacing, bool popupMark, int textFlags) const {
  const bool horizontal = layout == blGlyphLeft || layout == blGlyphRight;
  const int W = client.width(), H = client.height();
  QSize glyph = ImageSize();
  const QFontMetrics metrics(canvas.Font.ToQFont());
  const int fixedMargins = (margin != -1 ? margin : 0) + (spacing != -1 ? spacing : 0);
  const int roomW = std::max(0, horizontal ? W - glyph.width() - fixedMargins - (popupMark ? 9 : 0) : W);
  const int roomH = std::max(0, horizontal ? H : H - glyph.height() - fixedMargins);

  TButtonLayoutResult result;
  result.Caption = FitCaption(caption, metrics, roomW, FWordWrap);
  QSize textSize(0, 0);
  if (!result.Caption.isEmpty()) {
    const int flags = Qt::AlignCenter | textFlags | (FWordWrap ? Qt::TextWordWrap : 0);
    textSize = metrics.boundingRect(QRect(0, 0, roomW, 10000), flags, result.Caption)
                   .size()
                   .boundedTo(QSize(roomW, roomH));
  }
  if (popupMark) {
    if (glyph.width() == 0 || layout == blGlyphLeft)
      textSize.rwidth() += 9;
    else
      glyph.rwidth() += 6;
  }

  // Centred across the axis, placed along it.
  QPoint glyphPos, textPos;
  if (horizontal) {
    glyphPos.setY(H / 2 - glyph.height() / 2);
    textPos.setY(H / 2 - textSize.height() / 2);
  } else {
    glyphPos.setX(W / 2 - glyph.width() / 2);
    textPos.setX(W / 2 - textSize.width() / 2);
  }
  const int glyphLen = horizontal ? glyph.width() : glyph.height();
  const int textLen = horizontal ? textSize.width() : textSize.height();
  ResolveMarginAndSpacing(horizontal ? W : H, glyphLen, textLen, margin, spacing);
  switch (layout) {
  case blGlyphLeft:
    glyphPos.setX(margin);
    textPos.setX(glyphPos.x() + glyphLen + spacing);
    break;
  case blGlyphRight:
    glyphPos.setX(W - margin - glyphLen);
    textPos.setX(glyphPos.x() - spacing - textLen);
    break;
  case blGlyphTop:
    glyphPos.setY(margin);
    textPos.setY(glyphPos.y() + glyphLen + spacing);
    break;
  case blGlyphBottom:
    glyphPos.setY(H - margin - glyphLen);
    textPos.setY(glyphPos.y() - spacing - textLen);
    break;
  }
  result.GlyphPos = glyphPos + client.topLeft();
  result.TextBounds = QRect(textPos + client.topLeft(), textSize);
  return result;
}

QRect TMxButtonGlyph::DrawButton(TCanvas &canvas, const QRect &client, const QString &caption,
                                 TButtonLayout layout, int margin, int spacing, bool popupMark,
                                 TMxButtonState state, int textFlags) {
  const TButtonLayoutResult laid =
      CalcButtonLayout(canvas, client, caption, layout, margin, spacing, popupMark, textFlags);
  const int index = CreateButtonGlyph(state);
  const bool hasGlyph = index >= 0;
  if (hasGlyph)
    canvas.Painter().drawImage(laid.GlyphPos, FGlyphList->Image(index));

  QRect textRect = laid.TextBounds;
  if (popupMark && (!hasGlyph || layout == blGlyphLeft))
    textRect.setWidth(std::max(0, textRect.width() - 9));
  if (!laid.Caption.isEmpty()) {
    TTextFormat format = FAlignment == taLeftJustify    ? tfLeft
                         : FAlignment == taRightJustify ? tfRight
                                                        : tfCenter;
    format |= tfVerticalCenter | (FWordWrap ? tfWordBreak : 0);
    const TColor color = canvas.Font.Color();
    if (state == rbsDisabled) {
      canvas.Font.SetColor(clBtnHighlight);
      canvas.TextRect(textRect.translated(1, 1), laid.Caption, format);
      canvas.Font.SetColor(clBtnShadow);
    }
    canvas.TextRect(textRect, laid.Caption, format);
    canvas.Font.SetColor(color);
  }

  if (popupMark) {
    QPoint mark;
    if (layout != blGlyphLeft && hasGlyph) {
      const QSize glyph = ImageSize();
      mark = QPoint(laid.GlyphPos.x() + glyph.width() + 1, laid.GlyphPos.y() + glyph.height() / 2);
    } else {
      const int x = laid.Caption.isEmpty() ? (client.left() + client.left() + client.width() - 7) / 2
                                           : textRect.left() + textRect.width() + 3;
      mark = QPoint(x, textRect.top() + textRect.height() / 2);
    }
    if (state == rbsDisabled) {
      DrawDropDownMark(canvas, mark.x() + 1, mark.y() + 1, clBtnHighlight);
      DrawDropDownMark(canvas, mark.x(), mark.y(), clBtnShadow);
    } else {
      DrawDropDownMark(canvas, mark.x(), mark.y(), clBtnText);
    }
  }
  return textRect;
}

void DrawDropDownMark(TCanvas &canvas, int x, int y, TColor color) {
  const QColor resolved = canvas.Resolve(color);
  for (int row = 0; row < 4; ++row)
    canvas.Painter().fillRect(QRect(x + row, y - 1 + row, 7 - 2 * row, 1), resolved);
}

void DrawButtonFrame(TCanvas &canvas, QRect &rect, bool down, bool flat, TButtonStyle style) {
  const bool newStyle = style == bsNew || (style == bsAutoDetect && NewStyleControls);
  if (!down) {
    if (newStyle) {
      if (!flat)
        Frame3D(canvas, rect, clBtnHighlight, clWindowFrame, 1);
      Frame3D(canvas, rect, flat ? clBtnHighlight : clBtnFace, clBtnShadow, 1);
    } else if (!flat) {
      Frame3D(canvas, rect, clWindowFrame, clWindowFrame, 1);
      Frame3D(canvas, rect, clBtnHighlight, clBtnShadow, 1);
    } else {
      Frame3D(canvas, rect, clBtnHighlight, clWindowFrame, 1);
    }
  } else if (newStyle) {
    Frame3D(canvas, rect, clWindowFrame, clBtnHighlight, 1);
    if (!flat)
      Frame3D(canvas, rect, clBtnShadow, clBtnFace, 1);
  } else if (!flat) {
    Frame3D(canvas, rect, clWindowFrame, clWindowFrame, 1);
    canvas.Pen.Color = clBtnShadow;
    canvas.Polyline(
        {QPoint(rect.left(), rect.bottom() + 1), rect.topLeft(), QPoint(rect.right() + 1, rect.top())});
  } else {
    Frame3D(canvas, rect, clWindowFrame, clBtnHighlight, 1);
  }
  rect.adjust(1, 1, -1, -1);
}
