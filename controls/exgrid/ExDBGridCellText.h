#pragma once

#include <QSize>
#include <QString>

class TField;

// The text a cell of the field shows or measures: with memoText a memo-kind field its text (a
// formatted memo its plain text, never its RTF codes), every other field its display text. A limit of
// 0 or more cuts a memo's text to its first limit characters without reading the rest.
QString CellText(const TField *field, bool memoText, qsizetype limit = -1);

// How many characters of a text an area can show: no character is narrower than a pixel, so a line
// holds at most width + 1 of them and its line break, and a partly shown line counts whole.
qsizetype ShownTextLimit(QSize area, int lineHeight);
