#pragma once

#include <QColor>
#include <QFlags>
#include <QFont>
#include <QPalette>
#include <QPoint>
#include <QRect>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

class QPaintDevice;
class QPainter;
class QPixmap;
class QImage;

// A colour as the class library numbers it: $00BBGGRR for a plain colour, $80000000 | index for
// a system colour (the index of the window system's colour table), and two special values.
using TColor = int;

constexpr TColor SystemColor(int index) { return static_cast<TColor>(0x80000000u | unsigned(index)); }

constexpr TColor clScrollBar = SystemColor(0);
constexpr TColor clBackground = SystemColor(1);
constexpr TColor clActiveCaption = SystemColor(2);
constexpr TColor clInactiveCaption = SystemColor(3);
constexpr TColor clMenu = SystemColor(4);
constexpr TColor clWindow = SystemColor(5);
constexpr TColor clWindowFrame = SystemColor(6);
constexpr TColor clMenuText = SystemColor(7);
constexpr TColor clWindowText = SystemColor(8);
constexpr TColor clCaptionText = SystemColor(9);
constexpr TColor clActiveBorder = SystemColor(10);
constexpr TColor clInactiveBorder = SystemColor(11);
constexpr TColor clAppWorkSpace = SystemColor(12);
constexpr TColor clHighlight = SystemColor(13);
constexpr TColor clHighlightText = SystemColor(14);
constexpr TColor clBtnFace = SystemColor(15);
constexpr TColor clBtnShadow = SystemColor(16);
constexpr TColor clGrayText = SystemColor(17);
constexpr TColor clBtnText = SystemColor(18);
constexpr TColor clInactiveCaptionText = SystemColor(19);
constexpr TColor clBtnHighlight = SystemColor(20);
constexpr TColor cl3DDkShadow = SystemColor(21);
constexpr TColor cl3DLight = SystemColor(22);
constexpr TColor clInfoText = SystemColor(23);
constexpr TColor clInfoBk = SystemColor(24);
constexpr TColor clHotLight = SystemColor(26);
constexpr TColor clGradientActiveCaption = SystemColor(27);
constexpr TColor clGradientInactiveCaption = SystemColor(28);
constexpr TColor clMenuHighlight = SystemColor(29);
constexpr TColor clMenuBar = SystemColor(30);

constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clOlive = 0x008080;
constexpr TColor clNavy = 0x800000;
constexpr TColor clPurple = 0x800080;
constexpr TColor clTeal = 0x808000;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clFuchsia = 0xFF00FF;
constexpr TColor clAqua = 0xFFFF00;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clLtGray = 0xC0C0C0;
constexpr TColor clDkGray = 0x808080;
constexpr TColor clMoneyGreen = 0xC0DCC0;
constexpr TColor clSkyBlue = 0xF0CAA6;
constexpr TColor clCream = 0xF0FBFF;
constexpr TColor clMedGray = 0xA4A0A0;

constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clDefault = 0x20000000;

constexpr bool IsSystemColor(TColor color) { return color < 0; }

// The palette group and role that stand for a system colour (index as in SystemColor).
struct TPaletteEntry {
  QPalette::ColorGroup Group;
  QPalette::ColorRole Role;
};
TPaletteEntry SystemColorEntry(TColor color);

// The colour to paint with: a system colour comes from the palette (the application's when none
// is given), clDefault stands for clWindow, clNone is transparent.
QColor ColorToQColor(TColor color, const QPalette *palette = nullptr);
TColor QColorToColor(const QColor &color);
// The plain $00BBGGRR value of any colour (system colours resolved through the palette).
TColor ColorToRGB(TColor color, const QPalette *palette = nullptr);
constexpr TColor RGBToColor(int red, int green, int blue) { return red | (green << 8) | (blue << 16); }

enum TFontStyle { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
Q_DECLARE_FLAGS(TFontStyles, TFontStyle)
Q_DECLARE_OPERATORS_FOR_FLAGS(TFontStyles)

enum TFontPitch { fpDefault, fpVariable, fpFixed };

// The class library's font object: name, size in points (Height is the negative pixel height at
// 96 dots per inch), style and colour. Every change fires OnChange; Assign copies all but OnChange.
class TFont {
public:
  TFont();
  explicit TFont(const QFont &font, TColor color = clWindowText);
  TFont(const TFont &other);
  TFont &operator=(const TFont &other);

