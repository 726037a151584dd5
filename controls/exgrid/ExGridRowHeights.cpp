#include "ExGridRowHeights.h"

#include "ExDBGrid.h"

#include <QFontMetrics>

namespace {

constexpr int BaseLineHeight = 17;

} // namespace

TExGridRowHeights::TExGridRowHeights(TExDBGrid &grid, TExRowHeightSite &site) : FGrid(grid), FSite(site) {}

void TExGridRowHeights::SetDefaultRowHeight(int value) {
  if (value == FStoredRowHeight)
    return;
  FStoredRowHeight = value;
  if (value == 0) {
    FSite.Relayout();
    return;
  }
  ++FRowHeightChanges;
  FGrid.BeginLayout();
  try {
    FGrid.TCustomGrid::SetDefaultRowHeight(value);
    UpdateTitleHeight();
  } catch (...) {
    FGrid.EndLayout();
    --FRowHeightChanges;
    throw;
  }
  FGrid.EndLayout();
  --FRowHeightChanges;
}

void TExGridRowHeights::LayoutChanged() {
  // The base sizes rows from the font; a height set on the grid wins over that.
  if (FRowHeightChanges == 0 && FStoredRowHeight > 0 && FGrid.DefaultRowHeight() != FStoredRowHeight) {
    ++FRowHeightChanges;
    FGrid.TCustomGrid::SetDefaultRowHeight(FStoredRowHeight);
    FSite.RecountRows();
    --FRowHeightChanges;
  }
  UpdateTitleHeight();
  if (FMultiLineRows && FRowHeightChanges == 0)
    SetDefaultRowHeight(BaseLineHeight * FLinesPerRow);
}

void TExGridRowHeights::UpdateTitleHeight() {
  if (!(FGrid.Options() & dgTitles) || FGrid.RowCount() == 0)
    return;
  if (!FGrid.MultiLineTitles()) {
    FGrid.SetRowHeights(0, BaseLineHeight);
    return;
  }
  int tallest = 0;
  for (int i = 0; i < FGrid.Columns().Count(); ++i) {
    TColumn *column = FGrid.Columns()[i];
    if (!column->Visible())
      continue;
    const QFontMetrics metrics(column->Title().Font().ToQFont());
    const QRect bound(0, 0, std::max(1, column->Width() - 1), 10000);
    tallest =
        std::max(tallest, metrics.boundingRect(bound, Qt::TextWordWrap, column->Title().Caption()).height());
  }
  const int height = tallest + ((FGrid.Options() & dgRowLines) ? 3 : 2);
  FGrid.SetRowHeights(0, std::max(BaseLineHeight, height));
}

void TExGridRowHeights::SetMultiLineRows(bool value) {
  if (FMultiLineRows == value)
    return;
  FMultiLineRows = value;
  if (value)
    SetRowSizingAllowed(false);
  FSite.Relayout();
}

void TExGridRowHeights::SetLinesPerRow(int value) {
  if (FLinesPerRow == value || value < 1)
    return;
  FLinesPerRow = value;
  FSite.Relayout();
}

void TExGridRowHeights::SetRowSizingAllowed(bool value) {
  if (FRowSizingAllowed == value)
    return;
  FRowSizingAllowed = value;
  FRowSizingChanged = true;
  if (value)
    FMultiLineRows = false;
  FSite.ReapplyGridOptions();
}

void TExGridRowHeights::RowHeightsChanged() {
  if (!FRowSizingAllowed || FRowHeightChanges > 0)
    return;
  // A row the user dragged to another height sets the height of every row.
  for (int row = FGrid.TitleOffset(); row < FGrid.RowCount(); ++row)
    if (FGrid.RowHeights(row) != FGrid.DefaultRowHeight()) {
      SetDefaultRowHeight(FGrid.RowHeights(row));
      return;
    }
}

void TExGridRowHeights::FontChanged(const TFont &font) {
  // A font taller than the base line height makes the rows taller.
  const int height = QFontMetrics(font.ToQFont()).boundingRect(QStringLiteral("Wg")).height();
  if (height > BaseLineHeight && height != FFontHeight) {
    FFontHeight = height;
    SetDefaultRowHeight(height);
  }
}

TGridOptions TExGridRowHeights::AdjustGridOptions(TGridOptions Value) const {
  const TGridOptions rowOptions =
      goDrawFocusSelected | goColSizing | goRowMoving | goColMoving | goTabs | goThumbTracking;
  if (FRowSizingAllowed)
    Value |= rowOptions | goRowSizing;
  else if (FRowSizingChanged)
    Value = (Value | rowOptions) & ~TGridOptions(goRowSizing);
  return Value;
}
