#pragma once

#include "Graphics.h"
#include "ImgList.h"

#include <QRect>

// The marks of selected rows in the data grid's indicator column: a dot for a selected row, an
// arrow for the selected current row, on the fixed colour at the cell's right edge.
class TMxIndicatorMarks {
public:
  TMxIndicatorMarks();

  // Draws the mark into the indicator cell; `bothLines`: the grid draws row and column lines, so
  // the cell is inset by one pixel.
  void Draw(TCanvas &canvas, const QRect &cell, bool current, bool bothLines, bool rightToLeft,
            TColor background) const;

private:
  TImageList FImages;
};
