#pragma once

#include "Bcd.h"
#include "DBTypes.h"
#include "IBCustomDataSet.h"
#include "IBXSQLDA.h"

#include <QVariant>

class TField;
class TParam;

// How a result column becomes a field: its type, size and precision.
struct TIBFieldShape {
  TFieldType Type = ftUnknown;
  int Size = 0;
  int Precision = 0;
};

// The field type for a column: text as strings (binary text as bytes), integers by width, scaled
// numbers as BCD, floating numbers, dates and times, Booleans, text blobs as memos, other blobs.
TIBFieldShape IBFieldShape(const TIBXSQLVAR &column, bool utf8);
// Writes a fetched column's value into a record slot (null flag, then the field's native value).
void IBStoreColumn(const TIBXSQLVAR &column, const TField &field, char *slot, bool utf8);
// Keeps a fetched blob column's id.
void IBStoreBlob(const TIBXSQLVAR &column, TIBCustomDataSet::TBlobSlot &slot);
// A scaled integer as the canonical packed decimal that StrToBcd makes of its text.
TBcd IBScaledToBcd(qint64 value, int scale);
// UTF-8 text as the Windows-1250 bytes that fields hold.
QByteArray IBUtf8ToNative(const QByteArray &bytes);
// A field's value as a statement parameter takes it (exact decimals as text, dates as TDateTime).
QVariant IBParamValue(const TField &field);
// A parameter list entry's value, dates as TDateTime.
QVariant IBParamValue(const TParam &param);
