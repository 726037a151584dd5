#include "woxMemCSVDefinitions.h"

#include "DB.h"
#include "FieldDefs.h"
#include "StringList.h"
#include "woxMemCommon.h"
#include "woxMemFieldTypes.h"
#include "woxMemTable.h"
#include "woxMemTableError.h"

namespace {

[[noreturn]] void LineError(const QString &message, int line) {
  MemTableError(QStringLiteral("%1 (line %2)").arg(message).arg(line));
}

template <class List> int IndexOfName(const List &list, const QString &name) {
  for (std::size_t i = 0; i < list.size(); ++i)
    if (list[i].Name.compare(name, Qt::CaseInsensitive) == 0)
      return int(i);
  return -1;
}

} // namespace

TwoxCSVDefinitions::TwoxCSVDefinitions(bool load, std::function<QString(const QString &)> unquote)
    : FLoad(load), FUnquote(std::move(unquote)) {}

TwoxCSVDefinitions::TStep TwoxCSVDefinitions::Read(const QString &line, const QString &firstToken, int lineNumber) {
  if (firstToken == QLatin1String("@@FILE VERSION@@"))
    return stContinue;
  if (firstToken == QLatin1String("@@TABLEDEF START@@")) {
    FInTable = true;
    if (FLoad) {
      FTableStarted = true;
      FFields.clear();
    }
    return stContinue;
  }
  if (firstToken == QLatin1String("@@TABLEDEF END@@")) {
    if (FInIndex && FInTable)
      LineError(QStringLiteral("The index definitions are not closed; the file is damaged"), lineNumber);
    FInTable = false;
    FTableEnded = true;
    FTableEndLine = lineNumber;
    return stApply;
  }
  if (firstToken == QLatin1String("@@INDEXDEF START@@")) {
    FInIndex = true;
    if (FLoad) {
      FIndexesStarted = true;
      FIndexes.clear();
    }
    // Outside the table section the indexes go at once, as they would when read one by one.
    return FLoad && !FInTable ? stApply : stContinue;
  }
  if (firstToken == QLatin1String("@@INDEXDEF END@@")) {
    FInIndex = false;
    if (FLoad && !FInTable) {
      FIndexesStarted = true;
      return stApply;
    }
    return stContinue;
  }
  if (!FInTable)
    return stEnd;
  if (FLoad) {
    if (FInIndex)
      ReadIndex(line, lineNumber);
    else
      ReadField(line, firstToken, lineNumber);
  }
  return stContinue;
}

void TwoxCSVDefinitions::ReadField(const QString &line, const QString &firstToken, int lineNumber) {
  const QString text = FUnquote(line);
  const qsizetype equals = text.indexOf(u'=');
  TFieldSpec spec;
  spec.Line = lineNumber;
  spec.Name = equals < 0 ? QString() : text.left(equals);
  if (spec.Name.isEmpty())
    LineError(QStringLiteral("Field name missing"), lineNumber);
  if (IndexOfName(FFields, spec.Name) >= 0)
    LineError(QStringLiteral("Duplicate field name '%1'").arg(spec.Name), lineNumber);
  if (int(FFields.size()) >= WOX_MAX_FIELDS)
    LineError(QStringLiteral("Too many fielddefs. Please raise WOX_MAX_FIELDS value."), lineNumber);
  TStringList items;
  items.SetCommaText(text.mid(equals + 1));
  QStringList parts = items.ToStringList();
  spec.Required = text.contains(QLatin1String(",REQ"));
  spec.ReadOnly = text.contains(QLatin1String(",RO"));
  spec.Invisible = text.contains(QLatin1String(",INV"));
  QString kindName = QStringLiteral("Data");
  if (parts.size() > 6)
    spec.DefaultExpression = parts.takeLast();
  if (parts.size() > 5)
    kindName = parts.takeLast();
  const QString typeName = parts.value(0);
  const int type =
      int(std::find(FieldTypeNames.begin(), FieldTypeNames.end(), typeName) - FieldTypeNames.begin());
  if (type >= FieldTypeCount || !MemFieldTypes::IsLoadableType(TFieldType(type)))
    MemTableError(QStringLiteral("Unknown field type (%1) in CSV file. (%2)").arg(typeName, firstToken));
  spec.Type = TFieldType(type);
  if (spec.Type == ftADT || spec.Type == ftArray)
    LineError(MemUnsupportedTypeMessage(spec.Name, spec.Name, spec.Type), lineNumber);
  const QString sizeText = parts.value(1).trimmed();
  bool numeric = true;
  const qint64 size = sizeText.isEmpty() ? 0 : sizeText.toLongLong(&numeric);
  if (!numeric)
    LineError(QStringLiteral("Size '%1' of field %2 is not a number").arg(sizeText, spec.Name), lineNumber);
  const QString sizeProblem = MemFieldSizeProblem(spec.Name, size);
  if (!sizeProblem.isEmpty())
    LineError(sizeProblem, lineNumber);
  spec.Size = int(size);
  spec.Label = parts.value(2);
  spec.Mask = parts.value(3);
  spec.DisplayWidth = parts.value(4).toInt();
  const int kind = int(std::find(FieldKindNames.begin(), FieldKindNames.end(), kindName) - FieldKindNames.begin());
  spec.Kind = kind < int(FieldKindNames.size()) ? TFieldKind(kind) : fkData;
  FFields.push_back(spec);
}

