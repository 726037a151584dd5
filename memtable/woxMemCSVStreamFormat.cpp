// TwoxCustomCSVStreamFormat: properties, text routines and saving.
#include "woxMemCSVStreamFormat.h"

#include "Fields.h"
#include "FormatSettings.h"
#include "Win1250.h"
#include "woxMemFieldTypes.h"
#include "woxMemTable.h"
#include "woxMemTableError.h"

#include <QIODevice>

namespace {

using MemFieldTypes::IsBinaryGroup;
using MemFieldTypes::IsTextGroup;

// Quoted with the double quote whatever CSVQuote is.
QString DQuote(const QString &text) {
  return u'"' + QString(text).replace(u'"', QStringLiteral("\"\"")) + u'"';
}

QString CutAtNul(const QString &text) {
  const qsizetype nul = text.indexOf(QChar(0));
  return nul < 0 ? text : text.left(nul);
}

} // namespace

TwoxCustomCSVStreamFormat::TwoxCustomCSVStreamFormat(QObject *owner) : TwoxCustomStreamFormat(owner) {}

TwoxCustomCSVStreamFormat::~TwoxCustomCSVStreamFormat() = default;

void TwoxCustomCSVStreamFormat::Assign(const TwoxCustomStreamFormat &source) {
  if (const auto *csv = dynamic_cast<const TwoxCustomCSVStreamFormat *>(&source)) {
    const TwoxCustomCSVStreamFormat &other = *csv;
    FQuote = other.FQuote;
    SetCSVFieldDelimiter(other.FFieldDelimiter);
    FRecordDelimiter = other.FRecordDelimiter;
    FTrueString = other.FTrueString;
    FFalseString = other.FFalseString;
    FLocalFormat = other.FLocalFormat;
    FNoHeader = other.FNoHeader;
    FQuoteOnlyStrings = other.FQuoteOnlyStrings;
    FPlaceHolders = other.FPlaceHolders;
  }
  TwoxCustomStreamFormat::Assign(source);
}

void TwoxCustomCSVStreamFormat::SetCSVFieldDelimiter(QChar value) {
  if (value != QChar(0))
    FFieldDelimiter = value;
}

// ---------------------------------------------------------------- text routines

QString TwoxCustomCSVStreamFormat::EscapeCSVText(const QString &text) {
  QString result;
  result.reserve(text.size());
  for (const QChar c : text) {
    switch (c.unicode()) {
    case 0: result += QStringLiteral("%0"); break;
    case 10: result += QStringLiteral("%n"); break;
    case 13: result += QStringLiteral("%c"); break;
    case u'%': result += QStringLiteral("%%"); break;
    default: result += c;
    }
  }
  return result;
}

QString TwoxCustomCSVStreamFormat::UnescapeCSVText(const QString &text) {
  if (!text.contains(u'%'))
    return text;
  QString result;
  result.reserve(text.size());
  for (qsizetype i = 0; i < text.size(); ++i) {
    if (text[i] != u'%' || i + 1 >= text.size()) {
      result += text[i];
      continue;
    }
    // A pair the format writes stands for one character. Any other "%" was written by hand (as in
    // "50%rabat"): it stays with the character after it, so that a save writes the text back.
    const QChar next = text[++i];
    switch (next.unicode()) {
    case u'%': result += u'%'; break;
    case u'0': result += QChar(0); break;
    case u'n': result += QChar(10); break;
    case u'c': result += QChar(13); break;
    default: result += u'%'; result += next;
    }
  }
  return result;
}

QString TwoxCustomCSVStreamFormat::EncodeBinaryText(const QByteArray &bytes) {
  QString result;
  quint32 bits = 0;
  int count = 0;
  for (const char byte : bytes) {
    bits |= quint32(quint8(byte)) << count;
    count += 8;
    while (count >= 6) {
      result += QChar(char16_t(32 + (bits & 0x3F)));
      bits >>= 6;
      count -= 6;
    }
  }
  if (count > 0)
    result += QChar(char16_t(32 + (bits & 0x3F)));
  return result;
}

