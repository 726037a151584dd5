#pragma once

#include "MxAppUtils.h"

#include <QString>
#include <utility>
#include <vector>

class TDataSet;

// True when the dataset is closed, or open with both Bof and Eof set.
bool DataSetEmpty(TDataSet *DataSet);
// The default section of the dataset's owner form, or the dataset's name without a form owner.
QString DataSetSectionName(TDataSet *DataSet);
// Section, or DataSetSectionName when it is empty.
QString DataSetSection(TDataSet *DataSet, const QString &Section);
// One value per field: key dataset name + field name, value "index,display width,visible".
void SaveFields(TDataSet *DataSet, TIniObject IniObject, const QString &Section);
// Reads them back (visibility only when asked) and reorders the fields by their wanted index.
void RestoreFields(TDataSet *DataSet, TIniObject IniObject, const QString &Section, bool RestoreVisible);

// The n-th word (1-based) of a stored layout value as a number; the fallback when it is none.
int LayoutWord(const QString &value, int n, int fallback);

// For each position 0 .. count - 1 in turn, the first item (in the list's order) that wants that
// position is moved there; positions nobody wants keep whatever item lands there.
template <class Item, class MoveTo>
void MoveToWantedPositions(const std::vector<std::pair<Item, int>> &wanted, int count, MoveTo moveTo) {
  for (int position = 0; position < count; ++position)
    for (const auto &[item, index] : wanted)
      if (index == position) {
        moveTo(item, position);
        break;
      }
}
