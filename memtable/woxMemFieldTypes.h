#pragma once

#include "DBTypes.h"

// Field-type groups of the memory table and its formats.
namespace MemFieldTypes {

// Values held in blocks outside the record and read through blob streams.
inline bool IsBlobGroup(TFieldType type) {
  switch (type) {
  case ftBlob:
  case ftMemo:
  case ftGraphic:
  case ftFmtMemo:
  case ftParadoxOle:
  case ftDBaseOle:
  case ftTypedBinary: return true;
  default: return false;
  }
}

// Text values (tested before the binary group, so memos are text).
inline bool IsTextGroup(TFieldType type) {
  return type == ftString || type == ftFixedChar || type == ftMemo || type == ftFmtMemo;
}

inline bool IsBinaryGroup(TFieldType type) {
  return type == ftBytes || type == ftVarBytes || IsBlobGroup(type);
}

// The types a load or a copy can fill.
inline bool IsLoadableType(TFieldType type) {
  switch (type) {
  case ftString:
  case ftSmallint:
  case ftInteger:
  case ftWord:
  case ftBoolean:
  case ftFloat:
  case ftCurrency:
  case ftBCD:
  case ftDate:
  case ftTime:
  case ftDateTime:
  case ftBytes:
  case ftVarBytes:
  case ftAutoInc:
  case ftFixedChar:
  case ftLargeint:
  case ftADT:
  case ftArray: return true;
  default: return IsBlobGroup(type);
  }
}

} // namespace MemFieldTypes
