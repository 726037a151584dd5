#pragma once

#include "DBGrids.h"
#include "ExDBGridControls.h"
#include "ExDBGridExport.h"

#include <QFlags>
#include <QPointer>
#include <functional>

class QLabel;
class QLineEdit;
class QMenu;
class QAction;
class TExDateTimePicker;
class TDBMemo;

enum TAutoWidth { awNone, awDefault, awProportional, awUniform, awWidestValue, awWidestValueTitle };

enum class TMemoInplaceEditor { Memo, RichEdit };
enum class TMemoViewType { WordWrapOn, ScrollBarsOn };

enum TExMenuOption {
  exAutoSize,
  exAutoWidth,
  exDisplayBoolean,
  exDisplayImages,
  exDisplayMemo,
  exDisplayDateTime,
  exShowTextEllipsis,
  exShowTitleEllipsis,
  exFullSizeMemo,
  exAllowRowSizing,
  exCellHints,
  exMultiLineTitles,
  exUseRowColors,
  exFixedColumns,
  exPrintGrid,
  exPrintDataSet,
  exExportGrid,
  exSelectAll,
  exUnSelectAll,
  exQueryByForm,
  exSortByForm,
  exMemoInplaceEditors,
  exCustomize,
  exSearchMode,
  exSaveLayout,
  exLoadLayout
};

// The set of menu options, one bit per member in declaration order.
class TExMenuOptions {
public:
  constexpr TExMenuOptions() = default;
  constexpr TExMenuOptions(std::initializer_list<TExMenuOption> members) {
    for (TExMenuOption m : members)
      FBits |= 1u << m;
  }
  static constexpr TExMenuOptions All() { return FromBits((1u << 26) - 1); }
  static constexpr TExMenuOptions FromBits(quint32 bits) {
    TExMenuOptions o;
    o.FBits = bits;
    return o;
  }
  constexpr bool Contains(TExMenuOption m) const { return FBits & (1u << m); }
  constexpr quint32 Bits() const { return FBits; }
  bool operator==(const TExMenuOptions &) const = default;

private:
  quint32 FBits = 0;
};

// The data grid of the rights windows: check-box cells, row colours, locked columns, automatic
// widths, cell hints and the option menu in the top-left corner cell.
class TExDBGrid : public TDBGrid {
public:
  explicit TExDBGrid(QWidget *parent = nullptr);
  ~TExDBGrid() override;

  bool DisplayBoolean() const { return FDisplayBoolean; }
  void SetDisplayBoolean(bool value);
  bool DisplayImages() const { return FDisplayImages; }
  void SetDisplayImages(bool value);
  TColor ImageHighlightColor() const { return FImageHighlightColor; }
  void SetImageHighlightColor(TColor value) { Change(FImageHighlightColor, value); }
  bool DisplayMemo() const { return FDisplayMemo; }
  void SetDisplayMemo(bool value);
  bool DisplayDateTime() const { return FDisplayDateTime; }
  void SetDisplayDateTime(bool value);
  bool FullSizeMemo() const { return FFullSizeMemo; }
  void SetFullSizeMemo(bool value);
  bool Cells3D() const { return FCells3D; }
  void SetCells3D(bool value);
  bool BoldTitlesWhenCells3D() const { return FBoldTitlesWhenCells3D; }
  void SetBoldTitlesWhenCells3D(bool value) { Change(FBoldTitlesWhenCells3D, value); }
  bool BoldIndicatorsWhenCells3D() const { return FBoldIndicatorsWhenCells3D; }
  void SetBoldIndicatorsWhenCells3D(bool value) { Change(FBoldIndicatorsWhenCells3D, value); }
  bool HotTrack() const { return FHotTrack; }
  void SetHotTrack(bool value) { FHotTrack = value; }
  TColor HotTrackColor() const { return FHotTrackColor; }
  void SetHotTrackColor(TColor value) { FHotTrackColor = value; }
  int ValueChecked() const { return FValueChecked; }
  void SetValueChecked(int value) { FValueChecked = value; }
  int ValueUnChecked() const { return FValueUnChecked; }
  void SetValueUnChecked(int value) { FValueUnChecked = value; }
  bool UseRowColors() const { return FUseRowColors; }
  void SetUseRowColors(bool value);
  bool UseBackgroundPicture() const { return FUseBackgroundPicture; }
  void SetUseBackgroundPicture(bool value);
  TColor RowColor1() const { return FRowColor1; }
  void SetRowColor1(TColor value);
  TColor RowColor2() const { return FRowColor2; }
  void SetRowColor2(TColor value);
  TColor HighlightColor() const { return FHighlightColor; }
  void SetHighlightColor(TColor value);
  TColor HighlightFontColor() const { return FHighlightFontColor; }
  void SetHighlightFontColor(TColor value);
  bool ShowTextEllipsis() const { return FShowTextEllipsis; }
  void SetShowTextEllipsis(bool value);
  bool ShowTitlesWhenInactive() const { return FShowTitlesWhenInactive; }
  void SetShowTitlesWhenInactive(bool value);
  bool TitleCheck() const { return FTitleCheck; }
  void SetTitleCheck(bool value);
  bool CellHints() const { return FCellHints; }
  void SetCellHints(bool value);
  int LockedCols() const { return FLockedCols; }
  void SetLockedCols(int value);
  TColor LockedColor() const { return FLockedColor; }
  void SetLockedColor(TColor value);
  TFont &LockedFont() { return FLockedFont; }
  bool GridAutoSize() const { return FGridAutoSize; }
  void SetGridAutoSize(bool value);
  TAutoWidth GridAutoWidth() const { return FGridAutoWidth; }
  void SetGridAutoWidth(TAutoWidth value);
  bool GridAutoWidthOnResize() const { return FGridAutoWidthOnResize; }
  void SetGridAutoWidthOnResize(bool value);
  bool AllowAutoAppend() const { return FAllowAutoAppend; }
  void SetAllowAutoAppend(bool value) { FAllowAutoAppend = value; }
  bool EnterAsTab() const { return FEnterAsTab; }
  void SetEnterAsTab(bool value) { FEnterAsTab = value; }
  TExMenuOptions ExMenuOptions() const { return FExMenuOptions; }
  void SetExMenuOptions(TExMenuOptions value);

