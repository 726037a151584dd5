#pragma once

#include <QByteArray>
#include <QString>

class QTextDocument;

// The rich text of formatted memo fields: the RTF that the rich-text editor writes. It holds plain
// paragraphs with bold, italic and underlined runs, font sizes and colours, in the Windows-1250 code
// page (characters outside it as \uN). Stored RTF that uses more than that (pictures, tables, fields,
// alignment, other fonts) is not read as rich text.
class TRtfFormat {
public:
  // Fills the document from the RTF; false (the document left empty) when the bytes are not RTF or
  // use anything beyond the subset.
  static bool Read(const QByteArray &rtf, QTextDocument &document);
  // The document as RTF of the subset.
  static QByteArray Write(const QTextDocument &document);
  // The text of any RTF, every control word and destination left out, paragraphs as line breaks;
  // bytes that are not RTF come back as Windows-1250 text. A limit of 0 or more reads only the
  // text's first limit characters.
  static QString PlainText(const QByteArray &rtf, qsizetype limit = -1);
  // Whether the bytes start as RTF does.
  static bool IsRtf(const QByteArray &bytes);
};
