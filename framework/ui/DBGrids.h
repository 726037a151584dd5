#pragma once

#include "BookmarkList.h"
#include "DBGridColumns.h"
#include "DataSource.h"
#include "Grids.h"

#include <functional>
#include <memory>

class TCustomDBGrid;
class TDataSet;
class TField;

enum TDBGridOption {
  dgEditing = 1 << 0,
  dgAlwaysShowEditor = 1 << 1,
  dgTitles = 1 << 2,
  dgIndicator = 1 << 3,
  dgColumnResize = 1 << 4,
  dgColLines = 1 << 5,
  dgRowLines = 1 << 6,
  dgTabs = 1 << 7,
  dgRowSelect = 1 << 8,
  dgAlwaysShowSelection = 1 << 9,
  dgConfirmDelete = 1 << 10,
  dgCancelOnExit = 1 << 11,
  dgMultiSelect = 1 << 12,
};
Q_DECLARE_FLAGS(TDBGridOptions, TDBGridOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(TDBGridOptions)

// The grid's link to its dataset: a window of as many records as the grid shows rows.
class TGridDataLink : public TDataLink {
public:
  explicit TGridDataLink(TCustomDBGrid *grid) : FGrid(grid) {}

  // The editor's text differs from the field: UpdateData will write it.
  void Modified() { FModified = true; }
  bool IsModified() const { return FModified; }
  // Escape: takes back the editor's change, or cancels the record when there is none.
  void Reset();

protected:
  void ActiveChanged() override;
  void DataSetChanged() override;
  void DataSetScrolled(int distance) override;
  void EditingChanged() override;
  void FocusControl(TField **field) override;
  void LayoutChanged() override;
  void RecordChanged(TField *field) override;
  void UpdateData() override;

private:
  TCustomDBGrid *FGrid;
  bool FModified = false;
  bool FInUpdateData = false;
};

// The data grid: one row per record of the data link's window, one column per TColumn, with a
// title row and an indicator column of fixed cells. The vertical scroll bar and the row keys move
// the dataset; the grid itself never scrolls vertically.
class TCustomDBGrid : public TCustomGrid {
  friend class TGridDataLink;
  friend class TDBGridColumns;
  friend class TBookmarkList;

public:
  explicit TCustomDBGrid(QWidget *parent = nullptr);
  ~TCustomDBGrid() override;

  TDataSource *DataSource() const { return FDataLink->DataSource(); }
  void SetDataSource(TDataSource *value);
  TGridDataLink *DataLink() const { return FDataLink.get(); }
  TDBGridColumns &Columns() { return *FColumns; }
  const TDBGridColumns &Columns() const { return *FColumns; }
  TDBGridOptions Options() const { return FOptions; }
  void SetOptions(TDBGridOptions value);
  TFont &TitleFont() { return FTitleFont; }
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool value);
  TBookmarkList &SelectedRows() { return *FBookmarks; }
  // The current column (0 = the first data column).
  int SelectedIndex() const;
  void SetSelectedIndex(int value);
  TField *SelectedField() const;
  void SetSelectedField(TField *value);
  int FieldCount() const { return FColumns->Count(); }
  TField *Fields(int index) const;
  int IndicatorOffset() const { return (FOptions & dgIndicator) ? 1 : 0; }
  int TitleOffset() const { return (FOptions & dgTitles) ? 1 : 0; }
  // Defers LayoutChanged until the last EndLayout.
  void BeginLayout();
  void EndLayout();
  void BeginUpdate() { ++FUpdateLock; }
  void EndUpdate();
  // The standard drawing of a data cell: its field's display text with the column's alignment.
  void DefaultDrawColumnCell(const QRect &Rect, int DataCol, TColumn *Column, TGridDrawState State);

  std::function<void(QObject *Sender, const QRect &Rect, int DataCol, TColumn *Column, TGridDrawState State)>
      OnDrawColumnCell;
  std::function<void(QObject *Sender, const QRect &Rect, TField *Field, TGridDrawState State)> OnDrawDataCell;
  std::function<void(QObject *Sender)> OnEditButtonClick;
  std::function<void(TColumn *Column)> OnCellClick;
  std::function<void(TColumn *Column)> OnTitleClick;
  std::function<void(QObject *Sender)> OnColEnter;
  std::function<void(QObject *Sender)> OnColExit;
  std::function<void(QObject *Sender, int FromIndex, int ToIndex)> OnColumnMoved;

  void KeyDown(int &Key, TShiftState Shift) override;
  void KeyPress(QChar &Key) override;
  bool CanEditAcceptKey(QChar Key) override;
  bool CanEditModify() override;
  TEditStyle GetEditStyle(int ACol, int ARow) override;
  QStringList GetPickList(int ACol, int ARow) override;
  int GetDropDownRows(int ACol, int ARow) override;
  QString GetEditText(int ACol, int ARow) override;
  void SetEditText(int ACol, int ARow, const QString &Value) override;
  int GetEditLimit() override;
  void EditButtonClick() override;

protected:
  virtual void LinkActive(bool Value);
  virtual void LayoutChanged();
  // Copies the columns' widths and tab stops into the grid.
  virtual void SetColumnAttributes();
  virtual bool HighlightCell(int DataCol, int DataRow, const QString &Value, TGridDrawState AState);
  virtual void DrawColumnCell(const QRect &Rect, int DataCol, TColumn *Column, TGridDrawState State);
  virtual void DrawDataCell(const QRect &Rect, TField *Field, TGridDrawState State);
  virtual void ColEnter();
  virtual void ColExit();
  virtual void CellClick(TColumn *Column);
  virtual void TitleClick(TColumn *Column);
  virtual void DataChanged();
  virtual void EditingChanged();
  virtual void RecordChanged(TField *Field);
  virtual void Scroll(int Distance);
  virtual void UpdateActive();
  virtual void UpdateData();
  virtual void UpdateRowCount();

  void DrawCell(int ACol, int ARow, const QRect &ARect, TGridDrawState AState) override;
  // Paints one title cell on the grid's canvas; descendants that paint titles their own way override it.
  virtual void DrawTitleCell(const QRect &Rect, TColumn *Column, TGridDrawState State);
  // The grid options that follow from Options; a descendant may change them (for the current column)
  // and calls UpdateGridOptions when its reasons change.
  virtual TGridOptions AdjustGridOptions(TGridOptions Value);
  void UpdateGridOptions();
  bool CanEditShow() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  bool DoMouseWheelDown(TShiftState Shift, QPoint MousePos) override;
  bool DoMouseWheelUp(TShiftState Shift, QPoint MousePos) override;
  void ColWidthsChanged() override;
  void RowHeightsChanged() override;
  void ColumnMoved(int FromIndex, int ToIndex) override;
  void DoExit() override;
  void Resize() override;
  void UpdateScrollRange() override;
  void ScrollBarAction(Qt::Orientation Orientation, QAbstractSlider::SliderAction Action,
                       int Position) override;

  // Makes a grid column current (raw index, the indicator counted), writing a pending edit first.
  void MoveCol(int RawCol);
  TColumn *ColumnAt(int RawCol) const;
  bool AcquireFocus();
  bool CanModifyDataSet() const;

private:
  void InternalLayout();
  // The dataset's fields changed: columns look their fields up again, default ones are rebuilt.
  void UnbindColumns();
  void ApplyGridOptions();
  void DrawIndicatorCell(const QRect &rect, int dataRow);
  void WriteText(const QRect &rect, int dx, const QString &text, TAlignment alignment);
  int DataRowsFitting();
  bool RowSelected(int dataRow);
  // The keys that move the dataset or edit it, and those that move between columns.
  bool HandleRecordKey(int key, TShiftState shift);
  bool HandleColumnKey(int key, TShiftState shift);
  void NextRow();
  void PriorRow();
  void TabToNextCell(bool forward);
  int NextShowingColumn(int rawCol, int step) const;
  void DeleteRecords();
  // A lookup field's list: the result values of its lookup dataset, in record order.
  QStringList LookupList(TField *field) const;
  // Sets the key fields of a lookup field to the key of the lookup record whose result is text.
  void SetLookupText(TField *field, const QString &text);

  std::unique_ptr<TGridDataLink> FDataLink;
  std::unique_ptr<TDBGridColumns> FColumns;
  std::unique_ptr<TBookmarkList> FBookmarks;
  TDBGridOptions FOptions;
  TFont FTitleFont;
  bool FReadOnly = false;
  QString FEditText;
  int FLayoutLock = 0;
  int FUpdateLock = 0;
  bool FInLayout = false;
  bool FInRowCount = false;
  bool FDefaultColumnsStale = true;
  bool FLayoutPending = false;
  bool FCellClicked = false;
  int FTitleCol = -1;
};

// The data grid as the forms use it.
class TDBGrid : public TCustomDBGrid {
public:
  using TCustomDBGrid::TCustomDBGrid;
};
