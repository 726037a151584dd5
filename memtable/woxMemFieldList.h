#pragma once

#include "DBTypes.h"

#include <QFlags>
#include <vector>

class TField;

enum TwoxMemTableCompareOption {
  mtcoDescending = 1,
  mtcoCaseInsensitive = 2,
  mtcoPartialKey = 4,
  mtcoIgnoreNullKey = 8,
  mtcoIgnoreLocale = 16,
  mtcoUnique = 32,
  mtcoNonMaintained = 64
};
Q_DECLARE_FLAGS(TwoxMemTableCompareOptions, TwoxMemTableCompareOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(TwoxMemTableCompareOptions)

TwoxMemTableCompareOptions IndexOptionsToCompareOptions(TIndexOptions options);

// Fields with their compare options, for indexes, searches and copies.
class TwoxFieldList {
public:
  virtual ~TwoxFieldList() = default;

  void Add(TField *field, TwoxMemTableCompareOptions options);
  TField *Fields(int index) const { return FFields[std::size_t(index)]; }
  TwoxMemTableCompareOptions Options(int index) const { return FOptions[std::size_t(index)]; }
  void SetOptions(int index, TwoxMemTableCompareOptions options) { FOptions[std::size_t(index)] = options; }
  int Count() const { return int(FFields.size()); }
  int IndexOf(const TField *field) const;
  void Assign(const TwoxFieldList &source);
  virtual void Clear();

private:
  std::vector<TField *> FFields;
  std::vector<TwoxMemTableCompareOptions> FOptions;
};
