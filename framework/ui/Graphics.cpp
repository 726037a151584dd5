#include "Graphics.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <array>
#include <cmath>

namespace {

constexpr QPalette::ColorGroup A = QPalette::Active;
constexpr QPalette::ColorGroup I = QPalette::Inactive;
constexpr QPalette::ColorGroup D = QPalette::Disabled;

// Indexed by the system colour index; each entry is the palette colour that plays the same part.
constexpr std::array<TPaletteEntry, 31> SystemEntries{{
    {A, QPalette::Button},          // scroll bar
    {A, QPalette::Dark},            // desktop
    {A, QPalette::Highlight},       // active caption
    {I, QPalette::Mid},             // inactive caption
    {A, QPalette::Window},          // menu
    {A, QPalette::Base},            // window
    {A, QPalette::Shadow},          // window frame
    {A, QPalette::WindowText},      // menu text
    {A, QPalette::Text},            // window text
    {A, QPalette::HighlightedText}, // caption text
    {A, QPalette::Window},          // active border
    {I, QPalette::Window},          // inactive border
    {A, QPalette::Dark},            // application work space
    {A, QPalette::Highlight},       // highlight
    {A, QPalette::HighlightedText}, // highlight text
    {A, QPalette::Button},          // button face
    {A, QPalette::Dark},            // button shadow
    {D, QPalette::Text},            // grey text
    {A, QPalette::ButtonText},      // button text
    {D, QPalette::WindowText},      // inactive caption text
    {A, QPalette::Light},           // button highlight
    {A, QPalette::Shadow},          // 3-D dark shadow
    {A, QPalette::Midlight},        // 3-D light
    {A, QPalette::ToolTipText},     // info text
    {A, QPalette::ToolTipBase},     // info background
    {A, QPalette::Window},          // (unused index)
    {A, QPalette::Link},            // hot light
    {A, QPalette::Highlight},       // gradient active caption
    {I, QPalette::Mid},             // gradient inactive caption
    {A, QPalette::Highlight},       // menu highlight
    {A, QPalette::Window},          // menu bar
}};

int PointsToHeight(int points) { return -static_cast<int>(std::lround(points * 96.0 / 72.0)); }

} // namespace

TPaletteEntry SystemColorEntry(TColor color) {
  const unsigned index = unsigned(color) & 0xFFu;
  if (index >= SystemEntries.size())
    return {A, QPalette::Window};
  return SystemEntries[index];
}

QColor ColorToQColor(TColor color, const QPalette *palette) {
  if (color == clNone)
    return QColor(Qt::transparent);
  if (color == clDefault)
    color = clWindow;
  if (IsSystemColor(color)) {
    const TPaletteEntry entry = SystemColorEntry(color);
    const QPalette &source = palette ? *palette : QGuiApplication::palette();
    return source.color(entry.Group, entry.Role);
  }
  return QColor(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF);
}

TColor QColorToColor(const QColor &color) { return RGBToColor(color.red(), color.green(), color.blue()); }

TColor ColorToRGB(TColor color, const QPalette *palette) {
  if (IsSystemColor(color) || color == clDefault)
    return QColorToColor(ColorToQColor(color, palette));
  return color & 0xFFFFFF;
}

// ---- TFont

TFont::TFont() : TFont(QGuiApplication::font()) {}

TFont::TFont(const QFont &font, TColor color) : FColor(color) {
  FName = font.family();
  FSize = font.pointSize() > 0 ? font.pointSize() : 8;
  if (font.bold())
    FStyle |= fsBold;
  if (font.italic())
    FStyle |= fsItalic;
  if (font.underline())
    FStyle |= fsUnderline;
  if (font.strikeOut())
    FStyle |= fsStrikeOut;
}

TFont::TFont(const TFont &other)
    : FName(other.FName), FSize(other.FSize), FStyle(other.FStyle), FColor(other.FColor),
      FPitch(other.FPitch) {}

TFont &TFont::operator=(const TFont &other) {
  if (this != &other)
    Assign(other);
  return *this;
}

void TFont::Changed() {
  if (OnChange)
    OnChange(this);
}

void TFont::SetName(const QString &name) {
  if (name.isEmpty() || name == FName)
    return;
  FName = name;
  Changed();
}

void TFont::SetSize(int points) {
  if (points == FSize)
    return;
  FSize = points;
  Changed();
}

int TFont::Height() const { return PointsToHeight(FSize); }

void TFont::SetHeight(int height) {
  // A negative height is the character height, a positive one the cell height; both at 96 dpi.
  SetSize(static_cast<int>(std::lround(std::abs(height) * 72.0 / 96.0)));
}

