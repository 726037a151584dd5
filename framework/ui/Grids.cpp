#include "Grids.h"

#include "Application.h"
#include "GridAxis.h"
#include "InplaceEdit.h"

#include <QApplication>
#include <QFocusEvent>
#include <QImage>
#include <QKeyEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>

namespace {

constexpr TColor FixedLineColor = clBtnShadow;
constexpr TColor LineColor = clSilver;

} // namespace

TCustomGrid::TCustomGrid(QWidget *parent) : QAbstractScrollArea(parent) {
  FOptions = goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine | goRangeSelect;
  FFont.Assign(font());
  FFont.OnChange = [this](TFont *) {
    if (FInplaceEdit)
      FInplaceEdit->setFont(FFont.ToQFont());
    viewport()->update();
  };
  setFocusPolicy(Qt::StrongFocus);
  viewport()->setMouseTracking(true);
  setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
  for (QScrollBar *bar : {horizontalScrollBar(), verticalScrollBar()}) {
    const Qt::Orientation orientation = bar->orientation();
    connect(bar, &QAbstractSlider::actionTriggered, this, [this, bar, orientation](int action) {
      if (FUpdatingScrollBars)
        return;
      const auto sliderAction = QAbstractSlider::SliderAction(action);
      if (sliderAction == QAbstractSlider::SliderMove && bar->isSliderDown() && !(FOptions & goThumbTracking))
        return;
      Guarded(this, [&] { ScrollBarAction(orientation, sliderAction, bar->sliderPosition()); });
      UpdateScrollRange();
    });
    connect(bar, &QAbstractSlider::sliderReleased, this, [this, bar, orientation] {
      Guarded(this,
              [&] { ScrollBarAction(orientation, QAbstractSlider::SliderMove, bar->sliderPosition()); });
      UpdateScrollRange();
    });
  }
  ChangeSize(5, 5);
}

TCustomGrid::~TCustomGrid() {
  // The editor goes while the grid is whole: its focus events reach the grid.
  FDestroying = true;
  delete FInplaceEdit;
}

TGridAxis TCustomGrid::MakeAxis(const std::vector<int> &extents, int fixedCount, int first,
                                TGridOptions fixedLines, TGridOptions lines, int clientExtent) const {
  TGridAxis axis;
  axis.Extents = &extents;
  axis.FixedCount = fixedCount;
  axis.First = first;
  axis.FixedLine = (FOptions & (fixedLines | lines)) ? FGridLineWidth : 0;
  axis.Line = (FOptions & lines) ? FGridLineWidth : 0;
  axis.ClientExtent = clientExtent;
  return axis;
}

TGridAxis TCustomGrid::ColAxis() const {
  return MakeAxis(FColWidths, FFixedCols, FTopLeft.X, goFixedVertLine, goVertLine, viewport()->width());
}

TGridAxis TCustomGrid::RowAxis() const {
  return MakeAxis(FRowHeights, FFixedRows, FTopLeft.Y, goFixedHorzLine, goHorzLine, viewport()->height());
}

// --- size and layout ---

void TCustomGrid::ChangeSize(int colCount, int rowCount) {
  const int oldCols = ColCount();
  const int oldRows = RowCount();
  FColWidths.resize(size_t(colCount), FDefaultColWidth);
  FTabStops.resize(size_t(colCount), true);
  FRowHeights.resize(size_t(rowCount), FDefaultRowHeight);
  auto clamp = [](TGridCoord &c, int minX, int minY, int maxX, int maxY) {
    c.X = std::clamp(c.X, minX, std::max(minX, maxX));
    c.Y = std::clamp(c.Y, minY, std::max(minY, maxY));
  };
  clamp(FCurrent, FFixedCols, FFixedRows, colCount - 1, rowCount - 1);
  clamp(FAnchor, FFixedCols, FFixedRows, colCount - 1, rowCount - 1);
  clamp(FTopLeft, FFixedCols, FFixedRows, colCount - 1, rowCount - 1);
  if (oldCols != colCount || oldRows != rowCount)
    SizeChanged(oldCols, oldRows);
  InvalidateGrid();
  UpdateScrollRange();
  UpdateEdit();
}

