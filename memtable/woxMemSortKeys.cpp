#include "woxMemSortKeys.h"

#include "DB.h"
#include "Win1250.h"
#include "woxMemCommon.h"
#include "woxMemCompare.h"

#include <QCollator>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <numeric>
#include <string_view>
#include <unordered_map>

namespace {

// Text under a collation is sorted by rank: each distinct value gets its sort key once, the distinct
// values are put in order by those keys, and a record's key is its value's place in that order.
enum TKeyKind { kkNone, kkInteger, kkDouble, kkBytes, kkAsciiNoCase, kkCollation };

// One key field's values for every record, by record position.
struct TKeyColumn {
  TKeyKind Kind = kkNone;
  bool Descending = false;
  bool CaseInsensitive = false;
  std::vector<char> Null;
  std::vector<qint64> Integers;
  std::vector<double> Doubles;
  std::vector<TwoxValueView> Texts;
};

template <class T> T Read(const char *p) {
  T value;
  std::memcpy(&value, p, sizeof value);
  return value;
}

template <class T> int Sign(T a, T b) { return a < b ? -1 : (b < a ? 1 : 0); }

bool KindOf(TFieldType type, TwoxMemTableCompareOptions options, TKeyKind &kind) {
  if (options & (mtcoPartialKey | mtcoIgnoreNullKey))
    return false;
  switch (type) {
  case ftSmallint:
  case ftInteger:
  case ftAutoInc:
  case ftDate:
  case ftTime:
  case ftWord:
  case ftBoolean:
  case ftLargeint: kind = kkInteger; return true;
  case ftFloat:
  case ftCurrency:
  case ftDateTime: kind = kkDouble; return true;
  case ftString:
  case ftFixedChar:
    kind = !options.testFlag(mtcoIgnoreLocale)           ? kkCollation
           : options.testFlag(mtcoCaseInsensitive) ? kkAsciiNoCase
                                                   : kkBytes;
    return true;
  case ftBCD: return false;
  default: kind = kkNone; return true; // compares equal
  }
}

// The ranks of the texts (equal under the collator, equal rank) into column.Integers.
void RankTexts(TKeyColumn &column, const std::vector<TwoxValueView> &texts, const QCollator &collator) {
  std::unordered_map<std::string_view, int> distinct;
  std::vector<std::string_view> values;
  std::vector<int> valueOfRecord(texts.size(), -1);
  for (std::size_t i = 0; i < texts.size(); ++i) {
    if (column.Null[i])
      continue;
    const std::string_view text(texts[i].Bytes, std::size_t(texts[i].Size));
    const auto [it, added] = distinct.emplace(text, int(values.size()));
    if (added)
      values.push_back(text);
    valueOfRecord[i] = it->second;
  }
  std::vector<QCollatorSortKey> keys;
  keys.reserve(values.size());
  for (const std::string_view value : values)
    keys.push_back(collator.sortKey(Win1250::Decode(value.data(), qsizetype(value.size()))));
  std::vector<int> order(values.size());
  std::iota(order.begin(), order.end(), 0);
  std::sort(order.begin(), order.end(), [&](int a, int b) { return keys[std::size_t(a)].compare(keys[std::size_t(b)]) < 0; });
  std::vector<qint64> rank(values.size());
  for (std::size_t k = 0; k < order.size(); ++k) {
    const bool sameAsPrevious =
        k > 0 && keys[std::size_t(order[k - 1])].compare(keys[std::size_t(order[k])]) == 0;
    rank[std::size_t(order[k])] = k == 0 ? 0 : rank[std::size_t(order[k - 1])] + (sameAsPrevious ? 0 : 1);
  }
  column.Integers.resize(texts.size());
  for (std::size_t i = 0; i < texts.size(); ++i)
    column.Integers[i] = valueOfRecord[i] < 0 ? 0 : rank[std::size_t(valueOfRecord[i])];
}

bool FillColumn(TKeyColumn &column, TField *field, const std::vector<TwoxRecord *> &records, const TwoxCommon &store) {
  const TwoxFieldInfo *info = store.FieldInfo(field->FieldNo());
  const TFieldType type = field->DataType();
  const std::size_t count = records.size();
  column.Null.resize(count);
  QByteArray scratch;
  for (std::size_t i = 0; i < count; ++i) {
    const TwoxValueView view = store.View(*records[i], field, *info, scratch);
    column.Null[i] = view.Null;
    switch (column.Kind) {
    case kkInteger: column.Integers.push_back(view.Null ? 0 : MemCompare::StoredInteger(type, view.Bytes)); break;
    case kkDouble: {
      const double value = view.Null ? 0 : Read<double>(view.Bytes);
      if (std::isnan(value))
        return false;
      column.Doubles.push_back(value);
      break;
    }
    case kkBytes:
    case kkAsciiNoCase:
    case kkCollation:
      // Stored text stays where it is while the records are sorted; compressed text would not.
      if (!view.Null && view.Bytes == scratch.constData())
        return false;
      column.Texts.push_back(view);
      break;
    case kkNone: break;
    }
  }
  if (column.Kind == kkCollation) {
    RankTexts(column, column.Texts, MemCollator(store.LocaleID(), column.CaseInsensitive));
    column.Texts.clear();
    column.Kind = kkInteger;
  }
  return true;
}

int CompareAsciiNoCase(const TwoxValueView &a, const TwoxValueView &b) {
  const int n = std::min(a.Size, b.Size);
  for (int i = 0; i < n; ++i) {
    auto lower = [](char c) { return static_cast<unsigned char>(c >= 'A' && c <= 'Z' ? char(c + 32) : c); };
    const unsigned char x = lower(a.Bytes[i]), y = lower(b.Bytes[i]);
    if (x != y)
      return x < y ? -1 : 1;
  }
  return Sign(a.Size, b.Size);
}

// -1, 0 or 1 for the records at positions i and j, over one column.
int CompareAt(const TKeyColumn &column, std::size_t i, std::size_t j) {
  if (column.Null[i] || column.Null[j])
    return column.Null[i] == column.Null[j] ? 0 : (column.Null[i] ? -1 : 1);
  int result = 0;
  switch (column.Kind) {
  case kkInteger: result = Sign(column.Integers[i], column.Integers[j]); break;
  case kkDouble: result = Sign(column.Doubles[i], column.Doubles[j]); break;
  case kkBytes: {
    const TwoxValueView &a = column.Texts[i], &b = column.Texts[j];
    const int c = std::memcmp(a.Bytes, b.Bytes, std::size_t(std::min(a.Size, b.Size)));
    result = c != 0 ? (c < 0 ? -1 : 1) : Sign(a.Size, b.Size);
    break;
  }
  case kkAsciiNoCase: result = CompareAsciiNoCase(column.Texts[i], column.Texts[j]); break;
  case kkCollation: // ranked into integers by FillColumn
  case kkNone: break;
  }
  return column.Descending ? -result : result;
}

} // namespace

