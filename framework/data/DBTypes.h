#pragma once

#include <QByteArray>
#include <QFlags>
#include <QString>
#include <array>
#include <cstdint>

// The vocabulary shared by datasets, fields, data sources and links.

enum TFieldType {
  ftUnknown,
  ftString,
  ftSmallint,
  ftInteger,
  ftWord,
  ftBoolean,
  ftFloat,
  ftCurrency,
  ftBCD,
  ftDate,
  ftTime,
  ftDateTime,
  ftBytes,
  ftVarBytes,
  ftAutoInc,
  ftBlob,
  ftMemo,
  ftGraphic,
  ftFmtMemo,
  ftParadoxOle,
  ftDBaseOle,
  ftTypedBinary,
  ftCursor,
  ftFixedChar,
  ftWideString,
  ftLargeint,
  ftADT,
  ftArray,
  ftReference,
  ftDataSet,
  ftOraBlob,
  ftOraClob,
  ftVariant,
  ftInterface,
  ftIDispatch,
  ftGuid
};
constexpr int FieldTypeCount = ftGuid + 1;
// "Unknown", "String", ... indexed by the type's ordinal.
extern const std::array<QString, FieldTypeCount> FieldTypeNames;
bool IsBlobType(TFieldType type);

enum TFieldKind { fkData, fkCalculated, fkLookup, fkInternalCalc, fkAggregate };
// "Data", "Calculated", "Lookup", "InternalCalc", "Aggregate".
extern const std::array<QString, fkAggregate + 1> FieldKindNames;

enum TDataSetState {
  dsInactive,
  dsBrowse,
  dsEdit,
  dsInsert,
  dsSetKey,
  dsCalcFields,
  dsFilter,
  dsNewValue,
  dsOldValue,
  dsCurValue,
  dsBlockRead,
  dsInternalCalc,
  dsOpening
};
bool IsEditMode(TDataSetState state);  // dsEdit, dsInsert, dsSetKey
bool IsWriteMode(TDataSetState state); // the states in which fields accept values

enum TDataEvent {
  deFieldChange,
  deRecordChange,
  deDataSetChange,
  deDataSetScroll,
  deLayoutChange,
  deUpdateRecord,
  deUpdateState,
  deCheckBrowseMode,
  dePropertyChange,
  deFieldListChange,
  deFocusControl,
  deParentScroll,
  deConnectChange,
  deReconcileError,
  deDisabledStateChange
};

enum TGetMode { gmCurrent, gmNext, gmPrior };
enum TGetResult { grOK, grBOF, grEOF, grError };
enum TBookmarkFlag { bfCurrent, bfBOF, bfEOF, bfInserted };
enum TDataAction { daFail, daAbort, daRetry };
enum TBlobStreamMode { bmRead, bmWrite, bmReadWrite };

enum TResyncModeFlag { rmExact = 1, rmCenter = 2 };
Q_DECLARE_FLAGS(TResyncMode, TResyncModeFlag)
Q_DECLARE_OPERATORS_FOR_FLAGS(TResyncMode)

enum TLocateOption { loCaseInsensitive = 1, loPartialKey = 2 };
Q_DECLARE_FLAGS(TLocateOptions, TLocateOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(TLocateOptions)

enum TFilterOption { foCaseInsensitive = 1, foNoPartialCompare = 2 };
Q_DECLARE_FLAGS(TFilterOptions, TFilterOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(TFilterOptions)

enum TFieldAttribute {
  faHiddenCol = 1,
  faReadonly = 2,
  faRequired = 4,
  faLink = 8,
  faUnNamed = 16,
  faFixed = 32
};
Q_DECLARE_FLAGS(TFieldAttributes, TFieldAttribute)
Q_DECLARE_OPERATORS_FOR_FLAGS(TFieldAttributes)

enum TIndexOption {
  ixPrimary = 1,
  ixUnique = 2,
  ixDescending = 4,
  ixCaseInsensitive = 8,
  ixExpression = 16,
  ixNonMaintained = 32
};
Q_DECLARE_FLAGS(TIndexOptions, TIndexOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(TIndexOptions)

enum TAlignment { taLeftJustify, taRightJustify, taCenter };

// A record buffer: a block the descendant allocates and lays out.
using TRecordBuffer = char *;
// A bookmark: BookmarkSize bytes of the descendant's bookmark data; empty means none.
using TBookmark = QByteArray;
