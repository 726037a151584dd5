#pragma once

#include <QString>

class QPlainTextEdit;

// A memo's text with CR LF line breaks, as files and statements carry them.
QString MemoText(const QPlainTextEdit *memo);
// Shows text of any line breaks in the memo; the break that ends text read as lines is no line of
// its own.
void SetMemoText(QPlainTextEdit *memo, const QString &text);
// The text on one line: every line break (CR LF, CR or LF) becomes a blank.
QString OneLine(QString text);