void TCustomGrid::SetColCount(int value) {
  if (value < 1)
    value = 1;
  if (value <= FFixedCols)
    SetFixedCols(value - 1);
  if (value != ColCount())
    ChangeSize(value, RowCount());
}

void TCustomGrid::SetRowCount(int value) {
  if (value < 1)
    value = 1;
  if (value <= FFixedRows)
    SetFixedRows(value - 1);
  if (value != RowCount())
    ChangeSize(ColCount(), value);
}

void TCustomGrid::SetFixedCols(int value) {
  if (value < 0 || value >= ColCount())
    throw EInvalidGridOperation(QStringLiteral("Fixed column count must be less than column count"));
  if (value == FFixedCols)
    return;
  FFixedCols = value;
  ChangeSize(ColCount(), RowCount());
}

void TCustomGrid::SetFixedRows(int value) {
  if (value < 0 || value >= RowCount())
    throw EInvalidGridOperation(QStringLiteral("Fixed row count must be less than row count"));
  if (value == FFixedRows)
    return;
  FFixedRows = value;
  ChangeSize(ColCount(), RowCount());
}

void TCustomGrid::SetColWidths(int index, int value) {
  if (FColWidths.at(size_t(index)) == value)
    return;
  FColWidths[size_t(index)] = value;
  ColWidthsChanged();
}

void TCustomGrid::SetRowHeights(int index, int value) {
  if (FRowHeights.at(size_t(index)) == value)
    return;
  FRowHeights[size_t(index)] = value;
  RowHeightsChanged();
}

void TCustomGrid::SetDefaultColWidth(int value) {
  FDefaultColWidth = value;
  std::fill(FColWidths.begin(), FColWidths.end(), value);
  ColWidthsChanged();
}

void TCustomGrid::SetDefaultRowHeight(int value) {
  FDefaultRowHeight = value;
  std::fill(FRowHeights.begin(), FRowHeights.end(), value);
  RowHeightsChanged();
}

void TCustomGrid::SetGridLineWidth(int value) {
  if (value == FGridLineWidth)
    return;
  FGridLineWidth = value;
  ColWidthsChanged();
}

void TCustomGrid::SetOptions(TGridOptions value) {
  if (value == FOptions)
    return;
  if (value & goRowSelect)
    value &= ~goAlwaysShowEditor;
  FOptions = value;
  if (!(FOptions & goEditing))
    HideEditor();
  else if (FOptions & goAlwaysShowEditor)
    ShowEditor();
  if (FOptions & goRowSelect)
    MoveCurrent(FCurrent.X, FCurrent.Y, true, false);
  InvalidateGrid();
  UpdateScrollRange();
  UpdateEdit();
}

void TCustomGrid::SetScrollBars(TScrollStyle value) {
  FScrollBars = value;
  UpdateScrollRange();
}

void TCustomGrid::SetBorderStyle(TBorderStyle value) {
  FBorderStyle = value;
  setFrameStyle(value == bsNone ? QFrame::NoFrame : QFrame::StyledPanel | QFrame::Sunken);
}

void TCustomGrid::SetDefaultDrawing(bool value) {
  if (value == FDefaultDrawing)
    return;
  FDefaultDrawing = value;
  InvalidateGrid();
}

void TCustomGrid::SetColor(TColor value) {
  if (value == FColor)
    return;
  FColor = value;
  InvalidateGrid();
}

void TCustomGrid::SetFixedColor(TColor value) {
  if (value == FFixedColor)
    return;
  FFixedColor = value;
  InvalidateGrid();
}

void TCustomGrid::ColWidthsChanged() {
  UpdateScrollRange();
  InvalidateGrid();
  UpdateEdit();
}

void TCustomGrid::RowHeightsChanged() {
  UpdateScrollRange();
  InvalidateGrid();
  UpdateEdit();
}

