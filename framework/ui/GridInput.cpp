// TCustomGrid: keyboard, mouse, sizing and moving, and the in-place editor.
#include "Grids.h"

#include "Application.h"
#include "GridAxis.h"
#include "InplaceEdit.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>
#include <algorithm>

namespace {

// How near a boundary (in pixels) the mouse sizes a column or row.
constexpr int SizingMargin = 3;

} // namespace

// --- keyboard ---

void TCustomGrid::keyPressEvent(QKeyEvent *event) {
  event->accept();
  Guarded(this, [&] {
    int key = event->key();
    KeyDown(key, ShiftStateOf(event->modifiers()));
    if (key == Qt::Key_Escape) {
      event->ignore(); // nothing in the grid took it: the form's cancel button may
      return;
    }
    if (key == 0 || event->text().isEmpty())
      return;
    QChar ch = event->text().at(0);
    if (ch.isPrint() || ch == QChar('\r') || ch == QChar(27) || ch == QChar('\b'))
      KeyPress(ch);
  });
}

void TCustomGrid::keyReleaseEvent(QKeyEvent *event) {
  event->accept();
  Guarded(this, [&] {
    int key = event->key();
    KeyUp(key, ShiftStateOf(event->modifiers()));
  });
}

TGridCoord TCustomGrid::NextTabCell(bool forward) const {
  TGridCoord cell = FCurrent;
  const int step = forward ? 1 : -1;
  for (;;) {
    cell.X += step;
    if (cell.X >= ColCount()) {
      cell.X = FFixedCols;
      if (++cell.Y >= RowCount())
        return FCurrent;
    } else if (cell.X < FFixedCols) {
      cell.X = ColCount() - 1;
      if (--cell.Y < FFixedRows)
        return FCurrent;
    }
    if (cell == FCurrent)
      return FCurrent;
    if (FTabStops[size_t(cell.X)] && FColWidths[size_t(cell.X)] > 0)
      return cell;
  }
}

void TCustomGrid::KeyDown(int &Key, TShiftState Shift) {
  if (OnKeyDown)
    OnKeyDown(this, Key, Shift);
  if (Key != 0)
    NavigateByKey(Key, Shift);
}

void TCustomGrid::NavigateByKey(int &Key, TShiftState Shift) {
  const bool tab = Key == Qt::Key_Tab || Key == Qt::Key_Backtab;
  if (Key == Qt::Key_F2) {
    SetEditorMode(true);
    if (FInplaceEdit && FInplaceEdit->isVisible())
      FInplaceEdit->end(false);
  } else if ((FOptions & goRowSelect) && (Key == Qt::Key_Left || Key == Qt::Key_Right)) {
    SetLeftCol(FTopLeft.X + (Key == Qt::Key_Left ? -1 : 1));
  } else if (tab && (!(FOptions & goTabs) || (Shift & ssAlt))) {
    return;
  } else {
    TGridCoord target = FCurrent;
    if (!KeyTarget(Key, Shift, target))
      return;
    target.X = std::clamp(target.X, FFixedCols, ColCount() - 1);
    target.Y = std::clamp(target.Y, FFixedRows, RowCount() - 1);
    if (!(target == FCurrent))
      FocusCell(target.X, target.Y, tab || !(Shift & ssShift));
  }
  Key = 0;
}

bool TCustomGrid::KeyTarget(int key, TShiftState shift, TGridCoord &target) const {
  const bool ctrl = shift & ssCtrl;
  const int page = std::max(1, VisibleRowCount());
  auto visibleColumn = [this](int from, int step) {
    for (int c = from; c >= FFixedCols && c < ColCount(); c += step)
      if (FColWidths[size_t(c)] > 0)
        return c;
    return FCurrent.X;
  };
  switch (key) {
  case Qt::Key_Up: target.Y -= 1; return true;
  case Qt::Key_Down: target.Y += 1; return true;
  case Qt::Key_PageUp: target.Y = ctrl ? FTopLeft.Y : target.Y - page; return true;
  case Qt::Key_PageDown: target.Y = ctrl ? LastVisibleRow(true) : target.Y + page; return true;
  case Qt::Key_Left: target.X = visibleColumn(FCurrent.X - 1, -1); return true;
  case Qt::Key_Right: target.X = visibleColumn(FCurrent.X + 1, 1); return true;
  case Qt::Key_Home:
    target.X = visibleColumn(FFixedCols, 1);
    if (ctrl)
      target.Y = FFixedRows;
    return true;
  case Qt::Key_End:
    target.X = visibleColumn(ColCount() - 1, -1);
    if (ctrl)
      target.Y = RowCount() - 1;
    return true;
  case Qt::Key_Tab:
  case Qt::Key_Backtab: target = NextTabCell(key == Qt::Key_Tab && !(shift & ssShift)); return true;
  default: return false;
  }
}

