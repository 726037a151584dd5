#include "Field.h"

#include "DB.h"
#include "Exceptions.h"

#include <algorithm>
#include <cstring>
#include <limits>

// ---------------------------------------------------------------- TField

TField::TField(QObject *owner) : QObject(owner) {}

TField::TField(QObject *owner, TFieldType dataType) : QObject(owner), FDataType(dataType) {}

TField::~TField() {
  if (FDataSet)
    FDataSet->RemoveField(this);
}

void TField::SetDataSet(TDataSet *dataSet) {
  if (dataSet == FDataSet)
    return;
  if (FDataSet) {
    FDataSet->CheckInactive();
    FDataSet->RemoveField(this);
    FDataSet = nullptr;
  }
  if (dataSet) {
    dataSet->CheckInactive();
    dataSet->AddField(this);
    FDataSet = dataSet;
  }
}

void TField::CheckInactive() const {
  if (FDataSet)
    FDataSet->CheckInactive();
}

void TField::SetFieldName(const QString &value) {
  if (value == FFieldName)
    return;
  CheckInactive();
  if (FDataSet) {
    const TField *other = FDataSet->FindField(value);
    if (other && other != this)
      FieldError(QStringLiteral("Duplicate field name '%1'").arg(value));
  }
  FFieldName = value;
}

void TField::SetFieldKind(TFieldKind value) {
  if (value == FFieldKind)
    return;
  CheckInactive();
  FFieldKind = value;
}

void TField::SetSize(int value) {
  CheckInactive();
  FSize = value;
}

int TField::Index() const {
  if (!FDataSet)
    return -1;
  const auto &fields = FDataSet->FieldList();
  const auto it = std::find(fields.begin(), fields.end(), this);
  return it == fields.end() ? -1 : int(it - fields.begin());
}

bool TField::IsIndexField() const { return FDataSet && FDataSet->GetIsIndexField(this); }

void TField::SetIndex(int value) {
  if (FDataSet)
    FDataSet->MoveField(this, value);
}

void TField::PropertyChanged(bool layoutAffected) {
  if (FDataSet && FDataSet->Active())
    FDataSet->DataEvent(layoutAffected ? deLayoutChange : deDataSetChange, 0);
}

void TField::SetDisplayLabel(const QString &value) { ChangeProperty(FDisplayLabel, value, true); }

void TField::SetDisplayWidth(int value) { ChangeProperty(FDisplayWidth, value, true); }

void TField::SetReadOnly(bool value) { ChangeProperty(FReadOnly, value, false); }

void TField::SetVisible(bool value) { ChangeProperty(FVisible, value, true); }

void TField::SetAlignment(TAlignment value) { ChangeProperty(FAlignment, value, false); }

bool TField::GetData(void *buffer) const {
  if (!FDataSet)
    throw EDatabaseError(QStringLiteral("Field '%1' has no dataset").arg(DisplayName()));
  if (FInValidate) {
    if (FValidateBuffer && buffer)
      std::memcpy(buffer, FValidateBuffer, std::size_t(DataSize()));
    return FValidateBuffer != nullptr;
  }
  return FDataSet->GetFieldData(const_cast<TField *>(this), buffer);
}

void TField::SetData(const void *buffer) {
  if (!FDataSet)
    throw EDatabaseError(QStringLiteral("Field '%1' has no dataset").arg(DisplayName()));
  FDataSet->CheckFieldWritable(this);
  const TDataSetState state = FDataSet->State();
  if ((state == dsEdit || state == dsInsert) && (FFieldKind == fkData || FFieldKind == fkInternalCalc))
    Validate(buffer);
  FDataSet->SetFieldData(this, buffer);
}

bool TField::IsNull() const { return !GetData(nullptr); }

void TField::Clear() { SetData(nullptr); }

bool TField::CanModify() const {
  return !FReadOnly && FDataSet && FDataSet->Active() && FDataSet->CanModify() &&
         (FFieldKind == fkData || FFieldKind == fkInternalCalc);
}

void TField::FocusControl() {
  if (!FDataSet || !FDataSet->Active())
    return;
  TField *field = this;
  FDataSet->DataEvent(deFocusControl, reinterpret_cast<std::intptr_t>(&field));
}

