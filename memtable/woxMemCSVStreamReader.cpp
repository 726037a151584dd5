// TwoxCustomCSVStreamFormat: loading.
#include "woxMemCSVStreamFormat.h"

#include "FieldDefs.h"
#include "Fields.h"
#include "FormatSettings.h"
#include "StringList.h"
#include "Win1250.h"
#include "woxMemFieldTypes.h"
#include "woxMemTable.h"
#include "woxMemTableError.h"

#include <QIODevice>

namespace {

constexpr int BlockSize = 8192;

using MemFieldTypes::IsBinaryGroup;
using MemFieldTypes::IsLoadableType;
using MemFieldTypes::IsTextGroup;

bool IsLineEnd(char c) { return c == '\r' || c == '\n' || c == '\0'; }

// Only ASCII letters fold: "Ł" and "ł" stay different.
QString AsciiLower(const QString &text) {
  QString result = text;
  for (QChar &c : result)
    if (c >= u'A' && c <= u'Z')
      c = QChar(c.unicode() + 32);
  return result;
}

bool StreamIsEmpty(QIODevice *stream) { return stream->size() == 0 || stream->atEnd(); }

} // namespace

// ---------------------------------------------------------------- reading lines and tokens

bool TwoxCustomCSVStreamFormat::FillBuffer() {
  FBlock = WorkStream()->read(BlockSize);
  FBlockPos = 0;
  if (++FFillCount % 100 == 0 && FLoadingTable && WorkStream()->size() > 0)
    FLoadingTable->Progress(int(WorkStream()->pos() * 100 / WorkStream()->size()), mtpcLoad);
  return !FBlock.isEmpty();
}

bool TwoxCustomCSVStreamFormat::ReadLine() {
  QByteArray line;
  FLine.clear();
  FLinePos = 0;
  bool more = true;
  for (;;) {
    if (FBlockPos >= FBlock.size() && !FillBuffer()) {
      more = false;
      break;
    }
    const char c = FBlock[FBlockPos];
    if (IsLineEnd(c))
      break;
    line += c;
    ++FBlockPos;
  }
  // The whole run of line ends goes: CR LF, LF, CR and empty lines alike.
  while (more) {
    if (FBlockPos >= FBlock.size() && !FillBuffer()) {
      more = false;
      break;
    }
    if (!IsLineEnd(FBlock[FBlockPos]))
      break;
    ++FBlockPos;
  }
  FLine = Win1250::Decode(line);
  return more;
}

void TwoxCustomCSVStreamFormat::ReadToken(QString &token, bool &null) {
  token.clear();
  null = false;
  if (FQuote == QChar(0)) {
    while (FLinePos < FLine.size() && FLine[FLinePos] != FFieldDelimiter &&
           FLine[FLinePos] != FRecordDelimiter)
      token += FLine[FLinePos++];
    if (FLinePos < FLine.size())
      ++FLinePos;
    null = token.isEmpty();
    return;
  }
  if (FLinePos < FLine.size() && FLine[FLinePos] == FQuote) {
    ++FLinePos;
    while (FLinePos < FLine.size()) {
      if (FLine[FLinePos] == FQuote) {
        if (FLinePos + 1 < FLine.size() && FLine[FLinePos + 1] == FQuote) {
          token += FQuote;
          FLinePos += 2;
          continue;
        }
        ++FLinePos;
        break;
      }
      token += FLine[FLinePos++];
    }
    if (FLinePos < FLine.size())
      ++FLinePos; // the delimiter after the closing quote
    return;
  }
  if (FLinePos < FLine.size() && FLine[FLinePos] == FFieldDelimiter) {
    ++FLinePos;
    null = true;
    return;
  }
  while (FLinePos < FLine.size() && FLine[FLinePos] != FFieldDelimiter)
    token += FLine[FLinePos++];
  if (FLinePos < FLine.size())
    ++FLinePos;
}

QString TwoxCustomCSVStreamFormat::Unquoted(const QString &line) const {
  if (FQuote == QChar(0) || !line.startsWith(FQuote))
    return line;
  QString result;
  for (qsizetype i = 1; i < line.size(); ++i) {
    if (line[i] == FQuote) {
      if (i + 1 < line.size() && line[i + 1] == FQuote) {
        result += FQuote;
        ++i;
        continue;
      }
      break;
    }
    result += line[i];
  }
  return result;
}

