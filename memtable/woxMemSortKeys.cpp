#include "woxMemSortKeys.h"

#include "DB.h"
#include "Win1250.h"
#include "woxMemCommon.h"
#include "woxMemCompare.h"

#include <QCollator>
#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstring>
#include <numeric>
#include <string_view>
#include <unordered_map>

namespace {

using MemCompare::Sign;

// Every key field becomes one or two unsigned words per record whose order is the field's order:
// null first (also when descending), then the values. Text is ranked: each distinct value gets its
// place among the distinct values (equal under the comparison, equal place), under a collation by its
// sort key made once per value.
enum TKeyKind { kkNone, kkWholeNumber, kkLargeint, kkDouble, kkBytes, kkAsciiNoCase, kkCollation };

int WordsOf(TKeyKind kind) { return kind == kkNone ? 0 : (kind == kkLargeint || kind == kkDouble) ? 2 : 1; }

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
  case ftBoolean: kind = kkWholeNumber; return true;
  case ftLargeint: kind = kkLargeint; return true;
  case ftFloat:
  case ftCurrency:
  case ftDateTime: kind = kkDouble; return true;
  case ftString:
  case ftFixedChar:
    kind = !options.testFlag(mtcoIgnoreLocale)     ? kkCollation
           : options.testFlag(mtcoCaseInsensitive) ? kkAsciiNoCase
                                                   : kkBytes;
    return true;
  case ftBCD: return false;
  default: kind = kkNone; return true; // compares equal
  }
}

int CompareAsciiNoCase(std::string_view a, std::string_view b) {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    auto lower = [](char c) { return static_cast<unsigned char>(c >= 'A' && c <= 'Z' ? char(c + 32) : c); };
    const unsigned char x = lower(a[i]), y = lower(b[i]);
    if (x != y)
      return x < y ? -1 : 1;
  }
  return Sign(a.size(), b.size());
}

// The words of every record for one field, written at column of each record's row of width words.
class TKeyWriter {
public:
  TKeyWriter(std::vector<quint64> &words, int width) : FWords(words), FWidth(width) {}

  void Write(std::size_t record, int column, quint64 word) {
    FWords[record * std::size_t(FWidth) + std::size_t(column)] = word;
  }

private:
  std::vector<quint64> &FWords;
  int FWidth;
};

// The order of distinct texts: Prepare sees them once, Compare (-1, 0, 1) compares two of them.
struct TByteOrder {
  const std::vector<std::string_view> *Values = nullptr;
  void Prepare(const std::vector<std::string_view> &values) { Values = &values; }
  int Compare(int a, int b) const {
    const int c = (*Values)[std::size_t(a)].compare((*Values)[std::size_t(b)]);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
  }
};

struct TAsciiNoCaseOrder : TByteOrder {
  int Compare(int a, int b) const {
    return CompareAsciiNoCase((*Values)[std::size_t(a)], (*Values)[std::size_t(b)]);
  }
};

struct TCollationOrder {
  const QCollator &Collator;
  std::vector<QCollatorSortKey> Keys;
  void Prepare(const std::vector<std::string_view> &values) {
    Keys.reserve(values.size());
    for (const std::string_view value : values)
      Keys.push_back(Collator.sortKey(Win1250::Decode(value.data(), qsizetype(value.size()))));
  }
  int Compare(int a, int b) const {
    const int c = Keys[std::size_t(a)].compare(Keys[std::size_t(b)]);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
  }
};

// Ranks (from 1; 0 stays for null) of the texts in the order's terms.
template <class TOrder>
void RankTexts(const std::vector<std::string_view> &texts, const std::vector<char> &nulls, bool descending,
               TKeyWriter &writer, int column, TOrder &order) {
  std::unordered_map<std::string_view, int> distinct;
  std::vector<std::string_view> values;
  std::vector<int> valueOfRecord(texts.size(), -1);
  for (std::size_t i = 0; i < texts.size(); ++i) {
    if (nulls[i])
      continue;
    const auto [it, added] = distinct.emplace(texts[i], int(values.size()));
    if (added)
      values.push_back(texts[i]);
    valueOfRecord[i] = it->second;
  }
  order.Prepare(values);
  std::vector<int> sorted(values.size());
  std::iota(sorted.begin(), sorted.end(), 0);
  std::sort(sorted.begin(), sorted.end(), [&](int a, int b) { return order.Compare(a, b) < 0; });
  std::vector<quint64> rank(values.size());
  quint64 current = 0;
  for (std::size_t k = 0; k < sorted.size(); ++k) {
    if (k > 0 && order.Compare(sorted[k - 1], sorted[k]) != 0)
      ++current;
    rank[std::size_t(sorted[k])] = current;
  }
  for (std::size_t i = 0; i < texts.size(); ++i)
    if (valueOfRecord[i] >= 0) {
      const quint64 r = rank[std::size_t(valueOfRecord[i])];
      writer.Write(i, column, 1 + (descending ? current - r : r));
    }
}

void RankColumn(TKeyKind kind, const std::vector<std::string_view> &texts, const std::vector<char> &nulls,
                bool descending, bool caseInsensitive, const TwoxCommon &store, TKeyWriter &writer,
                int column) {
  if (kind == kkBytes) {
    TByteOrder order;
    RankTexts(texts, nulls, descending, writer, column, order);
  } else if (kind == kkAsciiNoCase) {
    TAsciiNoCaseOrder order;
    RankTexts(texts, nulls, descending, writer, column, order);
  } else {
    TCollationOrder order{MemCollator(store.LocaleID(), caseInsensitive), {}};
    RankTexts(texts, nulls, descending, writer, column, order);
  }
}

