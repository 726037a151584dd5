#pragma once

#include "StringList.h"

#include <QString>
#include <memory>
#include <vector>

// An ini file held in memory: sections of lines, plain lines kept whole beside name=value pairs.
// The file is read at construction and written only by UpdateFile, whole and in one step.
class TMemIniFile {
public:
  explicit TMemIniFile(QString fileName);
  virtual ~TMemIniFile() = default;

  const QString &FileName() const { return FFileName; }

  QString ReadString(const QString &section, const QString &ident, const QString &defaultValue) const;
  int ReadInteger(const QString &section, const QString &ident, int defaultValue) const;
  bool ReadBool(const QString &section, const QString &ident, bool defaultValue) const;
  virtual void WriteString(const QString &section, const QString &ident, const QString &value);
  void WriteInteger(const QString &section, const QString &ident, int value);
  void WriteBool(const QString &section, const QString &ident, bool value);

  // The names of the section's entries.
  void ReadSection(const QString &section, TStringList &names) const;
  // The section's lines as they stand.
  void ReadSectionValues(const QString &section, TStringList &lines) const;
  void ReadSections(TStringList &sections) const;
  bool SectionExists(const QString &section) const;
  bool ValueExists(const QString &section, const QString &ident) const;
  virtual void EraseSection(const QString &section);
  virtual void DeleteKey(const QString &section, const QString &ident);
  void Clear();

  // The whole content as lines: each section's header, its lines, then a blank line.
  void GetStrings(TStringList &lines) const;
  // Replaces the whole content; blank lines, comments and lines before the first section are dropped.
  void SetStrings(const TStringList &lines);

  // Writes the file whole through a temporary file; the old file stays intact on failure.
  void UpdateFile() const;

private:
  struct Section {
    QString Name;
    TStringList Lines;
  };
  const Section *FindSection(const QString &name) const;
  Section &AddSection(const QString &name);
  Section &SectionFor(const QString &name);

  QString FFileName;
  std::vector<std::unique_ptr<Section>> FSections;
};

// An ini file that writes itself after every change.
class TIniFile : public TMemIniFile {
public:
  using TMemIniFile::TMemIniFile;
  void WriteString(const QString &section, const QString &ident, const QString &value) override;
  void EraseSection(const QString &section) override;
  void DeleteKey(const QString &section, const QString &ident) override;
};

// Whole-number conversion as the ini files and forms read numbers: decimal, or hexadecimal after "$"
// or "0x"; anything else gives the default.
int StrToIntDef(const QString &text, int defaultValue);
