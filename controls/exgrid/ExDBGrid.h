#pragma once

#include "DBGrids.h"
#include "ExDBGridCheckBox.h"
#include "ExDBGridControls.h"
#include "ExDBGridExport.h"
#include "ExDBGridMenuRules.h"
#include "ExDBGridPicture.h"
#include "ExGridCellPainter.h"
#include "ExGridInput.h"
#include "ExGridRowHeights.h"

#include <QFlags>
#include <QImage>
#include <QPixmap>
#include <QPointer>
#include <functional>
#include <memory>

class QLabel;
class QLineEdit;
#include <QMenu>
class QAction;
class QPrinter;
class QTimer;
class TExColumnDrag;
class TExDBGridEditors;
class TExDateTimePicker;
class TDBMemo;
class TDBRichEdit;

enum TAutoWidth { awNone, awDefault, awProportional, awUniform, awWidestValue, awWidestValueTitle };

enum class TMemoInplaceEditor { Memo, RichEdit };
enum class TMemoViewType { WordWrapOn, ScrollBarsOn };

// The data grid of the rights windows: check-box, picture, memo and date cells, row colours or a
// background picture, locked columns, automatic widths, cell hints, columns dragged by their titles,
// printing and the option menu in the top-left corner cell. The painting of its cells
// (TExGridCellPainter), its keyboard and mouse (TExGridInput), its row heights (TExGridRowHeights)
// and its in-place editors (TExDBGridEditors) are classes of their own, each keeping its own state
// and asking the grid through a small interface the grid implements privately; so are its cell
// hint, column drag, layout store and menu rules.
class TExDBGrid : public TDBGrid,
                  private TExCellPaintSite,
                  private TExGridInputSite,
                  private TExRowHeightSite {
public:
  explicit TExDBGrid(QWidget *parent = nullptr);
  ~TExDBGrid() override;

  bool DisplayBoolean() const { return FPainter.Look().DisplayBoolean; }
  void SetDisplayBoolean(bool value);
  bool DisplayImages() const { return FPainter.Look().DisplayImages; }
  void SetDisplayImages(bool value);
  TColor ImageHighlightColor() const { return FPainter.Look().ImageHighlightColor; }
  void SetImageHighlightColor(TColor value) { Change(FPainter.Look().ImageHighlightColor, value); }
  bool DisplayMemo() const { return FPainter.Look().DisplayMemo; }
  void SetDisplayMemo(bool value);
  bool DisplayDateTime() const { return FDisplayDateTime; }
  void SetDisplayDateTime(bool value);
  bool FullSizeMemo() const { return FFullSizeMemo; }
  void SetFullSizeMemo(bool value);
  bool Cells3D() const { return FPainter.Look().Cells3D; }
  void SetCells3D(bool value);
  bool BoldTitlesWhenCells3D() const { return FPainter.Look().BoldTitlesWhenCells3D; }
  void SetBoldTitlesWhenCells3D(bool value) { Change(FPainter.Look().BoldTitlesWhenCells3D, value); }
  bool BoldIndicatorsWhenCells3D() const { return FPainter.Look().BoldIndicatorsWhenCells3D; }
  void SetBoldIndicatorsWhenCells3D(bool value) { Change(FPainter.Look().BoldIndicatorsWhenCells3D, value); }
  bool HotTrack() const { return FInput.HotTrack(); }
  void SetHotTrack(bool value) { FInput.SetHotTrack(value); }
  TColor HotTrackColor() const { return FInput.HotTrackColor(); }
  void SetHotTrackColor(TColor value) { FInput.SetHotTrackColor(value); }
  int ValueChecked() const { return FValueChecked; }
  void SetValueChecked(int value) { FValueChecked = value; }
  int ValueUnChecked() const { return FValueUnChecked; }
  void SetValueUnChecked(int value) { FValueUnChecked = value; }
  bool UseRowColors() const { return FPainter.UseRowColors(); }
  void SetUseRowColors(bool value);
  bool UseBackgroundPicture() const { return FPainter.UseBackgroundPicture(); }
  void SetUseBackgroundPicture(bool value);
  TColor RowColor1() const { return FPainter.Look().RowColor1; }
  void SetRowColor1(TColor value);
  TColor RowColor2() const { return FPainter.Look().RowColor2; }
  void SetRowColor2(TColor value);
  TColor HighlightColor() const { return FPainter.Look().HighlightColor; }
  void SetHighlightColor(TColor value);
  TColor HighlightFontColor() const { return FPainter.Look().HighlightFontColor; }
  void SetHighlightFontColor(TColor value);
  bool ShowTextEllipsis() const { return FPainter.Look().ShowTextEllipsis; }
  void SetShowTextEllipsis(bool value);
  bool ShowTitlesWhenInactive() const { return FPainter.Look().ShowTitlesWhenInactive; }
  void SetShowTitlesWhenInactive(bool value);
  bool TitleCheck() const { return FPainter.Look().TitleCheck; }
  void SetTitleCheck(bool value);
  bool CellHints() const { return FInput.CellHints(); }
  void SetCellHints(bool value);
  int LockedCols() const { return FLockedCols; }
  void SetLockedCols(int value);
  TColor LockedColor() const { return FLockedColor; }
  void SetLockedColor(TColor value);
  TFont &LockedFont() { return FLockedFont; }
  void SetLockedFont(const TFont &value);
  bool FlatCheckBox() const { return FPainter.Look().CheckBox.Flat; }
  void SetFlatCheckBox(bool value);
  TFlatCheckBoxType FlatCheckBoxType() const { return FPainter.Look().CheckBox.FrameType; }
  void SetFlatCheckBoxType(TFlatCheckBoxType value);
  // Painted behind the unselected data cells, tiled from the top-left corner.
  const QImage &BackgroundPicture() const { return FPainter.BackgroundPicture(); }
  void SetBackgroundPicture(const QImage &value);
  // The whole grid is painted into a bitmap first and copied to the screen in one piece.
  bool UseBitmapDrawing() const { return FUseBitmapDrawing; }
  void SetUseBitmapDrawing(bool value);
  bool DrawFocusRect() const { return FPainter.Look().DrawFocusRect; }
  void SetDrawFocusRect(bool value) { Change(FPainter.Look().DrawFocusRect, value); }
  // The title of the printed grid and dataset.
  const QString &ReportCaption() const { return FReportCaption; }
  void SetReportCaption(const QString &value) { FReportCaption = value; }
  // The picture of a dragged title is drawn without its background.
  bool MaskedColumnDrag() const { return FMaskedColumnDrag; }
  void SetMaskedColumnDrag(bool value) { FMaskedColumnDrag = value; }
  // The grid's ordinary context menu, shown by a right click on a data cell when OnRightClick is unset.
  QMenu *PopupMenu() const { return FPopupMenu; }
  void SetPopupMenu(QMenu *value) { FPopupMenu = value; }
  bool GridAutoSize() const { return FGridAutoSize; }
  void SetGridAutoSize(bool value);
  TAutoWidth GridAutoWidth() const { return FGridAutoWidth; }
  void SetGridAutoWidth(TAutoWidth value);
  bool GridAutoWidthOnResize() const { return FGridAutoWidthOnResize; }
  void SetGridAutoWidthOnResize(bool value);
  bool AllowAutoAppend() const { return FInput.AllowAutoAppend(); }
  void SetAllowAutoAppend(bool value) { FInput.SetAllowAutoAppend(value); }
  bool EnterAsTab() const { return FInput.EnterAsTab(); }
  void SetEnterAsTab(bool value) { FInput.SetEnterAsTab(value); }
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
  TExDateTimePicker *DatePicker() const;
  // The in-place memo editors of memo cells (created on first use).
  TDBMemo *MemoEditor() const;
  TDBRichEdit *RichEditor() const;
  TMemoViewType MemoViewType() const { return FMemoViewType; }
  void SetMemoViewType(TMemoViewType value) { FMemoViewType = value; }
  bool DisplayPopupEditors() const { return FDisplayPopupEditors; }
  void SetDisplayPopupEditors(bool value) { FDisplayPopupEditors = value; }
  // Opens the popup field editor for the selected memo or picture cell; false when it does not apply.
  bool ShowPopupEditor();

  // A record-position hint while the vertical thumb is dragged.
  bool ScrollHints() const { return FScrollHints; }
  void SetScrollHints(bool value) { FScrollHints = value; }
  QLabel *ScrollHintWindow() const { return FScrollHint; }
  // Dragging selects a rectangle of cells; no editing then.
  bool EnableCellRangeSelect() const { return FInput.EnableCellRangeSelect(); }
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
  bool MultiLineTitles() const { return FPainter.Look().MultiLineTitles; }
  void SetMultiLineTitles(bool value);
  bool ShowTitleEllipsis() const { return FPainter.Look().ShowTitleEllipsis; }
  void SetShowTitleEllipsis(bool value);
  bool MultiLineRows() const { return FRowHeights.MultiLineRows(); }
  void SetMultiLineRows(bool value);
  int LinesPerRow() const { return FRowHeights.LinesPerRow(); }
  void SetLinesPerRow(int value);
  TMemoInplaceEditor MemoInplaceEditor() const { return FMemoInplaceEditor; }
  void SetMemoInplaceEditor(TMemoInplaceEditor value) { FMemoInplaceEditor = value; }
  bool RowSizingAllowed() const { return FRowHeights.RowSizingAllowed(); }
  void SetRowSizingAllowed(bool value);

  // Writes every record's column texts to a delimited file; an empty name means "DataExport.Dat"
  // beside the program. Confirms the file through the dialog seam.
  virtual void ExportGrid(const QString &FileName);
  // The column layout under HKEY_CURRENT_USER "\Software\" + RegistrySaveName.
  void SaveLayout();
  void LoadLayout();
  // Opens the column chooser; its OK fires OnCustomize.
  void Customize();
  // "Print Grid": the grid as it shows, scaled to the page; "Print DataSet": every record in the
  // grid's columns, page after page. Both are titled ReportCaption and go to the printer chosen in
  // the print dialog; false when it was cancelled.
  bool PrintGrid();
  bool PrintDataSet();
  // The search box over a title cell (created on first use).
  QLineEdit *SearchEdit() const { return FSearchEdit; }

  // The option menu and its 37 items (separators included), in menu order.
  QMenu *OptionMenu() const { return FMenu; }
  QAction *MenuItem(int index) const { return FMenuItems.at(size_t(index)); }
  // The window that shows the whole text of a clipped cell.
  QLabel *CellHintWindow() const;
  // "short|long": a cell hint puts the cell's text in front of the long part.
  const QString &Hint() const { return FHint; }
  void SetHint(const QString &value) { FHint = value; }

  // Paints one title cell into any canvas (the grid's own, or the picture of a dragged column).
  void DrawTitleCell(TCanvas &ACanvas, int ACol, const QRect &ARect, TGridDrawState AState);
  // The title of a column as a picture of its width and the title row's height.
  QPixmap MakeDragImage(int ACol);
  // The column being dragged by its title, or -1; the picture that follows the mouse.
  int DraggedColumn() const;
  QLabel *DragImage() const;
  // The tick of the drag timer: near an edge the grid scrolls one column that way.
  void ColumnDragTimer();
  QTimer *DragTimer() const;

  // Fixed columns and locked-column colours and fonts from LockedCols.
  void ApplyLockedColumns();
  // The check-box size used for Boolean cells.
  static QSize CheckBoxSize() { return GridCheckBoxSize(); }

  void KeyDown(int &Key, TShiftState Shift) override;
  void KeyPress(QChar &Key) override;
  void KeyUp(int &Key, TShiftState Shift) override;

  std::function<bool(const TField *Field)> OnIsBooleanField;
  std::function<void(QObject *Sender, TAutoWidth &NewValue)> OnAutoWidthChange;
  std::function<void(QObject *Sender)> OnCustomize;
  std::function<void(QObject *Sender)> OnStartCellChanged;
  std::function<void(QObject *Sender)> OnEndCellChanged;
  // Runs before an unselected data cell is painted: a handler may change the canvas's font and brush.
  std::function<void(QObject *Sender, TField *Field, TCanvas &Canvas, TGridDrawState State)>
      OnApplyCellAttribute;
  std::function<void(QObject *Sender)> OnRightClick;

protected:
  void DrawCell(int ACol, int ARow, const QRect &ARect, TGridDrawState AState) override;
  void DrawTitleCell(const QRect &Rect, TColumn *Column, TGridDrawState State) override;
  TGridOptions AdjustGridOptions(TGridOptions Value) override;
  void ColumnMoved(int FromIndex, int ToIndex) override;
  void RowMoved(int FromIndex, int ToIndex) override;
  void ColWidthsChanged() override;
  void TopLeftChanged() override;
  void paintEvent(QPaintEvent *event) override;
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
  void ScrollLineLeft();
  void FixLockedCount();
  // What the cell painter and the input handling ask.
  bool IsBooleanField(const TField *field) const override;
  bool IsChecked(const TField *field) const override;
  QByteArray PaintedRecord() const override;
  TColor GridFontColor() const override;
  bool BothGridLines() const override;
  // What the input handling asks.
  TColumn *ColumnOf(int RawCol) const override;
  bool CanModifyData() const override;
  void InheritedKeyDown(int &Key, TShiftState Shift) override;
  void InheritedKeyPress(QChar &Key) override;
  void InheritedKeyUp(int &Key, TShiftState Shift) override;
  void InheritedMouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void InheritedMouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void InheritedMouseMove(TShiftState Shift, int X, int Y) override;
  void InheritedCellClick(TColumn *Column) override;
  void InheritedDblClick() override;
  void ClickTitle(TColumn *Column) override;
  void DropColumn(int FromIndex, int ToIndex) override;
  void PopupOptionMenu(QPoint at) override;
  TExDBGridEditors &Editors() override { return *FEditors; }
  // Column sizing.
  bool CanSize() const;
  void ApplyAutoWidth(TAutoWidth mode);
  void SizeToWidestValues(bool titleMinimum, bool memoOnly = false);
  void ShareAvailableWidth(bool proportional);
  int AvailableWidth(int visibleCount) const;
  // Runs a width change inside the layout pair with the sizing flag up.
  void RunSizing(const std::function<void()> &sizing);
  void WatchThumbDrag();
  void UpdateScrollHint();
  void FontChanged();
  // Form controls.
  QWidget *ListedControl(const TField *field) const;
  void HideListedControls();
  bool FormControlEvent(QEvent *event);
  void TakeDownIdleFormControl();
  // Layout and search.
  QString LayoutKey();
  void ShowSearchEdit(TColumn *Column);
  void SearchEditChange();
  void HideSearchEdit() override;
  // Which columns take the text editor, run when a column is entered.
  void ApplyColumnEnterRules();
  // Stores a display switch that decides which columns take the text editor.
  void ChangeEditorRule(bool &member, bool value);
  // What the row heights ask.
  void Relayout() override { LayoutChanged(); }
  void RecountRows() override { UpdateRowCount(); }
  void ReapplyGridOptions() override { UpdateGridOptions(); }
  // The option menu.
  void BuildMenu();
  void UpdateMenuChecks();
  void UpdateMenuVisibility();
  void Wire(int index, const std::function<void()> &handler);
  void RunGuarded(const std::function<void()> &change);
  void ToggleItem(int index, bool (TExDBGrid::*getter)() const, void (TExDBGrid::*setter)(bool));
  void SelectAllRows(bool select);
  // Asks for the printer, then prints the report titled ReportCaption on it.
  bool PrintReport(const std::function<void(QPrinter &)> &print);
  void ChooseMemoEditor(TMemoInplaceEditor editor);

  bool FDisplayDateTime = true;
  bool FFullSizeMemo = false;
  int FValueChecked = 1;
  int FValueUnChecked = 0;
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
  TExportDelimiter FExportDelimiter = TExportDelimiter::Pipe;
  QString FRegistrySaveName;
  bool FSearchMode = false;
  QLineEdit *FSearchEdit = nullptr;
  TExDBGridControls FControls;
  QPointer<QWidget> FFormControl;
  std::unique_ptr<TExDBGridEditors> FEditors;
  TMemoViewType FMemoViewType = TMemoViewType::WordWrapOn;
  bool FDisplayPopupEditors = false;
  bool FScrollHints = false;
  QLabel *FScrollHint = nullptr;
  TMemoInplaceEditor FMemoInplaceEditor = TMemoInplaceEditor::Memo;
  QMenu *FMenu = nullptr;
  std::vector<QAction *> FMenuItems;
  bool FUseBitmapDrawing = false;
  QString FReportCaption;
  bool FMaskedColumnDrag = true;
  QPointer<QMenu> FPopupMenu;
  TExGridCellPainter FPainter{*this};
  TExGridInput FInput{*this, *this};
  TExGridRowHeights FRowHeights{*this, *this};
  QString FHint;
};