QByteArray TwoxCustomCSVStreamFormat::DecodeBinaryText(const QString &text) {
  QByteArray result;
  const qsizetype length = 3 * text.size() / 4;
  quint32 bits = 0;
  int count = 0;
  for (const QChar c : text) {
    bits |= quint32((c.unicode() - 32) & 0x3F) << count;
    count += 6;
    if (count >= 8) {
      if (result.size() < length)
        result += char(bits & 0xFF);
      bits >>= 8;
      count -= 8;
    }
  }
  return result;
}

// ---------------------------------------------------------------- saving

QString TwoxCustomCSVStreamFormat::Quote(const QString &text) const {
  if (FQuote == QChar(0))
    return text;
  return FQuote + QString(text).replace(FQuote, QString(2, FQuote)) + FQuote;
}

void TwoxCustomCSVStreamFormat::WriteLine(const QString &line) {
  const QByteArray bytes = Win1250::Encode(line) + "\r\n";
  // What would not load again is not written.
  if (bytes.size() - 2 > MaxLineLength)
    MemTableError(QStringLiteral("A line of %1 bytes is longer than the %2 MiB a line of the file may take")
                      .arg(bytes.size() - 2)
                      .arg(MaxLineLength >> 20));
  if (WorkStream()->write(bytes) != bytes.size())
    throw EInOutError(QStringLiteral("Cannot write the data: %1").arg(WorkStream()->errorString()));
}

void TwoxCustomCSVStreamFormat::UseFixedSettings(bool keepLocal) {
  if (keepLocal)
    return;
  FSettings = std::make_unique<TFormatSettingsScope>();
  TFormatSettings &settings = FormatSettings();
  settings.DateSeparator = u'/';
  settings.TimeSeparator = u':';
  settings.ThousandSeparator = u',';
  settings.DecimalSeparator = u'.';
  settings.ShortDateFormat = QStringLiteral("dd/mm/yyyy");
  settings.CurrencyString.clear();
  settings.CurrencyFormat = 0;
  settings.NegCurrFormat = 1;
}

void TwoxCustomCSVStreamFormat::BeforeSave(TwoxCustomMemTable &table) {
  if (sfDeltas() & sfSaveDeltas)
    MemTableError(QStringLiteral("Saving deltas is supported only in binary format."));
  UseFixedSettings(FLocalFormat & sfSaveLocalFormat);
  TwoxCustomStreamFormat::BeforeSave(table);
}

void TwoxCustomCSVStreamFormat::AfterSave(TwoxCustomMemTable &table) {
  FSettings.reset();
  TwoxCustomStreamFormat::AfterSave(table);
}

QString TwoxCustomCSVStreamFormat::FieldDefinitionLine(const TField &field) const {
  QString inner = field.FieldName() + u'=' + FieldTypeNames[std::size_t(field.DataType())] + u',' +
                  QString::number(field.Size()) + u',' + DQuote(field.DisplayLabel()) + u',' +
                  DQuote(field.EditMask()) + u',' + QString::number(field.DisplayWidth());
  if (field.Required())
    inner += QStringLiteral(",REQ");
  if (field.ReadOnly())
    inner += QStringLiteral(",RO");
  inner += u',' + ((sfFieldKind() & sfSaveFieldKind) ? FieldKindNames[std::size_t(field.FieldKind())]
                                                     : QStringLiteral("Data"));
  inner += u',' + DQuote(field.DefaultExpression());
  return Quote(CutAtNul(inner));
}

