#pragma once

#include "Field.h"

// Field kinds the grid paints and edits in their own ways.
inline bool IsMemoKind(const TField *field) {
  const TFieldType type = field->DataType();
  return type == ftMemo || type == ftFmtMemo || type == ftBytes;
}

inline bool IsDateTimeKind(const TField *field) {
  const TFieldType type = field->DataType();
  return type == ftDate || type == ftTime || type == ftDateTime;
}

inline bool IsBlobKind(const TField *field) {
  const TFieldType type = field->DataType();
  return type == ftBlob || type == ftGraphic || field->IsBlob();
}
