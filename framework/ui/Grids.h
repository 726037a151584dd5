#pragma once

#include "Controls.h"
#include "Exceptions.h"
#include "Forms.h"
#include "Graphics.h"

#include <QAbstractScrollArea>
#include <QAbstractSlider>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

class TInplaceEdit;
class TGridAxis;

class EInvalidGridOperation : public Exception {
public:
  using Exception::Exception;
};

struct TGridCoord {
  int X = 0;
  int Y = 0;
  bool operator==(const TGridCoord &) const = default;
};

struct TGridRect {
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Bottom = 0;
  bool Contains(int col, int row) const { return col >= Left && col <= Right && row >= Top && row <= Bottom; }
  bool operator==(const TGridRect &) const = default;
};

enum TGridOption {
  goFixedVertLine = 1 << 0,
  goFixedHorzLine = 1 << 1,
  goVertLine = 1 << 2,
  goHorzLine = 1 << 3,
  goRangeSelect = 1 << 4,
  goDrawFocusSelected = 1 << 5,
  goRowSizing = 1 << 6,
  goColSizing = 1 << 7,
  goRowMoving = 1 << 8,
  goColMoving = 1 << 9,
  goEditing = 1 << 10,
  goTabs = 1 << 11,
  goRowSelect = 1 << 12,
  goAlwaysShowEditor = 1 << 13,
  goThumbTracking = 1 << 14,
};
Q_DECLARE_FLAGS(TGridOptions, TGridOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(TGridOptions)

enum TGridDrawStateFlag { gdSelected = 1, gdFocused = 2, gdFixed = 4 };
Q_DECLARE_FLAGS(TGridDrawState, TGridDrawStateFlag)
Q_DECLARE_OPERATORS_FOR_FLAGS(TGridDrawState)

enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };
using TBorderStyle = TFormBorderStyle; // bsNone or bsSingle
enum TEditStyle { esSimple, esEllipsis, esPickList };
enum TGridState { gsNormal, gsSelecting, gsRowSizing, gsColSizing, gsRowMoving, gsColMoving };

// The class library's grid: a table of cells that descendants draw themselves (DrawCell), with
// fixed rows and columns, keyboard and mouse navigation, sizing and moving of rows and columns, and
// an in-place editor. Columns or rows of width/height 0 or less are hidden.
class TCustomGrid : public QAbstractScrollArea {
public:
  explicit TCustomGrid(QWidget *parent = nullptr);
  ~TCustomGrid() override;