  // Form controls shown over the cells of their fields; assigning copies the items.
  const TExDBGridControls &Controls() const { return FControls; }
  void SetControls(const TExDBGridControls &value);
  // Places Control over the cell and gives it the focus; HideFormControl takes it down.
  virtual void ShowFormControl(QWidget *Control, int ACol, int ARow);
  void HideFormControl();
  QWidget *FormControl() const { return FFormControl; }
  // The in-place date picker of date and time cells (created on first use).
  TExDateTimePicker *DatePicker() const { return FDatePicker; }
  // The in-place memo editor of memo cells (created on first use).
  TDBMemo *MemoEditor() const { return FMemoEditor; }
  TMemoViewType MemoViewType() const { return FMemoViewType; }
  void SetMemoViewType(TMemoViewType value) { FMemoViewType = value; }
  bool DisplayPopupEditors() const { return FDisplayPopupEditors; }
  void SetDisplayPopupEditors(bool value) { FDisplayPopupEditors = value; }

  // A record-position hint while the vertical thumb is dragged.
  bool ScrollHints() const { return FScrollHints; }
  void SetScrollHints(bool value) { FScrollHints = value; }
  QLabel *ScrollHintWindow() const { return FScrollHint; }
  // Dragging selects a rectangle of cells; no editing then.
  bool EnableCellRangeSelect() const { return FEnableCellRangeSelect; }
  void SetEnableCellRangeSelect(bool value);

  TColor EditColor() const { return FEditColor; }
  void SetEditColor(TColor value) { FEditColor = value; }
  TExportDelimiter ExportDelimiter() const { return FExportDelimiter; }
  void SetExportDelimiter(TExportDelimiter value) { FExportDelimiter = value; }
  const QString &RegistrySaveName() const { return FRegistrySaveName; }
  void SetRegistrySaveName(const QString &value) { FRegistrySaveName = value; }
  bool SearchMode() const { return FSearchMode; }
  void SetSearchMode(bool value);
  // 0 goes back to the height the base works out from the font.
  void SetDefaultRowHeight(int value);
  using TDBGrid::DefaultRowHeight;
  bool MultiLineTitles() const { return FMultiLineTitles; }
  void SetMultiLineTitles(bool value);
  bool ShowTitleEllipsis() const { return FShowTitleEllipsis; }
  void SetShowTitleEllipsis(bool value);
  bool MultiLineRows() const { return FMultiLineRows; }
  void SetMultiLineRows(bool value);
  int LinesPerRow() const { return FLinesPerRow; }
  void SetLinesPerRow(int value);
  TMemoInplaceEditor MemoInplaceEditor() const { return FMemoInplaceEditor; }
  void SetMemoInplaceEditor(TMemoInplaceEditor value) { FMemoInplaceEditor = value; }
  bool RowSizingAllowed() const { return FRowSizingAllowed; }
  void SetRowSizingAllowed(bool value);

