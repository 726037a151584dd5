#pragma once

#include "Collections.h"
#include "DBTypes.h"

#include <QString>
#include <QVariant>
#include <memory>
#include <vector>

class TField;
class TParams;

enum TParamType { ptUnknown, ptInput, ptOutput, ptInputOutput, ptResult };

// A named statement parameter with a typed value (null = QVariant()).
class TParam {
public:
  TParam(TParams *owner, const QString &name, TFieldType dataType = ftUnknown,
         TParamType paramType = ptUnknown);

  TParams *Collection() const { return FOwner; }
  const QString &Name() const { return FName; }
  void SetName(const QString &value) { FName = value; }
  TFieldType DataType() const { return FDataType; }
  void SetDataType(TFieldType value);
  TParamType ParamType() const { return FParamType; }
  void SetParamType(TParamType value) { FParamType = value; }
  int Size() const { return FSize; }
  void SetSize(int value) { FSize = value; }
  int Precision() const { return FPrecision; }
  void SetPrecision(int value) { FPrecision = value; }
  int NumericScale() const { return FNumericScale; }
  void SetNumericScale(int value) { FNumericScale = value; }
  // Set once a value has been assigned.
  bool Bound() const { return FBound; }
  void SetBound(bool value) { FBound = value; }

  const QVariant &Value() const { return FValue; }
  void SetValue(const QVariant &value);
  bool IsNull() const { return FValue.isNull(); }
  void Clear();

  QString AsString() const;
  void SetAsString(const QString &value);
  int AsInteger() const;
  void SetAsInteger(int value);
  qint64 AsLargeInt() const;
  void SetAsLargeInt(qint64 value);
  double AsFloat() const;
  void SetAsFloat(double value);
  double AsCurrency() const { return AsFloat(); }
  void SetAsCurrency(double value);
  bool AsBoolean() const;
  void SetAsBoolean(bool value);
  // TDateTime values (days since 1899-12-30).
  double AsDateTime() const;
  void SetAsDateTime(double value);
  void SetAsDate(double value);
  void SetAsTime(double value);
  QByteArray AsBlob() const;
  void SetAsBlob(const QByteArray &value);
  void SetAsMemo(const QString &value);

  // Type and value from a field (its DataType, Size and current value).
  void AssignField(const TField &field);
  void AssignFieldValue(const TField &field, const QVariant &value);
  // Writes the value into the field.
  void AssignTo(TField &field) const;
  void Assign(const TParam &source);

private:
  void Store(TFieldType type, const QVariant &value);

  TParams *FOwner;
  QString FName;
  TFieldType FDataType;
  TParamType FParamType;
  int FSize = 0, FPrecision = 0, FNumericScale = 0;
  bool FBound = false;
  QVariant FValue;
};

class TParams : public TNamedCollection<TParam> {
public:
  TParams() : TNamedCollection(QStringLiteral("Parameter")) {}

  TParam *AddParam(const QString &name);
  TParam *CreateParam(TFieldType dataType, const QString &name, TParamType paramType);
  TParam *FindParam(const QString &name) const;   // nullptr when missing
  TParam *ParamByName(const QString &name) const; // raises "Parameter 'X' not found"
  // The value of one parameter, or a QVariantList for names separated by ";".
  QVariant ParamValues(const QString &names) const;
  void SetParamValues(const QString &names, const QVariant &values);
  void Assign(const TParams &source);
  // Keeps the values of same-named parameters of source (the others stay as they are).
  void AssignValues(const TParams &source);
};