void TFont::SetStyle(TFontStyles style) {
  if (style == FStyle)
    return;
  FStyle = style;
  Changed();
}

void TFont::SetColor(TColor color) {
  if (color == FColor)
    return;
  FColor = color;
  Changed();
}

void TFont::SetPitch(TFontPitch pitch) {
  if (pitch == FPitch)
    return;
  FPitch = pitch;
  Changed();
}

void TFont::Assign(const TFont &other) {
  if (*this == other)
    return;
  FName = other.FName;
  FSize = other.FSize;
  FStyle = other.FStyle;
  FColor = other.FColor;
  FPitch = other.FPitch;
  Changed();
}

void TFont::Assign(const QFont &font) { Assign(TFont(font, FColor)); }

QFont TFont::ToQFont() const {
  QFont font(FName);
  font.setPointSize(FSize > 0 ? FSize : 8);
  font.setBold(FStyle.testFlag(fsBold));
  font.setItalic(FStyle.testFlag(fsItalic));
  font.setUnderline(FStyle.testFlag(fsUnderline));
  font.setStrikeOut(FStyle.testFlag(fsStrikeOut));
  if (FPitch == fpFixed) {
    font.setFixedPitch(true);
    font.setStyleHint(QFont::TypeWriter);
  }
  return font;
}

bool TFont::operator==(const TFont &other) const {
  return FName == other.FName && FSize == other.FSize && FStyle == other.FStyle && FColor == other.FColor &&
         FPitch == other.FPitch;
}

// ---- TCanvas

TCanvas::TCanvas(QPainter &painter, const QPalette *palette) : FPainter(&painter), FPalette(palette) {}

TCanvas::TCanvas(QPaintDevice *device, const QPalette *palette)
    : FOwnPainter(std::make_unique<QPainter>(device)), FPainter(FOwnPainter.get()), FPalette(palette) {}

TCanvas::~TCanvas() = default;

void TCanvas::ApplyPen() {
  if (Pen.Style == psClear || Pen.Color == clNone) {
    FPainter->setPen(Qt::NoPen);
    return;
  }
  QPen pen(Resolve(Pen.Color));
  pen.setWidth(Pen.Width);
  pen.setStyle(Pen.Style == psDash ? Qt::DashLine : Pen.Style == psDot ? Qt::DotLine : Qt::SolidLine);
  FPainter->setPen(pen);
}

void TCanvas::ApplyBrush() {
  if (Brush.Style == bsClear || Brush.Color == clNone)
    FPainter->setBrush(Qt::NoBrush);
  else
    FPainter->setBrush(Resolve(Brush.Color));
}

void TCanvas::ApplyFont() { FPainter->setFont(Font.ToQFont()); }

void TCanvas::FillRect(const QRect &rect) {
  if (Brush.Style != bsClear && Brush.Color != clNone)
    FPainter->fillRect(rect, Resolve(Brush.Color));
}

void TCanvas::FrameRect(const QRect &rect) {
  if (rect.isEmpty() || Brush.Style == bsClear)
    return;
  const QColor color = Resolve(Brush.Color);
  FPainter->fillRect(QRect(rect.left(), rect.top(), rect.width(), 1), color);
  FPainter->fillRect(QRect(rect.left(), rect.bottom(), rect.width(), 1), color);
  FPainter->fillRect(QRect(rect.left(), rect.top(), 1, rect.height()), color);
  FPainter->fillRect(QRect(rect.right(), rect.top(), 1, rect.height()), color);
}

void TCanvas::Rectangle(const QRect &rect) {
  if (rect.isEmpty())
    return;
  FillRect(rect);
  if (Pen.Style == psClear || Pen.Color == clNone)
    return;
  const TBrush saved = Brush;
  Brush = {Pen.Color, bsSolid};
  FrameRect(rect);
  Brush = saved;
}

void TCanvas::DrawFocusRect(const QRect &rect) {
  FPainter->save();
  QPen pen(Resolve(clWindowText));
  pen.setStyle(Qt::DotLine);
  FPainter->setPen(pen);
  FPainter->setBrush(Qt::NoBrush);
  FPainter->drawRect(rect.adjusted(0, 0, -1, -1));
  FPainter->restore();
}

void TCanvas::LineTo(int x, int y) {
  // The end point itself is not drawn.
  const QPoint to(x, y);
  if (to != FPenPos) {
    ApplyPen();
    const QPoint delta = to - FPenPos;
    const int steps = std::max(std::abs(delta.x()), std::abs(delta.y()));
    const QPoint last(FPenPos.x() + static_cast<int>(std::lround(delta.x() * double(steps - 1) / steps)),
                      FPenPos.y() + static_cast<int>(std::lround(delta.y() * double(steps - 1) / steps)));
    FPainter->drawLine(FPenPos, last);
  }
  FPenPos = to;
}

