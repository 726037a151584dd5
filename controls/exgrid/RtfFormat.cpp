#include "RtfFormat.h"

#include "Win1250.h"

#include <QColor>
#include <QSet>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <vector>

namespace {

constexpr int DefaultHalfPoints = 20;

// Control words that change nothing the subset shows.
const QSet<QByteArray> &HarmlessWords() {
  static const QSet<QByteArray> words = {
      "rtf",      "ansi",     "ansicpg", "deff",     "deflang", "deflangfe", "lang",        "langfe",
      "langnp",   "viewkind", "uc",      "pard",     "ltrpar",  "ltrch",     "f",           "nouicompat",
      "htmautsp", "sa",       "sb",      "sl",       "slmult",  "widowctrl", "nowidctlpar", "fnil",
      "fswiss",   "froman",   "fmodern", "fcharset", "fprq"};
  return words;
}

struct TCharState {
  bool Bold = false;
  bool Italic = false;
  bool Underline = false;
  int HalfPoints = DefaultHalfPoints;
  int Colour = 0;
  int UnicodeSkip = 1;
};

// One token of RTF: a group mark, a control word with its parameter, a control symbol or text.
struct TToken {
  enum Kind { Open, Close, Word, Symbol, Text, End } Type = End;
  QByteArray Name;
  bool HasParameter = false;
  int Parameter = 0;
  char Byte = 0;
};

class TRtfLexer {
public:
  explicit TRtfLexer(const QByteArray &rtf) : FRtf(rtf) {}

  TToken Next() {
    TToken token;
    while (FPos < FRtf.size() && (FRtf[FPos] == '\r' || FRtf[FPos] == '\n'))
      ++FPos;
    if (FPos >= FRtf.size())
      return token;
    const char c = FRtf[FPos++];
    if (c == '{') {
      token.Type = TToken::Open;
    } else if (c == '}') {
      token.Type = TToken::Close;
    } else if (c != '\\') {
      token.Type = TToken::Text;
      token.Byte = c;
    } else if (FPos < FRtf.size() && std::isalpha(static_cast<unsigned char>(FRtf[FPos]))) {
      token.Type = TToken::Word;
      while (FPos < FRtf.size() && std::isalpha(static_cast<unsigned char>(FRtf[FPos])) &&
             token.Name.size() < 32)
        token.Name += FRtf[FPos++];
      ReadParameter(token);
      if (FPos < FRtf.size() && FRtf[FPos] == ' ')
        ++FPos;
    } else if (FPos < FRtf.size()) {
      token.Type = TToken::Symbol;
      token.Byte = FRtf[FPos++];
      if (token.Byte == '\'') {
        bool ok = false;
        const int value = FRtf.mid(FPos, 2).toInt(&ok, 16);
        FPos = std::min<qsizetype>(FPos + 2, FRtf.size());
        token.Type = TToken::Text;
        token.Byte = char(ok ? value : '?');
      }
    }
    return token;
  }

private:
  void ReadParameter(TToken &token) {
    const qsizetype start = FPos;
    if (FPos < FRtf.size() && FRtf[FPos] == '-')
      ++FPos;
    while (FPos < FRtf.size() && std::isdigit(static_cast<unsigned char>(FRtf[FPos])) && FPos - start < 10)
      ++FPos;
    if (FPos > start && !(FPos == start + 1 && FRtf[start] == '-')) {
      token.HasParameter = true;
      token.Parameter = FRtf.mid(start, FPos - start).toInt();
    }
  }