  // Writes every record's column texts to a delimited file; an empty name means "DataExport.Dat"
  // beside the program. Confirms the file through the dialog seam.
  virtual void ExportGrid(const QString &FileName);
  // The column layout under HKEY_CURRENT_USER "\Software\" + RegistrySaveName.
  void SaveLayout();
  void LoadLayout();
  // Opens the column chooser; its OK fires OnCustomize.
  void Customize();
  // The search box over a title cell (created on first use).
  QLineEdit *SearchEdit() const { return FSearchEdit; }

  // The option menu and its 37 items (separators included), in menu order.
  QMenu *OptionMenu() const { return FMenu; }
  QAction *MenuItem(int index) const { return FMenuItems.at(size_t(index)); }
  // The window that shows the whole text of a clipped cell.
  QLabel *CellHintWindow() const { return FCellHint; }

  // Fixed columns and locked-column colours and fonts from LockedCols.
  void ApplyLockedColumns();
  // The check-box size used for Boolean cells.
  static QSize CheckBoxSize() { return QSize(13, 13); }

  void KeyDown(int &Key, TShiftState Shift) override;

  std::function<bool(const TField *Field)> OnIsBooleanField;
  std::function<void(QObject *Sender, TAutoWidth &NewValue)> OnAutoWidthChange;
  std::function<void(QObject *Sender)> OnCustomize;
  std::function<void(QObject *Sender)> OnStartCellChanged;
  std::function<void(QObject *Sender)> OnEndCellChanged;

protected:
  void DrawCell(int ACol, int ARow, const QRect &ARect, TGridDrawState AState) override;
  void DrawColumnCell(const QRect &Rect, int DataCol, TColumn *Column, TGridDrawState State) override;
  bool CanEditShow() override;
  TInplaceEdit *CreateEditor() override;
  bool HighlightCell(int DataCol, int DataRow, const QString &Value, TGridDrawState AState) override;
  void SetColumnAttributes() override;
  void LinkActive(bool Value) override;
  void LayoutChanged() override;
  void ColEnter() override;
  void RowHeightsChanged() override;
  void CellClick(TColumn *Column) override;
  void TitleClick(TColumn *Column) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void Scroll(int Distance) override;
  void ScrollBarAction(Qt::Orientation Orientation, QAbstractSlider::SliderAction Action,
                       int Position) override;
  void Resize() override;
  void DblClick() override;
  void enterEvent(QEnterEvent *event) override;
  void leaveEvent(QEvent *event) override;
  bool eventFilter(QObject *watched, QEvent *event) override;

private:
  // Stores a changed value and repaints.
  template <class T> void Change(T &member, T value) {
    if (member == value)
      return;
    member = value;
    InvalidateGrid();
  }
  bool LockingApplies() const;
  void FixLockedCount();
  bool IsBooleanField(const TField *field) const;
  bool IsChecked(const TField *field) const;
  void DrawCheckBox(TCanvas &canvas, const QRect &cell, bool checked, TColor tickColor);
  void DrawCornerTriangle(TCanvas &canvas, const QRect &cell);
  void DrawPictureCell(TCanvas &canvas, const QRect &cell, TField *field, bool highlighted);
  void DrawCellEdges(TCanvas &canvas, int ACol, int ARow, const QRect &cell);
  void SetGridFontColor(TColor color);
  void ToggleCheck(TField *field);
  bool CanToggleCheck(TColumn *Column);
  // Column sizing.
  bool CanSize() const;
  void ApplyAutoWidth(TAutoWidth mode);
  void SizeToWidestValues(bool titleMinimum, bool memoOnly = false);
  void ShareAvailableWidth(bool proportional);
  int AvailableWidth(int visibleCount) const;
  // Runs a width change inside the layout pair with the sizing flag up.
  void RunSizing(const std::function<void()> &sizing);
  // The cell range: anchors hold the raw column and row and the row's bookmark.
  struct TCellAnchor {
    int Col = -1;
    int Row = -1;
    TBookmark Bookmark;
  };
  bool InCellRange(int DataCol) const;
  TCellAnchor CurrentAnchor() const;
  void MoveCurrentTo(const TGridCoord &cell);
  void ExtendCellRange(int X, int Y);
  // The date picker.
  void PrepareDatePicker(const QRect &cell, TField *field);
  bool IsDatePickerCell(TColumn *Column) const;
  void ShowDatePicker();
  void HideDatePicker(bool refocusGrid);
  void EditorCellClicked(TColumn *Column);
  void StoreDatePickerValue();
  void DatePickerChanged();
  bool DatePickerEvent(QEvent *event);
  void WatchThumbDrag();
  void UpdateScrollHint();
  // The memo editor.
  bool IsMemoEditorCell(TColumn *Column) const;
  void PrepareMemoEditor(const QRect &cell);
  void ShowMemoEditor();
  void UnbindMemoEditor();
  bool MemoEditorEvent(QEvent *event);
  // Form controls.
  QWidget *ListedControl(const TField *field) const;
  void HideListedControls();
  bool FormControlEvent(QEvent *event);
  void TakeDownIdleFormControl();
  // Ctrl+C and Ctrl+V on the selected cell; true when the key was one of them.
  bool CellClipboardKey(int Key, TShiftState Shift);
  // Cell hints.
  void UpdateCellHint(int x, int y);
  void HideCellHint();
  // Layout and search.
  QString LayoutKey();
  void ShowSearchEdit(TColumn *Column);
  void SearchEditChange();
  void HideSearchEdit();
  // Which columns take the text editor, run when a column is entered.
  void ApplyColumnEnterRules();
  // Stores a display switch that decides which columns take the text editor.
  void ChangeEditorRule(bool &member, bool value);
  // Row heights and titles.
  void UpdateTitleHeight();
  void DrawTitleText(const QRect &ARect, TColumn *column);
  // The option menu.
  void BuildMenu();
  void UpdateMenuChecks();
  void UpdateMenuVisibility();
  void Wire(int index, const std::function<void()> &handler);
  void RunGuarded(const std::function<void()> &change);
  void ToggleItem(int index, bool (TExDBGrid::*getter)() const, void (TExDBGrid::*setter)(bool));
  void SelectAllRows(bool select);
  void ChooseMemoEditor(TMemoInplaceEditor editor);