void TCustomGrid::SizeChanged(int, int) {}
void TCustomGrid::TopLeftChanged() {}
void TCustomGrid::ColumnMoved(int, int) {}
void TCustomGrid::RowMoved(int, int) {}
void TCustomGrid::Resize() {}

int TCustomGrid::VisibleColCount() const {
  const TGridAxis axis = ColAxis();
  return std::max(0, axis.LastVisible(true) - axis.First + 1);
}

int TCustomGrid::VisibleRowCount() const {
  const TGridAxis axis = RowAxis();
  return std::max(0, axis.LastVisible(true) - axis.First + 1);
}

int TCustomGrid::LastVisibleRow(bool fullOnly) const { return RowAxis().LastVisible(fullOnly); }
int TCustomGrid::MaxTopRow() const { return RowAxis().MaxFirst(); }
int TCustomGrid::MaxLeftCol() const { return ColAxis().MaxFirst(); }

QRect TCustomGrid::CellRect(int col, int row) const {
  const int x = ColAxis().Start(col);
  const int y = RowAxis().Start(row);
  if (x < 0 || y < 0)
    return {};
  return QRect(x, y, FColWidths[size_t(col)], FRowHeights[size_t(row)]);
}

TGridCoord TCustomGrid::MouseCoord(int x, int y) const {
  TGridCoord coord{ColAxis().CellAt(x), RowAxis().CellAt(y)};
  if (coord.X < 0 || coord.Y < 0)
    return {-1, -1};
  return coord;
}

void TCustomGrid::MouseToCell(int x, int y, int &col, int &row) const {
  const TGridCoord coord = MouseCoord(x, y);
  col = coord.X;
  row = coord.Y;
}

// --- current cell, selection and scrolling ---

TGridRect TCustomGrid::Selection() const {
  TGridRect rect{std::min(FAnchor.X, FCurrent.X), std::min(FAnchor.Y, FCurrent.Y),
                 std::max(FAnchor.X, FCurrent.X), std::max(FAnchor.Y, FCurrent.Y)};
  if (FOptions & goRowSelect) {
    rect.Left = FFixedCols;
    rect.Right = ColCount() - 1;
  }
  return rect;
}

void TCustomGrid::SetSelection(const TGridRect &value) {
  const TGridRect before = Selection();
  FAnchor = {value.Left, value.Top};
  FCurrent = {value.Right, value.Bottom};
  ClampInView(FCurrent);
  InvalidateSelection(before);
}

bool TCustomGrid::SelectCell(int, int) { return true; }

void TCustomGrid::SetCol(int value) {
  if (value != FCurrent.X)
    FocusCell(value, FCurrent.Y, true);
}

void TCustomGrid::SetRow(int value) {
  if (value != FCurrent.Y)
    FocusCell(FCurrent.X, value, true);
}

void TCustomGrid::SetLeftCol(int value) { MoveTopLeft(value, FTopLeft.Y); }
void TCustomGrid::SetTopRow(int value) { MoveTopLeft(FTopLeft.X, value); }

void TCustomGrid::MoveColRow(int col, int row, bool moveAnchor, bool show) {
  MoveCurrent(col, row, moveAnchor, show);
}

void TCustomGrid::FocusCell(int ACol, int ARow, bool MoveAnchor) {
  MoveCurrent(ACol, ARow, MoveAnchor, true);
  UpdateEdit();
  Click();
}

void TCustomGrid::MoveCurrent(int ACol, int ARow, bool MoveAnchor, bool Show) {
  if (ACol < 0 || ARow < 0 || ACol >= ColCount() || ARow >= RowCount())
    throw EInvalidGridOperation(QStringLiteral("Grid index out of range"));
  if (!SelectCell(ACol, ARow))
    return;
  const TGridRect before = Selection();
  const bool cellMoved = ACol != FCurrent.X || ARow != FCurrent.Y;
  if (cellMoved && !(FOptions & goAlwaysShowEditor))
    HideEditor();
  FCurrent = {ACol, ARow};
  if (MoveAnchor || !(FOptions & goRangeSelect))
    FAnchor = FCurrent;
  if (Show)
    ClampInView(FCurrent);
  InvalidateSelection(before);
  if (cellMoved)
    UpdateEdit();
}

