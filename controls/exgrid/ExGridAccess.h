#pragma once

class TColumn;

// What the grid's helpers (input, editors) need of a TExDBGrid beyond its public API.
class TExGridAccess {
public:
  // The column of a grid column index (the indicator counted), or nullptr.
  virtual TColumn *ColumnOf(int RawCol) const = 0;
  // The dataset is open and may be changed through the grid.
  virtual bool CanModifyData() const = 0;

protected:
  ~TExGridAccess() = default;
};
