#include "MxSpinValidator.h"

#include <QLineEdit>

TSpinValidator::TSpinValidator(QLineEdit *edit, std::function<bool()> editable, TAccepts accepts)
    : QValidator(edit), FEditable(std::move(editable)), FAccepts(std::move(accepts)) {
  connect(edit, &QLineEdit::textChanged, this, [this](const QString &text) { FAcceptedText = text; });
}

QValidator::State TSpinValidator::validate(QString &input, int &) const {
  const QString &old = FAcceptedText;
  if (input == old)
    return Acceptable;
  if (!FEditable())
    return Invalid;
  qsizetype prefix = 0;
  while (prefix < old.size() && prefix < input.size() && old[prefix] == input[prefix])
    ++prefix;
  qsizetype suffix = 0;
  while (suffix < old.size() - prefix && suffix < input.size() - prefix &&
         old[old.size() - 1 - suffix] == input[input.size() - 1 - suffix])
    ++suffix;
  QString text = old.left(prefix) + old.right(suffix);
  const QString inserted = input.mid(prefix, input.size() - prefix - suffix);
  for (qsizetype i = 0; i < inserted.size(); ++i) {
    const QChar c = inserted[i];
    if (c.unicode() < 32 || !FAccepts(c, text))
      return Invalid;
    text.insert(prefix + i, c);
  }
  return Acceptable;
}
