#pragma once

#include "Graphics.h"

#include <QRect>
#include <QSize>

enum class TFlatCheckBoxType { Normal, Bold, None };

// How a check-box cell draws its box.
struct TCheckBoxLook {
  bool Flat = true;
  TFlatCheckBoxType FrameType = TFlatCheckBoxType::Normal;
  TColor CellColor = clWindow; // the cell's brush: the frame of type None
  TColor TickColor = clBlack;
};

// The box of a check-box cell: one cell of the system check-box picture.
constexpr QSize GridCheckBoxSize() { return QSize(13, 13); }

// The tick takes the cell's font colour only where that colour differs from the one the cell would
// have anyway: black on an unselected cell, HighlightFontColor on a selected one.
TColor GridTickColor(TColor fontColor, bool highlighted, TColor highlightFontColor);

// Draws the box centred in the cell, ticked or not.
void DrawGridCheckBox(TCanvas &canvas, const QRect &cell, bool checked, const TCheckBoxLook &look);
