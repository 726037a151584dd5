#pragma once

#include <QString>
#include <vector>

// A form control shown in the cells of one field: the control is found by name on the grid's form.
class TExDBGridControl {
public:
  QString ControlName;
  QString FieldName;
  void Assign(const TExDBGridControl &Source) { *this = Source; }
};

// The controls of a grid, looked up by field name without regard to case.
class TExDBGridControls {
public:
  int Count() const { return int(FItems.size()); }
  TExDBGridControl &Items(int Index) { return FItems.at(size_t(Index)); }
  const TExDBGridControl &Items(int Index) const { return FItems.at(size_t(Index)); }
  TExDBGridControl &Add();
  void Clear() { FItems.clear(); }
  void Assign(const TExDBGridControls &Source) { FItems = Source.FItems; }
  // The first item whose FieldName matches, or null.
  const TExDBGridControl *FindControl(const QString &FieldName) const;

private:
  std::vector<TExDBGridControl> FItems;
};