void TwoxCSVDefinitions::ReadIndex(const QString &line, int lineNumber) {
  const QString text = FUnquote(line);
  const qsizetype equals = text.indexOf(u'=');
  TStringList items;
  items.SetCommaText(text.mid(equals + 1));
  TIndexSpec spec;
  spec.Line = lineNumber;
  spec.Name = text.left(equals);
  spec.Fields = items.Count() > 0 ? items[0] : QString();
  spec.DisplayName = items.Count() > 1 ? items[1] : QString();
  spec.Options.setFlag(ixCaseInsensitive, text.contains(QLatin1String(",CASE")));
  spec.Options.setFlag(ixNonMaintained, text.contains(QLatin1String(",NONMT")));
  spec.Options.setFlag(ixDescending, text.contains(QLatin1String(",DESC")));
  spec.Options.setFlag(ixUnique, text.contains(QLatin1String(",UNIQ")));
  const QString effectiveName = spec.DisplayName.isEmpty() ? spec.Name : spec.DisplayName;
  for (const TIndexSpec &other : FIndexes)
    if (!effectiveName.isEmpty() &&
        (other.DisplayName.isEmpty() ? other.Name : other.DisplayName).compare(effectiveName, Qt::CaseInsensitive) == 0)
      LineError(QStringLiteral("Duplicate index name '%1'").arg(effectiveName), lineNumber);
  FIndexes.push_back(spec);
}

void TwoxCSVDefinitions::CheckSameFields(const TFieldDefs &owner) const {
  for (std::size_t i = 0; i < FFields.size(); ++i) {
    const TFieldSpec &spec = FFields[i];
    const TFieldDef *def = int(i) < owner.Count() ? owner.Items(int(i)) : nullptr;
    if (!def || def->Name().compare(spec.Name, Qt::CaseInsensitive) != 0 || def->DataType() != spec.Type ||
        def->Size() != spec.Size)
      LineError(QStringLiteral("Field %1 differs from the definitions of the table this table is attached to")
                    .arg(spec.Name),
                spec.Line);
  }
  if (int(FFields.size()) != owner.Count())
    LineError(QStringLiteral("The table this table is attached to has %1 fields, the file %2")
                  .arg(owner.Count())
                  .arg(FFields.size()),
              FTableEndLine);
}

void TwoxCSVDefinitions::CreateFields(TwoxCustomMemTable &table) const {
  table.FieldDefs().Clear();
  for (const TFieldSpec &spec : FFields) {
    try {
      TFieldDef *def = table.FieldDefs().Add(spec.Name, spec.Type, spec.Size, spec.Required);
      TField *field = def->CreateField(&table);
      field->SetFieldKind(spec.Kind);
      field->SetDisplayLabel(spec.Label);
      field->SetEditMask(spec.Mask);
      field->SetReadOnly(spec.ReadOnly);
      field->SetDisplayWidth(spec.DisplayWidth);
      field->SetDefaultExpression(spec.DefaultExpression);
      field->SetVisible(!spec.Invisible);
    } catch (const Exception &error) {
      LineError(error.Message(), spec.Line);
    }
  }
}

void TwoxCSVDefinitions::SetIndexDefs(TIndexDefs &defs) const {
  defs.Clear();
  for (const TIndexSpec &spec : FIndexes) {
    TIndexDef *def = defs.Add(spec.Name, spec.Fields, spec.Options);
    if (!spec.DisplayName.isEmpty())
      def->SetName(spec.DisplayName);
  }
}
