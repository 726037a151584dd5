// TwoxCustomCSVStreamFormat: loading. A file is read whole or not at all: every error names its line,
// and the table gets back what it had (TwoxLoadGuard).
#include "woxMemCSVStreamFormat.h"

#include "FieldDefs.h"
#include "Fields.h"
#include "FormatSettings.h"
#include "StringList.h"
#include "Win1250.h"
#include "woxMemCSVDefinitions.h"
#include "woxMemFieldTypes.h"
#include "woxMemTable.h"
#include "woxMemTableError.h"

#include <QIODevice>

namespace {

constexpr int BlockSize = 8192;

using MemFieldTypes::IsBinaryGroup;
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

QString TwoxCustomCSVStreamFormat::AtLine(const QString &message, int line) {
  return QStringLiteral("%1 (line %2)").arg(message).arg(line);
}

QString TwoxCustomCSVStreamFormat::AtLine(const QString &message) const {
  return AtLine(message, FLineNumber);
}

// ---------------------------------------------------------------- reading lines and tokens

bool TwoxCustomCSVStreamFormat::FillBuffer() {
  FBlock = WorkStream()->read(BlockSize);
  FBlockPos = 0;
  if (++FFillCount == 1)
    CheckTextEncoding();
  if (FFillCount % 100 == 0 && FLoadingTable && WorkStream()->size() > 0)
    FLoadingTable->Progress(int(WorkStream()->pos() * 100 / WorkStream()->size()), mtpcLoad);
  return !FBlock.isEmpty();
}

// A UTF-16 byte order mark, or a start where NUL stands in at least every other character's high
// byte and never in its low byte, as ASCII and Polish letters in UTF-16 do. A NUL ends a line, so a
// Windows-1250 file never looks so. The UTF-8 mark is refused too: its three bytes would start the
// first name, and every Polish letter after it would read as two characters.
void TwoxCustomCSVStreamFormat::CheckTextEncoding() const {
  const QByteArrayView start = QByteArrayView(FBlock).first(std::min<qsizetype>(FBlock.size(), 64) & ~1);
  bool utf16 = start.startsWith("\xFF\xFE") || start.startsWith("\xFE\xFF");
  for (qsizetype highByte = 0; highByte < 2 && !utf16; ++highByte) {
    qsizetype high = 0, low = 0;
    for (qsizetype i = 0; i < start.size(); ++i)
      if (start[i] == '\0')
        ++(i % 2 == highByte ? high : low);
    utf16 = low == 0 && high >= 2 && high * 4 >= start.size();
  }
  if (utf16)
    MemTableError(QStringLiteral("The file is not Windows-1250 text: it is UTF-16"));
  if (FBlock.startsWith("\xEF\xBB\xBF"))
    MemTableError(QStringLiteral("The file is not Windows-1250 text: it is UTF-8"));
}

bool TwoxCustomCSVStreamFormat::DataLeft() const {
  return FBlockPos < FBlock.size() || (WorkStream() && !WorkStream()->atEnd());
}

bool TwoxCustomCSVStreamFormat::ReadLine() {
  FLineBytes.clear();
  FLinePos = 0;
  FLineNumber = FNextLineNumber;
  bool more = true;
  bool lineDecoded = false;
  for (;;) {
    if (FBlockPos >= FBlock.size() && !FillBuffer()) {
      more = false;
      break;
    }
    const char *begin = FBlock.constData() + FBlockPos, *end = FBlock.constData() + FBlock.size();
    const char *p = begin;
    while (p < end && !IsLineEnd(*p))
      ++p;
    if (FLineBytes.isEmpty() && p < end) {
      // The whole line is in the block: no copy in between.
      Win1250::DecodeInto(begin, p - begin, FLine);
      FBlockPos += int(p - begin);
      lineDecoded = true;
      break;
    }
    if (FLineBytes.size() + (p - begin) > MaxLineLength)
      MemTableError(
          AtLine(QStringLiteral("The line is longer than %1 MiB; the file is damaged or not a table file")
                     .arg(MaxLineLength >> 20)));
    FLineBytes.append(begin, p - begin);
    FBlockPos += int(p - begin);
    if (p < end)
      break;
  }
  // The whole run of line ends goes: CR LF, LF, CR and empty lines alike. The lines are counted for
  // the error messages: CR LF is one line end.
  bool afterCR = false;
  while (more) {
    if (FBlockPos >= FBlock.size() && !FillBuffer()) {
      more = false;
      break;
    }
    const char c = FBlock.constData()[FBlockPos];
    if (!IsLineEnd(c))
      break;
    if (c != '\n' || !afterCR)
      ++FNextLineNumber;
    afterCR = c == '\r';
    ++FBlockPos;
  }
  if (!lineDecoded)
    Win1250::DecodeInto(FLineBytes.constData(), FLineBytes.size(), FLine);
  return more;
}

void TwoxCustomCSVStreamFormat::ReadToken(QString &token, bool &null) {
  null = false;
  // Read through a const pointer: indexing the member string would check for sharing at every character.
  const char16_t *line = reinterpret_cast<const char16_t *>(FLine.constData());
  const qsizetype n = FLine.size();
  const char16_t quote = FQuote.unicode(), delimiter = FFieldDelimiter.unicode();
  qsizetype p = FLinePos;
  // The token keeps the memory of the previous one; most tokens are one piece, copied in one go.
  bool taken = false;
  auto take = [&](qsizetype from, qsizetype to) {
    if (taken) {
      token.append(reinterpret_cast<const QChar *>(line + from), to - from);
      return;
    }
    token.resize(to - from);
    std::copy(line + from, line + to, reinterpret_cast<char16_t *>(token.data()));
    taken = true;
  };
  if (quote == 0) {
    const char16_t recordDelimiter = FRecordDelimiter.unicode();
    const qsizetype start = p;
    while (p < n && line[p] != delimiter && line[p] != recordDelimiter)
      ++p;
    take(start, p);
    FLinePos = p < n ? p + 1 : p;
    null = token.isEmpty();
    return;
  }
  if (p < n && line[p] == quote) {
    // To the next single quote; a doubled quote stands for one.
    qsizetype start = ++p;
    for (;;) {
      while (p < n && line[p] != quote)
        ++p;
      if (p >= n) {
        take(start, n);
        FUnterminatedToken = true;
        break;
      }
      if (p + 1 < n && line[p + 1] == quote) {
        take(start, p + 1);
        p = start = p + 2;
        continue;
      }
      take(start, p);
      ++p;
      break;
    }
    FLinePos = p < n ? p + 1 : p; // the delimiter after the closing quote
    return;
  }
  if (p < n && line[p] == delimiter) {
    token.resize(0);
    FLinePos = p + 1;
    null = true;
    return;
  }
  const qsizetype start = p;
  while (p < n && line[p] != delimiter)
    ++p;
  take(start, p);
  FLinePos = p < n ? p + 1 : p;
}

void TwoxCustomCSVStreamFormat::ReadCheckedToken(QString &token, bool &null) {
  FUnterminatedToken = false;
  ReadToken(token, null);
  if (FUnterminatedToken)
    MemTableError(AtLine(QStringLiteral("A quoted value is not closed; the file is damaged")));
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
  FTakenFields.assign(std::size_t(table.FieldCount()), false);
  if (pass == 1 && !FLine.isEmpty() && !(FNoHeader & sfLoadNoHeader)) {
    names.clear();
    FLinePos = 0;
    while (LineHasText()) {
      QString token;
      bool null;
      ReadCheckedToken(token, null);
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
  // A field takes one column: of two fields with the same label, the second column goes to the
  // second field, instead of overwriting the values of the first.
  const QString wanted = AsciiLower(name);
  for (int i = 0; i < table.FieldCount(); ++i)
    if (!FTakenFields[std::size_t(i)] && AsciiLower(table.Fields(i)->DisplayLabel()) == wanted) {
      FTakenFields[std::size_t(i)] = true;
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
  FLineNumber = 0;
  FNextLineNumber = 1;
  FLoadingTable = &table;
  TwoxCustomStreamFormat::BeforeLoad(table);
}

void TwoxCustomCSVStreamFormat::AfterLoad(TwoxCustomMemTable &table) {
  FSettings.reset();
  FLoadingTable = nullptr;
  TwoxCustomStreamFormat::AfterLoad(table);
}

void TwoxCustomCSVStreamFormat::LoadDefinitions(TwoxCustomMemTable &table) {
  if (StreamIsEmpty(WorkStream()))
    return;
  TwoxCSVDefinitions definitions(sfDef() & sfLoadDef, [this](const QString &line) { return Unquoted(line); });
  for (;;) {
    ReadLine();
    if (FLine.isEmpty())
      break;
    QString first;
    bool null;
    ReadCheckedToken(first, null);
    TwoxCSVDefinitions::TStep step;
    try {
      step = definitions.Read(FLine, first, FLineNumber);
    } catch (const EMemTableError &) {
      throw;
    } catch (const Exception &error) {
      MemTableError(AtLine(error.Message()));
    }
    if (step == TwoxCSVDefinitions::stEnd) {
      FLinePos = 0; // the first record or header line
      return;
    }
    if (step == TwoxCSVDefinitions::stApply) {
      ApplyDefinitions(table, definitions);
      definitions.Applied();
    }
  }
  if (definitions.InsideTable())
    MemTableError(AtLine(QStringLiteral("The data ends inside the table definitions; the file is damaged"),
                         FNextLineNumber));
}

// The table definitions were read whole and found sound: the table takes them.
void TwoxCustomCSVStreamFormat::ApplyDefinitions(TwoxCustomMemTable &table,
                                                 const TwoxCSVDefinitions &definitions) {
  if (definitions.Load() && definitions.HasTable())
    if (TwoxCustomMemTable *owner = table.AttachedTo())
      definitions.CheckSameFields(owner->FieldDefs());
  try {
    if (definitions.Load() && definitions.HasTable()) {
      LoadGuard().CloseKeepingStructure(table);
      definitions.CreateFields(table);
    }
    if (definitions.Load() && definitions.HasIndexes()) {
      definitions.SetIndexDefs(table.IndexDefs());
      RebuildIndexesFromDefs(table);
    }
    if (definitions.ReachedTableEnd() && !table.Active())
      table.Open();
  } catch (const Exception &error) {
    MemTableError(AtLine(error.Message()));
  }
}

// ---------------------------------------------------------------- records

// Text and bytes are taken whole or refused: a field of fixed size does not cut them.
void TwoxCustomCSVStreamFormat::CheckFits(const TField &field, qsizetype length, bool text) const {
  if (MemFieldTypes::IsBlobGroup(field.DataType()) || length <= field.Size())
    return;
  const QString value = text ? QStringLiteral("text of %1 characters") : QStringLiteral("value of %1 bytes");
  MemTableError(AtLine(QStringLiteral("A %1 does not fit field %2 of size %3")
                           .arg(value.arg(length), field.FieldName())
                           .arg(field.Size())));
}

void TwoxCustomCSVStreamFormat::LoadValue(TwoxCustomMemTable &table, TField *field, const QString &token,
                                          bool null) {
  // The text goes on by reference: a copy of a string costs two atomic operations, for every value.
  const QString *text = &token;
  if (OnFormatLoadField) {
    FChangedToken = token;
    OnFormatLoadField(this, field, null, FChangedToken);
    text = &FChangedToken;
  }
  const TFieldType type = field->DataType();
  const QString *value = text;
  QByteArray bytes;
  if (!null && IsTextGroup(type)) {
    if (text->contains(u'%')) {
      FUnescapedToken = UnescapeCSVText(*text);
      value = &FUnescapedToken;
    }
    CheckFits(*field, value->size(), true);
  } else if (!null && IsBinaryGroup(type)) {
    bytes = DecodeBinaryText(*text);
    CheckFits(*field, bytes.size(), false);
  }
  try {
    if (null)
      field->Clear();
    else if (IsTextGroup(type))
      field->SetAsString(*value);
    else if (IsBinaryGroup(type))
      field->SetAsBytes(bytes);
    else if (type == ftBoolean)
      field->SetAsBoolean(*text == FTrueString);
    else
      field->SetAsString(*text);
  } catch (const Exception &error) {
    // The field is named unless the message names it already.
    if (error.Message().contains(u'\'' + field->FieldName() + u'\''))
      MemTableError(AtLine(error.Message()));
    MemTableError(QStringLiteral("%1 (line %2, field %3)")
                      .arg(error.Message())
                      .arg(FLineNumber)
                      .arg(field->FieldName()));
  }
  if (table.OnLoadField)
    table.OnLoadField(&table, field->Index(), field);
}

bool TwoxCustomCSVStreamFormat::LoadRecord(TwoxCustomMemTable &table) {
  const std::vector<int> &map = LoadFields();
  const bool loadAllKinds = sfFieldKind() & sfLoadFieldKind;
  QString &token = FToken;
  for (std::size_t j = 0; LineHasText() && j < map.size(); ++j) {
    bool null;
    ReadCheckedToken(token, null);
    if (map[j] < 0)
      continue;
    TField *field = table.Fields(map[j]);
    if (field->FieldKind() != fkData && !loadAllKinds)
      continue;
    LoadValue(table, field, token, null);
  }
  return true;
}

void TwoxCustomCSVStreamFormat::PostLoaded(TwoxCustomMemTable &table) {
  try {
    table.Post();
  } catch (const EAbort &) {
    throw;
  } catch (const Exception &error) {
    MemTableError(AtLine(error.Message()));
  }
}

void TwoxCustomCSVStreamFormat::LoadRecords(TwoxCustomMemTable &table) {
  // An empty pending line ends the data, whatever the size of the file (a blank first line too).
  if (FLine.isEmpty() || !(sfData() & sfLoadData))
    return;
  int loaded = 0;
  bool completely = true;
  SetLoadResult(table, 0, true);
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
      bool accept = LoadRecord(table);
      if (accept && table.OnLoadRecord)
        table.OnLoadRecord(&table, accept);
      if (accept) {
        PostLoaded(table);
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
