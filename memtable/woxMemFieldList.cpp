#include "woxMemFieldList.h"

#include <algorithm>

TwoxMemTableCompareOptions IndexOptionsToCompareOptions(TIndexOptions options) {
  TwoxMemTableCompareOptions result;
  result.setFlag(mtcoUnique, options.testFlag(ixUnique));
  result.setFlag(mtcoDescending, options.testFlag(ixDescending));
  result.setFlag(mtcoCaseInsensitive, options.testFlag(ixCaseInsensitive));
  result.setFlag(mtcoNonMaintained, options.testFlag(ixNonMaintained));
  return result;
}

void TwoxFieldList::Add(TField *field, TwoxMemTableCompareOptions options) {
  FFields.push_back(field);
  FOptions.push_back(options);
}

int TwoxFieldList::IndexOf(const TField *field) const {
  const auto it = std::find(FFields.begin(), FFields.end(), field);
  return it == FFields.end() ? -1 : int(it - FFields.begin());
}

void TwoxFieldList::Assign(const TwoxFieldList &source) {
  FFields = source.FFields;
  FOptions = source.FOptions;
}

void TwoxFieldList::Clear() {
  FFields.clear();
  FOptions.clear();
}
