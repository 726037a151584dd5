// Row heights and title painting of TExDBGrid: multi-line titles and rows, row sizing, ellipsis.
#include "ExDBGrid.h"

#include <QFontMetrics>

namespace {

constexpr int BaseLineHeight = 17;

} // namespace

void TExDBGrid::SetDefaultRowHeight(int value) {
  if (value == FStoredRowHeight)
    return;
  FStoredRowHeight = value;
  if (value == 0) {
    LayoutChanged();
    return;
  }
  ++FRowHeightChanges;
  BeginLayout();
  try {
    TCustomGrid::SetDefaultRowHeight(value);
    UpdateTitleHeight();
  } catch (...) {
    EndLayout();
    --FRowHeightChanges;
    throw;
  }
  EndLayout();
  --FRowHeightChanges;
}

void TExDBGrid::LayoutChanged() {
  TDBGrid::LayoutChanged();
  // The base sizes rows from the font; a height set on the grid wins over that.
  if (FRowHeightChanges == 0 && FStoredRowHeight > 0 && DefaultRowHeight() != FStoredRowHeight) {
    ++FRowHeightChanges;
    TCustomGrid::SetDefaultRowHeight(FStoredRowHeight);
    UpdateRowCount();
    --FRowHeightChanges;
  }
  UpdateTitleHeight();
  if (FMultiLineRows && FRowHeightChanges == 0)
    SetDefaultRowHeight(BaseLineHeight * FLinesPerRow);
}

void TExDBGrid::UpdateTitleHeight() {
  if (!(Options() & dgTitles) || RowCount() == 0)
    return;
  if (!MultiLineTitles()) {
    SetRowHeights(0, BaseLineHeight);
    return;
  }
  int tallest = 0;
  for (int i = 0; i < Columns().Count(); ++i) {
    TColumn *column = Columns()[i];
    if (!column->Visible())
      continue;
    const QFontMetrics metrics(column->Title().Font().ToQFont());
    const QRect bound(0, 0, std::max(1, column->Width() - 1), 10000);
    tallest =
        std::max(tallest, metrics.boundingRect(bound, Qt::TextWordWrap, column->Title().Caption()).height());
  }
  const int height = tallest + ((Options() & dgRowLines) ? 3 : 2);
  SetRowHeights(0, std::max(BaseLineHeight, height));
}

void TExDBGrid::SetMultiLineTitles(bool value) {
  if (MultiLineTitles() == value)
    return;
  FPainter.Look().MultiLineTitles = value;
  LayoutChanged();
}

void TExDBGrid::SetShowTitleEllipsis(bool value) { Change(FPainter.Look().ShowTitleEllipsis, value); }

void TExDBGrid::SetMultiLineRows(bool value) {
  if (FMultiLineRows == value)
    return;
  FMultiLineRows = value;
  if (value)
    SetRowSizingAllowed(false);
  LayoutChanged();
}

void TExDBGrid::SetLinesPerRow(int value) {
  if (FLinesPerRow == value || value < 1)
    return;
  FLinesPerRow = value;
  LayoutChanged();
}

void TExDBGrid::SetRowSizingAllowed(bool value) {
  if (FRowSizingAllowed == value)
    return;
  FRowSizingAllowed = value;
  FRowSizingChanged = true;
  if (value)
    FMultiLineRows = false;
  UpdateGridOptions();
}

void TExDBGrid::RowHeightsChanged() {
  TDBGrid::RowHeightsChanged();
  if (!FRowSizingAllowed || FRowHeightChanges > 0)
    return;
  // A row the user dragged to another height sets the height of every row.
  for (int row = TitleOffset(); row < RowCount(); ++row)
    if (RowHeights(row) != DefaultRowHeight()) {
      SetDefaultRowHeight(RowHeights(row));
      return;
    }
}