void TCustomGrid::KeyPress(QChar &Key) {
  if (OnKeyPress)
    OnKeyPress(this, Key);
  if (Key.isNull())
    return;
  if (Key == QChar('\r')) {
    if (!(FOptions & goAlwaysShowEditor) && (FOptions & goEditing)) {
      SetEditorMode(!FEditorMode);
      Key = QChar();
    }
    return;
  }
  if (!FEditorMode && (FOptions & goEditing) && Key.isPrint())
    ShowEditorChar(Key);
}

void TCustomGrid::KeyUp(int &Key, TShiftState Shift) {
  if (OnKeyUp)
    OnKeyUp(this, Key, Shift);
}

// --- in-place editor ---

bool TCustomGrid::CanEditShow() {
  return (FOptions & (goRowSelect | goEditing)) == goEditing && FEditorMode &&
         ((FOptions & goAlwaysShowEditor) || IsActiveControl());
}

bool TCustomGrid::CanEditAcceptKey(QChar) { return true; }
bool TCustomGrid::CanEditModify() { return true; }
TEditStyle TCustomGrid::GetEditStyle(int, int) { return esSimple; }
QStringList TCustomGrid::GetPickList(int, int) { return {}; }
int TCustomGrid::GetDropDownRows(int, int) { return 7; }
QString TCustomGrid::GetEditText(int, int) { return {}; }
void TCustomGrid::SetEditText(int, int, const QString &) {}
int TCustomGrid::GetEditLimit() { return 0; }
void TCustomGrid::EditButtonClick() {}

TInplaceEdit *TCustomGrid::CreateEditor() { return new TInplaceEdit(this); }

void TCustomGrid::SetEditorMode(bool value) {
  if (value)
    ShowEditor();
  else
    HideEditor();
}

void TCustomGrid::ShowEditor() {
  FEditorMode = true;
  UpdateEdit();
}

void TCustomGrid::HideEditor() {
  FEditorMode = false;
  HideEdit();
}

void TCustomGrid::HideEdit() {
  if (!FInplaceEdit || !FInplaceEdit->isVisible())
    return;
  // The focus goes to the grid first, so that hiding the editor never looks like leaving the grid.
  if (IsActiveControl())
    setFocus(Qt::OtherFocusReason);
  UpdateText();
  FInplaceCell = {-1, -1};
  FInplaceEdit->Hide();
  InvalidateCell(FCurrent.X, FCurrent.Y);
}

void TCustomGrid::UpdateText() {
  if (FInplaceEdit && FInplaceCell.X >= 0 && FInplaceCell.Y >= 0)
    SetEditText(FInplaceCell.X, FInplaceCell.Y, FInplaceEdit->text());
}

void TCustomGrid::UpdateEdit() {
  if (!FEditorMode || !CanEditShow()) {
    HideEdit();
    return;
  }
  if (!FInplaceEdit) {
    FInplaceEdit = CreateEditor();
    FInplaceEdit->setFont(FFont.ToQFont());
  }
  if (!(FInplaceCell == FCurrent)) {
    if (FInplaceEdit->isVisible())
      UpdateText();
    FInplaceCell = FCurrent;
    FInplaceEdit->UpdateContents();
  }
  const QRect rect = CellRect(FCurrent.X, FCurrent.Y);
  if (rect.isEmpty()) {
    FInplaceEdit->hide();
    return;
  }
  const bool hadFocus = IsActiveControl();
  FInplaceEdit->Move(rect);
  if (hadFocus)
    FInplaceEdit->setFocus(Qt::OtherFocusReason);
}

void TCustomGrid::InvalidateEditor() {
  FInplaceCell = {-1, -1};
  UpdateEdit();
}

void TCustomGrid::ShowEditorChar(QChar Ch) {
  ShowEditor();
  if (FInplaceEdit && FInplaceEdit->isVisible())
    FInplaceEdit->TypeChar(Ch);
}

// --- mouse ---

void TCustomGrid::mousePressEvent(QMouseEvent *event) {
  const QPoint pos = event->position().toPoint();
  Guarded(this, [&] {
    MouseDown(MouseButtonOf(event->button()), ShiftStateOf(event->modifiers(), event->buttons()), pos.x(),
              pos.y());
  });
}

