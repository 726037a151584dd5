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

TwoxCSVDefinitions::TStep TwoxCSVDefinitions::Read(const QString &line, const QString &firstToken,
                                                   int lineNumber) {
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
  TFieldSpec entry;
  entry.Line = lineNumber;
  entry.Name = equals < 0 ? QString() : text.left(equals);
  if (entry.Name.isEmpty())
    LineError(QStringLiteral("Field name missing"), lineNumber);
  if (IndexOfName(FFields, entry.Name) >= 0)
    LineError(QStringLiteral("Duplicate field name '%1'").arg(MessageExcerpt(entry.Name)), lineNumber);
  if (int(FFields.size()) >= WOX_MAX_FIELDS)
    LineError(QStringLiteral("Too many fielddefs. Please raise WOX_MAX_FIELDS value."), lineNumber);
  TStringList items;
  items.SetCommaText(text.mid(equals + 1));
  QStringList parts = items.ToStringList();
  entry.Required = text.contains(QLatin1String(",REQ"));
  entry.ReadOnly = text.contains(QLatin1String(",RO"));
  entry.Invisible = text.contains(QLatin1String(",INV"));
  QString kindName = QStringLiteral("Data");
  if (parts.size() > 6)
    entry.DefaultExpression = parts.takeLast();
  if (parts.size() > 5)
    kindName = parts.takeLast();
  const QString typeName = parts.value(0);
  const int type =
      int(std::find(FieldTypeNames.begin(), FieldTypeNames.end(), typeName) - FieldTypeNames.begin());
  if (type >= FieldTypeCount || !MemFieldTypes::IsLoadableType(TFieldType(type)))
    MemTableError(QStringLiteral("Unknown field type (%1) in CSV file. (%2)")
                      .arg(MessageExcerpt(typeName), MessageExcerpt(firstToken)));
  entry.Type = TFieldType(type);
  if (entry.Type == ftADT || entry.Type == ftArray)
    LineError(MemUnsupportedTypeMessage(MessageExcerpt(entry.Name), MessageExcerpt(entry.Name), entry.Type),
              lineNumber);
  const QString sizeText = parts.value(1).trimmed();
  bool numeric = true;
  const qint64 size = sizeText.isEmpty() ? 0 : sizeText.toLongLong(&numeric);
  if (!numeric)
    LineError(QStringLiteral("Size '%1' of field %2 is not a number")
                  .arg(MessageExcerpt(sizeText), MessageExcerpt(entry.Name)),
              lineNumber);
  const QString sizeProblem = MemFieldSizeProblem(MessageExcerpt(entry.Name), size);
  if (!sizeProblem.isEmpty())
    LineError(sizeProblem, lineNumber);
  entry.Size = int(size);
  entry.Label = parts.value(2);
  entry.Mask = parts.value(3);
  entry.DisplayWidth = parts.value(4).toInt();
  const int kind =
      int(std::find(FieldKindNames.begin(), FieldKindNames.end(), kindName) - FieldKindNames.begin());
  entry.Kind = kind < int(FieldKindNames.size()) ? TFieldKind(kind) : fkData;
  FFields.push_back(entry);
}

void TwoxCSVDefinitions::ReadIndex(const QString &line, int lineNumber) {
  const QString text = FUnquote(line);
  const qsizetype equals = text.indexOf(u'=');
  TStringList items;
  items.SetCommaText(text.mid(equals + 1));
  TIndexSpec entry;
  entry.Line = lineNumber;
  entry.Name = text.left(equals);
  entry.Fields = items.Count() > 0 ? items[0] : QString();
  entry.DisplayName = items.Count() > 1 ? items[1] : QString();
  entry.Options.setFlag(ixCaseInsensitive, text.contains(QLatin1String(",CASE")));
  entry.Options.setFlag(ixNonMaintained, text.contains(QLatin1String(",NONMT")));
  entry.Options.setFlag(ixDescending, text.contains(QLatin1String(",DESC")));
  entry.Options.setFlag(ixUnique, text.contains(QLatin1String(",UNIQ")));
  const QString effectiveName = entry.DisplayName.isEmpty() ? entry.Name : entry.DisplayName;
  for (const TIndexSpec &other : FIndexes)
    if (!effectiveName.isEmpty() && (other.DisplayName.isEmpty() ? other.Name : other.DisplayName)
                                            .compare(effectiveName, Qt::CaseInsensitive) == 0)
      LineError(QStringLiteral("Duplicate index name '%1'").arg(MessageExcerpt(effectiveName)), lineNumber);
  FIndexes.push_back(entry);
}

void TwoxCSVDefinitions::CheckSameFields(const TFieldDefs &owner) const {
  for (std::size_t i = 0; i < FFields.size(); ++i) {
    const TFieldSpec &entry = FFields[i];
    const TFieldDef *def = int(i) < owner.Count() ? owner.Items(int(i)) : nullptr;
    if (!def || def->Name().compare(entry.Name, Qt::CaseInsensitive) != 0 || def->DataType() != entry.Type ||
        def->Size() != entry.Size)
      LineError(QStringLiteral("Field %1 differs from the definitions of the table this table is attached to")
                    .arg(MessageExcerpt(entry.Name)),
                entry.Line);
  }
  if (int(FFields.size()) != owner.Count())
    LineError(QStringLiteral("The table this table is attached to has %1 fields, the file %2")
                  .arg(owner.Count())
                  .arg(FFields.size()),
              FTableEndLine);
}

void TwoxCSVDefinitions::CreateFields(TwoxCustomMemTable &table) const {
  table.FieldDefs().Clear();
  for (const TFieldSpec &entry : FFields) {
    try {
      TFieldDef *def = table.FieldDefs().Add(entry.Name, entry.Type, entry.Size, entry.Required);
      TField *field = def->CreateField(&table);
      field->SetFieldKind(entry.Kind);
      field->SetDisplayLabel(entry.Label);
      field->SetEditMask(entry.Mask);
      field->SetReadOnly(entry.ReadOnly);
      field->SetDisplayWidth(entry.DisplayWidth);
      field->SetDefaultExpression(entry.DefaultExpression);
      field->SetVisible(!entry.Invisible);
    } catch (const Exception &error) {
      LineError(error.Message(), entry.Line);
    }
  }
}

void TwoxCSVDefinitions::SetIndexDefs(TIndexDefs &defs) const {
  defs.Clear();
  for (const TIndexSpec &entry : FIndexes) {
    TIndexDef *def = defs.Add(entry.Name, entry.Fields, entry.Options);
    if (!entry.DisplayName.isEmpty())
      def->SetName(entry.DisplayName);
  }
}
