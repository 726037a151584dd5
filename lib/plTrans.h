#pragma once

#include <QByteArray>

// The eight encodings of the 18 Polish letters ĄĆĘŁŃÓŚŹŻąćęłńóśźż.
enum TPolishEncoding : int {
  plSequential = 0,
  plAscii = 1, // letters without diacritics: nothing converts from it
  plMazovia = 2,
  plCP852 = 3,
  plWin1250 = 4,
  plSplitA0 = 5,
  plSplit90 = 6,
  plISO8859_2 = 7,
};

// Replaces every byte of the source set by the byte at the same place in the target set; other bytes
// stay. From plAscii, or for an empty text, the text is returned unchanged. Raises EConvertError for an
// unknown encoding.
QByteArray ConvertPolish(const QByteArray &s, int source, int target);
