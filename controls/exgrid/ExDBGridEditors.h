#pragma once

#include "Graphics.h"

#include <QPoint>
#include <QPointer>
#include <QRect>

#include "DBCtrls.h"
#include "DBRichEdit.h"
#include "ExDateTimePicker.h"

class QEvent;
class QObject;
class QWidget;
class TColumn;
class TExDBGrid;
class TExGridAccess;
class TField;

// Gives a widget the grid's edit colour as its background.
void ApplyEditColor(QWidget &widget, TColor color);

// The in-place editors of a TExDBGrid: the date picker of date and time cells, the memo and
// rich-text editors of memo cells, and the popup field editor. The editors live on the grid's form
// (so they may reach past the grid's edge) but belong to the grid: they go when it goes.
class TExDBGridEditors {
public:
  TExDBGridEditors(TExDBGrid &grid, const TExGridAccess &access);
  ~TExDBGridEditors();

  TExDateTimePicker *Picker() const { return FPicker; }
  TDBMemo *Memo() const { return FMemo; }
  TDBRichEdit *RichEdit() const { return FRichEdit; }

  bool IsDatePickerCell(TColumn *Column) const;
  bool IsMemoCell(TColumn *Column) const;
  // Readies the editor of the focused cell over it without showing it.
  void PrepareDatePicker(const QRect &cell, TField *field);
  void PrepareMemo(const QRect &cell);
  // Shows and focuses the editor of the selected cell when it has one.
  void ShowDatePicker();
  void HideDatePicker(bool refocusGrid);
  void ShowMemo();
  // Without dgAlwaysShowEditor the editors open on the second click on the same cell.
  void CellClicked(TColumn *Column);
  // Opens TExDBGridCtlsForm for the selected memo or picture cell; false when the cell has none.
  bool ShowPopupEditor();
  // The editors' own keys and focus changes; true when the event was taken.
  bool Filter(QObject *watched, QEvent *event);

private:
  QWidget *MemoWidget() const;
  void CreatePicker();
  void CreateMemo();
  void StorePickerValue();
  void PickerChanged();
  bool PickerEvent(QEvent *event);
  bool MemoEvent(QEvent *event);
  void UnbindMemo();
  QRect OnForm(const QRect &cell) const;
  // The picker over a cell: the cell grown by 2 pixels, at least as wide as a whole date needs.
  QRect PickerBounds(const QRect &cell) const;

  TExDBGrid &FGrid;
  const TExGridAccess &FAccess;
  QPointer<TExDateTimePicker> FPicker;
  QPointer<TDBMemo> FMemo;
  QPointer<TDBRichEdit> FRichEdit;
  bool FPreparing = false;
  // The person changed the picker since it was last prepared; the edit it started itself.
  bool FPickerEdited = false;
  bool FPickerStartedEdit = false;
  QPoint FClickedCell{-1, -1};
};
