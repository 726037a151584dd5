#include "HtmlTemplate.h"

#include "Exceptions.h"
#include "StringList.h"
#include "TextFile.h"
#include "Win1250.h"

namespace {

const QString kBody = QStringLiteral("<BODY>");
const QString kHeader = QStringLiteral("[NAGŁÓWEK]");
const QString kData = QStringLiteral("[DANE]");
const QString kName = QStringLiteral("[NAZWA]");
const QString kTitle = QStringLiteral("[TYTUŁ]");
const QString kSubtitle = QStringLiteral("[PODTYTUŁ]");
const QString kRepeat = QStringLiteral("POWIELANIE=");

bool Has(const QString &line, const QString &marker) { return line.contains(marker, Qt::CaseInsensitive); }

[[noreturn]] void TemplateError(const QString &message, const QString &path) {
  throw Exception(message + QStringLiteral("\r\n") + path);
}

// A title line: the marker replaced by the text, or nothing at all when the text is empty.
QString TitleLine(const QString &line, const QString &marker, const QString &text) {
  return text.isEmpty() ? QString() : ReplaceMarker(line, marker, HtmlEscape(text));
}

int RepeatInterval(const QString &line) {
  const qsizetype at = line.indexOf(kRepeat, 0, Qt::CaseInsensitive);
  if (at < 0)
    return 0;
  int value = 0;
  for (qsizetype i = at + kRepeat.size(); i < line.size() && line[i].isDigit() && line[i].unicode() < 128;
       ++i)
    value = value * 10 + (line[i].unicode() - u'0');
  return value;
}

// Lines first..last, each followed by CR LF; nothing when the range is empty.
QString Lines(const TStringList &lines, int first, int last) {
  QString part;
  for (int i = first; i <= last; ++i)
    part += lines[i] + QStringLiteral("\r\n");
  return part;
}

} // namespace

QString ReplaceMarker(const QString &line, const QString &marker, const QString &value) {
  const qsizetype at = line.indexOf(marker, 0, Qt::CaseInsensitive);
  if (at < 0)
    return line;
  return QString(line).replace(at, marker.size(), value);
}

QString HtmlEscape(const QString &text) {
  QString html;
  html.reserve(text.size());
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar c = text[i];
    switch (c.unicode()) {
    case u'&': html += QStringLiteral("&amp;"); break;
    case u'<': html += QStringLiteral("&lt;"); break;
    case u'>': html += QStringLiteral("&gt;"); break;
    case u'"': html += QStringLiteral("&quot;"); break;
    default:
      if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
        html += QStringLiteral("&#%1;").arg(QChar::surrogateToUcs4(c, text[i + 1]));
        ++i;
      } else if (Win1250::CanEncode(QString(c))) {
        html += c;
      } else {
        html += QStringLiteral("&#%1;").arg(c.unicode());
      }
    }
  }
  return html;
}

THtmlTemplate CutHtmlTemplate(const QStringList &source, const THtmlTitles &titles, const QString &path) {
  TStringList lines(source);
  int body = -1, header = -1, data1 = -1, data2 = -1;
  for (int i = 0; i < lines.Count(); ++i) {
    const QString &line = lines[i];
    if (Has(line, kHeader))
      header = i;
    else if (Has(line, kBody))
      body = i;
    else if (Has(line, kData))
      (data1 < 0 ? data1 : data2) = i;
    else if (Has(line, kName))
      lines.SetStrings(i, TitleLine(line, kName, titles.Name));
    else if (Has(line, kTitle))
      lines.SetStrings(i, TitleLine(line, kTitle, titles.Title));
    else if (Has(line, kSubtitle))
      lines.SetStrings(i, TitleLine(line, kSubtitle, titles.Subtitle));
  }
  if (body < 0)
    TemplateError(QStringLiteral("Brak sekcji: <BODY> we wzorcu:"), path);
  if (header < 0)
    TemplateError(QStringLiteral("Brak sekcji: [NAGŁÓWEK] we wzorcu:"), path);
  if (data1 < 0)
    TemplateError(QStringLiteral("Brak sekcji: [DANE] we wzorcu:"), path);
  if (data2 < 0)
    data2 = data1;
  else if (data2 != data1 + 3)
    TemplateError(QStringLiteral("Kolejne sekcje: [DANE] muszą występować po sobie. Wzorzec:"), path);

  THtmlTemplate t;
  t.Head = Lines(lines, 0, body);
  t.BeforeHeader = Lines(lines, body + 1, header - 2);
  t.HeaderStart = lines[header - 1];
  t.HeaderCell = lines[header];
  t.HeaderEnd = lines[header + 1];
  t.Between = Lines(lines, header + 2, data1 - 2);
  t.Style1Start = lines[data1 - 1];
  t.Style1Cell = lines[data1];
  t.Style1End = lines[data1 + 1];
  t.Style2Start = lines[data2 - 1];
  t.Style2Cell = lines[data2];
  t.Style2End = lines[data2 + 1];
  t.Tail = Lines(lines, data2 + 2, lines.Count() - 1);
  t.RepeatEvery = RepeatInterval(t.HeaderStart);
  return t;
}

THtmlTemplate LoadHtmlTemplate(const QString &path, const THtmlTitles &titles) {
  QStringList lines;
  try {
    lines = TextFile::ReadLines(path);
  } catch (const EInOutError &) {
    TemplateError(QStringLiteral("Brak pliku ze wzorem HTML:"), path);
  }
  return CutHtmlTemplate(lines, titles, path);
}
