#include "woxMemKeyMatcher.h"

#include "DB.h"
#include "Win1250.h"
#include "woxMemCompare.h"
#include "woxMemIndex.h"

#include <QCollator>
#include <cstring>

TwoxKeyMatcher::TwoxKeyMatcher(const TwoxRecord &key, const TwoxFieldList &fields, const TwoxIndex &index,
                               bool compareEvent)
    : FKey(key), FFields(fields), FIndex(index), FStore(index.Store()), FCompareEvent(compareEvent) {
  if (FCompareEvent)
    return;
  for (int i = 0; i < fields.Count(); ++i) {
    TPart part{
        fields.Fields(i), *FStore.FieldInfo(fields.Fields(i)->FieldNo()), fields.Options(i), {}, {}, {},
        nullptr};
    part.Key = FStore.View(key, part.Field, part.Info, part.KeyBytes);
    const TFieldType type = part.Field->DataType();
    if ((type == ftString || type == ftFixedChar) && !part.Options.testFlag(mtcoIgnoreLocale) &&
        !part.Key.Null) {
      part.KeyText = Win1250::Decode(part.Key.Bytes, part.Key.Size);
      part.Collator = &MemCollator(FStore.LocaleID(), part.Options.testFlag(mtcoCaseInsensitive));
    }
    FParts.push_back(std::move(part));
  }
  // A converted key's bytes are its part's own: they follow the part where it moved.
  for (TPart &part : FParts)
    if (!part.KeyBytes.isNull())
      part.Key.Bytes = part.KeyBytes.constData();
}

int TwoxKeyMatcher::CompareCollated(const TPart &part, const char *bytes, int size) {
  if (size == part.Key.Size && std::memcmp(bytes, part.Key.Bytes, std::size_t(size)) == 0)
    return 0;
  Win1250::DecodeInto(bytes, size, FText);
  const int c = part.Collator->compare(QStringView(part.KeyText), QStringView(FText));
  return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

int TwoxKeyMatcher::Compare(const TwoxRecord &record) {
  if (FCompareEvent)
    return FIndex.CompareRecords(FKey, record, &FFields);
  for (const TPart &part : FParts) {
    if (part.Key.Null && part.Options.testFlag(mtcoIgnoreNullKey))
      continue;
    const TwoxValueView value = FStore.View(record, part.Field, part.Info, FScratch);
    int result = 0;
    bool fullMatch = true;
    if (part.Key.Null || value.Null) {
      result = part.Key.Null == value.Null ? 0 : (part.Key.Null ? -1 : 1);
    } else if (part.Collator) {
      int size = value.Size;
      if (part.Options.testFlag(mtcoPartialKey)) {
        fullMatch = part.Key.Size == value.Size;
        size = std::min(size, part.Key.Size);
      }
      result = CompareCollated(part, value.Bytes, size);
      if (part.Options.testFlag(mtcoDescending))
        result = -result;
    } else {
      result =
          CompareValues(part.Field->DataType(), part.Key, value, part.Options, FStore.LocaleID(), fullMatch);
    }
    if (result != 0)
      return result < 0 ? -1 : 1;
    if (!fullMatch)
      return 0;
  }
  return 0;
}
