// TMxDBGrid: properties, frozen columns, keys and mouse.
#include "MxDBCtrl.h"

#include "DB.h"
#include "DBUtils.h"
#include "Dialogs.h"
#include "Fields.h"
#include "InplaceEdit.h"
#include "MxCtlUtils.h"
#include "MxDBGridLayout.h"

#include <algorithm>

namespace {

constexpr int SizingMargin = 3;

} // namespace

TMxDBGrid::TMxDBGrid(QWidget *parent)
    : TDBGrid(parent), FSelection(SelectedRows()), FLayout(std::make_unique<TMxDBGridLayout>(*this)) {
  SetOptions(dgEditing | dgTitles | dgIndicator | dgColumnResize | dgColLines | dgRowLines | dgConfirmDelete |
             dgCancelOnExit);
}

TMxDBGrid::~TMxDBGrid() { FLayout.reset(); }

// --- properties ---

TDBGridOptions TMxDBGrid::Options() const {
  TDBGridOptions options = TDBGrid::Options();
  if (MultiSelect())
    options |= dgMultiSelect;
  return options;
}

void TMxDBGrid::SetOptions(TDBGridOptions value) {
  TDBGrid::SetOptions(value & ~dgMultiSelect);
  TGridOptions gridOptions = TCustomGrid::Options();
  if (!(value & dgColLines))
    gridOptions &= ~goFixedVertLine;
  if (!(value & dgRowLines))
    gridOptions &= ~goFixedHorzLine;
  TCustomGrid::SetOptions(gridOptions);
  SetMultiSelect(value & dgMultiSelect);
}

void TMxDBGrid::SetMultiSelect(bool value) {
  if (FSelection.SetEnabled(value))
    InvalidateGrid();
}

void TMxDBGrid::SetDefaultDrawing(bool value) {
  FDefaultDrawing = value;
  InvalidateGrid();
}

void TMxDBGrid::SetShowGlyphs(bool value) {
  if (value == FShowGlyphs)
    return;
  FShowGlyphs = value;
  InvalidateGrid();
}

void TMxDBGrid::SetTitleButtons(bool value) {
  if (value == FTitleButtons)
    return;
  FTitleButtons = value;
  InvalidateGrid();
  SetOptions(Options());
}

void TMxDBGrid::SetRowsHeight(int value) {
  if (value == DefaultRowHeight())
    return;
  SetDefaultRowHeight(value);
  if (Options() & dgTitles)
    SetRowHeights(0, value + 2);
  // The visible record count follows the new height.
  Resize();
}

TFormPlacement *TMxDBGrid::IniStorage() const { return FLayout->Storage(); }

void TMxDBGrid::SetIniStorage(TFormPlacement *value) { FLayout->SetStorage(value); }

void TMxDBGrid::SaveLayout(TIniObject IniObject, const QString &Section) {
  FLayout->Save(IniObject, Section);
}

void TMxDBGrid::RestoreLayout(TIniObject IniObject, const QString &Section) {
  FLayout->Restore(IniObject, Section);
}

// --- frozen columns ---

int TMxDBGrid::FixedCols() const {
  return LinkActive() ? TCustomGrid::FixedCols() - IndicatorOffset() : FFixedCols;
}

void TMxDBGrid::SetFixedCols(int value) {
  int count = std::max(value, 0) + IndicatorOffset();
  if (LinkActive() && IndicatorOffset() + 1 < ColCount()) {
    count = std::min(count, ColCount() - 1);
    TCustomGrid::SetFixedCols(count);
    for (int col = IndicatorOffset(); col < count; ++col)
      SetTabStops(col, false);
  }
  FFixedCols = count - IndicatorOffset();
}

void TMxDBGrid::SetColumnAttributes() {
  TDBGrid::SetColumnAttributes();
  SetFixedCols(FFixedCols);
}

int TMxDBGrid::FirstDataCol() const {
  for (int col = FixedCols() + IndicatorOffset(); col < ColCount(); ++col)
    if (ColWidths(col) > 0)
      return col;
  return ColCount() - 1;
}

void TMxDBGrid::KeepCursorOutOfFrozenColumns(int previousCol) {
  if (LinkActive() && FixedCols() > 0)
    SetCol(std::min(std::max(FirstDataCol(), previousCol), ColCount() - 1));
}

void TMxDBGrid::LayoutChanged() {
  const int previousCol = Col();
  TDBGrid::LayoutChanged();
  KeepCursorOutOfFrozenColumns(previousCol);
}

void TMxDBGrid::ColWidthsChanged() {
  const int previousCol = Col();
  TDBGrid::ColWidthsChanged();
  KeepCursorOutOfFrozenColumns(previousCol);
}

// --- editor ---