// One key field's words for every record; false when a value needs the general comparison.
bool FillColumn(TKeyKind kind, TField *field, TwoxMemTableCompareOptions options,
                const std::vector<TwoxRecord *> &records, const TwoxCommon &store, TKeyWriter &writer,
                int column) {
  const TwoxFieldInfo &info = *store.FieldInfo(field->FieldNo());
  const TFieldType type = field->DataType();
  const bool descending = options.testFlag(mtcoDescending);
  const quint64 flip = descending ? ~quint64(0) : 0;
  std::vector<std::string_view> texts;
  std::vector<char> nulls;
  const bool text = kind == kkBytes || kind == kkAsciiNoCase || kind == kkCollation;
  if (text) {
    texts.resize(records.size());
    nulls.resize(records.size());
  }
  QByteArray scratch;
  for (std::size_t i = 0; i < records.size(); ++i) {
    const TwoxValueView view = store.View(*records[i], field, info, scratch);
    if (view.Null) { // nulls first whatever the direction: the words stay 0
      if (text)
        nulls[i] = 1;
      continue;
    }
    switch (kind) {
    case kkWholeNumber: {
      // 16- and 32-bit values: shifted above 0, the null.
      const quint64 shifted = quint64(MemCompare::StoredInteger(type, view.Bytes) + (qint64(1) << 31));
      writer.Write(i, column, 1 + (descending ? 0xFFFFFFFFull - shifted : shifted));
      break;
    }
    case kkLargeint:
      writer.Write(i, column, 1);
      writer.Write(i, column + 1,
                   (quint64(MemCompare::Read<qint64>(view.Bytes)) ^ (quint64(1) << 63)) ^ flip);
      break;
    case kkDouble: {
      double value = MemCompare::Read<double>(view.Bytes);
      if (std::isnan(value))
        return false;
      if (value == 0)
        value = 0; // -0 equals 0
      const quint64 bits = std::bit_cast<quint64>(value);
      writer.Write(i, column, 1);
      writer.Write(i, column + 1, ((bits >> 63) ? ~bits : bits | (quint64(1) << 63)) ^ flip);
      break;
    }
    case kkBytes:
    case kkAsciiNoCase:
    case kkCollation:
      // Stored text stays where it is while the records are sorted; compressed text would not.
      if (view.Bytes == scratch.constData())
        return false;
      texts[i] = std::string_view(view.Bytes, std::size_t(view.Size));
      break;
    case kkNone: break;
    }
  }
  if (text)
    RankColumn(kind, texts, nulls, descending, options.testFlag(mtcoCaseInsensitive), store, writer, column);
  return true;
}

// The records' keys held together with their record ids, sorted as one block.
template <int Width>
void SortRows(std::vector<TwoxRecord *> &records, const std::vector<quint64> &words, bool &duplicates) {
  struct TRow {
    std::array<quint64, Width> Key;
    int RecordID;
    TwoxRecord *Record;
  };
  std::vector<TRow> rows(records.size());
  for (std::size_t i = 0; i < records.size(); ++i) {
    std::copy_n(words.begin() + std::ptrdiff_t(i * Width), Width, rows[i].Key.begin());
    rows[i].RecordID = records[i]->RecordID;
    rows[i].Record = records[i];
  }
  std::sort(rows.begin(), rows.end(), [](const TRow &a, const TRow &b) {
    for (int w = 0; w < Width; ++w)
      if (a.Key[std::size_t(w)] != b.Key[std::size_t(w)])
        return a.Key[std::size_t(w)] < b.Key[std::size_t(w)];
    return a.RecordID < b.RecordID;
  });
  duplicates = false;
  for (std::size_t k = 1; k < rows.size() && !duplicates; ++k)
    duplicates = rows[k - 1].Key == rows[k].Key;
  for (std::size_t k = 0; k < rows.size(); ++k)
    records[k] = rows[k].Record;
}

constexpr int MaxWidth = 4;

} // namespace

bool SortByExtractedKeys(std::vector<TwoxRecord *> &records, const TwoxFieldList &fields,
                         const TwoxCommon &store, bool &duplicates) {
  std::vector<TKeyKind> kinds(std::size_t(fields.Count()));
  int width = 0;
  for (int f = 0; f < fields.Count(); ++f) {
    if (!KindOf(fields.Fields(f)->DataType(), fields.Options(f), kinds[std::size_t(f)]))
      return false;
    width += WordsOf(kinds[std::size_t(f)]);
  }
  if (width > MaxWidth)
    return false;
  width = std::max(width, 1);
  std::vector<quint64> words(records.size() * std::size_t(width), 0);
  TKeyWriter writer(words, width);
  for (int f = 0, column = 0; f < fields.Count(); column += WordsOf(kinds[std::size_t(f)]), ++f)
    if (!FillColumn(kinds[std::size_t(f)], fields.Fields(f), fields.Options(f), records, store, writer,
                    column))
      return false;
  switch (width) {
  case 1: SortRows<1>(records, words, duplicates); break;
  case 2: SortRows<2>(records, words, duplicates); break;
  case 3: SortRows<3>(records, words, duplicates); break;
  default: SortRows<4>(records, words, duplicates); break;
  }
  return true;
}
