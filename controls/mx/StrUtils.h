#pragma once

#include <QChar>
#include <QString>

// A set of characters, given as the string of its members.
using TCharSet = QString;

// Whether every character of s is in the set (true for an empty s).
bool AllCharsInSet(const QString &s, const TCharSet &chars);
// Every occurrence of search, left to right and not overlapping, replaced; an empty search
// changes nothing.
QString ReplaceStr(const QString &s, const QString &search, const QString &replacement);
// n copies of c; empty for n < 1.
QString MakeStr(QChar c, int n);
// 1-based index of the first character of the n-th word (runs of characters outside the
// delimiters); 0 when there are fewer words.
int WordPosition(int n, const QString &s, const TCharSet &delimiters);
// The n-th word; empty when there is none.
QString ExtractWord(int n, const QString &s, const TCharSet &delimiters);
// A text that is one quoted string (first and last character the quote) gives its inner text
// with doubled quotes made single; anything else, including a quote that never closes or text
// after the closing quote, is returned unchanged so that nothing is lost.
QString UnquoteIfQuoted(const QString &s, QChar quote);