  int ColCount() const { return int(FColWidths.size()); }
  void SetColCount(int value);
  int RowCount() const { return int(FRowHeights.size()); }
  void SetRowCount(int value);
  int FixedCols() const { return FFixedCols; }
  void SetFixedCols(int value);
  int FixedRows() const { return FFixedRows; }
  void SetFixedRows(int value);
  int Col() const { return FCurrent.X; }
  void SetCol(int value);
  int Row() const { return FCurrent.Y; }
  void SetRow(int value);
  int LeftCol() const { return FTopLeft.X; }
  void SetLeftCol(int value);
  int TopRow() const { return FTopLeft.Y; }
  void SetTopRow(int value);
  // Fully visible scrollable columns and rows.
  int VisibleColCount() const;
  int VisibleRowCount() const;
  int ColWidths(int index) const { return FColWidths.at(size_t(index)); }
  void SetColWidths(int index, int value);
  int RowHeights(int index) const { return FRowHeights.at(size_t(index)); }
  void SetRowHeights(int index, int value);
  int DefaultColWidth() const { return FDefaultColWidth; }
  void SetDefaultColWidth(int value);
  int DefaultRowHeight() const { return FDefaultRowHeight; }
  void SetDefaultRowHeight(int value);
  int GridLineWidth() const { return FGridLineWidth; }
  void SetGridLineWidth(int value);
  bool TabStops(int index) const { return FTabStops.at(size_t(index)); }
  void SetTabStops(int index, bool value) { FTabStops.at(size_t(index)) = value; }
  TGridOptions Options() const { return FOptions; }
  void SetOptions(TGridOptions value);
  TScrollStyle ScrollBars() const { return FScrollBars; }
  void SetScrollBars(TScrollStyle value);
  TBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TBorderStyle value);
  bool DefaultDrawing() const { return FDefaultDrawing; }
  void SetDefaultDrawing(bool value);
  TColor Color() const { return FColor; }
  void SetColor(TColor value);
  TColor FixedColor() const { return FFixedColor; }
  void SetFixedColor(TColor value);
  TFont &Font() { return FFont; }
  const TFont &Font() const { return FFont; }
  TGridRect Selection() const;
  void SetSelection(const TGridRect &value);
  TGridState GridState() const { return FGridState; }

  // The cell's area in viewport coordinates; empty when the cell is not on the screen.
  QRect CellRect(int col, int row) const;
  // The cell under a viewport point; (-1, -1) when there is none.
  TGridCoord MouseCoord(int x, int y) const;
  void MouseToCell(int x, int y, int &col, int &row) const;
  // Makes (col, row) current when SelectCell allows it, without Click; moveAnchor collapses the
  // selection; show scrolls the cell into view.
  void MoveColRow(int col, int row, bool moveAnchor, bool show);
  void InvalidateCell(int col, int row);
  void InvalidateRow(int row);
  void InvalidateCol(int col);
  void InvalidateGrid();

  bool EditorMode() const { return FEditorMode; }
  void SetEditorMode(bool value);
  TInplaceEdit *InplaceEditor() const { return FInplaceEdit; }

  // The canvas of the paint under way; outside painting a canvas for measuring text.
  TCanvas &Canvas();

  std::function<void(QObject *Sender)> OnClick;
  std::function<void(QObject *Sender)> OnDblClick;
  std::function<void(QObject *Sender)> OnEnter;
  std::function<void(QObject *Sender)> OnExit;
  std::function<void(QObject *Sender, int &Key, TShiftState Shift)> OnKeyDown;
  std::function<void(QObject *Sender, int &Key, TShiftState Shift)> OnKeyUp;
  std::function<void(QObject *Sender, QChar &Key)> OnKeyPress;
  std::function<void(QObject *Sender, TMouseButton Button, TShiftState Shift, int X, int Y)> OnMouseDown;
  std::function<void(QObject *Sender, TMouseButton Button, TShiftState Shift, int X, int Y)> OnMouseUp;
  std::function<void(QObject *Sender, TShiftState Shift, int X, int Y)> OnMouseMove;
  std::function<void(QObject *Sender, TShiftState Shift, QPoint MousePos, bool &Handled)> OnMouseWheelDown;
  std::function<void(QObject *Sender, TShiftState Shift, QPoint MousePos, bool &Handled)> OnMouseWheelUp;

  // Entry points of the key handling, also used by the in-place editor to hand keys on.
  virtual void KeyDown(int &Key, TShiftState Shift);
  virtual void KeyPress(QChar &Key);
  virtual void KeyUp(int &Key, TShiftState Shift);

  // Called by the in-place editor.
  virtual bool CanEditAcceptKey(QChar Key);
  virtual bool CanEditModify();
  virtual TEditStyle GetEditStyle(int ACol, int ARow);
  virtual QStringList GetPickList(int ACol, int ARow);
  virtual int GetDropDownRows(int ACol, int ARow);
  virtual QString GetEditText(int ACol, int ARow);
  virtual void SetEditText(int ACol, int ARow, const QString &Value);
  virtual int GetEditLimit();
  virtual void EditButtonClick();
  // Writes the editor's text through SetEditText.
  void UpdateText();

