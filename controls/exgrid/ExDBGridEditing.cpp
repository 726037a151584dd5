// Which cells of TExDBGrid take the base's text editor.
#include "ExDBGrid.h"

#include "DB.h"
#include "ExDBGridEditors.h"
#include "ExDBGridFieldKinds.h"
#include "InplaceEdit.h"

void TExDBGrid::ChangeEditorRule(bool &member, bool value) {
  if (member == value)
    return;
  member = value;
  ApplyColumnEnterRules();
  InvalidateGrid();
}

void TExDBGrid::SetDisplayBoolean(bool value) { ChangeEditorRule(FPainter.Look().DisplayBoolean, value); }
void TExDBGrid::SetDisplayImages(bool value) {
  FPainter.ClearPictures();
  ChangeEditorRule(FPainter.Look().DisplayImages, value);
}

void TExDBGrid::SetDisplayDateTime(bool value) {
  if (!value)
    FEditors->HideDatePicker(false);
  ChangeEditorRule(FDisplayDateTime, value);
}

void TExDBGrid::SetDisplayMemo(bool value) {
  if (DisplayMemo() == value)
    return;
  FPainter.Look().DisplayMemo = value;
  if (!value)
    FFullSizeMemo = false;
  InvalidateGrid();
}

void TExDBGrid::ColEnter() {
  ApplyColumnEnterRules();
  // A lookup column drops its list down as soon as it is entered.
  TField *field = DataLink()->Active() ? SelectedField() : nullptr;
  if (field && field->Lookup() && isActiveWindow() && (Options() & dgEditing)) {
    ShowEditor();
    if (InplaceEditor() && InplaceEditor()->isVisible())
      InplaceEditor()->DropDown();
    else
      HideEditor();
  }
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
  UpdateGridOptions();
}

TGridOptions TExDBGrid::AdjustGridOptions(TGridOptions Value) {
  Value = FRowHeights.AdjustGridOptions(Value);
  // Check-box, picture, memo and date columns have editors of their own, whatever the options say.
  TField *field = DataLink()->Active() ? SelectedField() : nullptr;
  if (field && CanModifyDataSet() &&
      (IsBooleanField(field) || IsBlobKind(field) || IsMemoKind(field) ||
       (FDisplayDateTime && IsDateTimeKind(field))))
    Value &= ~TGridOptions(goEditing);
  return Value;
}
