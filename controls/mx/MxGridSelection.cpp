#include "MxGridSelection.h"

#include "DB.h"

bool TMxGridSelection::SetEnabled(bool value) {
  if (value == FEnabled)
    return false;
  FEnabled = value;
  if (!value) {
    FRows.Clear();
    FSelecting = false;
  }
  return true;
}

void TMxGridSelection::Clear() {
  if (!FEnabled)
    return;
  FRows.Clear();
  FSelecting = false;
}

bool TMxGridSelection::BeforeStep(TDataSet *dataSet, bool extend, int direction) {
  if (!FEnabled)
    return false;
  if (!extend) {
    if (FClearSelection)
      FRows.Clear();
    FSelecting = false;
    return false;
  }
  if (!FSelecting) {
    FAnchor = dataSet->GetBookmark();
    FRows.SetCurrentRowSelected(true);
    FSelecting = true;
    return true;
  }
  // Moving back towards the anchor gives the current row up.
  const int order = dataSet->CompareBookmarks(dataSet->GetBookmark(), FAnchor);
  const bool selectReached = direction > 0 ? order >= 0 : order <= 0;
  if (!selectReached)
    FRows.SetCurrentRowSelected(false);
  return selectReached;
}

void TMxGridSelection::AfterStep(TDataSet *dataSet, bool selectReached) {
  if (selectReached && dataSet->State() == dsBrowse)
    FRows.SetCurrentRowSelected(true);
}

void TMxGridSelection::Click(bool ctrl) {
  if (!FEnabled)
    return;
  FSelecting = false;
  if (ctrl) {
    FRows.SetCurrentRowSelected(!FRows.CurrentRowSelected());
  } else {
    FRows.Clear();
    if (FClearSelection)
      FRows.SetCurrentRowSelected(true);
  }
}
