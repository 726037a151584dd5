#pragma once

#include "DBTypes.h"
#include "Graphics.h"

#include <QImage>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

// The glyph side of the speed button (MxCtrls): the glyph object, the shared glyph lists and the
// drawing of button faces.
enum TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };
enum TButtonStyle { bsAutoDetect, bsWin31, bsNew };
enum TMxDropDownMenuPos { dmpBottom, dmpRight };
// The glyph holds one image column per state, in this order.
enum TMxButtonState { rbsUp, rbsDisabled, rbsDown, rbsExclusive, rbsInactive };
using TMxNumGlyphs = int;

// The framework's new-style-controls flag: flat edges and the newer button frames.
inline bool NewStyleControls = true;

// An image list of one size whose freed slots are reused.
class TGlyphList {
public:
  TGlyphList(int width, int height) : FWidth(width), FHeight(height) {}
  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  // Stores the image with the pixels of the mask colour transparent; returns its slot.
  int AddMasked(const QImage &image, TColor maskColor);
  void Delete(int index);
  int Count() const { return FCount; }
  int Slots() const { return static_cast<int>(FImages.size()); }
  const QImage &Image(int index) const { return FImages.at(index); }

private:
  int AllocateIndex();

  int FWidth, FHeight;
  std::vector<QImage> FImages;
  std::vector<bool> FUsed;
  int FCount = 0;
};

// The process-wide store of glyph lists, shared by all glyphs of one size.
class TGlyphCache {
public:
  // The most recently added list of that size, else a new one.
  TGlyphList *GetList(int width, int height);
  // Frees the list when nothing is left in it.
  void ReturnList(TGlyphList *list);
  bool Empty() const { return FLists.empty(); }

private:
  std::vector<std::unique_ptr<TGlyphList>> FLists;
};

// The cache while any glyph object lives, else nullptr.
TGlyphCache *GlyphCache();

// Geometry of a laid-out button face.
struct TButtonLayoutResult {
  QPoint GlyphPos;
  QRect TextBounds;
  QString Caption;
};

// A button's glyph: up to five images (up, disabled, down, exclusive, inactive) cut from one
// bitmap, made on demand and cached in the shared glyph lists.
class TMxButtonGlyph {
public:
  TMxButtonGlyph();
  ~TMxButtonGlyph();
  TMxButtonGlyph(const TMxButtonGlyph &) = delete;
  TMxButtonGlyph &operator=(const TMxButtonGlyph &) = delete;

  const QImage &Glyph() const { return FOriginal; }
  void SetGlyph(const QImage &glyph);
  TMxNumGlyphs NumGlyphs() const { return FNumGlyphs; }
  void SetNumGlyphs(TMxNumGlyphs value);
  TColor TransparentColor() const { return FTransparentColor; }
  void SetTransparentColor(TColor value) { FTransparentColor = value; }
  bool WordWrap() const { return FWordWrap; }
  void SetWordWrap(bool value) { FWordWrap = value; }
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment value) { FAlignment = value; }
  std::function<void()> OnChange;

  // The cached image index of the state, made when missing; -1 for an empty glyph.
  int CreateButtonGlyph(TMxButtonState state);
  // Forgets the cached images (they are remade on demand).
  void Invalidate();
  TGlyphList *List() const { return FGlyphList; }
  QSize ImageSize() const;

  TButtonLayoutResult CalcButtonLayout(const TCanvas &canvas, const QRect &client, const QString &caption,
                                       TButtonLayout layout, int margin, int spacing, bool popupMark,
                                       int textFlags) const;
  // Draws glyph, caption and drop-down marker; returns the text rectangle.
  QRect DrawButton(TCanvas &canvas, const QRect &client, const QString &caption, TButtonLayout layout,
                   int margin, int spacing, bool popupMark, TMxButtonState state, int textFlags);

private:
  void GlyphChanged();
  QImage Column(int index) const;

  QImage FOriginal;
  TGlyphList *FGlyphList = nullptr;
  int FIndexes[5] = {-1, -1, -1, -1, -1};
  TColor FTransparentColor = clFuchsia;
  TMxNumGlyphs FNumGlyphs = 1;
  bool FWordWrap = false;
  TAlignment FAlignment = taCenter;
};

// The downward marker of a drop-down button: rows of 7, 5, 3 and 1 pixels from the row above y.
void DrawDropDownMark(TCanvas &canvas, int x, int y, TColor color);
// The button frame for the style; shrinks rect to the face.
void DrawButtonFrame(TCanvas &canvas, QRect &rect, bool down, bool flat, TButtonStyle style);
