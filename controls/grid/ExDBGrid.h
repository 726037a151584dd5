#pragma once

#include "DBGrids.h"
#include "ExDBGridExport.h"

#include <QFlags>
#include <functional>

class QLabel;
class QLineEdit;
class QMenu;
class QAction;

enum TAutoWidth { awNone, awDefault, awProportional, awUniform, awWidestValue, awWidestValueTitle };

enum TExMenuOption {
  exAutoSize, exAutoWidth, exDisplayBoolean, exDisplayImages, exDisplayMemo, exDisplayDateTime,
  exShowTextEllipsis, exShowTitleEllipsis, exFullSizeMemo, exAllowRowSizing, exCellHints,
  exMultiLineTitles, exUseRowColors, exFixedColumns, exPrintGrid, exPrintDataSet, exExportGrid,
  exSelectAll, exUnSelectAll, exQueryByForm, exSortByForm, exMemoInplaceEditors, exCustomize,
  exSearchMode, exSaveLayout, exLoadLayout
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

  TColor EditColor() const { return FEditColor; }
  void SetEditColor(TColor value) { FEditColor = value; }
  TExportDelimiter ExportDelimiter() const { return FExportDelimiter; }
  void SetExportDelimiter(TExportDelimiter value) { FExportDelimiter = value; }
  const QString &RegistrySaveName() const { return FRegistrySaveName; }
  void SetRegistrySaveName(const QString &value) { FRegistrySaveName = value; }
  bool SearchMode() const { return FSearchMode; }
  void SetSearchMode(bool value);

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

protected:
  void DrawCell(int ACol, int ARow, const QRect &ARect, TGridDrawState AState) override;
  void DrawColumnCell(const QRect &Rect, int DataCol, TColumn *Column, TGridDrawState State) override;
  bool CanEditShow() override;
  TInplaceEdit *CreateEditor() override;
  bool HighlightCell(int DataCol, int DataRow, const QString &Value, TGridDrawState AState) override;
  void SetColumnAttributes() override;
  void LinkActive(bool Value) override;
  void CellClick(TColumn *Column) override;
  void TitleClick(TColumn *Column) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void Scroll(int Distance) override;
  void Resize() override;
  void DblClick() override;
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
  void ToggleCheck(TField *field);
  // Column sizing.
  bool CanSize() const;
  void ApplyAutoWidth(TAutoWidth mode);
  void SizeToWidestValues(bool titleMinimum);
  void ShareAvailableWidth(bool proportional);
  int AvailableWidth(int visibleCount) const;
  // Cell hints.
  void UpdateCellHint(int x, int y);
  void HideCellHint();
  // Layout and search.
  QString LayoutKey();
  void ShowSearchEdit(TColumn *Column);
  void SearchEditChange();
  void HideSearchEdit();
  // The option menu.
  void BuildMenu();
  void UpdateMenuChecks();
  void UpdateMenuVisibility();
  void Wire(int index, const std::function<void()> &handler);
  void RunGuarded(const std::function<void()> &change);
  void ToggleItem(int index, bool (TExDBGrid::*getter)() const, void (TExDBGrid::*setter)(bool));
  void SelectAllRows(bool select);

  bool FDisplayBoolean = true;
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
  QMenu *FMenu = nullptr;
  std::vector<QAction *> FMenuItems;
  QLabel *FCellHint = nullptr;
  TGridCoord FHintCell{-1, -1};
};
