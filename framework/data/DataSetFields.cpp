// TDataSet: the field list, calculated fields and searching by field values.
#include "DB.h"

#include "DateTimeUtils.h"
#include "Exceptions.h"

#include <QDateTime>
#include <cstring>

TField *TDataSet::Fields(int index) const {
  if (index < 0 || index >= FieldCount())
    DatabaseError(QStringLiteral("Field index out of range"), this);
  return FFields[std::size_t(index)];
}

TField *TDataSet::FindField(const QString &fieldName) const {
  for (TField *field : FFields)
    if (field->FieldName().compare(fieldName, Qt::CaseInsensitive) == 0)
      return field;
  return nullptr;
}

TField *TDataSet::FieldByName(const QString &fieldName) const {
  TField *field = FindField(fieldName);
  if (!field)
    DatabaseError(QStringLiteral("Field '%1' not found").arg(fieldName), this);
  return field;
}

TField *TDataSet::FieldByNumber(int fieldNo) const {
  for (TField *field : FFields)
    if (field->FieldNo() == fieldNo)
      return field;
  return nullptr;
}

std::vector<TField *> TDataSet::GetFieldList(const QString &fieldNames) const {
  std::vector<TField *> fields;
  for (const QString &name : fieldNames.split(u';', Qt::SkipEmptyParts))
    if (!name.trimmed().isEmpty())
      fields.push_back(FieldByName(name.trimmed()));
  return fields;
}

QStringList TDataSet::GetFieldNames() const {
  QStringList names;
  if (!FFields.empty()) {
    for (const TField *field : FFields)
      names << field->FieldName();
  } else {
    for (int i = 0; i < FFieldDefs.Count(); ++i)
      names << FFieldDefs.Items(i)->Name();
  }
  return names;
}

QVariant TDataSet::FieldValues(const QString &fieldNames) const {
  const std::vector<TField *> fields = GetFieldList(fieldNames);
  if (fields.size() == 1)
    return fields[0]->Value();
  QVariantList values;
  for (const TField *field : fields)
    values << field->Value();
  return values;
}

void TDataSet::SetFieldValues(const QString &fieldNames, const QVariant &values) {
  const std::vector<TField *> fields = GetFieldList(fieldNames);
  if (fields.size() == 1)
    return fields[0]->SetValue(values);
  const QVariantList items = values.toList();
  if (items.size() < qsizetype(fields.size()))
    DatabaseError(QStringLiteral("More fields than values"), this);
  for (std::size_t i = 0; i < fields.size(); ++i)
    fields[i]->SetValue(items[qsizetype(i)]);
}

void TDataSet::AddField(TField *field) {
  if (!field->FieldName().isEmpty() && FindField(field->FieldName()))
    DatabaseError(QStringLiteral("Duplicate field name '%1'").arg(field->FieldName()), this);
  FFields.push_back(field);
  DataEvent(deFieldListChange, 0);
}

void TDataSet::RemoveField(TField *field) {
  std::erase(FFields, field);
  DataEvent(deFieldListChange, 0);
}

void TDataSet::MoveField(TField *field, int index) {
  const auto it = std::find(FFields.begin(), FFields.end(), field);
  if (it == FFields.end())
    return;
  const int from = int(it - FFields.begin());
  const int to = std::clamp(index, 0, FieldCount() - 1);
  if (from == to)
    return;
  FFields.erase(it);
  FFields.insert(FFields.begin() + to, field);
  DataEvent(deFieldListChange, 0);
  if (Active())
    DataEvent(deLayoutChange, 0);
}

void TDataSet::CreateFields() {
  for (int i = 0; i < FFieldDefs.Count(); ++i) {
    const TFieldDef *def = FFieldDefs.Items(i);
    if (!FindField(def->Name()))
      def->CreateField(this);
  }
}

void TDataSet::DestroyFields() {
  const std::vector<TField *> fields = FFields;
  for (TField *field : fields)
    delete field;
}

namespace {

bool CompatibleTypes(TFieldType fieldType, TFieldType defType) {
  auto family = [](TFieldType t) {
    switch (t) {
    case ftFixedChar:
    case ftWideString: return ftString;
    case ftAutoInc: return ftInteger;
    case ftFmtMemo: return ftMemo;
    case ftGraphic:
    case ftParadoxOle:
    case ftDBaseOle:
    case ftTypedBinary: return ftBlob;
    default: return t;
    }
  };
  return family(fieldType) == family(defType);
}

} // namespace

void TDataSet::BindFields(bool binding) {
  FCalcFieldsSize = 0;
  FInternalCalcFields = false;
  for (TField *field : FFields) {
    if (!binding)
      continue;
    if (field->FieldKind() == fkInternalCalc)
      FInternalCalcFields = true;
    if (field->Calculated()) {
      field->SetOffset(FCalcFieldsSize);
      FCalcFieldsSize += field->DataSize() + 1;
    } else if (field->FieldKind() == fkData || field->FieldKind() == fkInternalCalc) {
      const TFieldDef *def = FFieldDefs.FindDef(field->FieldName());
      if (!def)
        DatabaseError(QStringLiteral("Field '%1' not found").arg(field->DisplayName()), this);
      if (!CompatibleTypes(field->DataType(), def->DataType()))
        DatabaseError(QStringLiteral("Type mismatch for field '%1', expecting: %2 actual: %3")
                          .arg(field->DisplayName(), FieldTypeNames[std::size_t(field->DataType())],
                               FieldTypeNames[std::size_t(def->DataType())]),
                      this);
      field->SetFieldNo(def->FieldNo());
    }
  }
}

