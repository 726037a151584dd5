#include "Win1250.h"
#include "Exceptions.h"
#include "FormatSettings.h"

#include <gtest/gtest.h>

namespace {

TEST(Win1250Test, PolishLettersMapToTheirBytes) {
  const QString letters = QString::fromUtf8("ąćęłńóśźżĄĆĘŁŃÓŚŹŻ");
  const QByteArray bytes("\xB9\xE6\xEA\xB3\xF1\xF3\x9C\x9F\xBF\xA5\xC6\xCA\xA3\xD1\xD3\x8C\x8F\xAF");
  EXPECT_EQ(Win1250::Encode(letters), bytes);
  EXPECT_EQ(Win1250::Decode(bytes), letters);
}

TEST(Win1250Test, TextOutsideTheCodePageIsAnErrorNamingTheCharacter) {
  try {
    Win1250::Encode(QString::fromUtf8("abc 日本"));
    FAIL() << "no error";
  } catch (const EConvertError &e) {
    EXPECT_TRUE(e.Message().contains(QString::fromUtf8("日"))) << e.what();
  }
  EXPECT_FALSE(Win1250::CanEncode(QString::fromUtf8("😀")));
  EXPECT_TRUE(Win1250::CanEncode(QString::fromUtf8("zażółć gęślą jaźń €")));
}

TEST(FormatSettingsTest, ScopePutsTheOldSettingsBack) {
  const TFormatSettings before = FormatSettings();
  {
    TFormatSettingsScope scope;
    FormatSettings().DateSeparator = u'/';
    FormatSettings().ShortDateFormat = "dd/mm/yyyy";
    FormatSettings().DecimalSeparator = u'.';
    EXPECT_EQ(FormatSettings().DateSeparator, u'/');
  }
  EXPECT_EQ(FormatSettings(), before);
  EXPECT_EQ(before.DecimalSeparator, u',');
  EXPECT_EQ(before.LongMonthNames[0], QString::fromUtf8("styczeń"));
}

} // namespace
