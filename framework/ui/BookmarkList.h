#pragma once

#include "DBTypes.h"

#include <vector>

class TCustomDBGrid;
class TDataSet;

// The data grid's selected records (SelectedRows): bookmarks kept in the dataset's order.
class TBookmarkList {
public:
  explicit TBookmarkList(TCustomDBGrid *grid) : FGrid(grid) {}

  int Count() const { return int(FList.size()); }
  const TBookmark &Items(int index) const { return FList.at(size_t(index)); }
  // Whether the bookmark is selected; index is its place, or where it would go.
  bool Find(const TBookmark &item, int &index) const;
  int IndexOf(const TBookmark &item) const;
  // The dataset's order of two bookmarks: -1, 0 or 1.
  int Compare(const TBookmark &item1, const TBookmark &item2) const;
  bool CurrentRowSelected() const;
  void SetCurrentRowSelected(bool value);
  void Clear();
  // Deletes every selected record from the dataset.
  void Delete();
  // Drops bookmarks of records that no longer exist; true when any went.
  bool Refresh();

  // The grid's data link opened or closed.
  void LinkActive(bool value);

private:
  TDataSet *DataSet() const;
  TBookmark CurrentBookmark() const;
  void Changed();

  TCustomDBGrid *FGrid;
  std::vector<TBookmark> FList;
};