bool SortByExtractedKeys(std::vector<TwoxRecord *> &records, const TwoxFieldList &fields, const TwoxCommon &store,
                         bool &duplicates) {
  std::vector<TKeyColumn> columns(std::size_t(fields.Count()));
  for (int f = 0; f < fields.Count(); ++f) {
    TKeyColumn &column = columns[std::size_t(f)];
    const TwoxMemTableCompareOptions options = fields.Options(f);
    if (!KindOf(fields.Fields(f)->DataType(), options, column.Kind))
      return false;
    column.Descending = options.testFlag(mtcoDescending);
    column.CaseInsensitive = options.testFlag(mtcoCaseInsensitive);
  }
  for (int f = 0; f < fields.Count(); ++f)
    if (!FillColumn(columns[std::size_t(f)], fields.Fields(f), records, store))
      return false;
  auto compareKeys = [&columns](std::size_t i, std::size_t j) {
    for (const TKeyColumn &column : columns)
      if (const int c = CompareAt(column, i, j))
        return c;
    return 0;
  };
  std::vector<std::size_t> order(records.size());
  std::iota(order.begin(), order.end(), std::size_t(0));
  std::sort(order.begin(), order.end(), [&](std::size_t i, std::size_t j) {
    const int c = compareKeys(i, j);
    return c != 0 ? c < 0 : records[i]->RecordID < records[j]->RecordID;
  });
  duplicates = false;
  for (std::size_t k = 1; k < order.size() && !duplicates; ++k)
    duplicates = compareKeys(order[k - 1], order[k]) == 0;
  std::vector<TwoxRecord *> sorted(records.size());
  for (std::size_t k = 0; k < order.size(); ++k)
    sorted[k] = records[order[k]];
  records.swap(sorted);
  return true;
}
