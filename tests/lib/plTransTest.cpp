#include "plTrans.h"

#include "Exceptions.h"
#include "Win1250.h"

#include <gtest/gtest.h>

namespace {

const QString kLetters = QStringLiteral("ĄĆĘŁŃÓŚŹŻąćęłńóśźż");

QByteArray Bytes(std::initializer_list<int> values) {
  QByteArray bytes;
  for (int v : values)
    bytes.append(static_cast<char>(v));
  return bytes;
}

} // namespace

TEST(plTrans, EveryEncodingConvertsTheLettersOfWindows1250) {
  const struct {
    int id;
    QByteArray letters;
  } table[] = {
      {plSequential, Bytes({0x80, 0x81, 0x82, 0x83, 0x84, 0x85, 0x86, 0x87, 0x88, 0x89, 0x8A, 0x8B, 0x8C,
                            0x8D, 0x8E, 0x8F, 0x90, 0x91})},
      {plAscii, QByteArray("ACELNOSZZacelnoszz")},
      {plMazovia, Bytes({0x8F, 0x95, 0x90, 0x9C, 0xA5, 0xA3, 0x98, 0xA0, 0xA1, 0x86, 0x8D, 0x91, 0x92, 0xA4,
                         0xA2, 0x9E, 0xA6, 0xA7})},
      {plCP852, Bytes({0xA4, 0x8F, 0xA8, 0x9D, 0xE3, 0xE0, 0x97, 0x8D, 0xBD, 0xA5, 0x86, 0xA9, 0x88, 0xE4,
                       0xA2, 0x98, 0xAB, 0xBE})},
      {plWin1250, Win1250::Encode(kLetters)},
      {plSplitA0, Bytes({0x80, 0x81, 0x82, 0x83, 0x84, 0x85, 0x86, 0x87, 0x88, 0xA0, 0xA1, 0xA2, 0xA3, 0xA4,
                         0xA5, 0xA6, 0xA7, 0xA8})},
      {plSplit90, Bytes({0x80, 0x81, 0x82, 0x83, 0x84, 0x85, 0x86, 0x87, 0x88, 0x90, 0x91, 0x92, 0x93, 0x94,
                         0x95, 0x96, 0x97, 0x98})},
      {plISO8859_2, Bytes({0xA1, 0xC6, 0xCA, 0xA3, 0xD1, 0xD3, 0xA6, 0xAC, 0xAF, 0xB1, 0xE6, 0xEA, 0xB3, 0xF1,
                           0xF3, 0xB6, 0xBC, 0xBF})},
  };
  const QByteArray win = Win1250::Encode(QStringLiteral("Zażółć gęślą jaźń: ") + kLetters);
  for (const auto &row : table) {
    SCOPED_TRACE(row.id);
    const QByteArray converted = ConvertPolish(win, plWin1250, row.id);
    EXPECT_EQ(converted.right(18), row.letters);
    if (row.id != plAscii) { // the way back exists wherever letters stay apart
      EXPECT_EQ(ConvertPolish(converted, row.id, plWin1250), win);
    }
  }
}

TEST(plTrans, OtherBytesStayAndAsciiSourceChangesNothing) {
  EXPECT_EQ(ConvertPolish(Bytes({0xB9}), plWin1250, plCP852), Bytes({0xA5}));
  EXPECT_EQ(ConvertPolish("abc 123 <>", plWin1250, plCP852), QByteArray("abc 123 <>"));
  const QByteArray win = Win1250::Encode(QStringLiteral("ąę"));
  EXPECT_EQ(ConvertPolish(win, plAscii, plCP852), win);
  EXPECT_EQ(ConvertPolish(QByteArray(), plWin1250, plCP852), QByteArray());
}

TEST(plTrans, UnknownEncodingIsAnError) {
  EXPECT_THROW(ConvertPolish("a", 8, plWin1250), EConvertError);
  EXPECT_THROW(ConvertPolish("a", plWin1250, -1), EConvertError);
}