bool TMxDBGrid::CanEditShow() {
  bool result = TDBGrid::CanEditShow();
  TDataSet *dataSet = LinkActive() ? DataLink()->DataSet() : nullptr;
  if (result && dataSet && SelectedIndex() >= 0 && SelectedIndex() < FieldCount() &&
      SelectedIndex() < dataSet->FieldCount())
    result = GetImageIndex(SelectedField()) < 0;
  if (result && OnShowEditor)
    OnShowEditor(this, SelectedField(), result);
  return result;
}

TInplaceEdit *TMxDBGrid::CreateEditor() {
  TInplaceEdit *editor = TDBGrid::CreateEditor();
  connect(editor, &QLineEdit::textChanged, this, [this] { EditChanged(this); });
  return editor;
}

void TMxDBGrid::EditChanged(QObject *) {
  if (OnEditChange)
    OnEditChange(this);
}

// --- keys ---

void TMxDBGrid::KeyDown(int &Key, TShiftState Shift) {
  if (OnKeyDown)
    OnKeyDown(this, Key, Shift);
  if (Key == 0 || !LinkActive())
    return;
  if ((Shift & ssCtrl) ? CtrlKeyDown(Key) : PlainKeyDown(Key, Shift)) {
    Key = 0;
    return;
  }
  // The framework's handling must not fire OnKeyDown a second time.
  auto onKeyDown = std::move(OnKeyDown);
  OnKeyDown = nullptr;
  try {
    TDBGrid::KeyDown(Key, Shift);
  } catch (...) {
    OnKeyDown = std::move(onKeyDown);
    throw;
  }
  OnKeyDown = std::move(onKeyDown);
}

bool TMxDBGrid::CtrlKeyDown(int &Key) {
  switch (Key) {
  case Qt::Key_PageUp:
  case Qt::Key_PageDown:
  case Qt::Key_End:
  case Qt::Key_Home:
  case Qt::Key_Up:
  case Qt::Key_Down: FSelection.Clear(); return false;
  case Qt::Key_Left:
    if (FixedCols() <= 0)
      return false;
    MoveCol(FirstDataCol());
    return true;
  case Qt::Key_Delete:
    if (!CanModifyDataSet() || DataSetEmpty(DataLink()->DataSet()))
      return false;
    DeleteSelectedRecords();
    return true;
  default: return false;
  }
}

bool TMxDBGrid::PlainKeyDown(int &Key, TShiftState Shift) {
  const bool rowSelect = Options() & dgRowSelect;
  const bool frozen = FixedCols() > 0;
  switch (Key) {
  case Qt::Key_Home:
    if (frozen && ColCount() > IndicatorOffset() + 1 && !rowSelect) {
      MoveCol(FirstDataCol());
      return true;
    }
    [[fallthrough]];
  case Qt::Key_End:
    if (Columns().Count() == 0 || rowSelect)
      FSelection.Clear();
    return false;
  case Qt::Key_Left:
    if (frozen && !rowSelect && Col() <= FirstDataCol())
      return true;
    [[fallthrough]];
  case Qt::Key_Right:
    if (rowSelect)
      FSelection.Clear();
    return false;
  case Qt::Key_Up:
  case Qt::Key_Down:
    if (DataLink()->DataSet()->State() != dsBrowse)
      return false;
    DoSelection(Shift & ssShift, Key == Qt::Key_Down ? 1 : -1);
    return true;
  case Qt::Key_Escape:
  case Qt::Key_PageUp:
  case Qt::Key_PageDown: FSelection.Clear(); return false;
  case Qt::Key_Insert:
    if ((Options() & dgEditing) && CanModifyDataSet())
      FSelection.Clear();
    return false;
  case Qt::Key_Tab:
  case Qt::Key_Backtab:
    if (!(Shift & ssAlt))
      CheckTabWrap(Key == Qt::Key_Tab && !(Shift & ssShift));
    return false;
  default: return false;
  }
}

void TMxDBGrid::DoSelection(bool Select, int Direction) {
  TDataSet *dataSet = DataLink()->DataSet();
  BeginLayout();
  try {
    const bool selectReached = FSelection.BeforeStep(dataSet, Select, Direction);
    dataSet->MoveBy(Direction);
    if (Direction > 0 && dataSet->Eof() && CanModifyDataSet() && (Options() & dgEditing))
      dataSet->Append();
    FSelection.AfterStep(dataSet, selectReached);
  } catch (...) {
    EndLayout();
    throw;
  }
  EndLayout();
}

void TMxDBGrid::DeleteSelectedRecords() {
  const QString question = SelectedRows().Count() < 2 ? QStringLiteral("Delete record?")
                                                      : QStringLiteral("Delete all selected records?");
  if ((Options() & dgConfirmDelete) && MessageDlg(question, mtConfirmation, {mbYes, mbNo}) != mrYes)
    return;
  if (SelectedRows().Count() > 0)
    SelectedRows().Delete();
  else
    DataLink()->DataSet()->Delete();
}

void TMxDBGrid::CheckTabWrap(bool Forward) {
  if (!FSelection.Enabled())
    return;
  const int step = Forward ? 1 : -1;
  for (int col = Col() + step; col >= IndicatorOffset() && col < ColCount(); col += step)
    if (TabStops(col))
      return;
  FSelection.Clear();
}

