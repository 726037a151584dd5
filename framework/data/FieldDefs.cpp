#include "FieldDefs.h"

#include "DB.h"
#include "Exceptions.h"

// ---------------------------------------------------------------- TFieldDef

TFieldDef::TFieldDef(TFieldDefs *owner, const QString &name, TFieldType dataType, int size, bool required,
                     int fieldNo)
    : FOwner(owner), FName(name), FDataType(dataType), FSize(size), FFieldNo(fieldNo) {
  SetRequired(required);
}

TFieldDef::~TFieldDef() = default;

TFieldDefs &TFieldDef::ChildDefs() {
  if (!FChildDefs)
    FChildDefs = std::make_unique<TFieldDefs>(FOwner ? FOwner->DataSet() : nullptr, this);
  return *FChildDefs;
}

bool TFieldDef::HasChildDefs() const { return FChildDefs && FChildDefs->Count() > 0; }

TField *TFieldDef::CreateField(QObject *owner, const QString &fieldName) const {
  TField *field = CreateFieldOfType(FDataType, owner);
  if (!field)
    throw EDatabaseError(QStringLiteral("Field '%1' is of an unknown type (%2)")
                             .arg(FName, FieldTypeNames[std::size_t(FDataType)]));
  try {
    field->SetFieldName(fieldName.isEmpty() ? FName : fieldName);
    if (FDataType == ftString || FDataType == ftFixedChar || FDataType == ftWideString ||
        FDataType == ftBytes || FDataType == ftVarBytes || FDataType == ftBCD || IsBlobType(FDataType))
      field->SetSize(FSize);
    if (auto *bcd = dynamic_cast<TBCDField *>(field))
      bcd->SetPrecision(FPrecision);
    field->SetRequired(Required());
    field->SetReadOnly(FAttributes.testFlag(faReadonly));
    field->SetVisible(!FAttributes.testFlag(faHiddenCol));
    if (FInternalCalcField)
      field->SetFieldKind(fkInternalCalc);
    field->SetFieldNo(FFieldNo);
    if (FOwner && FOwner->DataSet())
      field->SetDataSet(FOwner->DataSet());
  } catch (...) {
    delete field;
    throw;
  }
  return field;
}

// ---------------------------------------------------------------- TFieldDefs

TFieldDefs::TFieldDefs(TDataSet *dataSet, TFieldDef *parentDef)
    : TNamedCollection(QStringLiteral("Field definition")), FDataSet(dataSet), FParentDef(parentDef) {}

TFieldDefs::~TFieldDefs() = default;

TFieldDef *TFieldDefs::AddFieldDef() {
  return AddItem(std::make_unique<TFieldDef>(this, QString(), ftUnknown, 0, false, Count() + 1));
}

TFieldDef *TFieldDefs::Add(const QString &name, TFieldType dataType, int size, bool required) {
  if (name.isEmpty())
    throw EDatabaseError(QStringLiteral("Field name missing"));
  if (IndexOf(name) >= 0)
    throw EDatabaseError(QStringLiteral("Duplicate field name '%1'").arg(name));
  return AddItem(std::make_unique<TFieldDef>(this, name, dataType, size, required, Count() + 1));
}

TFieldDef *TFieldDefs::Find(const QString &name) const {
  const int i = IndexOf(name);
  if (i < 0)
    DatabaseError(QStringLiteral("Field '%1' not found").arg(name), FDataSet);
  return Items(i);
}

void TFieldDefs::Assign(const TFieldDefs &source) {
  if (&source == this)
    return;
  Clear();
  for (const auto &def : source.ItemList()) {
    TFieldDef *copy = Add(def->Name(), def->DataType(), def->Size(), def->Required());
    copy->SetPrecision(def->Precision());
    copy->SetAttributes(def->Attributes());
    copy->SetFieldNo(def->FieldNo());
    copy->SetInternalCalcField(def->InternalCalcField());
    if (def->HasChildDefs())
      copy->ChildDefs().Assign(const_cast<TFieldDef &>(*def).ChildDefs());
  }
}

void TFieldDefs::Update() {
  if (!Updated() && FDataSet && !FParentDef)
    FDataSet->InitFieldDefs();
}

// ---------------------------------------------------------------- TIndexDef(s)

TIndexDef::TIndexDef(const QString &name, const QString &fields, TIndexOptions options)
    : FName(name), FFields(fields), FOptions(options) {}

TIndexDefs::TIndexDefs(TDataSet *dataSet)
    : TNamedCollection(QStringLiteral("Index definition")), FDataSet(dataSet) {}

TIndexDefs::~TIndexDefs() = default;

TIndexDef *TIndexDefs::AddIndexDef() {
  return AddItem(std::make_unique<TIndexDef>(QString(), QString(), TIndexOptions()));
}

TIndexDef *TIndexDefs::Add(const QString &name, const QString &fields, TIndexOptions options) {
  if (!name.isEmpty() && IndexOf(name) >= 0)
    throw EDatabaseError(QStringLiteral("Duplicate index name '%1'").arg(name));
  return AddItem(std::make_unique<TIndexDef>(name, fields, options));
}

TIndexDef *TIndexDefs::Find(const QString &name) const {
  const int i = IndexOf(name);
  if (i < 0)
    DatabaseError(QStringLiteral("Index '%1' not found").arg(name), FDataSet);
  return Items(i);
}

TIndexDef *TIndexDefs::GetIndexForFields(const QString &fields, bool caseInsensitive) const {
  const int length = int(fields.size());
  for (const auto &def : ItemList()) {
    if (def->Options().testFlag(ixExpression))
      continue;
    if (caseInsensitive != def->Options().testFlag(ixCaseInsensitive))
      continue;
    const QString &own = def->Fields();
    if (own.compare(fields, Qt::CaseInsensitive) == 0 ||
        (own.size() > length && own.left(length).compare(fields, Qt::CaseInsensitive) == 0 &&
         own[length] == u';'))
      return def.get();
  }
  return nullptr;
}

TIndexDef *TIndexDefs::FindIndexForFields(const QString &fields) const {
  TIndexDef *def = GetIndexForFields(fields, false);
  if (!def)
    def = GetIndexForFields(fields, true);
  if (!def)
    DatabaseError(QStringLiteral("No index for fields '%1'").arg(fields), FDataSet);
  return def;
}

void TIndexDefs::Assign(const TIndexDefs &source) {
  if (&source == this)
    return;
  Clear();
  for (const auto &def : source.ItemList()) {
    TIndexDef *copy = Add(def->Name(), def->Fields(), def->Options());
    copy->SetDescFields(def->DescFields());
    copy->SetCaseInsFields(def->CaseInsFields());
    copy->SetExpression(def->Expression());
    copy->SetSource(def->Source());
  }
}
