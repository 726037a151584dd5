#include "BookmarkList.h"

#include "DB.h"
#include "DBGrids.h"

TDataSet *TBookmarkList::DataSet() const {
  TGridDataLink *link = FGrid->DataLink();
  return link->Active() ? link->DataSet() : nullptr;
}

TBookmark TBookmarkList::CurrentBookmark() const {
  TDataSet *dataSet = DataSet();
  if (!dataSet || dataSet->IsEmpty())
    return {};
  return dataSet->GetBookmark();
}

bool TBookmarkList::Find(const TBookmark &item, int &index) const {
  TDataSet *dataSet = DataSet();
  int low = 0;
  int high = Count() - 1;
  while (dataSet && low <= high) {
    const int middle = (low + high) / 2;
    const int order = Compare(FList[size_t(middle)], item);
    if (order == 0) {
      index = middle;
      return true;
    }
    if (order < 0)
      low = middle + 1;
    else
      high = middle - 1;
  }
  index = low;
  return false;
}

int TBookmarkList::IndexOf(const TBookmark &item) const {
  int index = -1;
  return Find(item, index) ? index : -1;
}

int TBookmarkList::Compare(const TBookmark &item1, const TBookmark &item2) const {
  TDataSet *dataSet = DataSet();
  return dataSet ? dataSet->CompareBookmarks(item1, item2) : 0;
}

bool TBookmarkList::CurrentRowSelected() const {
  const TBookmark current = CurrentBookmark();
  return !current.isEmpty() && IndexOf(current) >= 0;
}

void TBookmarkList::SetCurrentRowSelected(bool value) {
  const TBookmark current = CurrentBookmark();
  if (current.isEmpty())
    return;
  int index = 0;
  const bool found = Find(current, index);
  if (found == value)
    return;
  if (value)
    FList.insert(FList.begin() + index, current);
  else
    FList.erase(FList.begin() + index);
  FGrid->InvalidateRow(FGrid->Row());
}

void TBookmarkList::Clear() {
  if (FList.empty())
    return;
  FList.clear();
  Changed();
}

void TBookmarkList::Delete() {
  TDataSet *dataSet = DataSet();
  if (!dataSet)
    return;
  dataSet->DisableControls();
  try {
    while (!FList.empty()) {
      if (dataSet->BookmarkValid(FList.back())) {
        dataSet->GotoBookmark(FList.back());
        dataSet->Delete();
      }
      FList.pop_back();
    }
  } catch (...) {
    dataSet->EnableControls();
    Changed();
    throw;
  }
  dataSet->EnableControls();
  Changed();
}

bool TBookmarkList::Refresh() {
  TDataSet *dataSet = DataSet();
  if (!dataSet)
    return false;
  const auto before = FList.size();
  std::erase_if(FList, [dataSet](const TBookmark &item) { return !dataSet->BookmarkValid(item); });
  if (FList.size() == before)
    return false;
  Changed();
  return true;
}

void TBookmarkList::LinkActive(bool value) {
  if (!value)
    FList.clear();
}

void TBookmarkList::Changed() { FGrid->InvalidateGrid(); }
