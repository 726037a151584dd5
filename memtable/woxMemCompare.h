#pragma once

#include "woxMemFieldList.h"

#include <QByteArray>

// Compares two NUL-terminated Windows-1250 texts by the collation of a Windows locale number;
// raises "Invalid locale. <n>" for a locale it does not know.
int CompareLocaleText(const char *a, const char *b, int localeID, bool caseInsensitive);

// Compares key value a with record value b, both in the field type's native format. fullMatch
// turns False when a text matched only as a prefix (mtcoPartialKey).
int CompareNativeValues(TFieldType type, const char *a, const char *b, TwoxMemTableCompareOptions options,
                        int localeID, bool &fullMatch);
