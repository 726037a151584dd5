#include "Exceptions.h"
#include "IniFiles.h"

#include <QTemporaryDir>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

// Any bytes as an ini file of the programs ("meridox_sec.ini", the grids' layouts): read, every value
// split as comma text and read as a number, written again and read back. The comma text of a list
// reads back as the same list, and the file as the same sections.
namespace {

[[noreturn]] void Fail(const char *what) {
  std::fprintf(stderr, "ini_comma_text: %s\n", what);
  std::abort();
}

QStringList Content(const TMemIniFile &ini) {
  TStringList lines;
  ini.GetStrings(lines);
  return lines.ToStringList();
}

void WriteFile(const QString &fileName, const QByteArray &bytes) {
  std::FILE *file = std::fopen(qPrintable(fileName), "wb");
  if (!file ||
      std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), file) != std::size_t(bytes.size()))
    Fail("cannot write the input file");
  std::fclose(file);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  static QTemporaryDir folder;
  const QString fileName = folder.filePath(QStringLiteral("input.ini"));
  WriteFile(fileName, QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
  try {
    TMemIniFile ini(fileName);
    TStringList sections;
    ini.ReadSections(sections);
    for (int s = 0; s < sections.Count(); ++s) {
      TStringList lines, names;
      ini.ReadSectionValues(sections[s], lines);
      ini.ReadSection(sections[s], names);
      for (int i = 0; i < lines.Count(); ++i) {
        ini.ReadInteger(sections[s], names[i], 0);
        TStringList items;
        items.SetCommaText(lines.ValueFromIndex(i));
        TStringList again;
        again.SetCommaText(items.CommaText());
        if (!(again == items))
          Fail("comma text does not read back as the same list");
      }
    }
    const QStringList content = Content(ini);
    TMemIniFile copy(QString{});
    TStringList lines(content);
    copy.SetStrings(lines);
    if (Content(copy) != content)
      Fail("the ini content does not set back the same");
    ini.UpdateFile();
    TMemIniFile reread(fileName);
    if (Content(reread) != content)
      Fail("the written file does not read back the same");
  } catch (const Exception &) {
    // an error of the program's own is a clear refusal
  }
  return 0;
}
