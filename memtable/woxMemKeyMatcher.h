#pragma once

#include "woxMemCommon.h"
#include "woxMemFieldList.h"

#include <QString>
#include <vector>

class QCollator;
class TwoxIndex;

// A search key compared with many records, as TwoxIndex::CompareRecords compares it over the given
// fields: the key's values are read once (its texts decoded once), a record's text that has the key's
// bytes is equal without asking the collation, and the others are decoded into one reused string.
class TwoxKeyMatcher {
public:
  // index compares instead when it asks OnCompareFields.
  TwoxKeyMatcher(const TwoxRecord &key, const TwoxFieldList &fields, const TwoxIndex &index,
                 bool compareEvent);

  // -1, 0 or 1 of the key against record.
  int Compare(const TwoxRecord &record);

private:
  struct TPart {
    TField *Field;
    TwoxFieldInfo Info;
    TwoxMemTableCompareOptions Options;
    TwoxValueView Key;
    QByteArray KeyBytes; // holds the key's value when it had to be converted
    QString KeyText;     // under a collation
    const QCollator *Collator = nullptr;
  };
  int CompareCollated(const TPart &part, const char *bytes, int size);

  const TwoxRecord &FKey;
  const TwoxFieldList &FFields;
  const TwoxIndex &FIndex;
  const TwoxCommon &FStore;
  bool FCompareEvent;
  std::vector<TPart> FParts;
  QString FText;
  QByteArray FScratch;
};