void TCanvas::Polyline(const std::vector<QPoint> &points) {
  if (points.empty())
    return;
  MoveTo(points.front().x(), points.front().y());
  for (size_t i = 1; i < points.size(); ++i)
    LineTo(points[i].x(), points[i].y());
}

void TCanvas::Polygon(const std::vector<QPoint> &points) {
  if (points.size() < 2)
    return;
  ApplyPen();
  ApplyBrush();
  FPainter->drawPolygon(points.data(), static_cast<int>(points.size()));
}

void TCanvas::TextOut(int x, int y, const QString &text) {
  ApplyFont();
  const QFontMetrics metrics(FPainter->font());
  if (Brush.Style != bsClear)
    FillRect(QRect(x, y, metrics.horizontalAdvance(text), metrics.height()));
  FPainter->setPen(Resolve(Font.Color()));
  FPainter->drawText(QPoint(x, y + metrics.ascent()), text);
  FPenPos = QPoint(x + metrics.horizontalAdvance(text), y);
}

void TCanvas::TextRect(const QRect &rect, int x, int y, const QString &text) {
  FPainter->save();
  FPainter->setClipRect(rect, Qt::IntersectClip);
  FillRect(rect);
  const TBrushStyle saved = Brush.Style;
  Brush.Style = bsClear;
  TextOut(x, y, text);
  Brush.Style = saved;
  FPainter->restore();
}

void TCanvas::TextRect(const QRect &rect, const QString &text, TTextFormat format) {
  ApplyFont();
  int flags = (format & tfCenter) ? Qt::AlignHCenter : (format & tfRight) ? Qt::AlignRight : Qt::AlignLeft;
  flags |= (format & tfVerticalCenter) ? Qt::AlignVCenter
           : (format & tfBottom)       ? Qt::AlignBottom
                                       : Qt::AlignTop;
  if (format & tfWordBreak)
    flags |= Qt::TextWordWrap;
  else if (format & tfSingleLine)
    flags |= Qt::TextSingleLine;
  QString shown = text;
  if ((format & tfEndEllipsis) && !(format & tfWordBreak))
    shown = QFontMetrics(FPainter->font()).elidedText(text, Qt::ElideRight, rect.width());
  FPainter->save();
  if (!(format & tfNoClip))
    FPainter->setClipRect(rect, Qt::IntersectClip);
  FPainter->setPen(Resolve(Font.Color()));
  FPainter->drawText(rect, flags, shown);
  FPainter->restore();
}

int TCanvas::TextWidth(const QString &text) const {
  return QFontMetrics(Font.ToQFont()).horizontalAdvance(text);
}

int TCanvas::TextHeight(const QString &) const { return QFontMetrics(Font.ToQFont()).height(); }

void TCanvas::Draw(int x, int y, const QPixmap &pixmap) { FPainter->drawPixmap(x, y, pixmap); }

void TCanvas::Draw(int x, int y, const QImage &image) { FPainter->drawImage(x, y, image); }

// ---- frames

void Frame3D(TCanvas &canvas, QRect &rect, TColor topColor, TColor bottomColor, int width) {
  QPainter &painter = canvas.Painter();
  const QColor top = canvas.Resolve(topColor);
  const QColor bottom = canvas.Resolve(bottomColor);
  for (int ring = 0; ring < width && rect.width() > 0 && rect.height() > 0; ++ring) {
    const int l = rect.left(), t = rect.top(), r = rect.right(), b = rect.bottom();
    painter.fillRect(QRect(l, t, r - l, 1), top);
    painter.fillRect(QRect(l, t, 1, b - t), top);
    painter.fillRect(QRect(r, t, 1, b - t + 1), bottom);
    painter.fillRect(QRect(l, b, r - l + 1, 1), bottom);
    rect.adjust(1, 1, -1, -1);
  }
}

void Draw3DRect(TCanvas &canvas, QRect &rect, bool sunken) {
  if (sunken) {
    Frame3D(canvas, rect, clBtnShadow, clBtnHighlight, 1);
    Frame3D(canvas, rect, cl3DDkShadow, cl3DLight, 1);
  } else {
    Frame3D(canvas, rect, cl3DLight, cl3DDkShadow, 1);
    Frame3D(canvas, rect, clBtnHighlight, clBtnShadow, 1);
  }
}
