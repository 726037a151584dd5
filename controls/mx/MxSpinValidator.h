#pragma once

#include <QString>
#include <QValidator>
#include <functional>

class QLineEdit;

// Every change of an edit's text that does not come from the program (typing, pasting, dropping,
// the context menu) may insert only characters that typing would accept. The validator keeps the
// text it last saw accepted, so it can tell what a change inserts.
class TSpinValidator : public QValidator {
public:
  // Whether the character may join the text it is inserted into.
  using TAccepts = std::function<bool(QChar key, const QString &text)>;

  // `editable` false: no change passes, not even a deletion.
  TSpinValidator(QLineEdit *edit, std::function<bool()> editable, TAccepts accepts);

  State validate(QString &input, int &pos) const override;

private:
  std::function<bool()> FEditable;
  TAccepts FAccepts;
  QString FAcceptedText;
};
