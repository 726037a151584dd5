#pragma once

#include "DBTypes.h"
#include "ExGridAccess.h"
#include "Graphics.h"
#include "Grids.h"

#include <QPoint>
#include <memory>

class QLabel;
class TExCellHint;
class TExColumnDrag;
class TExDBGrid;
class TExDBGridEditors;
class TField;

// What the input handling asks its grid beyond TExGridAccess: the base grid's own handling of each
// event, and the grid's private parts it hands events on to.
class TExGridInputSite : public TExGridAccess {
public:
  virtual void InheritedKeyDown(int &Key, TShiftState Shift) = 0;
  virtual void InheritedKeyPress(QChar &Key) = 0;
  virtual void InheritedKeyUp(int &Key, TShiftState Shift) = 0;
  virtual void InheritedMouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) = 0;
  virtual void InheritedMouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) = 0;
  virtual void InheritedMouseMove(TShiftState Shift, int X, int Y) = 0;
  virtual void InheritedCellClick(TColumn *Column) = 0;
  virtual void InheritedDblClick() = 0;
  virtual void ClickTitle(TColumn *Column) = 0;
  // A dragged column was dropped on ToIndex (which may be where it was).
  virtual void DropColumn(int FromIndex, int ToIndex) = 0;
  virtual bool IsBooleanField(const TField *field) const = 0;
  virtual void HideSearchEdit() = 0;
  // The option menu of the corner cell, its checks brought up to date, at a screen point.
  virtual void PopupOptionMenu(QPoint at) = 0;
  virtual TExDBGridEditors &Editors() = 0;

protected:
  ~TExGridInputSite() = default;
};

// The keyboard and mouse of a TExDBGrid: Enter as Tab, the taken-back auto append, the cell
// clipboard keys, check boxes flipped by click and key, the keys and clicks that open the cell
// editors, the rectangle of cells selected by dragging, the columns dragged by their titles, the
// cell hint of clipped texts and the hot-tracked font colour. It keeps the state of all these; the
// grid hands each event here.
class TExGridInput {
public:
  TExGridInput(TExDBGrid &grid, TExGridInputSite &site);
  ~TExGridInput();

  bool HotTrack() const { return FHotTrack; }
  void SetHotTrack(bool value) { FHotTrack = value; }
  TColor HotTrackColor() const { return FHotTrackColor; }
  void SetHotTrackColor(TColor value) { FHotTrackColor = value; }
  bool EnterAsTab() const { return FEnterAsTab; }
  void SetEnterAsTab(bool value) { FEnterAsTab = value; }
  bool AllowAutoAppend() const { return FAllowAutoAppend; }
  void SetAllowAutoAppend(bool value) { FAllowAutoAppend = value; }
  bool CellHints() const { return FCellHints; }
  void SetCellHints(bool value);
  bool EnableCellRangeSelect() const { return FEnableCellRangeSelect; }
  // Forgets the range; true when the switch changed.
  bool SetEnableCellRangeSelect(bool value);
  // The active record's cell of the data column lies in the selected range.
  bool InCellRange(int DataCol) const;

  TExColumnDrag &ColumnDrag() const { return *FColumnDrag; }
  QLabel *CellHintWindow() const;
  void HideCellHint();

  void KeyDown(int &Key, TShiftState Shift);
  void KeyPress(QChar &Key);
  void KeyUp(int &Key, TShiftState Shift);
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);
  void MouseMove(TShiftState Shift, int X, int Y);
  void CellClick(TColumn *Column);
  void DblClick();
  // The mouse entered or left the grid.
  void Enter();
  void Leave();

private:
  // The cell range: anchors hold the raw column and row and the row's bookmark.
  struct TCellAnchor {
    int Col = -1;
    int Row = -1;
    TBookmark Bookmark;
  };
  static bool IsEnter(int Key);
  // Ctrl+C and Ctrl+V on the selected cell; true when the key was one of them.
  bool CellClipboardKey(int Key, TShiftState Shift);
  // Space, Enter and F2 on check-box, memo, picture and date cells; true when taken.
  bool CellEditorKey(int Key);
  bool CanToggleCheck(TColumn *Column) const;
  void ToggleCheck(TField *field);
  bool StartColumnDrag(int X, int Y);
  void RangeMouseDown(TShiftState Shift, int X, int Y, const TGridCoord &cell);
  TCellAnchor CurrentAnchor() const;
  void MoveCurrentTo(const TGridCoord &cell);
  void ExtendCellRange(int X, int Y);
  void UpdateCellHint(int x, int y);
  void SetGridFontColor(TColor color);

  TExDBGrid &FGrid;
  TExGridInputSite &FSite;
  bool FHotTrack = false;
  TColor FHotTrackColor = clNavy;
  TColor FFontColorBeforeHotTrack = clWindowText;
  bool FHotTracking = false;
  bool FEnterAsTab = false;
  bool FAllowAutoAppend = true;
  bool FCellHints = false;
  std::unique_ptr<TExCellHint> FCellHint;
  TGridCoord FHintCell{-1, -1};
  bool FEnableCellRangeSelect = false;
  bool FRangeCapture = false;
  TCellAnchor FRangeStart;
  TCellAnchor FRangeEnd;
  std::unique_ptr<TExColumnDrag> FColumnDrag;
};