void TCustomGrid::mouseDoubleClickEvent(QMouseEvent *event) {
  const QPoint pos = event->position().toPoint();
  Guarded(this, [&] {
    MouseDown(MouseButtonOf(event->button()), ShiftStateOf(event->modifiers(), event->buttons()) | ssDouble,
              pos.x(), pos.y());
  });
}

void TCustomGrid::mouseMoveEvent(QMouseEvent *event) {
  const QPoint pos = event->position().toPoint();
  Guarded(this, [&] { MouseMove(ShiftStateOf(event->modifiers(), event->buttons()), pos.x(), pos.y()); });
}

void TCustomGrid::mouseReleaseEvent(QMouseEvent *event) {
  const QPoint pos = event->position().toPoint();
  Guarded(this, [&] {
    MouseUp(MouseButtonOf(event->button()), ShiftStateOf(event->modifiers(), event->buttons()), pos.x(),
            pos.y());
  });
}

void TCustomGrid::wheelEvent(QWheelEvent *event) {
  event->accept();
  const int delta = event->angleDelta().y();
  if (delta == 0)
    return;
  const TShiftState shift = ShiftStateOf(event->modifiers(), event->buttons());
  const QPoint pos = event->position().toPoint();
  const int steps = std::max(1, std::abs(delta) / 120);
  Guarded(this, [&] {
    for (int step = 0; step < steps; ++step) {
      if (delta < 0)
        DoMouseWheelDown(shift, pos);
      else
        DoMouseWheelUp(shift, pos);
    }
  });
}

bool TCustomGrid::MouseWheelEventHandled(bool down, TShiftState Shift, QPoint MousePos) {
  bool handled = false;
  const auto &event = down ? OnMouseWheelDown : OnMouseWheelUp;
  if (event)
    event(this, Shift, MousePos, handled);
  return handled;
}

bool TCustomGrid::DoMouseWheelDown(TShiftState Shift, QPoint MousePos) {
  if (!MouseWheelEventHandled(true, Shift, MousePos) && FCurrent.Y < RowCount() - 1)
    SetRow(FCurrent.Y + 1);
  return true;
}

bool TCustomGrid::DoMouseWheelUp(TShiftState Shift, QPoint MousePos) {
  if (!MouseWheelEventHandled(false, Shift, MousePos) && FCurrent.Y > FFixedRows)
    SetRow(FCurrent.Y - 1);
  return true;
}

void TCustomGrid::Click() {
  if (OnClick)
    OnClick(this);
}

void TCustomGrid::DblClick() {
  if (OnDblClick)
    OnDblClick(this);
}

bool TCustomGrid::CalcSizingState(int x, int y, TGridState &state, int &index, int &sizingPos,
                                  int &sizingOfs) const {
  const TGridAxis cols = ColAxis();
  const TGridAxis rows = RowAxis();
  auto find = [](const TGridAxis &axis, int pos, int &found, int &boundary) {
    for (const auto &[i, start] : axis.VisibleCells()) {
      const int edge = start + axis.Extent(i) + axis.LineAfter(i) / 2;
      if (std::abs(pos - edge) <= SizingMargin) {
        found = i;
        boundary = edge;
      }
    }
    return found >= 0;
  };
  int found = -1;
  int boundary = 0;
  if ((FOptions & goColSizing) && y < rows.FixedBoundary() && find(cols, x, found, boundary)) {
    state = gsColSizing;
    index = found;
    sizingPos = boundary;
    sizingOfs = boundary - x;
    return true;
  }
  found = -1;
  if ((FOptions & goRowSizing) && x < cols.FixedBoundary() && find(rows, y, found, boundary)) {
    state = gsRowSizing;
    index = found;
    sizingPos = boundary;
    sizingOfs = boundary - y;
    return true;
  }
  return false;
}

void TCustomGrid::UpdateCursor(int x, int y) {
  TGridState state = gsNormal;
  int index = 0, pos = 0, ofs = 0;
  if (CalcSizingState(x, y, state, index, pos, ofs))
    viewport()->setCursor(state == gsColSizing ? Qt::SplitHCursor : Qt::SplitVCursor);
  else
    viewport()->unsetCursor();
}