// --- mouse ---

bool TMxDBGrid::OnSizingBorder(int X, int Y) const {
  if (!(Options() & dgColumnResize))
    return false;
  const TGridCoord cell = MouseCoord(X, Y);
  if (cell.X < 0 || cell.Y < 0 || cell.Y >= TitleRows())
    return false;
  const QRect rect = CellRect(cell.X, cell.Y);
  return rect.left() + rect.width() - X <= SizingMargin ||
         (cell.X > IndicatorOffset() && X - rect.left() <= SizingMargin);
}

void TMxDBGrid::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (!AcquireFocus())
    return;
  if (Button == mbLeft && (Shift & ssDouble)) {
    DblClick();
    return;
  }
  if (OnSizingBorder(X, Y)) {
    TDBGrid::MouseDown(Button, Shift, X, Y);
    return;
  }
  const TGridCoord cell = MouseCoord(X, Y);
  const bool titleCell = cell.X >= IndicatorOffset() && cell.Y >= 0 && cell.Y < TitleRows();
  if (FTitleButtons && LinkActive() && titleCell) {
    if (Button == mbRight && (Options() & dgColumnResize)) {
      // Columns are moved and sized with the right button as with the left one.
      FTitlePress.SwapButtons();
      TDBGrid::MouseDown(mbLeft, Shift, X, Y);
      return;
    }
    if (Button == mbLeft) {
      bool enabled = true;
      CheckTitleButton(cell.X - IndicatorOffset(), cell.Y, enabled);
      if (!enabled) {
        Beep();
        return;
      }
      FTitlePress.Start(cell.X);
      if (FTitlePress.Follow(TitleColAt(X, Y)))
        InvalidateTitles();
      return;
    }
  }
  const bool frozenCell =
      cell.X >= IndicatorOffset() && cell.X < IndicatorOffset() + FixedCols() && cell.Y >= TitleRows();
  if (frozenCell && LinkActive()) {
    // A frozen column moves the record only, as the indicator does.
    if (Options() & dgIndicator)
      TDBGrid::MouseDown(Button, Shift, CellRect(0, cell.Y).center().x(), Y);
    else if (cell.Y != Row())
      DataLink()->DataSet()->MoveBy(cell.Y - Row());
  } else {
    TDBGrid::MouseDown(Button, Shift, X, Y);
  }
  if (titleCell && (Options() & dgColumnResize))
    return;
  if (Button == mbLeft && LinkActive() && cell.Y >= TitleRows())
    FSelection.Click(Shift & ssCtrl);
}

int TMxDBGrid::TitleColAt(int X, int Y) const {
  if (!viewport()->rect().contains(X, Y))
    return -1;
  const TGridCoord cell = MouseCoord(X, Y);
  return cell.Y >= 0 && cell.Y < TitleRows() ? cell.X : -1;
}

void TMxDBGrid::InvalidateTitles() {
  for (int row = 0; row < TitleRows(); ++row)
    InvalidateRow(row);
}

void TMxDBGrid::StopTracking() {
  if (FTitlePress.Stop())
    InvalidateTitles();
}

void TMxDBGrid::MouseMove(TShiftState Shift, int X, int Y) {
  if (FTitlePress.Tracking() && FTitlePress.Follow(TitleColAt(X, Y)))
    InvalidateTitles();
  TDBGrid::MouseMove(Shift, X, Y);
}

void TMxDBGrid::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (FTitlePress.Tracking()) {
    const bool clicked = FTitlePress.ReleasedOnPressed(TitleColAt(X, Y));
    const int dataCol = FTitlePress.PressedCol() - IndicatorOffset();
    StopTracking();
    if (clicked && dataCol >= 0 && dataCol < Columns().Count())
      DoTitleClick(dataCol, Columns()[dataCol]->Field());
  }
  if (FTitlePress.EndSwap())
    Button = mbLeft;
  TDBGrid::MouseUp(Button, Shift, X, Y);
}

void TMxDBGrid::CheckTitleButton(int ACol, int, bool &Enabled) {
  if (ACol < 0 || ACol >= Columns().Count())
    Enabled = false;
  else if (OnCheckButton)
    OnCheckButton(this, ACol, Columns()[ACol]->Field(), Enabled);
}

void TMxDBGrid::DoTitleClick(int ACol, TField *AField) {
  if (OnTitleBtnClick)
    OnTitleBtnClick(this, ACol, AField);
}

// Losing the focus cancels a held title button, as a dialog popping up does.
void TMxDBGrid::DoExit() {
  StopTracking();
  TDBGrid::DoExit();
}

void TMxDBGrid::TopLeftChanged() {
  if ((Options() & dgRowSelect) && FDefaultDrawing)
    InvalidateRow(Row());
  TDBGrid::TopLeftChanged();
  StopTracking();
  if (OnTopLeftChanged)
    OnTopLeftChanged(this);
}
