#pragma once

#include "MxButtonGlyph.h"

#include <QImage>

class TMxSpeedButton;

enum TGlyphKind { gkCustom, gkDefault, gkDropDown, gkEllipsis };

// What the button of an edit with a button shows, by kind: a glyph of its own (gkCustom), the
// edit's default picture with its number of images, the combo-box arrow, or three dots sized to
// the button.
class TEditButtonGlyph {
public:
  explicit TEditButtonGlyph(TMxSpeedButton *button) : FButton(button) {}

  TGlyphKind Kind() const { return FKind; }
  void SetKind(TGlyphKind value) { FKind = value; }
  // The images in the default picture (the date edit's has two).
  void SetDefNumGlyphs(int value) { FDefNumGlyphs = value; }
  // Gives the button the kind's glyph; `defaultGlyph` is the edit's picture for gkDefault
  // (nullptr: none, the button keeps its glyph).
  void Recreate(const QImage *defaultGlyph);
  // A glyph of the edit's own: the kind becomes gkCustom.
  void SetCustom(const QImage &value);
  // The count a kind fixes wins over the value.
  void SetNumGlyphs(TMxNumGlyphs value);

private:
  TMxSpeedButton *FButton;
  TGlyphKind FKind = gkCustom;
  int FDefNumGlyphs = 1;
};
