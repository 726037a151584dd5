#pragma once

#include "Exceptions.h"

#include <QChar>
#include <QString>
#include <vector>

// Raised when a masked edit is left with a required position empty.
class EDBEditError : public Exception {
public:
  using Exception::Exception;
};

// The class library's edit mask: "mask;save-literals;blank". In the mask, "0" is a required and
// "9" an optional digit, "#" an optional digit or sign, "L"/"l" a required/optional letter,
// "A"/"a" a required/optional letter or digit, "C"/"c" a required/optional character; ">" and
// "<" turn on upper and lower case, "<>" switches both off, "!" keeps blanks of optional
// positions in front in Text, "\" makes the next character a literal, ":" and "/" are the time
// and date separators of the format settings, "_" is a literal blank. The second field "0" keeps
// literals out of Text; the third is the blank character shown at empty positions ("_").
class TEditMask {
public:
  enum TCharKind { ckLiteral, ckDigit, ckDigitOrSign, ckLetter, ckLetterOrDigit, ckAny };
  enum TCase { caNone, caUpper, caLower };
  struct TPosition {
    TCharKind Kind = ckLiteral;
    bool Required = false;
    TCase Case = caNone;
    QChar Literal;
  };

  TEditMask() = default;
  explicit TEditMask(const QString &editMask);

  bool IsMasked() const { return !FPositions.empty(); }
  const std::vector<TPosition> &Positions() const { return FPositions; }
  bool SaveLiterals() const { return FSaveLiterals; }
  bool LeadingBlanks() const { return FLeadingBlanks; }
  QChar Blank() const { return FBlank; }

  // The same mask in the input-mask language of QLineEdit.
  QString ToInputMask() const;
  // The edit text (literals in place, the blank at empty positions) of a text as Text gives it.
  QString EditTextFromText(const QString &text) const;
  // Text from the edit text: empty positions become blanks, moved to the front of each run of
  // positions with "!" and to its end without; literals stay only when they are saved.
  QString TextFromEditText(const QString &editText) const;
  // The index of the first required position left empty, or -1.
  int FirstMissing(const QString &editText) const;
  // Whether c may stand at the position (letters and digits of any script count).
  static bool Accepts(const TPosition &position, QChar c);

private:
  std::vector<TPosition> FPositions;
  bool FSaveLiterals = true;
  bool FLeadingBlanks = false;
  QChar FBlank = u'_';
};
