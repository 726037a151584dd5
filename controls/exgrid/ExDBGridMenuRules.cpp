// The rules of the grid's option menu: its items and which of them the options show.
#include "ExDBGridMenuRules.h"

const std::array<TExMenuRow, ExMenuItemCount> &ExMenuRows() {
  static constexpr std::array<TExMenuRow, ExMenuItemCount> rows = {{
      {"Auto Size", exAutoSize, true},
      {"Auto Width", exAutoWidth, true},
      {"-", -1},
      {"Display Boolean", exDisplayBoolean, true},
      {"Display Images", exDisplayImages, true},
      {"Display Memo", exDisplayMemo, true},
      {"Display Date/Time", exDisplayDateTime, true},
      {"-", -1},
      {"Show Text Ellipsis", exShowTextEllipsis, true},
      {"Show Title Ellipsis", exShowTitleEllipsis, true},
      {"Full Size Memo", exFullSizeMemo, true},
      {"-", -1},
      {"Allow Row Sizing", exAllowRowSizing, true},
      {"Cell Hints", exCellHints, true},
      {"Multi Line Titles", exMultiLineTitles, true},
      {"Use Row Colors", exUseRowColors, true},
      {"Fixed Columns", exFixedColumns},
      {"-", -1},
      {"Print Grid", exPrintGrid},
      {"Print DataSet", exPrintDataSet},
      {"-", -1},
      {"Export Grid", exExportGrid},
      {"-", -1},
      {"Select All", exSelectAll},
      {"Unselect All", exUnSelectAll},
      {"-", -1},
      {"Query By Form", exQueryByForm},
      {"Sort By Form", exSortByForm},
      {"-", -1},
      {"Memo Editor Mode", exMemoInplaceEditors, true},
      {"RichEdit Editor Mode", exMemoInplaceEditors, true},
      {"-", exMemoInplaceEditors},
      {"Customize", exCustomize},
      {"Search Mode", exSearchMode, true},
      {"-", exSaveLayout},
      {"Save Layout", exSaveLayout},
      {"Load Layout", exLoadLayout},
  }};
  return rows;
}

std::vector<bool> ExMenuItemsShown(TExMenuOptions options) {
  std::vector<bool> shown;
  // A separator with no option of its own shows when any item of the group above it shows.
  bool groupShown = false;
  for (const TExMenuRow &row : ExMenuRows()) {
    const bool separator = row.Caption[0] == '-';
    if (row.Option < 0) {
      shown.push_back(groupShown);
      groupShown = false;
      continue;
    }
    const bool visible = options.Contains(TExMenuOption(row.Option));
    shown.push_back(visible);
    if (!separator)
      groupShown = groupShown || visible;
  }
  return shown;
}
