#pragma once

// The field classes: TField, the numbers (NumericFields.h) and the others below.
#include "Field.h"
#include "NumericFields.h"

// Native format: Windows-1250 bytes, NUL-terminated, Size + 1 bytes.
class TStringField : public TField {
public:
  explicit TStringField(QObject *owner = nullptr);
  int DataSize() const override { return Size() + 1; }
  bool FixedChar() const { return FFixedChar; }
  // Also makes the type ftFixedChar (or back ftString).
  void SetFixedChar(bool value);
  // The stored text, "" for null.
  bool GetValue(QString &value) const;

protected:
  QString GetAsString() const override;
  int GetAsInteger() const override;
  qint64 GetAsLargeInt() const override;
  double GetAsFloat() const override;
  bool GetAsBoolean() const override;
  double GetAsDateTime() const override;
  QVariant GetAsVariant() const override;
  void SetAsStringValue(const QString &value) override;
  void SetAsIntegerValue(int value) override;
  void SetAsLargeIntValue(qint64 value) override;
  void SetAsFloatValue(double value) override;
  void SetAsBooleanValue(bool value) override;
  void SetAsDateTimeValue(double value) override;
  void SetVarValue(const QVariant &value) override;
  int GetDefaultWidth() const override { return Size(); }

private:
  bool FFixedChar = false;
};

// Native format: int16, 0 = false, anything else = true. DisplayValues "True text;False text".
class TBooleanField : public TField {
public:
  explicit TBooleanField(QObject *owner = nullptr);
  int DataSize() const override { return 2; }
  const QString &DisplayValues() const { return FDisplayValues; }
  void SetDisplayValues(const QString &value);
  void AssignDisplayProperties(const TField &source) override;

protected:
  bool GetAsBoolean() const override;
  int GetAsInteger() const override { return GetAsBoolean() ? 1 : 0; }
  QString GetAsString() const override;
  QVariant GetAsVariant() const override;
  void SetAsBooleanValue(bool value) override;
  void SetAsIntegerValue(int value) override { SetAsBooleanValue(value != 0); }
  void SetAsStringValue(const QString &value) override;
  void SetVarValue(const QVariant &value) override;
  int GetDefaultWidth() const override;

private:
  QString FDisplayValues;
  QString FTextTrue, FTextFalse;
};

// Native formats: ftDateTime double (milliseconds since 0001-01-01), ftDate int32 (days since
// 0001-01-01, plus one), ftTime int32 (milliseconds since midnight).
class TDateTimeField : public TField {
public:
  explicit TDateTimeField(QObject *owner = nullptr);
  int DataSize() const override;
  const QString &DisplayFormat() const { return FDisplayFormat; }
  void SetDisplayFormat(const QString &value);
  bool GetValue(double &value) const;
  void AssignDisplayProperties(const TField &source) override;

protected:
  TDateTimeField(QObject *owner, TFieldType dataType);
  double GetAsDateTime() const override;
  double GetAsFloat() const override { return GetAsDateTime(); }
  QString GetAsString() const override;
  QVariant GetAsVariant() const override;
  QString GetText(bool displayText) const override;
  void SetAsDateTimeValue(double value) override;
  void SetAsFloatValue(double value) override { SetAsDateTimeValue(value); }
  void SetAsStringValue(const QString &value) override;
  void SetVarValue(const QVariant &value) override;
  int GetDefaultWidth() const override;

private:
  QString FDisplayFormat;
};

class TDateField : public TDateTimeField {
public:
  explicit TDateField(QObject *owner = nullptr);
};

class TTimeField : public TDateTimeField {
public:
  explicit TTimeField(QObject *owner = nullptr);
};

// Native formats: ftBytes Size bytes; ftVarBytes a uint16 length then Size bytes.
class TBinaryField : public TField {
public:
  int DataSize() const override;

protected:
  TBinaryField(QObject *owner, TFieldType dataType);
  QByteArray GetAsBytes() const override;
  QString GetAsString() const override;
  QVariant GetAsVariant() const override;
  void SetAsBytesValue(const QByteArray &value) override;
  void SetAsStringValue(const QString &value) override;
  void SetVarValue(const QVariant &value) override;
};

class TBytesField : public TBinaryField {
public:
  explicit TBytesField(QObject *owner = nullptr);
};

class TVarBytesField : public TBinaryField {
public:
  explicit TVarBytesField(QObject *owner = nullptr);
};

// Values live outside the record buffer and are read and written through
// TDataSet::CreateBlobStream. Memo text is Windows-1250.
class TBlobField : public TField {
public:
  explicit TBlobField(QObject *owner = nullptr);
  bool IsBlob() const override { return true; }
  TFieldType BlobType() const { return DataType(); }
  void SetBlobType(TFieldType value);
  int BlobSize() const;
  void Clear() override;
  void LoadFromFile(const QString &fileName);
  void SaveToFile(const QString &fileName) const;
  void AssignDisplayProperties(const TField &source) override;

protected:
  TBlobField(QObject *owner, TFieldType dataType);
  QByteArray GetAsBytes() const override;
  QString GetAsString() const override;
  QVariant GetAsVariant() const override;
  QString GetText(bool displayText) const override;
  void SetAsBytesValue(const QByteArray &value) override;
  void SetAsStringValue(const QString &value) override;
  void SetVarValue(const QVariant &value) override;
};

class TMemoField : public TBlobField {
public:
  explicit TMemoField(QObject *owner = nullptr);

protected:
  QString GetAsString() const override;
  QVariant GetAsVariant() const override { return IsNull() ? QVariant() : QVariant(GetAsString()); }
  void SetAsStringValue(const QString &value) override;
  void SetVarValue(const QVariant &value) override;
};

class TGraphicField : public TBlobField {
public:
  explicit TGraphicField(QObject *owner = nullptr);
};

// The field class that holds values of a type; nullptr for types without one.
TField *CreateFieldOfType(TFieldType type, QObject *owner);