void TwoxCustomCSVStreamFormat::SaveDefinitions(TwoxCustomMemTable &table) {
  const std::vector<int> &saved = SaveFields();
  const bool placeholders = FPlaceHolders & sfSavePlaceholders;
  if (sfDef() & sfSaveDef) {
    WriteLine(Quote(QStringLiteral("@@FILE VERSION@@")) + FFieldDelimiter + Quote(QStringLiteral("251")));
    WriteLine(Quote(QStringLiteral("@@TABLEDEF START@@")));
    for (int i = 0; i < table.FieldCount(); ++i)
      if (saved[std::size_t(i)] >= 0 || placeholders)
        WriteLine(FieldDefinitionLine(*table.Fields(i)));
    if (sfIndexDef() & sfSaveIndexDef) {
      WriteLine(Quote(QStringLiteral("@@INDEXDEF START@@")));
      for (int i = 0; i < table.IndexDefs().Count(); ++i) {
        const TIndexDef &def = *table.IndexDefs().Items(i);
        QString inner = def.Name() + u'=' + Quote(def.Fields()) + u',' + Quote(def.DisplayName());
        if (def.Options().testFlag(ixDescending))
          inner += QStringLiteral(",DESC");
        if (def.Options().testFlag(ixCaseInsensitive))
          inner += QStringLiteral(",CASE");
        if (def.Options().testFlag(ixNonMaintained))
          inner += QStringLiteral(",NONMT");
        if (def.Options().testFlag(ixUnique))
          inner += QStringLiteral(",UNIQ");
        WriteLine(Quote(CutAtNul(inner)));
      }
      WriteLine(Quote(QStringLiteral("@@INDEXDEF END@@")));
    }
    WriteLine(Quote(QStringLiteral("@@TABLEDEF END@@")));
  }
  if (!(FNoHeader & sfSaveNoHeader)) {
    QStringList names;
    for (int i = 0; i < table.FieldCount(); ++i)
      if (saved[std::size_t(i)] >= 0 || placeholders)
        names << Quote(table.Fields(i)->DisplayLabel());
    QString line = names.join(FFieldDelimiter);
    if (FRecordDelimiter != QChar(0))
      line += FRecordDelimiter;
    WriteLine(line);
  }
}

QString TwoxCustomCSVStreamFormat::RecordLine(TwoxCustomMemTable &table) {
  const std::vector<int> &saved = SaveFields();
  QStringList values;
  for (int i = 0; i < table.FieldCount(); ++i) {
    if (saved[std::size_t(i)] < 0) {
      if (FPlaceHolders & sfSavePlaceholders)
        values << QString();
      continue;
    }
    TField *field = table.Fields(i);
    if (table.OnSaveField)
      table.OnSaveField(&table, i, field);
    bool null = field->IsNull();
    const TFieldType type = field->DataType();
    QString text;
    if (!null) {
      if (IsTextGroup(type))
        text = EscapeCSVText(field->AsString());
      else if (IsBinaryGroup(type))
        text = EncodeBinaryText(field->AsBytes());
      else if (type == ftBoolean)
        text = field->AsBoolean() ? FTrueString : FFalseString;
      else
        text = field->AsString();
    }
    if (OnFormatSaveField)
      OnFormatSaveField(this, field, null, text);
    if (null)
      values << QString();
    else if ((FQuoteOnlyStrings & sfSaveQuoteOnlyStrings) && !IsTextGroup(type) && !IsBinaryGroup(type))
      values << text;
    else
      values << Quote(text);
  }
  QString line = values.join(FFieldDelimiter);
  if (FRecordDelimiter != QChar(0))
    line += FRecordDelimiter;
  return line;
}

void TwoxCustomCSVStreamFormat::SaveRecords(TwoxCustomMemTable &table) {
  if (!(sfData() & sfSaveData))
    return;
  int savedCount = 0;
  bool completely = true;
  SetSaveResult(table, 0, true);
  const int count = table.CurrentIndex().Count();
  table.BeginRecordAccess();
  try {
    for (int i = 0; i < count; ++i) {
      if (table.SaveLimit() > 0 && savedCount >= table.SaveLimit()) {
        completely = false;
        break;
      }
      if (i % 100 == 0)
        table.Progress(int(qint64(i) * 100 / count), mtpcSave);
      TwoxRecord &record = *table.CurrentIndex().Records(i);
      if (!table.RecordAccepted(record))
        continue;
      table.AccessRecord(record);
      bool accept = true;
      if (table.OnSaveRecord)
        table.OnSaveRecord(&table, accept);
      if (!accept)
        continue;
      WriteLine(RecordLine(table));
      ++savedCount;
    }
  } catch (...) {
    table.EndRecordAccess();
    SetSaveResult(table, savedCount, false);
    throw;
  }
  table.EndRecordAccess();
  SetSaveResult(table, savedCount, completely);
}
