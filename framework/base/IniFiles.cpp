#include "IniFiles.h"

#include "TextFile.h"

int StrToIntDef(const QString &text, int defaultValue) {
  const QString t = text.trimmed();
  const bool negative = t.startsWith(u'-');
  const QString digits = negative ? t.mid(1) : t;
  QString hex;
  if (digits.startsWith(u'$'))
    hex = digits.mid(1);
  else if (digits.startsWith(QStringLiteral("0x"), Qt::CaseInsensitive))
    hex = digits.mid(2);
  else {
    bool ok = false;
    const int value = t.toInt(&ok, 10);
    return ok ? value : defaultValue;
  }
  // Hexadecimal takes all 32 bits ("$FFFFFFFF" is -1); the sign applies to those bits, in 64 bits so
  // that "-$80000000" is the smallest int rather than an overflow.
  bool ok = false;
  const qint64 value = hex.toUInt(&ok, 16);
  if (!ok || hex.startsWith(u'-') || hex.startsWith(u'+'))
    return defaultValue;
  return static_cast<int>(static_cast<quint32>(negative ? -value : value));
}

TMemIniFile::TMemIniFile(QString fileName) : FFileName(std::move(fileName)) {
  if (TextFile::Exists(FFileName)) {
    TStringList lines;
    lines.LoadFromFile(FFileName);
    SetStrings(lines);
  }
}

const TMemIniFile::Section *TMemIniFile::FindSection(const QString &name) const {
  for (const auto &section : FSections)
    if (QString::compare(section->Name, name, Qt::CaseInsensitive) == 0)
      return section.get();
  return nullptr;
}

TMemIniFile::Section &TMemIniFile::AddSection(const QString &name) {
  FSections.push_back(std::make_unique<Section>());
  FSections.back()->Name = name;
  return *FSections.back();
}

TMemIniFile::Section &TMemIniFile::SectionFor(const QString &name) {
  if (const Section *found = FindSection(name))
    return const_cast<Section &>(*found);
  return AddSection(name);
}

QString TMemIniFile::ReadString(const QString &section, const QString &ident,
                                const QString &defaultValue) const {
  const Section *s = FindSection(section);
  if (!s)
    return defaultValue;
  const int index = s->Lines.IndexOfName(ident);
  return index >= 0 ? s->Lines.ValueFromIndex(index) : defaultValue;
}

int TMemIniFile::ReadInteger(const QString &section, const QString &ident, int defaultValue) const {
  const QString text = ReadString(section, ident, QString());
  return text.isEmpty() ? defaultValue : StrToIntDef(text, defaultValue);
}

bool TMemIniFile::ReadBool(const QString &section, const QString &ident, bool defaultValue) const {
  return ReadInteger(section, ident, defaultValue ? 1 : 0) != 0;
}

void TMemIniFile::WriteString(const QString &section, const QString &ident, const QString &value) {
  TStringList &lines = SectionFor(section).Lines;
  const QString line = ident + u'=' + value;
  const int index = lines.IndexOfName(ident);
  if (index >= 0)
    lines.SetStrings(index, line);
  else
    lines.Add(line);
}

void TMemIniFile::WriteInteger(const QString &section, const QString &ident, int value) {
  WriteString(section, ident, QString::number(value));
}

void TMemIniFile::WriteBool(const QString &section, const QString &ident, bool value) {
  WriteString(section, ident, value ? QStringLiteral("1") : QStringLiteral("0"));
}

void TMemIniFile::ReadSection(const QString &section, TStringList &names) const {
  names.Clear();
  if (const Section *s = FindSection(section))
    for (int i = 0; i < s->Lines.Count(); ++i)
      names.Add(s->Lines.Names(i));
}

void TMemIniFile::ReadSectionValues(const QString &section, TStringList &lines) const {
  lines.Clear();
  if (const Section *s = FindSection(section))
    lines.AddStrings(s->Lines);
}

void TMemIniFile::ReadSections(TStringList &sections) const {
  sections.Clear();
  for (const auto &section : FSections)
    sections.Add(section->Name);
}

bool TMemIniFile::SectionExists(const QString &section) const { return FindSection(section) != nullptr; }

bool TMemIniFile::ValueExists(const QString &section, const QString &ident) const {
  const Section *s = FindSection(section);
  return s && s->Lines.IndexOfName(ident) >= 0;
}

void TMemIniFile::EraseSection(const QString &section) {
  std::erase_if(FSections,
                [&](const auto &s) { return QString::compare(s->Name, section, Qt::CaseInsensitive) == 0; });
}

void TMemIniFile::DeleteKey(const QString &section, const QString &ident) {
  if (const Section *s = FindSection(section)) {
    TStringList &lines = const_cast<Section *>(s)->Lines;
    const int index = lines.IndexOfName(ident);
    if (index >= 0)
      lines.Delete(index);
  }
}

void TMemIniFile::Clear() { FSections.clear(); }

void TMemIniFile::GetStrings(TStringList &lines) const {
  lines.Clear();
  for (const auto &section : FSections) {
    lines.Add(u'[' + section->Name + u']');
    lines.AddStrings(section->Lines);
    lines.Add(QString());
  }
}

void TMemIniFile::SetStrings(const TStringList &lines) {
  Clear();
  Section *current = nullptr;
  for (int i = 0; i < lines.Count(); ++i) {
    const QString line = lines[i].trimmed();
    if (line.isEmpty() || line.startsWith(u';'))
      continue;
    if (line.startsWith(u'[') && line.endsWith(u']')) {
      current = &AddSection(line.mid(1, line.size() - 2).trimmed());
    } else if (current) {
      const qsizetype eq = line.indexOf(u'=');
      current->Lines.Add(eq > 0 ? line.left(eq).trimmed() + u'=' + line.mid(eq + 1).trimmed() : line);
    }
  }
}

void TMemIniFile::UpdateFile() const {
  TStringList lines;
  GetStrings(lines);
  lines.SaveToFile(FFileName);
}

void TIniFile::WriteString(const QString &section, const QString &ident, const QString &value) {
  TMemIniFile::WriteString(section, ident, value);
  UpdateFile();
}

void TIniFile::EraseSection(const QString &section) {
  TMemIniFile::EraseSection(section);
  UpdateFile();
}

void TIniFile::DeleteKey(const QString &section, const QString &ident) {
  TMemIniFile::DeleteKey(section, ident);
  UpdateFile();
}