void TCustomGrid::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (!IsActiveControl() && focusPolicy() != Qt::NoFocus)
    setFocus(Qt::MouseFocusReason);
  if (Button == mbLeft && (Shift & ssDouble)) {
    DblClick();
  } else if (Button == mbLeft) {
    if (CalcSizingState(X, Y, FGridState, FSizingIndex, FSizingPos, FSizingOfs)) {
      HideEditor();
    } else {
      const TGridCoord cell = MouseCoord(X, Y);
      if (cell.X < 0) {
        // outside the cells
      } else if (cell.Y < FFixedRows && cell.X >= FFixedCols && (FOptions & goColMoving)) {
        FGridState = gsColMoving;
        FMoveIndex = FMovePos = cell.X;
      } else if (cell.X < FFixedCols && cell.Y >= FFixedRows && (FOptions & goRowMoving)) {
        FGridState = gsRowMoving;
        FMoveIndex = FMovePos = cell.Y;
      } else if (cell.X >= FFixedCols && cell.Y >= FFixedRows) {
        if ((FOptions & (goEditing | goAlwaysShowEditor)) == goEditing && cell == FCurrent &&
            !(Shift & ssShift)) {
          ShowEditor();
        } else {
          MoveCurrent(cell.X, cell.Y, !(Shift & ssShift), true);
          FGridState = gsSelecting;
        }
      }
    }
  }
  if (OnMouseDown)
    OnMouseDown(this, Button, Shift, X, Y);
}

void TCustomGrid::MouseMove(TShiftState Shift, int X, int Y) {
  switch (FGridState) {
  case gsSelecting: {
    const TGridCoord cell = MouseCoord(X, Y);
    if (cell.X >= FFixedCols && cell.Y >= FFixedRows && !(cell == FCurrent))
      MoveCurrent(cell.X, cell.Y, !(FOptions & goRangeSelect), true);
    break;
  }
  case gsColSizing: {
    const int start = ColAxis().Start(FSizingIndex);
    if (start >= 0)
      FColWidths[size_t(FSizingIndex)] = std::max(1, X + FSizingOfs - start);
    InvalidateGrid();
    break;
  }
  case gsRowSizing: {
    const int start = RowAxis().Start(FSizingIndex);
    if (start >= 0)
      FRowHeights[size_t(FSizingIndex)] = std::max(1, Y + FSizingOfs - start);
    InvalidateGrid();
    break;
  }
  case gsColMoving: {
    const int col = ColAxis().CellAt(X);
    if (col >= FFixedCols)
      FMovePos = col;
    break;
  }
  case gsRowMoving: {
    const int row = RowAxis().CellAt(Y);
    if (row >= FFixedRows)
      FMovePos = row;
    break;
  }
  default: UpdateCursor(X, Y); break;
  }
  if (OnMouseMove)
    OnMouseMove(this, Shift, X, Y);
}

void TCustomGrid::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  const TGridState state = FGridState;
  FGridState = gsNormal;
  switch (state) {
  case gsSelecting:
    UpdateEdit();
    Click();
    break;
  case gsColSizing: ColWidthsChanged(); break;
  case gsRowSizing: RowHeightsChanged(); break;
  case gsColMoving:
    if (FMovePos != FMoveIndex)
      MoveColumn(FMoveIndex, FMovePos);
    break;
  case gsRowMoving:
    if (FMovePos != FMoveIndex)
      MoveRow(FMoveIndex, FMovePos);
    break;
  default: break;
  }
  if (OnMouseUp)
    OnMouseUp(this, Button, Shift, X, Y);
}

// --- moving columns and rows ---

namespace {

template <class T> void MoveItem(std::vector<T> &items, int from, int to) {
  T item = items[size_t(from)];
  items.erase(items.begin() + from);
  items.insert(items.begin() + to, item);
}

// Where an index lands when the item at from moves to to.
int MovedIndex(int index, int from, int to) {
  if (index == from)
    return to;
  if (from < to && index > from && index <= to)
    return index - 1;
  if (from > to && index >= to && index < from)
    return index + 1;
  return index;
}

} // namespace

void TCustomGrid::MoveColumn(int FromIndex, int ToIndex) {
  if (FromIndex == ToIndex)
    return;
  HideEditor();
  MoveItem(FColWidths, FromIndex, ToIndex);
  MoveItem(FTabStops, FromIndex, ToIndex);
  FCurrent.X = MovedIndex(FCurrent.X, FromIndex, ToIndex);
  FAnchor.X = MovedIndex(FAnchor.X, FromIndex, ToIndex);
  ColumnMoved(FromIndex, ToIndex);
  InvalidateGrid();
  UpdateEdit();
}

void TCustomGrid::MoveRow(int FromIndex, int ToIndex) {
  if (FromIndex == ToIndex)
    return;
  HideEditor();
  MoveItem(FRowHeights, FromIndex, ToIndex);
  FCurrent.Y = MovedIndex(FCurrent.Y, FromIndex, ToIndex);
  FAnchor.Y = MovedIndex(FAnchor.Y, FromIndex, ToIndex);
  RowMoved(FromIndex, ToIndex);
  InvalidateGrid();
  UpdateEdit();
}