// ---------------------------------------------------------------- column mapping

void TwoxCustomCSVStreamFormat::GetColumnNames(TwoxCustomMemTable &table, QStringList &names, int pass) {
  if (pass == 1 && !FLine.isEmpty() && !(FNoHeader & sfLoadNoHeader)) {
    names.clear();
    FLinePos = 0;
    while (LineHasText()) {
      QString token;
      bool null;
      ReadToken(token, null);
      names << token;
    }
    FLinePos = 0;
    return;
  }
  TwoxCustomStreamFormat::GetColumnNames(table, names, pass);
}

void TwoxCustomCSVStreamFormat::FindColumnField(TwoxCustomMemTable &table, const QString &name, int pass,
                                                int &fieldIndex) {
  if (pass != 1)
    return;
  for (int i = 0; i < table.FieldCount(); ++i)
    if (AsciiLower(table.Fields(i)->DisplayLabel()) == AsciiLower(name)) {
      fieldIndex = i;
      return;
    }
}

// ---------------------------------------------------------------- definitions

void TwoxCustomCSVStreamFormat::BeforeLoad(TwoxCustomMemTable &table) {
  UseFixedSettings(FLocalFormat & sfLoadLocalFormat);
  FBlock.clear();
  FBlockPos = 0;
  FFillCount = 0;
  FLine.clear();
  FLinePos = 0;
  FLoadingTable = &table;
  TwoxCustomStreamFormat::BeforeLoad(table);
}

void TwoxCustomCSVStreamFormat::AfterLoad(TwoxCustomMemTable &table) {
  FSettings.reset();
  FLoadingTable = nullptr;
  TwoxCustomStreamFormat::AfterLoad(table);
}

void TwoxCustomCSVStreamFormat::LoadFieldDefinition(TwoxCustomMemTable &table, const QString &line,
                                                    const QString &firstToken) {
  const QString text = Unquoted(line);
  const qsizetype equals = text.indexOf(u'=');
  const QString name = text.left(equals);
  TStringList items;
  items.SetCommaText(equals < 0 ? QString() : text.mid(equals + 1));
  QStringList parts = items.ToStringList();
  const bool required = text.contains(QLatin1String(",REQ"));
  const bool readOnly = text.contains(QLatin1String(",RO"));
  const bool invisible = text.contains(QLatin1String(",INV"));
  QString defaultExpression, kindName = QStringLiteral("Data");
  if (parts.size() > 6)
    defaultExpression = parts.takeLast();
  if (parts.size() > 5)
    kindName = parts.takeLast();
  const QString typeName = parts.value(0);
  const int type =
      int(std::find(FieldTypeNames.begin(), FieldTypeNames.end(), typeName) - FieldTypeNames.begin());
  if (type >= FieldTypeCount || !IsLoadableType(TFieldType(type)))
    MemTableError(QStringLiteral("Unknown field type (%1) in CSV file. (%2)").arg(typeName, firstToken));
  const int kind =
      int(std::find(FieldKindNames.begin(), FieldKindNames.end(), kindName) - FieldKindNames.begin());
  TFieldDef *def = table.FieldDefs().Add(name, TFieldType(type), parts.value(1).toInt(), required);
  TField *field = def->CreateField(&table);
  if (!field)
    MemTableError(QStringLiteral("Unknown field type (%1) in CSV file. (%2)").arg(typeName, firstToken));
  field->SetFieldKind(kind < int(FieldKindNames.size()) ? TFieldKind(kind) : fkData);
  field->SetDisplayLabel(parts.value(2));
  field->SetEditMask(parts.value(3));
  field->SetReadOnly(readOnly);
  field->SetDisplayWidth(parts.value(4).toInt());
  field->SetDefaultExpression(defaultExpression);
  field->SetVisible(!invisible);
}