bool TDataSet::GetCalcFieldData(TField *field, const char *calcArea, void *buffer) const {
  const char *slot = calcArea + field->Offset();
  const bool notNull = slot[0] != 0;
  if (notNull && buffer)
    std::memcpy(buffer, slot + 1, std::size_t(field->DataSize()));
  return notNull;
}

void TDataSet::SetCalcFieldData(TField *field, char *calcArea, const void *buffer) const {
  char *slot = calcArea + field->Offset();
  slot[0] = buffer ? 1 : 0;
  if (buffer)
    std::memcpy(slot + 1, buffer, std::size_t(field->DataSize()));
  else
    std::memset(slot + 1, 0, std::size_t(field->DataSize()));
}

void TDataSet::GetCalcFields(TRecordBuffer buffer) {
  if (FCalcFieldsSize == 0 && !FInternalCalcFields)
    return;
  const TDataSetState saved = FState;
  FState = dsCalcFields;
  try {
    CalculateFields(buffer);
  } catch (...) {
    FState = saved;
    throw;
  }
  FState = saved;
}

void TDataSet::CalculateFields(TRecordBuffer buffer) {
  FCalcBuffer = buffer;
  if (FState != dsInternalCalc) {
    ClearCalcFields(buffer);
    for (TField *field : FFields)
      if (field->FieldKind() == fkLookup)
        field->CalcLookupValue();
  }
  DoOnCalcFields();
}

// ---------------------------------------------------------------- searching

namespace {

bool IsTextType(TFieldType type) {
  return type == ftString || type == ftFixedChar || type == ftWideString || type == ftMemo ||
         type == ftFmtMemo;
}

bool IsDateType(TFieldType type) { return type == ftDate || type == ftTime || type == ftDateTime; }

bool KeyAsDouble(const QVariant &key, double &value) {
  if (key.typeId() == QMetaType::QString)
    return TryStrToFloat(key.toString(), value);
  if (key.typeId() == QMetaType::Bool) {
    value = key.toBool() ? 1 : 0;
    return true;
  }
  bool ok = false;
  value = key.toDouble(&ok);
  return ok;
}

} // namespace

bool TDataSet::FieldMatches(TField *field, const QVariant &key, TLocateOptions options) const {
  const bool keyNull = key.isNull();
  if (field->IsNull() || keyNull)
    return field->IsNull() && keyNull;
  const TFieldType type = field->DataType();
  if (IsTextType(type)) {
    const Qt::CaseSensitivity cs =
        options.testFlag(loCaseInsensitive) ? Qt::CaseInsensitive : Qt::CaseSensitive;
    const QString value = field->AsString();
    const QString text = key.toString();
    return options.testFlag(loPartialKey) ? value.startsWith(text, cs) : value.compare(text, cs) == 0;
  }
  if (IsDateType(type)) {
    double k;
    return TryVarToDateTime(key, k) && std::abs(field->AsDateTime() - k) < 0.5 / 86400000.0;
  }
  if (type == ftBoolean) {
    if (key.typeId() == QMetaType::QString) {
      const QString text = key.toString();
      return text.compare(field->AsString(), Qt::CaseInsensitive) == 0;
    }
    return key.toBool() == field->AsBoolean();
  }
  if (type == ftBytes || type == ftVarBytes || IsBlobType(type))
    return field->AsBytes() == key.toByteArray();
  if (type == ftLargeint || type == ftInteger || type == ftSmallint || type == ftWord || type == ftAutoInc) {
    bool ok = false;
    const qint64 k =
        key.typeId() == QMetaType::QString ? key.toString().trimmed().toLongLong(&ok) : key.toLongLong(&ok);
    if (ok && key.typeId() != QMetaType::Double)
      return field->AsLargeInt() == k;
  }
  double k;
  return KeyAsDouble(key, k) && field->AsFloat() == k;
}

bool TDataSet::LocateRecord(const QString &keyFields, const QVariant &keyValues, TLocateOptions options) {
  const std::vector<TField *> fields = GetFieldList(keyFields);
  if (fields.empty())
    DatabaseError(QStringLiteral("There must be at least one field"), this);
  QVariantList keys;
  if (fields.size() == 1) {
    const bool oneElementList =
        keyValues.typeId() == QMetaType::QVariantList && keyValues.toList().size() == 1;
    keys << (oneElementList ? keyValues.toList().first() : keyValues);
  } else {
    if (keyValues.typeId() != QMetaType::QVariantList)
      DatabaseError(QStringLiteral("More fields than values"), this);
    keys = keyValues.toList();
    if (keys.size() < qsizetype(fields.size()))
      DatabaseError(QStringLiteral("More fields than values"), this);
  }
  CursorPosChanged();
  InternalFirst();
  return ScanRecords(true, [&] {
    for (std::size_t i = 0; i < fields.size(); ++i)
      if (!FieldMatches(fields[i], keys[qsizetype(i)], options))
        return false;
    return true;
  });
}

bool TDataSet::Locate(const QString &keyFields, const QVariant &keyValues, TLocateOptions options) {
  CheckBrowseMode();
  DoBeforeScroll();
  FFound = LocateRecord(keyFields, keyValues, options);
  if (FFound) {
    Resync({rmExact, rmCenter});
    DoAfterScroll();
  }
  return FFound;
}

QVariant TDataSet::Lookup(const QString &keyFields, const QVariant &keyValues, const QString &resultFields) {
  CheckBrowseMode();
  QVariant result;
  if (LocateRecord(keyFields, keyValues, {})) {
    const TDataSetState saved = SetTempState(dsCalcFields);
    try {
      CalculateFields(WorkBuffer());
      result = FieldValues(resultFields);
    } catch (...) {
      RestoreState(saved);
      throw;
    }
    RestoreState(saved);
  }
  CursorPosChanged();
  return result;
}
