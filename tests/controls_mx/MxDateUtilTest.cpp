#include "MxDateUtil.h"
#include "Exceptions.h"
#include "FormatSettings.h"

#include <gtest/gtest.h>

namespace {

// Day-month-year with "/" and English month names, on 15 June 2026.
class MxDateUtilTest : public testing::Test {
protected:
  void SetUp() override {
    TFormatSettings &settings = FormatSettings();
    settings.DateSeparator = u'/';
    settings.ShortDateFormat = QStringLiteral("dd/mm/yyyy");
    const char *months[] = {"January", "February", "March",     "April",   "May",      "June",
                            "July",    "August",   "September", "October", "November", "December"};
    for (int i = 0; i < 12; ++i)
      settings.LongMonthNames[i] = QString::fromLatin1(months[i]);
    SetClock([] { return QDateTime(QDate(2026, 6, 15), QTime(10, 0)); });
  }
  void TearDown() override { SetClock(nullptr); }

  static QDate Decoded(TDateTime value) { return DateTimeToQDate(value); }

  TFormatSettingsScope FScope;
};

} // namespace

TEST_F(MxDateUtilTest, CalendarRules) {
  EXPECT_TRUE(IsLeapYear(2024));
  EXPECT_FALSE(IsLeapYear(1900));
  EXPECT_TRUE(IsLeapYear(2000));
  EXPECT_EQ(DaysPerMonth(2024, 2), 29);
  EXPECT_EQ(DaysPerMonth(2023, 2), 28);
  EXPECT_EQ(DaysPerMonth(2023, 13), 0);
  EXPECT_TRUE(ValidDate(9999, 12, 31));
  EXPECT_FALSE(ValidDate(0, 1, 1));
  EXPECT_FALSE(ValidDate(2023, 4, 31));
  EXPECT_TRUE(ValidDateValue(EncodeDate(2024, 2, 29)));
  EXPECT_EQ(CurrentYear(), 2026);
}

TEST_F(MxDateUtilTest, DateOrderOfFormats) {
  struct Case {
    QString format;
    TDateOrder order;
  };
  for (const Case &c : {Case{"dd/mm/yyyy", doDMY}, Case{"MM/DD/YY", doMDY}, Case{"yyyy-mm-dd", doYMD},
                        Case{"ee/mm/dd", doYMD}, Case{"", doDMY}, Case{"--", doDMY}, Case{"xmd", doMDY}})
    EXPECT_EQ(GetDateOrder(c.format), c.order) << c.format.toStdString();
}

TEST_F(MxDateUtilTest, ExpandYearAroundTheCurrentYear) {
  struct Case {
    int year, expected;
  };
  for (const Case &c :
       {Case{66, 1966}, Case{65, 2065}, Case{99, 1999}, Case{0, 2000}, Case{100, 100}, Case{2024, 2024}})
    EXPECT_EQ(ExpandYear(c.year), c.expected) << c.year;
}

TEST_F(MxDateUtilTest, TextToDate) {
  struct Case {
    QString format, text;
    QDate expected; // null: the conversion fails
  };
  for (const Case &c : {
           Case{"DD/MM/YYYY", "29/02/2024", QDate(2024, 2, 29)},
           Case{"DD/MM/YYYY", "31/02/2024", QDate()},
           Case{"DD/MM/YYYY", "29/02/2023", QDate()},
           Case{"DD/MM/YYYY", " 1/ 2/2024", QDate(2024, 2, 1)},
           Case{"DD/MM/YY", "01/02/70", QDate(1970, 2, 1)},
           Case{"MM/DD/YYYY", "02/01/2024", QDate(2024, 2, 1)},
           Case{"YYYY/MM/DD", "2024/02/01", QDate(2024, 2, 1)},
           Case{"DD-MMM-YYYY", "03-Mar-2025", QDate(2025, 3, 3)},
           Case{"DD-MMM-YYYY", "03-Xyz-2025", QDate()},
           // Not at the mask's places: scanned, two numbers giving the current year.
           Case{"DD/MM/YYYY", "3/4", QDate(2026, 4, 3)},
           Case{"MM/DD/YYYY", "3/4", QDate(2026, 3, 4)},
           Case{"DD/MM/YYYY", "3/4/2021 ", QDate(2021, 4, 3)},
           Case{"DD/MM/YYYY", "3/4/", QDate()},
           Case{"DD/MM/YYYY", "3/4/2021x", QDate()},
           Case{"DD/MM/YYYY", "12/05/    ", QDate()},
           Case{"DD/MM/YYYY", "abc", QDate()},
       }) {
    const std::string label = c.format.toStdString() + " " + c.text.toStdString();
    if (c.expected.isNull()) {
      EXPECT_THROW(StrToDateFmt(c.format, c.text), EConvertError) << label;
      EXPECT_EQ(StrToDateFmtDef(c.format, c.text, 45000.75), 45000.0) << label;
    } else {
      EXPECT_EQ(Decoded(StrToDateFmt(c.format, c.text)), c.expected) << label;
    }
  }
}

TEST_F(MxDateUtilTest, EmptyTextIsTheNullDateAndErrorsQuoteTheText) {
  EXPECT_EQ(StrToDateFmt("DD/MM/YYYY", ""), NullDate);
  try {
    StrToDateFmt("DD/MM/YYYY", "31/02/2024");
    FAIL();
  } catch (const EConvertError &e) {
    EXPECT_EQ(e.Message(), "'31/02/2024' is not a valid date");
  }
}

TEST_F(MxDateUtilTest, ScanDateFromAPosition) {
  int pos = 0, year = 0, month = 0, day = 0;
  EXPECT_TRUE(ScanDate("5/6/2020", "dd/mm/yyyy", pos, year, month, day));
  EXPECT_EQ(QDate(year, month, day), QDate(2020, 6, 5));
  pos = 0;
  EXPECT_FALSE(ScanDate("5", "dd/mm/yyyy", pos, year, month, day));
  EXPECT_EQ(MonthFromName("dec", 3), 12);
  EXPECT_EQ(MonthFromName("Ju", 2), 6);
  EXPECT_EQ(MonthFromName("Foo", 3), 0);
}

TEST_F(MxDateUtilTest, DefaultFormatsAndMasks) {
  struct Case {
    QString shortFormat;
    bool fourDigits;
    QString format, mask;
  };
  for (const Case &c : {
           Case{"dd.mm.yyyy", true, "DD/MM/YYYY", "!99/99/9999;1;_"},
           Case{"dd.mm.yyyy", false, "DD/MM/YY", "!99/99/99;1;_"},
           Case{"m/d/yy", true, "MM/DD/YYYY", "!99/99/9999;1;_"},
           Case{"yyyy-mm-dd", true, "YYYY/MM/DD", "!9999/99/99;1;_"},
           Case{"yy-mm-dd", false, "YY/MM/DD", "!99/99/99;1;_"},
       }) {
    FormatSettings().ShortDateFormat = c.shortFormat;
    EXPECT_EQ(DefDateFormat(c.fourDigits), c.format) << c.shortFormat.toStdString();
    EXPECT_EQ(DefDateMask(u'_', c.fourDigits), c.mask) << c.shortFormat.toStdString();
  }
}
