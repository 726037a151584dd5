#pragma once

#include "Collections.h"
#include "DBTypes.h"

#include <QString>
#include <memory>
#include <vector>

class QObject;
class TDataSet;
class TField;
class TFieldDefs;

// The description of a column that a dataset has (or will have); fields are created from it.
class TFieldDef {
public:
  TFieldDef(TFieldDefs *owner, const QString &name, TFieldType dataType, int size, bool required,
            int fieldNo);
  ~TFieldDef();

  const QString &Name() const { return FName; }
  void SetName(const QString &value) { FName = value; }
  TFieldType DataType() const { return FDataType; }
  void SetDataType(TFieldType value) { FDataType = value; }
  int Size() const { return FSize; }
  void SetSize(int value) { FSize = value; }
  int Precision() const { return FPrecision; }
  void SetPrecision(int value) { FPrecision = value; }
  bool Required() const { return FAttributes.testFlag(faRequired); }
  void SetRequired(bool value) { FAttributes.setFlag(faRequired, value); }
  TFieldAttributes Attributes() const { return FAttributes; }
  void SetAttributes(TFieldAttributes value) { FAttributes = value; }
  int FieldNo() const { return FFieldNo; }
  void SetFieldNo(int value) { FFieldNo = value; }
  bool InternalCalcField() const { return FInternalCalcField; }
  void SetInternalCalcField(bool value) { FInternalCalcField = value; }
  TFieldDefs *Collection() const { return FOwner; }
  // Object and array types keep their parts here.
  TFieldDefs &ChildDefs();
  bool HasChildDefs() const;

  // Creates the field of the def's type, named after it (or fieldName), on the owner dataset.
  TField *CreateField(QObject *owner, const QString &fieldName = QString()) const;

private:
  TFieldDefs *FOwner;
  QString FName;
  TFieldType FDataType;
  int FSize;
  int FPrecision = 0;
  TFieldAttributes FAttributes;
  int FFieldNo;
  bool FInternalCalcField = false;
  std::unique_ptr<TFieldDefs> FChildDefs;
};

class TFieldDefs : public TNamedCollection<TFieldDef> {
public:
  explicit TFieldDefs(TDataSet *dataSet, TFieldDef *parentDef = nullptr);
  ~TFieldDefs();

  TDataSet *DataSet() const { return FDataSet; }
  TFieldDef *ParentDef() const { return FParentDef; }
  TFieldDef *AddFieldDef();
  TFieldDef *Add(const QString &name, TFieldType dataType, int size = 0, bool required = false);
  TFieldDef *Find(const QString &name) const; // raises "Field 'X' not found"
  TFieldDef *FindDef(const QString &name) const {
    int i = IndexOf(name);
    return i < 0 ? nullptr : Items(i);
  }
  void Assign(const TFieldDefs &source);
  // Asks the dataset for its definitions unless they are current.
  void Update();

private:
  TDataSet *FDataSet;
  TFieldDef *FParentDef;
};

class TIndexDef {
public:
  TIndexDef(const QString &name, const QString &fields, TIndexOptions options);

  const QString &Name() const { return FName; }
  void SetName(const QString &value) { FName = value; }
  QString DisplayName() const { return FName; }
  // Field names separated by ";".
  const QString &Fields() const { return FFields; }
  void SetFields(const QString &value) { FFields = value; }
  TIndexOptions Options() const { return FOptions; }
  void SetOptions(TIndexOptions value) { FOptions = value; }
  const QString &DescFields() const { return FDescFields; }
  void SetDescFields(const QString &value) { FDescFields = value; }
  const QString &CaseInsFields() const { return FCaseInsFields; }
  void SetCaseInsFields(const QString &value) { FCaseInsFields = value; }
  const QString &Expression() const { return FExpression; }
  void SetExpression(const QString &value) { FExpression = value; }
  const QString &Source() const { return FSource; }
  void SetSource(const QString &value) { FSource = value; }

private:
  QString FName, FFields, FDescFields, FCaseInsFields, FExpression, FSource;
  TIndexOptions FOptions;
};

class TIndexDefs : public TNamedCollection<TIndexDef> {
public:
  explicit TIndexDefs(TDataSet *dataSet);
  ~TIndexDefs();

  TDataSet *DataSet() const { return FDataSet; }
  TIndexDef *AddIndexDef();
  TIndexDef *Add(const QString &name, const QString &fields, TIndexOptions options);
  TIndexDef *Find(const QString &name) const;                 // raises "Index 'X' not found"
  TIndexDef *FindIndexForFields(const QString &fields) const; // raises when none starts with them
  TIndexDef *GetIndexForFields(const QString &fields, bool caseInsensitive) const;
  void Assign(const TIndexDefs &source);

private:
  TDataSet *FDataSet;
};
