#pragma once

#include "DBTypes.h"
#include "Graphics.h"

#include <QStringList>
#include <memory>
#include <vector>

class TColumn;
class TCustomDBGrid;
class TDBGridColumns;
class TField;

enum TColumnButtonStyle { cbsAuto, cbsEllipsis, cbsNone };

// Which properties of a column hold their own value instead of following the grid or the field.
enum TColumnValue {
  cvColor = 1 << 0,
  cvWidth = 1 << 1,
  cvFont = 1 << 2,
  cvAlignment = 1 << 3,
  cvReadOnly = 1 << 4,
  cvTitleColor = 1 << 5,
  cvTitleCaption = 1 << 6,
  cvTitleAlignment = 1 << 7,
  cvTitleFont = 1 << 8,
};
using TColumnValues = int;

// A column's title: caption (the field's display label by default), font (the grid's TitleFont),
// colour (the grid's FixedColor) and alignment.
class TColumnTitle {
public:
  explicit TColumnTitle(TColumn *column);

  TColumn *Column() const { return FColumn; }
  QString Caption() const;
  void SetCaption(const QString &value);
  TFont &Font();
  TColor Color() const;
  void SetColor(TColor value);
  TAlignment Alignment() const;
  void SetAlignment(TAlignment value);
  void RestoreDefaults();

private:
  TColumn *FColumn;
  QString FCaption;
  TFont FFont;
  bool FSyncingFont = false;
  TColor FColor = clBtnFace;
  TAlignment FAlignment = taLeftJustify;
};

// One column of a data grid. Properties not set follow their defaults: the field (alignment,
// read-only, width from its display width) and the grid (font, colour).
class TColumn {
public:
  explicit TColumn(TDBGridColumns *collection);
  ~TColumn();
  TColumn(const TColumn &) = delete;
  TColumn &operator=(const TColumn &) = delete;

  TDBGridColumns *Collection() const { return FCollection; }
  TCustomDBGrid *Grid() const;
  // The dataset field named FieldName (nullptr while the grid's data link is inactive).
  TField *Field() const;
  void SetField(TField *value);
  const QString &FieldName() const { return FFieldName; }
  void SetFieldName(const QString &value);
  int Index() const;
  void SetIndex(int value);
  int Width() const;
  void SetWidth(int value);
  int DefaultWidth() const;
  bool Visible() const { return FVisible; }
  void SetVisible(bool value);
  bool Showing() const { return FVisible; }
  TFont &Font();
  TColor Color() const;
  void SetColor(TColor value);
  TAlignment Alignment() const;
  void SetAlignment(TAlignment value);
  bool ReadOnly() const;
  void SetReadOnly(bool value);
  TColumnButtonStyle ButtonStyle() const { return FButtonStyle; }
  void SetButtonStyle(TColumnButtonStyle value) { FButtonStyle = value; }
  QStringList &PickList() { return FPickList; }
  const QStringList &PickList() const { return FPickList; }
  void SetPickList(const QStringList &value) { FPickList = value; }
  int DropDownRows() const { return FDropDownRows; }
  void SetDropDownRows(int value) { FDropDownRows = value; }
  TColumnTitle &Title() { return FTitle; }
  const TColumnTitle &Title() const { return FTitle; }
  TColumnValues AssignedValues() const { return FAssigned; }
  void RestoreDefaults();

  // Forgets the field found by name (the dataset's fields come and go with opening).
  void UnbindField() const { FField = nullptr; }
  // Called by the title and the grid.
  void Assigned(TColumnValue value) { FAssigned |= value; }
  void Changed();

private:
  TDBGridColumns *FCollection;
  QString FFieldName;
  mutable TField *FField = nullptr;
  int FWidth = 64;
  bool FVisible = true;
  TFont FFont;
  bool FSyncingFont = false;
  TColor FColor = clWindow;
  TAlignment FAlignment = taLeftJustify;
  bool FReadOnly = false;
  TColumnButtonStyle FButtonStyle = cbsAuto;
  QStringList FPickList;
  int FDropDownRows = 7;
  TColumnTitle FTitle;
  TColumnValues FAssigned = 0;
};

enum TDBGridColumnsState { csDefault, csCustomized };

// The grid's columns: default ones made from the dataset's visible fields, or customised ones
// that the program adds.
class TDBGridColumns {
public:
  explicit TDBGridColumns(TCustomDBGrid *grid);
  ~TDBGridColumns();

  TCustomDBGrid *Grid() const { return FGrid; }
  int Count() const { return int(FItems.size()); }
  TColumn *Items(int index) const { return FItems.at(size_t(index)).get(); }
  TColumn *operator[](int index) const { return Items(index); }
  // A new customised column; the default columns go first.
  TColumn *Add();
  void Delete(int index);
  void Clear();
  TDBGridColumnsState State() const { return FState; }
  // csDefault rebuilds the default columns; csCustomized keeps the present ones as customised.
  void SetState(TDBGridColumnsState value);
  // One customised column per field of the dataset.
  void RebuildColumns();
  void RestoreDefaults();
  int IndexOf(const TColumn *column) const;
  void Move(int fromIndex, int toIndex);

  // Called by the grid's layout: the default columns for the dataset's visible fields.
  void BuildDefaultColumns();
  // Called by columns when a property changed.
  void Changed();

private:
  TCustomDBGrid *FGrid;
  std::vector<std::unique_ptr<TColumn>> FItems;
  TDBGridColumnsState FState = csDefault;
};