protected:
  virtual void Paint();
  virtual void DrawCell(int ACol, int ARow, const QRect &ARect, TGridDrawState AState);
  virtual bool SelectCell(int ACol, int ARow);
  virtual void TopLeftChanged();
  virtual void ColWidthsChanged();
  virtual void RowHeightsChanged();
  virtual void ColumnMoved(int FromIndex, int ToIndex);
  virtual void RowMoved(int FromIndex, int ToIndex);
  virtual void SizeChanged(int OldColCount, int OldRowCount);
  virtual bool CanEditShow();
  virtual TInplaceEdit *CreateEditor();
  virtual void ShowEditor();
  virtual void HideEditor();
  virtual void Click();
  virtual void DblClick();
  virtual void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
  virtual void MouseMove(TShiftState Shift, int X, int Y);
  virtual void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);
  virtual bool DoMouseWheelDown(TShiftState Shift, QPoint MousePos);
  virtual bool DoMouseWheelUp(TShiftState Shift, QPoint MousePos);
  // Fires OnMouseWheelDown or OnMouseWheelUp; true when the handler took the turn.
  bool MouseWheelEventHandled(bool down, TShiftState Shift, QPoint MousePos);
  virtual void DoEnter();
  virtual void DoExit();
  // The client area changed size.
  virtual void Resize();
  // Sets the scroll bars' ranges and positions from the grid's state.
  virtual void UpdateScrollRange();
  void UpdateHorzScrollBar();
  void UpdateVertScrollBar();
  void SetVertScrollBar(int minimum, int maximum, int page, int position);
  // A scroll bar was used; position is the thumb position for the drag actions.
  virtual void ScrollBarAction(Qt::Orientation Orientation, QAbstractSlider::SliderAction Action,
                               int Position);

  // The grid's own handling of a key (KeyDown without OnKeyDown); a handled key becomes 0.
  void NavigateByKey(int &Key, TShiftState Shift);
  // Moves a column or row with its width or height and tab stop, then fires ColumnMoved/RowMoved.
  void MoveColumn(int FromIndex, int ToIndex);
  void MoveRow(int FromIndex, int ToIndex);
  // Moves the current cell as the keyboard and the mouse do: through SelectCell, then Click.
  void FocusCell(int ACol, int ARow, bool MoveAnchor);
  // Makes (col, row) current when SelectCell allows it.
  void MoveCurrent(int ACol, int ARow, bool MoveAnchor, bool Show);
  void MoveTopLeft(int ALeft, int ATop);
  void ShowEditorChar(QChar Ch);
  // Places and refills the editor after the current cell or the layout moved.
  void UpdateEdit();
  void InvalidateEditor();
  bool IsActiveControl() const;
  // The largest TopRow / LeftCol that still fills the client area.
  int MaxTopRow() const;
  int MaxLeftCol() const;
  // The row of the last (fully) visible scrollable row.
  int LastVisibleRow(bool fullOnly) const;

  void paintEvent(QPaintEvent *event) override;
  // Paints the cells within clip with the painter (the viewport's, or an off-screen bitmap's).
  void PaintInto(QPainter &painter, const QRect &clip);
  bool viewportEvent(QEvent *event) override;
  void keyPressEvent(QKeyEvent *event) override;
  void keyReleaseEvent(QKeyEvent *event) override;
  void mousePressEvent(QMouseEvent *event) override;
  void mouseDoubleClickEvent(QMouseEvent *event) override;
  void mouseMoveEvent(QMouseEvent *event) override;
  void mouseReleaseEvent(QMouseEvent *event) override;
  void wheelEvent(QWheelEvent *event) override;
  void focusInEvent(QFocusEvent *event) override;
  void focusOutEvent(QFocusEvent *event) override;
  bool focusNextPrevChild(bool next) override;
  void scrollContentsBy(int dx, int dy) override;

private:
  friend class TInplaceEdit;
  // The focus entered or left the grid together with its editor: DoEnter / DoExit.
  void FocusWithinChanged();
  void ClientResized();
  TGridAxis ColAxis() const;
  TGridAxis RowAxis() const;
  TGridAxis MakeAxis(const std::vector<int> &extents, int fixedCount, int first, TGridOptions fixedLines,
                     TGridOptions lines, int clientExtent) const;
  void DrawCells(const QRect &clip);
  void DrawLines(const QRect &clip);
  TGridDrawState CellState(int col, int row, bool focused) const;
  void ClampInView(TGridCoord coord);
  void InvalidateRect(const TGridRect &rect);
  void InvalidateSelection(const TGridRect &before);
  void ChangeSize(int colCount, int rowCount);
  TGridCoord NextTabCell(bool forward) const;
  // Where a navigation key moves the current cell; false for other keys.
  bool KeyTarget(int key, TShiftState shift, TGridCoord &target) const;
  void HideEdit();
  // Mouse sizing and moving.
  bool CalcSizingState(int x, int y, TGridState &state, int &index, int &sizingPos, int &sizingOfs) const;
  void UpdateCursor(int x, int y);
  void FinishSizingOrMoving(int x, int y);

  std::vector<int> FColWidths;
  std::vector<int> FRowHeights;
  std::vector<bool> FTabStops;
  int FFixedCols = 1;
  int FFixedRows = 1;
  TGridCoord FCurrent{1, 1};
  TGridCoord FAnchor{1, 1};
  TGridCoord FTopLeft{1, 1};
  int FDefaultColWidth = 64;
  int FDefaultRowHeight = 24;
  int FGridLineWidth = 1;
  TGridOptions FOptions;
  TScrollStyle FScrollBars = ssBoth;
  TBorderStyle FBorderStyle = bsSingle;
  bool FDefaultDrawing = true;
  TColor FColor = clWindow;
  TColor FFixedColor = clBtnFace;
  TFont FFont;
  bool FEditorMode = false;
  TInplaceEdit *FInplaceEdit = nullptr;
  TGridCoord FInplaceCell{-1, -1};
  TGridState FGridState = gsNormal;
  int FSizingIndex = 0;
  int FSizingPos = 0;
  int FSizingOfs = 0;
  int FMoveIndex = 0;
  int FMovePos = 0;
  bool FUpdatingScrollBars = false;
  bool FFocusWithin = false;
  bool FDestroying = false;
  TCanvas *FCanvas = nullptr;
  std::unique_ptr<QImage> FMeasureImage;
  std::unique_ptr<TCanvas> FMeasureCanvas;
};
