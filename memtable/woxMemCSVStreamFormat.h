#pragma once

#include "woxMemStreamFormat.h"

#include <QByteArray>
#include <memory>

class TFormatSettingsScope;
class TwoxCSVDefinitions;

// A memory table as delimited text: an optional definitions section with the field and index
// definitions, an optional header line of column names, one line per record.
class TwoxCustomCSVStreamFormat : public TwoxCustomStreamFormat {
public:
  explicit TwoxCustomCSVStreamFormat(QObject *owner = nullptr);
  ~TwoxCustomCSVStreamFormat() override;

  void Assign(const TwoxCustomStreamFormat &source) override;

  QChar CSVQuote() const { return FQuote; }
  void SetCSVQuote(QChar value) { FQuote = value; }
  QChar CSVFieldDelimiter() const { return FFieldDelimiter; }
  void SetCSVFieldDelimiter(QChar value);
  QChar CSVRecordDelimiter() const { return FRecordDelimiter; }
  void SetCSVRecordDelimiter(QChar value) { FRecordDelimiter = value; }
  const QString &CSVTrueString() const { return FTrueString; }
  void SetCSVTrueString(const QString &value) { FTrueString = value; }
  const QString &CSVFalseString() const { return FFalseString; }
  void SetCSVFalseString(const QString &value) { FFalseString = value; }
  TwoxStreamFlags sfLocalFormat() const { return FLocalFormat; }
  void SetsfLocalFormat(TwoxStreamFlags value) { FLocalFormat = value; }
  TwoxStreamFlags sfNoHeader() const { return FNoHeader; }
  void SetsfNoHeader(TwoxStreamFlags value) { FNoHeader = value; }
  TwoxStreamFlags sfQuoteOnlyStrings() const { return FQuoteOnlyStrings; }
  void SetsfQuoteOnlyStrings(TwoxStreamFlags value) { FQuoteOnlyStrings = value; }
  TwoxStreamFlags sfPlaceHolders() const { return FPlaceHolders; }
  void SetsfPlaceHolders(TwoxStreamFlags value) { FPlaceHolders = value; }

  // The most one line may take, in bytes of the file: a save refuses a longer record and a load a
  // longer line, before the memory for it is taken.
  static constexpr qsizetype MaxLineLength = qsizetype(8) << 20;

  // %0 %n %c %% for NUL, LF, CR and %; and back, where a "%" that starts no such pair stays as it is.
  static QString EscapeCSVText(const QString &text);
  static QString UnescapeCSVText(const QString &text);
  // Bytes as 6-bit groups, each the character 32 + group (least significant bit first); and back.
  static QString EncodeBinaryText(const QByteArray &bytes);
  static QByteArray DecodeBinaryText(const QString &text);

protected:
  QString GetVersion() const override { return QStringLiteral("3.00"); }
  void BeforeSave(TwoxCustomMemTable &table) override;
  void SaveDefinitions(TwoxCustomMemTable &table) override;
  void SaveRecords(TwoxCustomMemTable &table) override;
  void AfterSave(TwoxCustomMemTable &table) override;
  void GetColumnNames(TwoxCustomMemTable &table, QStringList &names, int pass) override;
  void FindColumnField(TwoxCustomMemTable &table, const QString &name, int pass, int &fieldIndex) override;
  void BeforeLoad(TwoxCustomMemTable &table) override;
  void LoadDefinitions(TwoxCustomMemTable &table) override;
  void LoadRecords(TwoxCustomMemTable &table) override;
  void AfterLoad(TwoxCustomMemTable &table) override;

  virtual bool FillBuffer();
  virtual bool ReadLine();
  virtual void ReadToken(QString &token, bool &null);
  // Reads the current line's values into the appended record; answers whether the line holds a
  // record (one that does not is cancelled).
  virtual bool LoadRecord(TwoxCustomMemTable &table);

  // Whether the current line has values not read yet.
  bool LineHasText() const { return FLinePos < FLine.size(); }
  // The number of the current line in the file, from 1.
  int LineNumber() const { return FLineNumber; }
  // Whether bytes after the current line are still unread.
  bool DataLeft() const;

private:
  QString Quote(const QString &text) const;
  void WriteLine(const QString &line);
  void UseFixedSettings(bool keepLocal);
  QString FieldDefinitionLine(const TField &field) const;
  QString RecordLine(TwoxCustomMemTable &table);
  void ApplyDefinitions(TwoxCustomMemTable &table, const TwoxCSVDefinitions &definitions);
  void LoadValue(TwoxCustomMemTable &table, TField *field, const QString &token, bool null);
  void PostLoaded(TwoxCustomMemTable &table);
  // Refuses a text or a byte value longer than the field holds.
  void CheckFits(const TField &field, qsizetype length, bool text) const;
  // Refuses a first block that is UTF-16 text, which reads as lines of one character each, or that
  // starts with the UTF-8 byte order mark.
  void CheckTextEncoding() const;
  // ReadToken, refusing a quoted value that the line does not close.
  void ReadCheckedToken(QString &token, bool &null);
  // The message with the number of the line it is about.
  static QString AtLine(const QString &message, int line);
  QString AtLine(const QString &message) const;
  QString Unquoted(const QString &line) const;

  QChar FQuote = u'"', FFieldDelimiter = u',', FRecordDelimiter = u',';
  QString FTrueString = QStringLiteral("True"), FFalseString = QStringLiteral("False");
  TwoxStreamFlags FLocalFormat = 0, FNoHeader = 0, FQuoteOnlyStrings = 0, FPlaceHolders = 0;
  std::unique_ptr<TFormatSettingsScope> FSettings;
  // Reading: the block read from the work stream and the current line.
  QByteArray FBlock;
  int FBlockPos = 0;
  int FFillCount = 0;
  QByteArray FLineBytes;
  QString FLine;
  int FLinePos = 0;
  QString FToken;
  // A token as OnFormatLoadField changed it, and a text token without its escapes.
  QString FChangedToken, FUnescapedToken;
  int FLineNumber = 0, FNextLineNumber = 1;
  // The fields that a column of the header went to.
  std::vector<bool> FTakenFields;
  bool FUnterminatedToken = false;
  TwoxCustomMemTable *FLoadingTable = nullptr;
};

// The CSV format as components use it.
class TwoxCSVStreamFormat : public TwoxCustomCSVStreamFormat {
public:
  using TwoxCustomCSVStreamFormat::TwoxCustomCSVStreamFormat;
};
