#pragma once

#include "woxMemFieldList.h"

#include <vector>

class TwoxCommon;
class TwoxRecord;

// Sorts records by the key fields, then by record id, reading each record's key once: numbers as
// numbers, text as bytes or, under a collation, as a sort key made once per value. Orders exactly as
// the index's record comparison does. duplicates tells whether two records have equal keys. Answers
// false, leaving the records as they were, when the fields need the general comparison (partial or
// null-skipping options, BCD values, a NaN).
bool SortByExtractedKeys(std::vector<TwoxRecord *> &records, const TwoxFieldList &fields,
                         const TwoxCommon &store, bool &duplicates);