  const QByteArray &FRtf;
  qsizetype FPos = 0;
};

QColor ColourAt(const std::vector<QColor> &table, int index) {
  return index > 0 && index < int(table.size()) ? table[size_t(index)] : QColor();
}

// Reads the colour table group (its opening brace already taken).
bool ReadColourTable(TRtfLexer &lexer, std::vector<QColor> &table) {
  int red = 0, green = 0, blue = 0;
  bool any = false;
  for (TToken token = lexer.Next(); token.Type != TToken::End; token = lexer.Next()) {
    if (token.Type == TToken::Close)
      return true;
    if (token.Type == TToken::Word && token.Name == "red")
      red = token.Parameter, any = true;
    else if (token.Type == TToken::Word && token.Name == "green")
      green = token.Parameter, any = true;
    else if (token.Type == TToken::Word && token.Name == "blue")
      blue = token.Parameter, any = true;
    else if (token.Type == TToken::Text && token.Byte == ';') {
      table.push_back(any ? QColor(red & 255, green & 255, blue & 255) : QColor());
      red = green = blue = 0;
      any = false;
    }
  }
  return false;
}

// Skips the rest of a group (its opening brace already taken).
bool SkipGroup(TRtfLexer &lexer) {
  int depth = 1;
  for (TToken token = lexer.Next(); token.Type != TToken::End; token = lexer.Next()) {
    if (token.Type == TToken::Open)
      ++depth;
    else if (token.Type == TToken::Close && --depth == 0)
      return true;
  }
  return false;
}

class TRtfReader {
public:
  // Without a document only the plain text is read, at most limit characters of it (negative: all).
  TRtfReader(const QByteArray &rtf, QTextDocument *document, qsizetype limit = -1)
      : FLexer(rtf), FDocument(document), FLimit(limit) {
    if (document)
      FCursor = QTextCursor(document);
  }

  // Walks the whole RTF; false at anything beyond the subset (when strict) or broken structure.
  bool Run(bool strict) {
    FStrict = strict;
    std::vector<TCharState> stack;
    TCharState state;
    for (TToken token = FLexer.Next(); token.Type != TToken::End && !FDone; token = FLexer.Next()) {
      if (token.Type == TToken::Open) {
        stack.push_back(state);
        if (!OpenGroup(stack, state))
          return false;
      } else if (token.Type == TToken::Close) {
        if (stack.empty() || !CloseGroup(stack, state))
          return false;
      } else if (stack.empty() || !Handle(token, state)) {
        return false;
      }
      StopAtLimit(state);
    }
    if (!FDone && !FStrict)
      FinishDocument(state);
    return FDone || !FStrict;
  }

  QString Plain() const { return FPlain; }

private:
  static bool Handled(const QByteArray &word) {
    static const QSet<QByteArray> words = {"b",     "i",   "ul",   "ulnone", "fs", "cf",
                                           "plain", "par", "line", "tab",    "u",  "uc"};
    return words.contains(word) || HarmlessWords().contains(word);
  }

  // The first token of a group: a destination to skip or read, or ordinary content.
  bool OpenGroup(std::vector<TCharState> &stack, TCharState &state) {
    for (;;) {
      const TToken first = FLexer.Next();
      if (first.Type == TToken::Open) {
        stack.push_back(state);
        continue;
      }
      if (first.Type == TToken::Close)
        return CloseGroup(stack, state);
      const bool skip = (first.Type == TToken::Symbol && first.Byte == '*') ||
                        (first.Type == TToken::Word &&
                         (first.Name == "fonttbl" || first.Name == "stylesheet" || first.Name == "info"));
      const bool unknown =
          first.Type == TToken::Word && !skip && !Handled(first.Name) && first.Name != "colortbl";
      if (unknown && FStrict)
        return false;
      if (skip || unknown || (first.Type == TToken::Word && first.Name == "colortbl")) {
        state = stack.back();
        stack.pop_back();
        return first.Name == "colortbl" ? ReadColourTable(FLexer, FColours) : SkipGroup(FLexer);
      }
      return first.Type != TToken::End && Handle(first, state);
    }
  }

  bool CloseGroup(std::vector<TCharState> &stack, TCharState &state) {
    Flush(state);
    state = stack.back();
    stack.pop_back();
    if (stack.empty())
      FinishDocument(state);
    return true;
  }

