#pragma once

#include <utility>
#include <vector>

// The geometry of one direction of a grid (columns across, rows down): fixed cells first, then
// the scrollable cells from First on. Each visible cell is followed by its grid line; a cell of
// extent 0 or less is hidden and has no line.
class TGridAxis {
public:
  const std::vector<int> *Extents = nullptr;
  int FixedCount = 0;
  int First = 0;
  int FixedLine = 0;
  int Line = 0;
  int ClientExtent = 0;

  int Count() const { return int(Extents->size()); }
  int Extent(int index) const { return (*Extents)[size_t(index)]; }
  bool Hidden(int index) const { return Extent(index) <= 0; }
  int LineAfter(int index) const {
    if (Hidden(index))
      return 0;
    return index < FixedCount ? FixedLine : Line;
  }
  int Span(int index) const { return Hidden(index) ? 0 : Extent(index) + LineAfter(index); }

  // Where the scrollable cells begin.
  int FixedBoundary() const {
    int pos = 0;
    for (int i = 0; i < FixedCount && i < Count(); ++i)
      pos += Span(i);
    return pos;
  }

  // The start of the cell in client coordinates; -1 when it is scrolled off, hidden or beyond
  // the client area.
  int Start(int index) const {
    if (index < 0 || index >= Count() || Hidden(index))
      return -1;
    if (index < FixedCount) {
      int pos = 0;
      for (int i = 0; i < index; ++i)
        pos += Span(i);
      return pos < ClientExtent ? pos : -1;
    }
    if (index < First)
      return -1;
    int pos = FixedBoundary();
    for (int i = First; i < index; ++i) {
      pos += Span(i);
      if (pos >= ClientExtent)
        return -1;
    }
    return pos < ClientExtent ? pos : -1;
  }

  // The cell at a client position (grid lines count with the cell before them); -1 for none.
  int CellAt(int pos) const {
    if (pos < 0)
      return -1;
    int start = 0;
    for (int i = 0; i < FixedCount && i < Count(); ++i) {
      start += Span(i);
      if (pos < start)
        return i;
    }
    for (int i = First; i < Count() && start < ClientExtent; ++i) {
      start += Span(i);
      if (pos < start)
        return i;
    }
    return -1;
  }

  // The last scrollable cell that shows at all, or wholly; First - 1 when none does.
  int LastVisible(bool fullOnly) const {
    int pos = FixedBoundary();
    int last = First - 1;
    for (int i = First; i < Count() && pos < ClientExtent; ++i) {
      pos += Span(i);
      if (fullOnly && pos - LineAfter(i) > ClientExtent)
        break;
      last = i;
    }
    return last;
  }

  // The largest First from which the remaining cells still fill the client area.
  int MaxFirst() const {
    const int room = ClientExtent - FixedBoundary();
    int used = 0;
    int first = Count() - 1;
    for (int i = Count() - 1; i >= FixedCount; --i) {
      used += Span(i);
      if (used - LineAfter(i) > room)
        break;
      first = i;
    }
    return first < FixedCount ? FixedCount : first;
  }

  // The First that shows the cell wholly with the least scrolling (the cell itself when it does
  // not fit).
  int FirstToShow(int index) const {
    if (index < FixedCount)
      return First;
    if (index < First)
      return index;
    const int room = ClientExtent - FixedBoundary();
    int used = Extent(index);
    int first = index;
    for (int i = index - 1; i >= First; --i) {
      used += Span(i);
      if (used > room)
        break;
      first = i;
    }
    return first > First ? first : First;
  }

  // The cells on the screen, fixed ones first, as (index, start).
  std::vector<std::pair<int, int>> VisibleCells() const {
    std::vector<std::pair<int, int>> cells;
    int pos = 0;
    for (int i = 0; i < FixedCount && i < Count() && pos < ClientExtent; ++i) {
      if (!Hidden(i))
        cells.emplace_back(i, pos);
      pos += Span(i);
    }
    for (int i = First; i < Count() && pos < ClientExtent; ++i) {
      if (!Hidden(i))
        cells.emplace_back(i, pos);
      pos += Span(i);
    }
    return cells;
  }

  // Where the drawn cells end (at most a little past the client area).
  int VisibleExtent() const {
    int pos = FixedBoundary();
    for (int i = First; i < Count() && pos < ClientExtent; ++i)
      pos += Span(i);
    return pos;
  }
};
