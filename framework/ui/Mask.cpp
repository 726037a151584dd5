#include "Mask.h"

#include "FormatSettings.h"

namespace {

// Splits at ";" that is not escaped by "\".
std::vector<QString> MaskFields(const QString &editMask) {
  std::vector<QString> fields(1);
  for (qsizetype i = 0; i < editMask.size(); ++i) {
    if (editMask[i] == u'\\' && i + 1 < editMask.size()) {
      fields.back() += editMask[i];
      fields.back() += editMask[++i];
    } else if (editMask[i] == u';' && fields.size() < 3) {
      fields.emplace_back();
    } else {
      fields.back() += editMask[i];
    }
  }
  return fields;
}

} // namespace

TEditMask::TEditMask(const QString &editMask) {
  const std::vector<QString> fields = MaskFields(editMask);
  const QString &mask = fields[0];
  if (fields.size() > 1 && fields[1].startsWith(u'0'))
    FSaveLiterals = false;
  if (fields.size() > 2 && !fields[2].isEmpty())
    FBlank = fields[2][0];
  TCase currentCase = caNone;
  const auto add = [&](TCharKind kind, bool required) {
    FPositions.push_back({kind, required, currentCase, QChar()});
  };
  const auto literal = [&](QChar c) { FPositions.push_back({ckLiteral, false, caNone, c}); };
  for (qsizetype i = 0; i < mask.size(); ++i) {
    const QChar c = mask[i];
    switch (c.unicode()) {
    case u'!': FLeadingBlanks = true; break;
    case u'>': currentCase = caUpper; break;
    case u'<':
      if (i + 1 < mask.size() && mask[i + 1] == u'>') {
        currentCase = caNone;
        ++i;
      } else {
        currentCase = caLower;
      }
      break;
    case u'\\':
      if (i + 1 < mask.size())
        literal(mask[++i]);
      break;
    case u':': literal(FormatSettings().TimeSeparator); break;
    case u'/': literal(FormatSettings().DateSeparator); break;
    case u'_': literal(u' '); break;
    case u'0': add(ckDigit, true); break;
    case u'9': add(ckDigit, false); break;
    case u'#': add(ckDigitOrSign, false); break;
    case u'L': add(ckLetter, true); break;
    case u'l': add(ckLetter, false); break;
    case u'A': add(ckLetterOrDigit, true); break;
    case u'a': add(ckLetterOrDigit, false); break;
    case u'C': add(ckAny, true); break;
    case u'c': add(ckAny, false); break;
    default: literal(c); break;
    }
  }
}

QString TEditMask::ToInputMask() const {
  static const QString special = QStringLiteral("AaNnXx90Dd#HhBb<>!\\;[]{}");
  QString result;
  TCase currentCase = caNone;
  for (const TPosition &p : FPositions) {
    if (p.Kind != ckLiteral && p.Case != currentCase) {
      result += p.Case == caUpper ? u'>' : p.Case == caLower ? u'<' : u'!';
      currentCase = p.Case;
    }
    switch (p.Kind) {
    case ckLiteral:
      if (special.contains(p.Literal))
        result += u'\\';
      result += p.Literal;
      break;
    case ckDigit: result += p.Required ? u'9' : u'0'; break;
    case ckDigitOrSign: result += u'#'; break;
    case ckLetter: result += p.Required ? u'A' : u'a'; break;
    case ckLetterOrDigit: result += p.Required ? u'N' : u'n'; break;
    case ckAny: result += p.Required ? u'X' : u'x'; break;
    }
  }
  return result + u';' + FBlank;
}

QString TEditMask::EditTextFromText(const QString &text) const {
  QString result;
  qsizetype next = 0;
  for (size_t i = 0; i < FPositions.size(); ++i) {
    const TPosition &p = FPositions[i];
    if (p.Kind == ckLiteral) {
      result += p.Literal;
      if (FSaveLiterals)
        ++next;
      continue;
    }
    const qsizetype at = FSaveLiterals ? qsizetype(i) : next++;
    const QChar c = at < text.size() ? text[at] : QChar(u' ');
    result += (c == u' ' || !Accepts(p, c)) ? FBlank : c;
  }
  return result;
}

QString TEditMask::TextFromEditText(const QString &editText) const {
  QString result;
  QString run;
  const auto flushRun = [&] {
    QString filled = run;
    filled.remove(u' ');
    const QString blanks(run.size() - filled.size(), u' ');
    result += FLeadingBlanks ? blanks + filled : filled + blanks;
    run.clear();
  };
  for (size_t i = 0; i < FPositions.size(); ++i) {
    const TPosition &p = FPositions[i];
    if (p.Kind == ckLiteral) {
      flushRun();
      if (FSaveLiterals)
        result += p.Literal;
      continue;
    }
    const QChar c = qsizetype(i) < editText.size() ? editText[i] : FBlank;
    run += (c == FBlank) ? QChar(u' ') : c;
  }
  flushRun();
  return result;
}

int TEditMask::FirstMissing(const QString &editText) const {
  for (size_t i = 0; i < FPositions.size(); ++i) {
    const TPosition &p = FPositions[i];
    if (!p.Required)
      continue;
    const QChar c = qsizetype(i) < editText.size() ? editText[i] : FBlank;
    if (c == FBlank || c == u' ')
      return static_cast<int>(i);
  }
  return -1;
}

bool TEditMask::Accepts(const TPosition &position, QChar c) {
  switch (position.Kind) {
  case ckLiteral: return c == position.Literal;
  case ckDigit: return c.isDigit();
  case ckDigitOrSign: return c.isDigit() || c == u'+' || c == u'-';
  case ckLetter: return c.isLetter();
  case ckLetterOrDigit: return c.isLetterOrNumber();
  case ckAny: return true;
  }
  return false;
}
