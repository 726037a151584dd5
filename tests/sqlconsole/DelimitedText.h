#pragma once

#include "Win1250.h"

#include <QByteArray>
#include <QStringList>
#include <vector>

// Reads delimited text back the way a spreadsheet does: a value that starts with the quote character
// runs to the next lone quote (a doubled one stands for itself, separators and line breaks inside
// belong to the value); records end with CR LF outside quotes.
inline std::vector<QStringList> ReadDelimited(const QByteArray &bytes, QChar separator, QChar quote) {
  const QString text = Win1250::Decode(bytes);
  std::vector<QStringList> records;
  QStringList record;
  QString value;
  bool quoted = false, atValueStart = true;
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar c = text.at(i);
    if (quoted) {
      if (c != quote)
        value += c;
      else if (i + 1 < text.size() && text.at(i + 1) == quote)
        value += text.at(++i);
      else
        quoted = false;
    } else if (c == quote && atValueStart) {
      quoted = true;
      atValueStart = false;
    } else if (c == separator) {
      record.append(value);
      value.clear();
      atValueStart = true;
    } else if (c == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n') {
      record.append(value);
      records.push_back(record);
      record.clear();
      value.clear();
      atValueStart = true;
      ++i;
    } else {
      value += c;
      atValueStart = false;
    }
  }
  return records;
}
