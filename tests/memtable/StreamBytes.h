#pragma once

#include "woxMemTable.h"

#include <QBuffer>

// A table saved through a format into bytes, and bytes loaded into a table, as a file would be.
inline QByteArray SavedBytes(TwoxMemTable &table, TwoxCustomStreamFormat &format) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::ReadWrite);
  table.SaveToStreamViaFormat(&buffer, &format);
  return bytes;
}

inline void LoadBytes(TwoxMemTable &table, TwoxCustomStreamFormat &format, const QByteArray &bytes) {
  QByteArray copy = bytes;
  QBuffer buffer(&copy);
  buffer.open(QIODevice::ReadOnly);
  table.LoadFromStreamViaFormat(&buffer, &format);
}