void TField::Validate(const void *buffer) {
  if (!OnValidate)
    return;
  FInValidate = true;
  FValidateBuffer = buffer;
  try {
    OnValidate(this);
  } catch (...) {
    FInValidate = false;
    FValidateBuffer = nullptr;
    throw;
  }
  FInValidate = false;
  FValidateBuffer = nullptr;
}

void TField::Change() {
  if (OnChange)
    OnChange(this);
}

void TField::CalcLookupValue() {
  if (!FLookupDataSet || !FLookupDataSet->Active() || !FDataSet)
    return;
  SetAsVariant(
      FLookupDataSet->Lookup(FLookupKeyFields, FDataSet->FieldValues(FKeyFields), FLookupResultField));
}

void TField::FieldError(const QString &message) const { DatabaseError(message, FDataSet); }

void TField::InvalidValue(const QString &text, const char *kind) const {
  FieldError(QStringLiteral("'%1' is not a valid %2 value for field '%3'")
                 .arg(MessageExcerpt(text), QLatin1String(kind), DisplayName()));
}

void TField::AccessError(const QString &typeName) const {
  FieldError(QStringLiteral("Cannot access field '%1' as type %2").arg(DisplayName(), typeName));
}

QString TField::GetAsString() const { AccessError(QStringLiteral("String")); }
int TField::GetAsInteger() const { AccessError(QStringLiteral("Integer")); }
qint64 TField::GetAsLargeInt() const { return GetAsInteger(); }
double TField::GetAsFloat() const { AccessError(QStringLiteral("Float")); }
bool TField::GetAsBoolean() const { AccessError(QStringLiteral("Boolean")); }
double TField::GetAsDateTime() const { AccessError(QStringLiteral("DateTime")); }
QByteArray TField::GetAsBytes() const { AccessError(QStringLiteral("Bytes")); }
QVariant TField::GetAsVariant() const { AccessError(QStringLiteral("Variant")); }
void TField::SetAsStringValue(const QString &) { AccessError(QStringLiteral("String")); }
void TField::SetAsIntegerValue(int) { AccessError(QStringLiteral("Integer")); }
void TField::SetAsLargeIntValue(qint64 value) {
  if (value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max())
    AccessError(QStringLiteral("LargeInt"));
  SetAsIntegerValue(int(value));
}
void TField::SetAsFloatValue(double) { AccessError(QStringLiteral("Float")); }
void TField::SetAsBooleanValue(bool) { AccessError(QStringLiteral("Boolean")); }
void TField::SetAsDateTimeValue(double) { AccessError(QStringLiteral("DateTime")); }
void TField::SetAsBytesValue(const QByteArray &) { AccessError(QStringLiteral("Bytes")); }
void TField::SetVarValue(const QVariant &) { AccessError(QStringLiteral("Variant")); }

void TField::SetAsVariant(const QVariant &value) {
  if (value.isNull())
    Clear();
  else
    SetVarValue(value);
}

QString TField::GetText(bool) const { return GetAsString(); }

QString TField::DisplayText() const {
  QString text;
  if (OnGetText)
    OnGetText(const_cast<TField *>(this), text, true);
  else
    text = GetText(true);
  return text;
}

QString TField::Text() const {
  QString text;
  if (OnGetText)
    OnGetText(const_cast<TField *>(this), text, false);
  else
    text = GetText(false);
  return text;
}

void TField::SetText(const QString &value) {
  if (OnSetText)
    OnSetText(this, value);
  else
    SetAsString(value);
}

void TField::Assign(const TField &source) {
  if (source.IsNull())
    Clear();
  else
    SetAsVariant(source.Value());
}

void TField::AssignDisplayProperties(const TField &source) {
  FAlignment = source.FAlignment;
  FDisplayLabel = source.FDisplayLabel;
  FDisplayWidth = source.FDisplayWidth;
  FEditMask = source.FEditMask;
  FRequired = source.FRequired;
  FReadOnly = source.FReadOnly;
  FVisible = source.FVisible;
  FDefaultExpression = source.FDefaultExpression;
  PropertyChanged(true);
}
