#pragma once

#include "DBTypes.h"

#include <QObject>
#include <QVariant>
#include <functional>

class TDataSet;

// One column of a dataset. The value lives in the dataset's record buffers in the field's native
// format (see each class); the field reads and writes it through TDataSet::GetFieldData/SetFieldData.
class TField : public QObject {
  friend class TDataSet;

public:
  explicit TField(QObject *owner = nullptr);
  ~TField() override;

  TDataSet *DataSet() const { return FDataSet; }
  // Adds the field to the dataset's field list (the dataset must be closed).
  void SetDataSet(TDataSet *dataSet);

  const QString &FieldName() const { return FFieldName; }
  void SetFieldName(const QString &value);
  int FieldNo() const { return FFieldNo; }
  void SetFieldNo(int value) { FFieldNo = value; }
  TFieldKind FieldKind() const { return FFieldKind; }
  void SetFieldKind(TFieldKind value);
  TFieldType DataType() const { return FDataType; }
  int Size() const { return FSize; }
  virtual void SetSize(int value);
  // Bytes of the native format in a record buffer.
  virtual int DataSize() const { return 0; }
  // Position of the field's slot in the dataset's calculated-field area (calculated and lookup fields).
  int Offset() const { return FOffset; }
  void SetOffset(int value) { FOffset = value; }
  // Position in the dataset's field list; setting it moves the field there (clamped).
  int Index() const;
  void SetIndex(int value);
  bool Calculated() const { return FFieldKind == fkCalculated || FFieldKind == fkLookup; }
  bool Lookup() const { return FFieldKind == fkLookup; }
  virtual bool IsBlob() const { return false; }
  // The field is a key of the dataset's current index.
  bool IsIndexField() const;

  QString DisplayLabel() const { return FDisplayLabel.isEmpty() ? FFieldName : FDisplayLabel; }
  void SetDisplayLabel(const QString &value);
  QString DisplayName() const { return DisplayLabel(); }
  int DisplayWidth() const { return FDisplayWidth > 0 ? FDisplayWidth : GetDefaultWidth(); }
  void SetDisplayWidth(int value);
  const QString &EditMask() const { return FEditMask; }
  void SetEditMask(const QString &value) { FEditMask = value; }
  bool Required() const { return FRequired; }
  void SetRequired(bool value) { FRequired = value; }
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool value);
  bool Visible() const { return FVisible; }
  void SetVisible(bool value);
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment value);
  const QString &DefaultExpression() const { return FDefaultExpression; }
  void SetDefaultExpression(const QString &value) { FDefaultExpression = value; }
  int Tag() const { return FTag; }
  void SetTag(int value) { FTag = value; }

  // Lookup fields: the value is LookupResultField of the LookupDataSet record whose LookupKeyFields
  // equal this dataset's KeyFields.
  TDataSet *LookupDataSet() const { return FLookupDataSet; }
  void SetLookupDataSet(TDataSet *value) { FLookupDataSet = value; }
  const QString &KeyFields() const { return FKeyFields; }
  void SetKeyFields(const QString &value) { FKeyFields = value; }
  const QString &LookupKeyFields() const { return FLookupKeyFields; }
  void SetLookupKeyFields(const QString &value) { FLookupKeyFields = value; }
  const QString &LookupResultField() const { return FLookupResultField; }
  void SetLookupResultField(const QString &value) { FLookupResultField = value; }
  void CalcLookupValue();

  // The value in the native format; false when it is null. Buffer may be nullptr to test for null.
  bool GetData(void *buffer) const;
  // Writes the native value (nullptr = null) after the write-mode, read-only and OnValidate checks.
  void SetData(const void *buffer);
  bool IsNull() const;
  virtual void Clear();
  // True when the dataset is open, allows changes and the field is not read-only.
  bool CanModify() const;
  void FocusControl();
  void Validate(const void *buffer);
  void Change();

  QVariant Value() const { return GetAsVariant(); }
  void SetValue(const QVariant &value) { SetAsVariant(value); }
  QString AsString() const { return GetAsString(); }
  void SetAsString(const QString &value) { SetAsStringValue(value); }
  int AsInteger() const { return GetAsInteger(); }
  void SetAsInteger(int value) { SetAsIntegerValue(value); }
  qint64 AsLargeInt() const { return GetAsLargeInt(); }
  void SetAsLargeInt(qint64 value) { SetAsLargeIntValue(value); }
  double AsFloat() const { return GetAsFloat(); }
  void SetAsFloat(double value) { SetAsFloatValue(value); }
  double AsCurrency() const { return GetAsFloat(); }
  void SetAsCurrency(double value) { SetAsFloatValue(value); }
  bool AsBoolean() const { return GetAsBoolean(); }
  void SetAsBoolean(bool value) { SetAsBooleanValue(value); }
  // TDateTime (days since 1899-12-30).
  double AsDateTime() const { return GetAsDateTime(); }
  void SetAsDateTime(double value) { SetAsDateTimeValue(value); }
  QByteArray AsBytes() const { return GetAsBytes(); }
  void SetAsBytes(const QByteArray &value) { SetAsBytesValue(value); }
  QVariant AsVariant() const { return GetAsVariant(); }
  void SetAsVariant(const QVariant &value);

  // Text shown (DisplayText) and edited (Text), both through OnGetText when assigned.
  QString DisplayText() const;
  QString Text() const;
  void SetText(const QString &value);

  std::function<void(TField *Sender, QString &Text, bool DisplayText)> OnGetText;
  std::function<void(TField *Sender, const QString &Text)> OnSetText;
  std::function<void(TField *Sender)> OnValidate;
  std::function<void(TField *Sender)> OnChange;

  // Copies the value of another field (through its variant value, nulls included).
  virtual void Assign(const TField &source);
  // Copies the display properties (label, width, mask, flags, alignment, default expression).
  virtual void AssignDisplayProperties(const TField &source);

