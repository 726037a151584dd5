#pragma once

#include "woxMemCommon.h"
#include "woxMemFieldList.h"

class QCollator;

// The collator of a Windows locale number (its primary language); raises "Invalid locale. <n>" for a
// locale it does not know.
const QCollator &MemCollator(int localeID, bool caseInsensitive);

// Compares two Windows-1250 texts by the collation of a Windows locale number.
int CompareLocaleText(const char *a, int aSize, const char *b, int bSize, int localeID, bool caseInsensitive);

// Compares key value a with record value b, both stored values (not null) of a field of that type.
// fullMatch turns False when a text matched only as a prefix (mtcoPartialKey).
int CompareValues(TFieldType type, const TwoxValueView &a, const TwoxValueView &b,
                  TwoxMemTableCompareOptions options, int localeID, bool &fullMatch);

// Whether the records that match a key with these options form one run in the order of an index
// with the same options: a text prefix does so only in byte or ASCII order, not under a collation
// (where "ab" may sort between "Aa" and "Ab").
bool MatchesAreContiguous(TFieldType type, TwoxMemTableCompareOptions options);