  bool FDisplayBoolean = true;
  bool FCells3D = false;
  bool FBoldTitlesWhenCells3D = false;
  bool FBoldIndicatorsWhenCells3D = false;
  bool FHotTrack = false;
  TColor FHotTrackColor = clNavy;
  TColor FFontColorBeforeHotTrack = clWindowText;
  bool FHotTracking = false;
  bool FDisplayMemo = true;
  bool FDisplayImages = true;
  TColor FImageHighlightColor = clWindow;
  bool FDisplayDateTime = true;
  bool FFullSizeMemo = false;
  int FValueChecked = 1;
  int FValueUnChecked = 0;
  bool FUseRowColors = false;
  bool FUseBackgroundPicture = false;
  TColor FRowColor1 = 0xBAFF6F;
  TColor FRowColor2 = clWindow;
  TColor FHighlightColor = clNavy;
  TColor FHighlightFontColor = clWhite;
  bool FShowTextEllipsis = false;
  bool FShowTitlesWhenInactive = false;
  bool FTitleCheck = false;
  bool FCellHints = false;
  int FLockedCols = 0;
  TColor FLockedColor = clGray;
  TFont FLockedFont;
  bool FGridAutoSize = false;
  TAutoWidth FGridAutoWidth = awNone;
  bool FGridAutoWidthOnResize = true;
  bool FSizing = false;
  TExMenuOptions FExMenuOptions = TExMenuOptions::All();
  bool FHighlighted = false;
  bool FApplyingLocks = false;
  TColor FEditColor = clWindow;
  bool FAllowAutoAppend = true;
  bool FEnterAsTab = false;
  TExportDelimiter FExportDelimiter = TExportDelimiter::Pipe;
  QString FRegistrySaveName;
  bool FSearchMode = false;
  QLineEdit *FSearchEdit = nullptr;
  TExDBGridControls FControls;
  QPointer<QWidget> FFormControl;
  TExDateTimePicker *FDatePicker = nullptr;
  TDBMemo *FMemoEditor = nullptr;
  TMemoViewType FMemoViewType = TMemoViewType::WordWrapOn;
  bool FDisplayPopupEditors = false;
  bool FEnableCellRangeSelect = false;
  bool FScrollHints = false;
  QLabel *FScrollHint = nullptr;
  bool FRangeCapture = false;
  TCellAnchor FRangeStart;
  TCellAnchor FRangeEnd;
  bool FPreparingPicker = false;
  QPoint FClickedCell{-1, -1};
  int FStoredRowHeight = 0;
  int FRowHeightChanges = 0;
  bool FMultiLineTitles = false;
  bool FShowTitleEllipsis = false;
  bool FMultiLineRows = false;
  int FLinesPerRow = 1;
  bool FRowSizingAllowed = false;
  TMemoInplaceEditor FMemoInplaceEditor = TMemoInplaceEditor::Memo;
  QMenu *FMenu = nullptr;
  std::vector<QAction *> FMenuItems;
  QLabel *FCellHint = nullptr;
  TGridCoord FHintCell{-1, -1};
};