void TwoxCustomCSVStreamFormat::LoadIndexDefinition(TwoxCustomMemTable &table, const QString &line) {
  const QString text = Unquoted(line);
  const qsizetype equals = text.indexOf(u'=');
  TStringList items;
  items.SetCommaText(text.mid(equals + 1));
  TIndexOptions options;
  options.setFlag(ixCaseInsensitive, text.contains(QLatin1String(",CASE")));
  options.setFlag(ixNonMaintained, text.contains(QLatin1String(",NONMT")));
  options.setFlag(ixDescending, text.contains(QLatin1String(",DESC")));
  options.setFlag(ixUnique, text.contains(QLatin1String(",UNIQ")));
  TIndexDef *def =
      table.IndexDefs().Add(text.left(equals), items.Count() > 0 ? items[0] : QString(), options);
  if (items.Count() > 1 && !items[1].isEmpty())
    def->SetName(items[1]);
}

void TwoxCustomCSVStreamFormat::LoadDefinitions(TwoxCustomMemTable &table) {
  if (StreamIsEmpty(WorkStream()))
    return;
  const bool load = sfDef() & sfLoadDef;
  bool inTable = false, inIndex = false;
  for (;;) {
    ReadLine();
    if (FLine.isEmpty())
      return;
    QString first;
    bool null;
    ReadToken(first, null);
    if (first == QLatin1String("@@FILE VERSION@@")) {
      ReadToken(first, null);
    } else if (first == QLatin1String("@@TABLEDEF START@@")) {
      inTable = true;
      if (load) {
        table.Close();
        table.FieldDefs().Clear();
        for (TField *field : std::vector<TField *>(table.FieldList()))
          delete field;
      }
    } else if (first == QLatin1String("@@TABLEDEF END@@")) {
      inTable = false;
      table.Open();
    } else if (first == QLatin1String("@@INDEXDEF START@@")) {
      inIndex = true;
      if (load)
        table.IndexDefs().Clear();
    } else if (first == QLatin1String("@@INDEXDEF END@@")) {
      inIndex = false;
      if (load)
        RebuildIndexesFromDefs(table);
    } else if (!inTable) {
      FLinePos = 0; // the first record or header line
      return;
    } else if (load) {
      if (inIndex)
        LoadIndexDefinition(table, FLine);
      else
        LoadFieldDefinition(table, FLine, first);
    }
  }
}

// ---------------------------------------------------------------- records

void TwoxCustomCSVStreamFormat::LoadValue(TwoxCustomMemTable &table, TField *field, const QString &token,
                                          bool null) {
  QString text = token;
  if (OnFormatLoadField)
    OnFormatLoadField(this, field, null, text);
  const TFieldType type = field->DataType();
  if (null)
    field->Clear();
  else if (IsTextGroup(type))
    field->SetAsString(UnescapeCSVText(text));
  else if (IsBinaryGroup(type))
    field->SetAsBytes(DecodeBinaryText(text));
  else if (type == ftBoolean)
    field->SetAsBoolean(text == FTrueString);
  else
    field->SetAsString(text);
  if (table.OnLoadField)
    table.OnLoadField(&table, field->Index(), field);
}

void TwoxCustomCSVStreamFormat::LoadRecords(TwoxCustomMemTable &table) {
  if (StreamIsEmpty(WorkStream()) && FLine.isEmpty())
    return;
  if (!(sfData() & sfLoadData))
    return;
  int loaded = 0;
  bool completely = true;
  SetLoadResult(table, 0, true);
  const std::vector<int> &map = LoadFields();
  const bool loadAllKinds = sfFieldKind() & sfLoadFieldKind;
  for (bool firstRound = true;; firstRound = false) {
    if (table.LoadLimit() > 0 && loaded >= table.LoadLimit()) {
      completely = false;
      break;
    }
    if (!firstRound || !(FNoHeader & sfLoadNoHeader))
      ReadLine();
    if (FLine.isEmpty())
      break;
    FLinePos = 0;
    table.Append();
    try {
      for (std::size_t j = 0; LineHasText() && j < map.size(); ++j) {
        QString token;
        bool null;
        ReadToken(token, null);
        if (map[j] < 0)
          continue;
        TField *field = table.Fields(map[j]);
        if (field->FieldKind() != fkData && !loadAllKinds)
          continue;
        LoadValue(table, field, token, null);
      }
      bool accept = true;
      if (table.OnLoadRecord)
        table.OnLoadRecord(&table, accept);
      if (accept) {
        table.Post();
        ++loaded;
      } else {
        table.Cancel();
      }
    } catch (...) {
      table.Cancel();
      SetLoadResult(table, loaded, false);
      throw;
    }
  }
  SetLoadResult(table, loaded, completely);
}
