#pragma once

#include "DB.h"

// Keeps a dataset's controls disabled for a scope, re-enabling them however the scope ends.
class TControlsDisabled {
public:
  explicit TControlsDisabled(TDataSet &dataSet) : FDataSet(dataSet) { FDataSet.DisableControls(); }
  ~TControlsDisabled() { FDataSet.EnableControls(); }
  TControlsDisabled(const TControlsDisabled &) = delete;
  TControlsDisabled &operator=(const TControlsDisabled &) = delete;

private:
  TDataSet &FDataSet;
};
