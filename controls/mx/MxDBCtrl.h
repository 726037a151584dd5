#pragma once

#include "DBGrids.h"
#include "MxAppUtils.h"
#include "MxGridSelection.h"
#include "MxIndicatorMarks.h"
#include "MxTitleButtonPress.h"

#include <QImage>
#include <functional>
#include <memory>

class TFormPlacement;
class TMxDBGridLayout;

enum TSortMarker { smNone, smDown, smUp };

using TGetCellParamsEvent =
    std::function<void(QObject *Sender, TField *Field, TFont &AFont, TColor &Background, bool Highlight)>;
using TGetCellPropsEvent =
    std::function<void(QObject *Sender, TField *Field, TFont &AFont, TColor &Background)>;
using TGetBtnParamsEvent = std::function<void(QObject *Sender, TField *Field, TFont &AFont,
                                              TColor &Background, TSortMarker &SortMarker, bool IsDown)>;
using TCheckTitleBtnEvent = std::function<void(QObject *Sender, int ACol, TField *Field, bool &Enabled)>;
using TTitleClickEvent = std::function<void(QObject *Sender, int ACol, TField *Field)>;
using TDBEditShowEvent = std::function<void(QObject *Sender, TField *Field, bool &AllowEdit)>;

// Indexes of the grid bitmaps.
enum TGridBitmap {
  gbBlob,
  gbMemo,
  gbPicture,
  gbOle,
  gbObject,
  gbData,
  gbNotEmpty,
  gbSortDown,
  gbSortUp,
};

// The data grid of the program's windows: per-cell colours and fonts, glyphs for binary fields,
// its own multi-row selection with marks in the indicator, title buttons with sort markers,
// frozen columns, Ctrl+Del for the selected rows, and its column layout in an ini store.
class TMxDBGrid : public TDBGrid {
public:
  explicit TMxDBGrid(QWidget *parent = nullptr);
  ~TMxDBGrid() override;

  // dgMultiSelect stands for MultiSelect; the framework grid never sees it.
  TDBGridOptions Options() const;
  void SetOptions(TDBGridOptions value);
  // The frozen data columns (the indicator not counted).
  int FixedCols() const;
  void SetFixedCols(int value);
  bool ClearSelection() const { return FSelection.ClearSelection(); }
  void SetClearSelection(bool value) { FSelection.SetClearSelection(value); }
  bool DefaultDrawing() const { return FDefaultDrawing; }
  void SetDefaultDrawing(bool value);
  TFormPlacement *IniStorage() const;
  void SetIniStorage(TFormPlacement *value);
  bool MultiSelect() const { return FSelection.Enabled(); }
  void SetMultiSelect(bool value);
  bool ShowGlyphs() const { return FShowGlyphs; }
  void SetShowGlyphs(bool value);
  bool TitleButtons() const { return FTitleButtons; }
  void SetTitleButtons(bool value);
  int RowsHeight() const { return DefaultRowHeight(); }
  void SetRowsHeight(int value);

  // The column layout (order and widths) in the store; without customised columns, the fields'.
  void SaveLayout(TIniObject IniObject, const QString &Section);
  void RestoreLayout(TIniObject IniObject, const QString &Section);
  // The glyph shown in place of the field's text, or -1 for text.
  int GetImageIndex(TField *Field) const;
  static const QImage &GetGridBitmap(int Index);

  TCheckTitleBtnEvent OnCheckButton;
  TGetCellPropsEvent OnGetCellProps;
  TGetCellParamsEvent OnGetCellParams;
  TGetBtnParamsEvent OnGetBtnParams;
  std::function<void(QObject *Sender)> OnEditChange;
  TTitleClickEvent OnTitleBtnClick;
  TDBEditShowEvent OnShowEditor;
  std::function<void(QObject *Sender)> OnTopLeftChanged;

  void KeyDown(int &Key, TShiftState Shift) override;

protected:
  void Paint() override;
  TInplaceEdit *CreateEditor() override;
  bool CanEditShow() override;
  void DrawCell(int ACol, int ARow, const QRect &ARect, TGridDrawState AState) override;
  bool HighlightCell(int DataCol, int DataRow, const QString &Value, TGridDrawState AState) override;
  void LayoutChanged() override;
  void SetColumnAttributes() override;
  void TopLeftChanged() override;
  void ColWidthsChanged() override;
  void DrawColumnCell(const QRect &Rect, int DataCol, TColumn *Column, TGridDrawState State) override;
  void DrawDataCell(const QRect &Rect, TField *Field, TGridDrawState State) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void DoExit() override;

  virtual void DoTitleClick(int ACol, TField *AField);
  virtual void CheckTitleButton(int ACol, int ARow, bool &Enabled);
  virtual void EditChanged(QObject *Sender);
  virtual void GetCellProps(TField *Field, TFont &AFont, TColor &Background, bool Highlight);

private:
  bool LinkActive() const { return DataLink()->Active(); }
  int TitleRows() const { return TitleOffset(); }
  int FirstDataCol() const;
  void KeepCursorOutOfFrozenColumns(int previousCol);
  bool CurrentRowIsSelected() const;
  // Keys.
  bool CtrlKeyDown(int &Key);
  bool PlainKeyDown(int &Key, TShiftState Shift);
  void DoSelection(bool Select, int Direction);
  void DeleteSelectedRecords();
  void CheckTabWrap(bool Forward);
  // Title buttons.
  bool OnSizingBorder(int X, int Y) const;
  // The column whose title is under the point, or -1.
  int TitleColAt(int X, int Y) const;
  void StopTracking();
  void InvalidateTitles();
  // Drawing.
  void DrawIndicatorMark(int ARow, const QRect &ARect);
  void DrawTitleButton(int ACol, const QRect &ARect);

  bool FShowGlyphs = true;
  bool FDefaultDrawing = true;
  TMxGridSelection FSelection;
  bool FTitleButtons = false;
  TMxTitleButtonPress FTitlePress;
  std::unique_ptr<TMxDBGridLayout> FLayout;
  int FFixedCols = 0;
  TMxIndicatorMarks FMsIndicators;
};
