#pragma once

#include "BookmarkList.h"

class TDataSet;

// The data grid's own multi-row selection over its bookmark list: whether it is on, whether a
// plain click selects the clicked row, and the anchor of a selection that Shift with Up or Down
// extends. The grid tells it about the steps and clicks; the bookmarks stay in the list.
class TMxGridSelection {
public:
  explicit TMxGridSelection(TBookmarkList &rows) : FRows(rows) {}

  bool Enabled() const { return FEnabled; }
  // Switching it off clears the selection; true when the setting changed.
  bool SetEnabled(bool value);
  // A plain click selects its row (otherwise it only clears the selection).
  bool ClearSelection() const { return FClearSelection; }
  void SetClearSelection(bool value) { FClearSelection = value; }

  // When on: no row stays selected and a Shift-selection ends.
  void Clear();
  // On, and the dataset's current record is selected.
  bool CurrentRowSelected() const { return FEnabled && FRows.CurrentRowSelected(); }
  // Before the dataset moves `direction` records (1 down, -1 up), with Shift held (`extend`) or
  // not; true when the record reached must then be selected.
  bool BeforeStep(TDataSet *dataSet, bool extend, int direction);
  // After the step, when BeforeStep asked for it and the dataset browses.
  void AfterStep(TDataSet *dataSet, bool selectReached);
  // A left click on a data row: Ctrl toggles the row; otherwise the selection becomes the row, or
  // nothing without ClearSelection.
  void Click(bool ctrl);

private:
  TBookmarkList &FRows;
  bool FEnabled = false;
  bool FClearSelection = true;
  bool FSelecting = false;
  TBookmark FAnchor;
};