void TCustomGrid::ClampInView(TGridCoord coord) {
  MoveTopLeft(ColAxis().FirstToShow(coord.X), RowAxis().FirstToShow(coord.Y));
}

void TCustomGrid::MoveTopLeft(int ALeft, int ATop) {
  ALeft = std::clamp(ALeft, FFixedCols, std::max(FFixedCols, MaxLeftCol()));
  ATop = std::clamp(ATop, FFixedRows, std::max(FFixedRows, MaxTopRow()));
  if (ALeft == FTopLeft.X && ATop == FTopLeft.Y)
    return;
  FTopLeft = {ALeft, ATop};
  InvalidateGrid();
  UpdateScrollRange();
  UpdateEdit();
  TopLeftChanged();
}

void TCustomGrid::UpdateScrollRange() {
  UpdateHorzScrollBar();
  UpdateVertScrollBar();
}

void TCustomGrid::UpdateHorzScrollBar() {
  FUpdatingScrollBars = true;
  const bool on = FScrollBars == ssHorizontal || FScrollBars == ssBoth;
  setHorizontalScrollBarPolicy(on ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
  QScrollBar *bar = horizontalScrollBar();
  bar->setRange(FFixedCols, std::max(FFixedCols, MaxLeftCol()));
  bar->setPageStep(std::max(1, VisibleColCount()));
  bar->setSliderPosition(FTopLeft.X);
  FUpdatingScrollBars = false;
}

void TCustomGrid::UpdateVertScrollBar() {
  SetVertScrollBar(FFixedRows, std::max(FFixedRows, MaxTopRow()), std::max(1, VisibleRowCount()), FTopLeft.Y);
}

void TCustomGrid::SetVertScrollBar(int minimum, int maximum, int page, int position) {
  FUpdatingScrollBars = true;
  const bool on = FScrollBars == ssVertical || FScrollBars == ssBoth;
  setVerticalScrollBarPolicy(on ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
  QScrollBar *bar = verticalScrollBar();
  bar->setRange(minimum, maximum);
  bar->setPageStep(page);
  bar->setSliderPosition(position);
  FUpdatingScrollBars = false;
}

void TCustomGrid::ScrollBarAction(Qt::Orientation Orientation, QAbstractSlider::SliderAction Action,
                                  int Position) {
  const bool vertical = Orientation == Qt::Vertical;
  const int first = vertical ? FTopLeft.Y : FTopLeft.X;
  const int page = std::max(1, vertical ? VisibleRowCount() : VisibleColCount());
  int target = first;
  switch (Action) {
  case QAbstractSlider::SliderSingleStepAdd: target = first + 1; break;
  case QAbstractSlider::SliderSingleStepSub: target = first - 1; break;
  case QAbstractSlider::SliderPageStepAdd: target = first + page; break;
  case QAbstractSlider::SliderPageStepSub: target = first - page; break;
  case QAbstractSlider::SliderToMinimum: target = 0; break;
  case QAbstractSlider::SliderToMaximum: target = vertical ? RowCount() : ColCount(); break;
  case QAbstractSlider::SliderMove: target = Position; break;
  default: return;
  }
  if (vertical)
    MoveTopLeft(FTopLeft.X, target);
  else
    MoveTopLeft(target, FTopLeft.Y);
}

void TCustomGrid::scrollContentsBy(int, int) {
  // The grid scrolls by cells through ScrollBarAction; the bars only mirror it.
}

// --- invalidation ---

void TCustomGrid::InvalidateGrid() { viewport()->update(); }

void TCustomGrid::InvalidateCell(int col, int row) { InvalidateRect({col, row, col, row}); }

void TCustomGrid::InvalidateRow(int row) { InvalidateRect({0, row, ColCount() - 1, row}); }

void TCustomGrid::InvalidateCol(int col) { InvalidateRect({col, 0, col, RowCount() - 1}); }

void TCustomGrid::InvalidateRect(const TGridRect &rect) {
  const TGridAxis cols = ColAxis();
  const TGridAxis rows = RowAxis();
  QRect area;
  for (const auto &[row, y] : rows.VisibleCells()) {
    if (row < rect.Top || row > rect.Bottom)
      continue;
    for (const auto &[col, x] : cols.VisibleCells())
      if (col >= rect.Left && col <= rect.Right)
        area |= QRect(x, y, cols.Span(col), rows.Span(row));
  }
  if (!area.isEmpty())
    viewport()->update(area);
}

void TCustomGrid::InvalidateSelection(const TGridRect &before) {
  const TGridRect after = Selection();
  if (before == after)
    return;
  InvalidateRect(before);
  InvalidateRect(after);
}

// --- painting ---

TCanvas &TCustomGrid::Canvas() {
  if (FCanvas)
    return *FCanvas;
  if (!FMeasureCanvas) {
    FMeasureImage = std::make_unique<QImage>(1, 1, QImage::Format_RGB32);
    FMeasureCanvas = std::make_unique<TCanvas>(FMeasureImage.get(), &palette());
  }
  FMeasureCanvas->Font = FFont;
  return *FMeasureCanvas;
}

void TCustomGrid::paintEvent(QPaintEvent *event) {
  QPainter painter(viewport());
  PaintInto(painter, event->rect());
}

void TCustomGrid::PaintInto(QPainter &painter, const QRect &clip) {
  painter.setClipRect(clip);
  TCanvas canvas(painter, &palette());
  FCanvas = &canvas;
  Guarded(this, [&] {
    canvas.Brush.Color = FColor;
    canvas.FillRect(clip);
    Paint();
  });
  FCanvas = nullptr;
}

void TCustomGrid::Paint() {
  const QRect clip = FCanvas->Painter().clipBoundingRect().toAlignedRect();
  DrawCells(clip);
  DrawLines(clip);
}

TGridDrawState TCustomGrid::CellState(int col, int row, bool focused) const {
  TGridDrawState state;
  if (col < FFixedCols || row < FFixedRows)
    return gdFixed;
  if (focused && col == FCurrent.X && row == FCurrent.Y)
    state |= gdFocused;
  if (Selection().Contains(col, row))
    state |= gdSelected;
  return state;
}

void TCustomGrid::DrawCells(const QRect &clip) {
  TCanvas &canvas = *FCanvas;
  const bool focused = IsActiveControl();
  const bool editorShown = FInplaceEdit && FInplaceEdit->isVisible();
  const std::vector<std::pair<int, int>> cols = ColAxis().VisibleCells();
  for (const auto &[row, y] : RowAxis().VisibleCells()) {
    for (const auto &[col, x] : cols) {
      const QRect where(x, y, FColWidths[size_t(col)], FRowHeights[size_t(row)]);
      if (!where.intersects(clip))
        continue;
      const TGridDrawState state = CellState(col, row, focused);
      if (editorShown && col == FInplaceCell.X && row == FInplaceCell.Y)
        continue;
      canvas.Font = FFont;
      if (state & gdFixed) {
        canvas.Brush.Color = FFixedColor;
      } else if ((state & gdSelected) &&
                 (!(state & gdFocused) || (FOptions & (goDrawFocusSelected | goRowSelect)))) {
        canvas.Brush.Color = clHighlight;
        canvas.Font.SetColor(clHighlightText);
      } else {
        canvas.Brush.Color = FColor;
      }
      canvas.Brush.Style = bsSolid;
      if (FDefaultDrawing)
        canvas.FillRect(where);
      DrawCell(col, row, where, state);
      if (FDefaultDrawing && (state & gdFixed) && (FOptions & (goFixedVertLine | goFixedHorzLine))) {
        QRect edge = where;
        Frame3D(canvas, edge, clBtnHighlight, clBtnShadow, 1);
      }
      const bool editorAlwaysOn =
          (FOptions & (goEditing | goAlwaysShowEditor)) == (goEditing | goAlwaysShowEditor);
      if (FDefaultDrawing && (state & gdFocused) && !editorAlwaysOn && !(FOptions & goRowSelect))
        canvas.DrawFocusRect(where);
    }
  }
}

void TCustomGrid::DrawLines(const QRect &clip) {
  TCanvas &canvas = *FCanvas;
  const TGridAxis colAxis = ColAxis();
  const TGridAxis rowAxis = RowAxis();
  const std::vector<std::pair<int, int>> cols = colAxis.VisibleCells();
  for (const auto &[row, y] : rowAxis.VisibleCells()) {
    const int h = FRowHeights[size_t(row)];
    const int hLine = rowAxis.LineAfter(row);
    for (const auto &[col, x] : cols) {
      const int w = FColWidths[size_t(col)];
      const int vLine = colAxis.LineAfter(col);
      if (!QRect(x, y, w + vLine, h + hLine).intersects(clip))
        continue;
      const bool fixed = col < FFixedCols || row < FFixedRows;
      if (vLine > 0) {
        const bool drawn = fixed ? bool(FOptions & goFixedVertLine) : bool(FOptions & goVertLine);
        canvas.Brush.Color = drawn ? (fixed ? FixedLineColor : LineColor) : (fixed ? FFixedColor : FColor);
        canvas.FillRect(QRect(x + w, y, vLine, h + hLine));
      }
      if (hLine > 0) {
        const bool drawn = fixed ? bool(FOptions & goFixedHorzLine) : bool(FOptions & goHorzLine);
        canvas.Brush.Color = drawn ? (fixed ? FixedLineColor : LineColor) : (fixed ? FFixedColor : FColor);
        canvas.FillRect(QRect(x, y + h, w, hLine));
      }
    }
  }
}

void TCustomGrid::DrawCell(int, int, const QRect &, TGridDrawState) {}

bool TCustomGrid::viewportEvent(QEvent *event) {
  // The client area is the viewport; it also changes when a scroll bar comes or goes.
  if (event->type() == QEvent::Resize)
    ClientResized();

  return QAbstractScrollArea::viewportEvent(event);
}

void TCustomGrid::ClientResized() {
  Guarded(this, [&] {
    // Settling the scroll bars may change the client area again (without a new event).
    for (int pass = 0; pass < 3; ++pass) {
      const QSize before = viewport()->size();
      UpdateScrollRange();
      Resize();
      MoveTopLeft(FTopLeft.X, FTopLeft.Y);
      UpdateEdit();
      if (viewport()->size() == before)
        break;
    }
  });
}

// --- focus ---

bool TCustomGrid::IsActiveControl() const {
  const QWidget *focus = QApplication::focusWidget();
  if (!focus)
    return false;
  return focus == this || focus == viewport() || (FInplaceEdit && FInplaceEdit->OwnsWidget(focus));
}

void TCustomGrid::focusInEvent(QFocusEvent *event) {
  QAbstractScrollArea::focusInEvent(event);
  FocusWithinChanged();
}

void TCustomGrid::focusOutEvent(QFocusEvent *event) {
  QAbstractScrollArea::focusOutEvent(event);
  FocusWithinChanged();
}

void TCustomGrid::FocusWithinChanged() {
  if (FDestroying)
    return;
  const bool inside = IsActiveControl();
  if (inside == FFocusWithin)
    return;
  FFocusWithin = inside;
  InvalidateRect(Selection());
  Guarded(this, [&] {
    if (inside) {
      DoEnter();
      if (FOptions & goAlwaysShowEditor)
        ShowEditor();
    } else {
      DoExit();
    }
  });
}

void TCustomGrid::DoEnter() {
  if (OnEnter)
    OnEnter(this);
}

void TCustomGrid::DoExit() {
  if (OnExit)
    OnExit(this);
}

bool TCustomGrid::focusNextPrevChild(bool next) {
  if (FOptions & goTabs)
    return false;
  return QAbstractScrollArea::focusNextPrevChild(next);
}
