#include "DBTypes.h"

const std::array<QString, FieldTypeCount> FieldTypeNames = {
    QStringLiteral("Unknown"),     QStringLiteral("String"),     QStringLiteral("SmallInt"),
    QStringLiteral("Integer"),     QStringLiteral("Word"),       QStringLiteral("Boolean"),
    QStringLiteral("Float"),       QStringLiteral("Currency"),   QStringLiteral("BCD"),
    QStringLiteral("Date"),        QStringLiteral("Time"),       QStringLiteral("DateTime"),
    QStringLiteral("Bytes"),       QStringLiteral("VarBytes"),   QStringLiteral("AutoInc"),
    QStringLiteral("Blob"),        QStringLiteral("Memo"),       QStringLiteral("Graphic"),
    QStringLiteral("FmtMemo"),     QStringLiteral("ParadoxOle"), QStringLiteral("dBaseOle"),
    QStringLiteral("TypedBinary"), QStringLiteral("Cursor"),     QStringLiteral("FixedChar"),
    QStringLiteral("WideString"),  QStringLiteral("LargeInt"),   QStringLiteral("ADT"),
    QStringLiteral("Array"),       QStringLiteral("Reference"),  QStringLiteral("DataSet"),
    QStringLiteral("OraBlob"),     QStringLiteral("OraClob"),    QStringLiteral("Variant"),
    QStringLiteral("Interface"),   QStringLiteral("Dispatch"),   QStringLiteral("Guid")};

const std::array<QString, fkAggregate + 1> FieldKindNames = {
    QStringLiteral("Data"), QStringLiteral("Calculated"), QStringLiteral("Lookup"),
    QStringLiteral("InternalCalc"), QStringLiteral("Aggregate")};

bool IsBlobType(TFieldType type) {
  switch (type) {
  case ftBlob:
  case ftMemo:
  case ftGraphic:
  case ftFmtMemo:
  case ftParadoxOle:
  case ftDBaseOle:
  case ftTypedBinary:
  case ftOraBlob:
  case ftOraClob: return true;
  default: return false;
  }
}

bool IsEditMode(TDataSetState state) { return state == dsEdit || state == dsInsert || state == dsSetKey; }

bool IsWriteMode(TDataSetState state) {
  switch (state) {
  case dsEdit:
  case dsInsert:
  case dsSetKey:
  case dsCalcFields:
  case dsFilter:
  case dsNewValue:
  case dsInternalCalc: return true;
  default: return false;
  }
}
