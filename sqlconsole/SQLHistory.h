#pragma once

#include <QStringList>
#include <vector>

// The statements the console ran, in order, duplicates kept, for as long as the window lives. Each
// entry keeps its own lines, so no character of a statement can pass for a line break.
class TSQLHistory {
public:
  // Adds a statement (lines broken by CR LF) and makes it the current entry.
  void Add(const QString &text);
  int Count() const { return int(FEntries.size()); }
  // The current entry; -1 while the history is empty.
  int Index() const { return FIndex; }
  QString Entry(int index) const;
  bool CanGoBack() const { return FIndex > 0 && Count() > 0; }
  bool CanGoForward() const { return FIndex < Count() - 1 && Count() > 0; }
  // Moves to the previous or next entry and returns its text; at either end the current one stays.
  QString Back();
  QString Forward();

private:
  std::vector<QStringList> FEntries;
  int FIndex = -1;
};
