#include "MemoText.h"

#include <QPlainTextEdit>

QString MemoText(const QPlainTextEdit *memo) {
  return memo->toPlainText().replace(u'\n', QStringLiteral("\r\n"));
}

void SetMemoText(QPlainTextEdit *memo, const QString &text) {
  QString plain = text;
  plain.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  if (plain.endsWith(u'\n'))
    plain.chop(1);
  memo->setPlainText(plain);
}

QString OneLine(QString text) {
  text.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
  text.replace(u'\n', u' ');
  text.replace(u'\r', u' ');
  return text;
}