  const QString &Name() const { return FName; }
  void SetName(const QString &name);
  int Size() const { return FSize; }
  void SetSize(int points);
  int Height() const;
  void SetHeight(int height);
  TFontStyles Style() const { return FStyle; }
  void SetStyle(TFontStyles style);
  TColor Color() const { return FColor; }
  void SetColor(TColor color);
  TFontPitch Pitch() const { return FPitch; }
  void SetPitch(TFontPitch pitch);

  void Assign(const TFont &other);
  void Assign(const QFont &font);
  QFont ToQFont() const;
  bool operator==(const TFont &other) const;

  std::function<void(TFont *sender)> OnChange;

private:
  void Changed();

  QString FName;
  int FSize = 8;
  TFontStyles FStyle;
  TColor FColor = clWindowText;
  TFontPitch FPitch = fpDefault;
};

enum TBrushStyle { bsSolid, bsClear };
enum TPenStyle { psSolid, psDash, psDot, psClear };

struct TBrush {
  TColor Color = clWhite;
  TBrushStyle Style = bsSolid;
};

struct TPen {
  TColor Color = clBlack;
  int Width = 1;
  TPenStyle Style = psSolid;
};

// Flags of TextRect: horizontal and vertical placement, one line or word wrap, "..." when cut.
enum TTextFormatFlag {
  tfLeft = 0,
  tfCenter = 1,
  tfRight = 2,
  tfTop = 0,
  tfVerticalCenter = 4,
  tfBottom = 8,
  tfSingleLine = 16,
  tfWordBreak = 32,
  tfEndEllipsis = 64,
  tfNoClip = 128,
};
using TTextFormat = int;

// The class library's canvas: brush, pen and font state over a QPainter, with its drawing calls.
// Rectangles are areas: a QRect's width and height are the pixels covered.
class TCanvas {
public:
  explicit TCanvas(QPainter &painter, const QPalette *palette = nullptr);
  explicit TCanvas(QPaintDevice *device, const QPalette *palette = nullptr);
  ~TCanvas();
  TCanvas(const TCanvas &) = delete;
  TCanvas &operator=(const TCanvas &) = delete;

  TBrush Brush;
  TPen Pen;
  TFont Font;

  QPainter &Painter() { return *FPainter; }
  QColor Resolve(TColor color) const { return ColorToQColor(color, FPalette); }

  void FillRect(const QRect &rect);
  void FrameRect(const QRect &rect);
  void Rectangle(const QRect &rect);
  void DrawFocusRect(const QRect &rect);
  void MoveTo(int x, int y) { FPenPos = QPoint(x, y); }
  void LineTo(int x, int y);
  QPoint PenPos() const { return FPenPos; }
  void Polygon(const std::vector<QPoint> &points);
  void Polyline(const std::vector<QPoint> &points);
  void TextOut(int x, int y, const QString &text);
  // Text at (x, y) clipped to rect, the brush filling rect first unless it is clear.
  void TextRect(const QRect &rect, int x, int y, const QString &text);
  // Text placed in rect by the flags, clipped to it unless tfNoClip.
  void TextRect(const QRect &rect, const QString &text, TTextFormat format);
  int TextWidth(const QString &text) const;
  int TextHeight(const QString &text) const;
  void Draw(int x, int y, const QPixmap &pixmap);
  void Draw(int x, int y, const QImage &image);

private:
  void ApplyPen();
  void ApplyBrush();
  void ApplyFont();

  std::unique_ptr<QPainter> FOwnPainter;
  QPainter *FPainter;
  const QPalette *FPalette;
  QPoint FPenPos;
};

// Draws one frame of `width` rings, TopColor on top and left, BottomColor on bottom and right, and
// shrinks rect by width on every side (the class library's Frame3D).
void Frame3D(TCanvas &canvas, QRect &rect, TColor topColor, TColor bottomColor, int width);
// A raised (or sunken) two-ring bevel as buttons show it; shrinks rect by two.
void Draw3DRect(TCanvas &canvas, QRect &rect, bool sunken);
