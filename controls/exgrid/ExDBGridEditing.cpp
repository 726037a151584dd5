// Which cells of TExDBGrid take the base's text editor.
#include "ExDBGrid.h"

#include "DB.h"
#include "ExDBGridFieldKinds.h"

void TExDBGrid::ChangeEditorRule(bool &member, bool value) {
  if (member == value)
    return;
  member = value;
  ApplyColumnEnterRules();
  InvalidateGrid();
}

void TExDBGrid::SetDisplayBoolean(bool value) { ChangeEditorRule(FDisplayBoolean, value); }
void TExDBGrid::SetDisplayImages(bool value) { ChangeEditorRule(FDisplayImages, value); }

void TExDBGrid::SetDisplayDateTime(bool value) {
  if (!value)
    HideDatePicker(false);
  ChangeEditorRule(FDisplayDateTime, value);
}

void TExDBGrid::SetDisplayMemo(bool value) {
  if (FDisplayMemo == value)
    return;
  FDisplayMemo = value;
  if (!value)
    FFullSizeMemo = false;
  InvalidateGrid();
}

void TExDBGrid::ColEnter() {
  ApplyColumnEnterRules();
  TDBGrid::ColEnter();
}

void TExDBGrid::ApplyColumnEnterRules() {
  if (!DataLink()->Active())
    return;
  // Locked columns are never current: the first column after them is.
  if (Col() < FixedCols() && FixedCols() < ColCount()) {
    SetSelectedIndex(FixedCols() - IndicatorOffset());
    return;
  }
  TField *field = SelectedField();
  if (!field || !CanModifyDataSet())
    return;
  const bool ownEditor = IsBooleanField(field) || IsBlobKind(field) || IsMemoKind(field) ||
                         (FDisplayDateTime && IsDateTimeKind(field));
  const TGridOptions options = TCustomGrid::Options();
  TCustomGrid::SetOptions(ownEditor                 ? options & ~TGridOptions(goEditing)
                          : (Options() & dgEditing) ? options | goEditing
                                                    : options);
}