  bool Handle(const TToken &token, TCharState &state) {
    if (token.Type == TToken::Text) {
      FPending += token.Byte;
      return true;
    }
    if (token.Type == TToken::Symbol) {
      switch (token.Byte) {
      case '\\':
      case '{':
      case '}': FPending += token.Byte; return true;
      case '~': FPending += char(0xA0); return true;
      case '-':
      case '_': return true;
      default: return !FStrict;
      }
    }
    const QByteArray &word = token.Name;
    const int value = token.HasParameter ? token.Parameter : 1;
    if (word == "par" || word == "line") {
      Flush(state);
      Paragraph(state);
    } else if (word == "tab") {
      FPending += '\t';
    } else if (word == "u") {
      Flush(state);
      Append(QString(QChar(char16_t(token.Parameter < 0 ? token.Parameter + 65536 : token.Parameter))),
             state);
      SkipFallback(state.UnicodeSkip);
    } else if (word == "b" || word == "i" || word == "ul" || word == "ulnone" || word == "fs" ||
               word == "cf" || word == "plain") {
      Flush(state);
      if (word == "b")
        state.Bold = value != 0;
      else if (word == "i")
        state.Italic = value != 0;
      else if (word == "ul")
        state.Underline = value != 0;
      else if (word == "ulnone")
        state.Underline = false;
      else if (word == "fs")
        state.HalfPoints = token.HasParameter && value > 0 && value < 2000 ? value : DefaultHalfPoints;
      else if (word == "cf")
        state.Colour = value;
      else
        state = TCharState{.UnicodeSkip = state.UnicodeSkip};
      if (word == "cf" && FStrict && value > 0 && ColourAt(FColours, value) == QColor())
        return false;
    } else if (word == "uc") {
      state.UnicodeSkip = std::clamp(value, 0, 8);
    } else if (FStrict && !HarmlessWords().contains(word)) {
      return false;
    }
    return true;
  }

  // A cell shows the start of a long text: reading stops once the limit is reached.
  void StopAtLimit(const TCharState &state) {
    if (FLimit < 0 || FPlain.size() + FPending.size() < FLimit)
      return;
    Flush(state);
    if (FPlain.size() < FLimit)
      return;
    FPlain.truncate(FLimit);
    FDone = true;
  }

  // Drops the fallback characters that follow a \u character.
  void SkipFallback(int count) { FSkip = count; }

  void Flush(const TCharState &state) {
    if (FPending.isEmpty())
      return;
    QByteArray bytes;
    std::swap(bytes, FPending);
    if (FSkip > 0) {
      const int dropped = std::min<int>(FSkip, int(bytes.size()));
      bytes.remove(0, dropped);
      FSkip -= dropped;
    }
    Append(Win1250::Decode(bytes), state);
  }

  void Append(const QString &text, const TCharState &state) {
    if (text.isEmpty())
      return;
    FPlain += text;
    if (!FDocument)
      return;
    QTextCharFormat format;
    format.setFontWeight(state.Bold ? QFont::Bold : QFont::Normal);
    format.setFontItalic(state.Italic);
    format.setFontUnderline(state.Underline);
    format.setFontPointSize(state.HalfPoints / 2.0);
    const QColor colour = ColourAt(FColours, state.Colour);
    if (colour.isValid())
      format.setForeground(colour);
    FCursor.insertText(text, format);
    FTrailingParagraph = false;
  }

  void Paragraph(const TCharState &state) {
    FPlain += u'\n';
    if (FDocument) {
      QTextCharFormat format;
      format.setFontPointSize(state.HalfPoints / 2.0);
      FCursor.insertBlock(QTextBlockFormat(), format);
    }
    FTrailingParagraph = true;
  }

  // The editor ends its last paragraph with \par too; that adds no empty line.
  void FinishDocument(const TCharState &state) {
    Flush(state);
    if (FTrailingParagraph) {
      if (FDocument)
        FCursor.deletePreviousChar();
      FPlain.chop(1);
    }
    FDone = true;
  }

  TRtfLexer FLexer;
  QTextDocument *FDocument;
  QTextCursor FCursor;
  // Entry 0 is the automatic colour; the table's first ";" adds it.
  std::vector<QColor> FColours;
  QByteArray FPending;
  QString FPlain;
  qsizetype FLimit;
  int FSkip = 0;
  bool FStrict = true;
  bool FTrailingParagraph = false;
  bool FDone = false;
};

void WriteText(QByteArray &out, const QString &text) {
  for (const QChar ch : text) {
    const char16_t code = ch.unicode();
    if (code == '\\' || code == '{' || code == '}') {
      out += '\\';
      out += char(code);
    } else if (code == '\t') {
      out += "\\tab ";
    } else if (code >= 0x20 && code < 0x80) {
      out += char(code);
    } else if (code >= 0x80 && Win1250::CanEncode(QString(ch))) {
      out += "\\'" + Win1250::Encode(QString(ch)).toHex();
    } else if (code >= 0x20) {
      out += "\\u" + QByteArray::number(int(qint16(code))) + '?';
    }
  }
}

int HalfPoints(const QTextCharFormat &format) {
  const double points = format.fontPointSize();
  return points > 0 ? int(points * 2 + 0.5) : DefaultHalfPoints;
}

} // namespace

