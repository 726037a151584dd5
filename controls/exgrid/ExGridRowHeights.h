#pragma once

#include "Graphics.h"
#include "Grids.h"

class TExDBGrid;

// What the row heights ask their grid beyond its public API.
class TExRowHeightSite {
public:
  // The base grid's layout pass, and the grid's own after it.
  virtual void Relayout() = 0;
  // The number of data rows that fit, worked out again.
  virtual void RecountRows() = 0;
  // The grid options worked out again from the data grid's options.
  virtual void ReapplyGridOptions() = 0;

protected:
  ~TExRowHeightSite() = default;
};

// The row heights of a TExDBGrid: a default height set on the grid that wins over the one the base
// works out from the font, rows taller for a taller font, multi-line rows of LinesPerRow lines,
// rows the user sizes (one dragged row sets the height of every row), and a title row tall enough
// for word-wrapped titles.
class TExGridRowHeights {
public:
  TExGridRowHeights(TExDBGrid &grid, TExRowHeightSite &site);

  // 0 goes back to the height the base works out from the font.
  void SetDefaultRowHeight(int value);
  bool MultiLineRows() const { return FMultiLineRows; }
  void SetMultiLineRows(bool value);
  int LinesPerRow() const { return FLinesPerRow; }
  void SetLinesPerRow(int value);
  bool RowSizingAllowed() const { return FRowSizingAllowed; }
  void SetRowSizingAllowed(bool value);

  // After the base's layout pass.
  void LayoutChanged();
  // After the base saw a row change its height.
  void RowHeightsChanged();
  void FontChanged(const TFont &font);
  // The grid options with the row sizing options added or taken away.
  TGridOptions AdjustGridOptions(TGridOptions Value) const;

private:
  void UpdateTitleHeight();

  TExDBGrid &FGrid;
  TExRowHeightSite &FSite;
  int FStoredRowHeight = 0;
  // Height changes under way: the layout passes they cause keep the heights as they are.
  int FRowHeightChanges = 0;
  bool FMultiLineRows = false;
  int FLinesPerRow = 1;
  bool FRowSizingAllowed = false;
  bool FRowSizingChanged = false;
  int FFontHeight = 0;
};
