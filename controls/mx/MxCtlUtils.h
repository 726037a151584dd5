#pragma once

#include "DBTypes.h"
#include "Graphics.h"

#include <QImage>
#include <QString>
#include <QStringList>

class QFontMetrics;
class QPainter;
class QWidget;

enum TVertAlignment { vaTopJustify, vaCenter, vaBottomJustify };

// Paints into the painter, shifted so that the control's top-left is (0, 0), what lies under the
// control: the parent's background and own painting, then every visible sibling before the
// control in the parent's list that overlaps it.
void CopyParentImage(QWidget *control, QPainter &painter);

// The image with every pixel of the transparent colour made fully transparent.
QImage MaskedImage(const QImage &image, TColor transparentColor);
// Draws src of the bitmap stretched into dest, leaving out the transparent colour: clNone draws
// everything, clDefault takes the bottom-left pixel, a monochrome bitmap leaves out white.
void DrawBitmapRectTransparent(TCanvas &canvas, const QRect &dest, const QImage &bitmap, const QRect &src,
                               TColor transparentColor);
void DrawBitmapTransparent(TCanvas &canvas, int x, int y, const QImage &bitmap, TColor transparentColor);

// The embossed look of a disabled glyph: the pixels of the outline colour drawn on the back
// colour, first in the highlight one pixel right and down (when asked), then in the shadow.
QImage CreateDisabledBitmapEx(const QImage &bitmap, TColor outlineColor, TColor backColor,
                              TColor highlightColor, TColor shadowColor, bool drawHighlight);
QImage CreateDisabledBitmap(const QImage &bitmap, TColor outlineColor);

void Beep();
inline int RectWidth(const QRect &rect) { return rect.width(); }
inline int RectHeight(const QRect &rect) { return rect.height(); }
// The colour value with the palette-relative flag (bit 25) set.
constexpr TColor PaletteColor(TColor color) { return color | 0x02000000; }

// The text itself when it fits the width; else cut from the end (two characters, then one more per
// try) with "..." appended until it fits; "..." alone when no prefix fits.
QString ShortenString(const QString &text, const QFontMetrics &metrics, int width);
QString ShortenString(const QString &text, const TCanvas &canvas, int width);

// Command lines: tokens end at characters of codes 1..32, a double quote starts a run that may
// hold blanks and ends at the next one (the quotes are dropped), empty quote pairs before a token
// are skipped.
QStringList ParseCommandLine(const QString &commandLine);
int ParamCountFromCommandLine(const QString &commandLine);
// The token at index (0 = the program); empty when there is none.
QString ParamStrFromCommandLine(const QString &commandLine, int index);
// The program name, and the other tokens joined by single blanks (a token with a blank quoted).
void SplitCommandLine(const QString &commandLine, QString &programName, QString &params);

// The text of a grid cell: the brush fills the rectangle; one line is placed dx in from the left,
// 3 in from the right or centred, at top + dy; word wrap or a carriage return lays it out in the
// rectangle.
void DrawCellText(TCanvas &canvas, const QRect &rect, int dx, int dy, TAlignment alignment,
                  const QString &text, bool wordWrap, bool rightToLeft = false);
// The same with dy from the vertical alignment and the height of "W".
void DrawCellTextEx(TCanvas &canvas, const QRect &rect, int dx, TAlignment alignment,
                    TVertAlignment vertAlignment, const QString &text, bool wordWrap,
                    bool rightToLeft = false);

// Whether one of this program's windows is the active window.
bool IsForegroundTask();