bool TRtfFormat::IsRtf(const QByteArray &bytes) { return bytes.trimmed().startsWith("{\\rtf"); }

bool TRtfFormat::Read(const QByteArray &rtf, QTextDocument &document) {
  // Loading is no step to undo, and one edit lets the layout and the views follow once at the end,
  // not after every run of the text.
  const bool undo = document.isUndoRedoEnabled();
  document.setUndoRedoEnabled(false);
  document.clear();
  bool read = false;
  if (IsRtf(rtf)) {
    QTextCursor edit(&document);
    edit.beginEditBlock();
    TRtfReader reader(rtf, &document);
    read = reader.Run(true);
    edit.endEditBlock();
    if (!read)
      document.clear();
  }
  document.setUndoRedoEnabled(undo);
  return read;
}

QString TRtfFormat::PlainText(const QByteArray &rtf, qsizetype limit) {
  if (!IsRtf(rtf))
    return Win1250::Decode(limit < 0 ? rtf : rtf.left(limit)); // one byte a character
  TRtfReader reader(rtf, nullptr, limit);
  reader.Run(false);
  return reader.Plain();
}

QByteArray TRtfFormat::Write(const QTextDocument &document) {
  std::vector<QColor> colours;
  const auto colourIndex = [&colours](const QColor &colour) {
    for (size_t i = 0; i < colours.size(); ++i)
      if (colours[i] == colour)
        return int(i) + 1;
    colours.push_back(colour);
    return int(colours.size());
  };
  QByteArray body;
  TCharState current;
  for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
    for (auto it = block.begin(); !it.atEnd(); ++it) {
      const QTextFragment fragment = it.fragment();
      const QTextCharFormat format = fragment.charFormat();
      TCharState wanted;
      wanted.Bold = format.fontWeight() >= QFont::Bold;
      wanted.Italic = format.fontItalic();
      wanted.Underline = format.fontUnderline();
      wanted.HalfPoints = HalfPoints(format);
      const QBrush brush = format.foreground();
      wanted.Colour =
          brush.style() != Qt::NoBrush && brush.color() != Qt::black ? colourIndex(brush.color()) : 0;
      QByteArray words;
      if (wanted.Bold != current.Bold)
        words += wanted.Bold ? "\\b" : "\\b0";
      if (wanted.Italic != current.Italic)
        words += wanted.Italic ? "\\i" : "\\i0";
      if (wanted.Underline != current.Underline)
        words += wanted.Underline ? "\\ul" : "\\ulnone";
      if (wanted.HalfPoints != current.HalfPoints)
        words += "\\fs" + QByteArray::number(wanted.HalfPoints);
      if (wanted.Colour != current.Colour)
        words += "\\cf" + QByteArray::number(wanted.Colour);
      if (!words.isEmpty())
        body += words + ' ';
      current = wanted;
      WriteText(body, fragment.text());
    }
    body += "\\par\r\n";
  }
  QByteArray rtf = "{\\rtf1\\ansi\\ansicpg1250\\deff0{\\fonttbl{\\f0\\fnil\\fcharset238 Tahoma;}}\r\n";
  if (!colours.empty()) {
    rtf += "{\\colortbl ;";
    for (const QColor &colour : colours)
      rtf += "\\red" + QByteArray::number(colour.red()) + "\\green" + QByteArray::number(colour.green()) +
             "\\blue" + QByteArray::number(colour.blue()) + ';';
    rtf += "}\r\n";
  }
  rtf += "\\viewkind4\\uc1\\pard\\f0\\fs" + QByteArray::number(DefaultHalfPoints) + ' ' + body + "}\r\n";
  return rtf;
}