protected:
  TField(QObject *owner, TFieldType dataType);
  void SetDataType(TFieldType value) { FDataType = value; }

  virtual QString GetAsString() const;
  virtual int GetAsInteger() const;
  virtual qint64 GetAsLargeInt() const;
  virtual double GetAsFloat() const;
  virtual bool GetAsBoolean() const;
  virtual double GetAsDateTime() const;
  virtual QByteArray GetAsBytes() const;
  virtual QVariant GetAsVariant() const;
  virtual void SetAsStringValue(const QString &value);
  virtual void SetAsIntegerValue(int value);
  virtual void SetAsLargeIntValue(qint64 value);
  virtual void SetAsFloatValue(double value);
  virtual void SetAsBooleanValue(bool value);
  virtual void SetAsDateTimeValue(double value);
  virtual void SetAsBytesValue(const QByteArray &value);
  virtual void SetVarValue(const QVariant &value);
  virtual QString GetText(bool displayText) const;
  virtual int GetDefaultWidth() const { return 10; }
  virtual void CheckInactive() const;

  [[noreturn]] void FieldError(const QString &message) const;
  // "'x' is not a valid <kind> value for field 'F'".
  [[noreturn]] void InvalidValue(const QString &text, const char *kind) const;
  [[noreturn]] void AccessError(const QString &typeName) const;
  void PropertyChanged(bool layoutAffected);
  // Stores a changed display property and tells the controls.
  template <class T> void ChangeProperty(T &member, const T &value, bool layoutAffected) {
    if (member == value)
      return;
    member = value;
    PropertyChanged(layoutAffected);
  }

private:
  TDataSet *FDataSet = nullptr;
  QString FFieldName;
  int FFieldNo = 0;
  TFieldKind FFieldKind = fkData;
  TFieldType FDataType = ftUnknown;
  int FSize = 0;
  int FOffset = 0;
  QString FDisplayLabel;
  int FDisplayWidth = 0;
  QString FEditMask;
  bool FRequired = false;
  bool FReadOnly = false;
  bool FVisible = true;
  TAlignment FAlignment = taLeftJustify;
  QString FDefaultExpression;
  int FTag = 0;
  TDataSet *FLookupDataSet = nullptr;
  QString FKeyFields, FLookupKeyFields, FLookupResultField;
  // While OnValidate runs, GetData answers the value being written.
  const void *FValidateBuffer = nullptr;
  bool FInValidate = false;
};
