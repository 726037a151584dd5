#pragma once

#include "Exceptions.h"

#include <QString>
#include <memory>
#include <vector>

// An owned, ordered list of named items (field, index and parameter definitions); names compare
// ignoring ASCII case.
template <class T> class TNamedCollection {
public:
  TNamedCollection(const TNamedCollection &) = delete;
  TNamedCollection &operator=(const TNamedCollection &) = delete;

  int Count() const { return int(FItems.size()); }
  T *Items(int index) const {
    if (index < 0 || index >= Count())
      throw EDatabaseError(QStringLiteral("%1 index %2 out of range").arg(FKind).arg(index));
    return FItems[std::size_t(index)].get();
  }
  T *operator[](int index) const { return Items(index); }
  int IndexOf(const QString &name) const {
    for (int i = 0; i < Count(); ++i)
      if (FItems[std::size_t(i)]->Name().compare(name, Qt::CaseInsensitive) == 0)
        return i;
    return -1;
  }
  void Clear() {
    FItems.clear();
    FUpdated = false;
  }
  void Delete(int index) {
    Items(index);
    FItems.erase(FItems.begin() + index);
    FUpdated = false;
  }
  // False after every change until the owner marks the list current.
  bool Updated() const { return FUpdated; }
  void SetUpdated(bool value) { FUpdated = value; }

protected:
  explicit TNamedCollection(QString kind) : FKind(std::move(kind)) {}
  ~TNamedCollection() = default;
  T *AddItem(std::unique_ptr<T> item) {
    FItems.push_back(std::move(item));
    FUpdated = false;
    return FItems.back().get();
  }
  const std::vector<std::unique_ptr<T>> &ItemList() const { return FItems; }

private:
  QString FKind;
  std::vector<std::unique_ptr<T>> FItems;
  bool FUpdated = false;
};
