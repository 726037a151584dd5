#include "DateTimeUtils.h"

#include "Exceptions.h"
#include "FormatSettings.h"

#include <gtest/gtest.h>

namespace {

class DateTimeUtilsTest : public ::testing::Test {
protected:
  void SetUp() override {
    FormatSettings() = TFormatSettings::Polish();
    SetClock([] { return QDateTime(QDate(2026, 12, 10), QTime(9, 5, 30, 250)); });
  }
  void TearDown() override { SetClock(nullptr); }
  TFormatSettingsScope Settings;
};

} // namespace

TEST_F(DateTimeUtilsTest, CalendarArithmetic) {
  EXPECT_DOUBLE_EQ(EncodeDate(1899, 12, 30), 0);
  EXPECT_DOUBLE_EQ(EncodeDate(1900, 1, 1), 2);
  EXPECT_DOUBLE_EQ(EncodeDate(2024, 2, 29), 45351);
  EXPECT_DOUBLE_EQ(EncodeTime(18, 0, 0, 0), 0.75);
  EXPECT_TRUE(IsLeapYear(2000));
  EXPECT_FALSE(IsLeapYear(1900));
  EXPECT_TRUE(IsLeapYear(2024));
  EXPECT_EQ(DaysInMonth(2023, 2), 28);
  EXPECT_EQ(DaysInMonth(2024, 2), 29);
  EXPECT_EQ(DaysInMonth(2024, 4), 30);
  EXPECT_THROW(EncodeDate(2023, 2, 29), EConvertError);
  EXPECT_THROW(EncodeTime(24, 0, 0, 0), EConvertError);
  int y, m, d, h, n, s, z;
  DecodeDate(45351.75, y, m, d);
  DecodeTime(45351.75, h, n, s, z);
  EXPECT_EQ(QList<int>({y, m, d, h, n, s, z}), QList<int>({2024, 2, 29, 18, 0, 0, 0}));
  // Before 1899-12-30 the fraction still counts forward from midnight.
  DecodeDate(-1.25, y, m, d);
  DecodeTime(-1.25, h, n, s, z);
  EXPECT_EQ(QList<int>({y, m, d, h}), QList<int>({1899, 12, 29, 6}));
  EXPECT_DOUBLE_EQ(TimeStampToDateTime(DateTimeToTimeStamp(-1.25)), -1.25);
  EXPECT_EQ(DateTimeToQDateTime(45351.5), QDateTime(QDate(2024, 2, 29), QTime(12, 0)));
  EXPECT_DOUBLE_EQ(QDateTimeToDateTime(QDateTime(QDate(2024, 2, 29), QTime(12, 0))), 45351.5);
}

// Dates decode by arithmetic for years 1 to 9999; QDate's calendar is the reference, leap centuries
// and the days before 1899-12-30 (negative values) included.
TEST_F(DateTimeUtilsTest, DecodeDateAgreesWithTheCalendar) {
  const QDate epoch(1899, 12, 30);
  const qint64 first = epoch.daysTo(QDate(1, 1, 1)) - 3, last = epoch.daysTo(QDate(9999, 12, 31)) + 3;
  for (qint64 days = first; days <= last; days += 7) {
    for (const double part : {0.0, 0.75}) {
      const double value = double(days) + (days < 0 ? -part : part);
      int year, month, day;
      DecodeDate(value, year, month, day);
      const QDate expected = DateTimeToQDate(value);
      ASSERT_EQ(QDate(year, month, day), expected) << days;
    }
  }
}

TEST_F(DateTimeUtilsTest, TheClockCanBeFixed) {
  EXPECT_DOUBLE_EQ(Date(), EncodeDate(2026, 12, 10));
  EXPECT_DOUBLE_EQ(Time(), EncodeTime(9, 5, 30, 250));
  EXPECT_DOUBLE_EQ(Now(), EncodeDate(2026, 12, 10) + EncodeTime(9, 5, 30, 250));
  SetClock(nullptr);
  EXPECT_NEAR(Now(), QDateTimeToDateTime(QDateTime::currentDateTime()), 1.0 / 86400);
}

TEST_F(DateTimeUtilsTest, FormatLetters) {
  const TDateTime v = EncodeDate(2024, 3, 5) + EncodeTime(14, 7, 9, 45);
  struct Case {
    const char *Format, *Text;
  } cases[] = {
      {"d/m/yy", "5.3.24"},
      {"dd/mm/yyyy", "05.03.2024"},
      {"hh:nn:ss.zzz", "14:07:09.045"},
      {"h:n:s.z", "14:7:9.45"},
      {"hh:mm", "14:07"},
      {"mmm", "mar"},
      {"mmmm", "marzec"},
      {"ddd", "wt."},
      {"dddd", "wtorek"},
      {"ddddd", "05.03.2024"},
      {"t", "14:07"},
      {"tt", "14:07:09"},
      {"c", "05.03.2024 14:07:09"},
      {"h:nn am/pm", "2:07 pm"},
      {"h:nn A/P", "2:07 P"},
      {"'Dzień' d 'o' h", "Dzień 5 o 14"},
      {"\"yyyy\"yyyy", "yyyy2024"},
      {"h m", "14 7"}, // m after an hour is the minute, also past a literal
      {"h'h'mm", "14h07"},
      {"yy m", "24 3"}, // after a year it is the month
  };
  for (const Case &c : cases)
    EXPECT_EQ(FormatDateTime(QString::fromUtf8(c.Format), v), QString::fromUtf8(c.Text)) << c.Format;
  // A text longer than the formatter gathers at once.
  const QStringList days(12, QStringLiteral("wtorek")), pieces(12, QStringLiteral("dddd"));
  EXPECT_EQ(FormatDateTime(pieces.join(u' ') + QStringLiteral(" '") + QString(70, u'x') + u'\'', v),
            days.join(u' ') + u' ' + QString(70, u'x'));
  EXPECT_EQ(DateTimeToStr(EncodeDate(2024, 3, 5)), "05.03.2024") << "midnight shows no time";
  EXPECT_EQ(TimeToStr(EncodeTime(7, 0, 0, 0)), "07:00:00");
  FormatSettings().ShortDateFormat = "dd/mm/yyyy";
  FormatSettings().DateSeparator = u'-';
  EXPECT_EQ(DateToStr(v), "05-03-2024") << "'/' stands for the date separator";
}

// Every number of a format stands at its width with leading zeros, and grows past it.
TEST_F(DateTimeUtilsTest, NumbersStandAtTheirWidth) {
  auto padded = [](int value, int width) { return QString::number(value).rightJustified(width, u'0'); };
  for (const int n : {0, 1, 9, 10, 12, 23}) {
    const int year = 2000 + n, month = 1 + n % 12, day = 1 + n;
    const TDateTime v = EncodeDate(year, month, day) + EncodeTime(n, n + 36, n * 2, n * 43);
    struct Case {
      const char *Format;
      int Value, Width;
    } cases[] = {
        {"h", n, 1},      {"hh", n, 2},     {"n", n + 36, 1},      {"nn", n + 36, 2}, {"s", n * 2, 1},
        {"ss", n * 2, 2}, {"z", n * 43, 1}, {"zzz", n * 43, 3},    {"d", day, 1},     {"dd", day, 2},
        {"m", month, 1},  {"mm", month, 2}, {"yy", year % 100, 2}, {"yyyy", year, 4},
    };
    for (const Case &c : cases)
      EXPECT_EQ(FormatDateTime(QString::fromLatin1(c.Format), v), padded(c.Value, c.Width))
          << c.Format << " of " << n;
    const int half = n % 12 == 0 ? 12 : n % 12;
    EXPECT_EQ(FormatDateTime(QStringLiteral("hh am/pm"), v), padded(half, 2) + (n < 12 ? " am" : " pm")) << n;
  }
  EXPECT_EQ(FormatDateTime(QStringLiteral("yyyy yy d"), EncodeDate(5, 1, 1)), "0005 05 1");
}

// A format read once is read again when the settings change, also when a setting's text is changed
// in place, and nested formats follow their settings.
TEST_F(DateTimeUtilsTest, FormatsFollowTheSettings) {
  const TDateTime v = EncodeDate(2024, 3, 5) + EncodeTime(14, 7, 9, 45);
  EXPECT_EQ(DateTimeToStr(v), "05.03.2024 14:07:09");
  FormatSettings().LongTimeFormat = QStringLiteral("hh:nn");
  FormatSettings().TimeSeparator = u'.';
  EXPECT_EQ(DateTimeToStr(v), "05.03.2024 14.07");
  FormatSettings().ShortDateFormat.replace(QStringLiteral("yyyy"), QStringLiteral("yy"));
  EXPECT_EQ(DateTimeToStr(v), "05.03.24 14.07");
  EXPECT_EQ(DateToStr(v), "05.03.24");
  QString format = QStringLiteral("d/m");
  EXPECT_EQ(FormatDateTime(format, v), "5.3");
  format[0] = u'm';
  EXPECT_EQ(FormatDateTime(format, v), "3.3");
  // More formats than the formatter keeps, then the first again.
  for (int i = 0; i < 12; ++i)
    EXPECT_EQ(FormatDateTime(QStringLiteral("'%1' d").arg(i), v), QStringLiteral("%1 5").arg(i));
  EXPECT_EQ(FormatDateTime(format, v), "3.3");
}

TEST_F(DateTimeUtilsTest, ParsingByTheFormatSettings) {
  EXPECT_DOUBLE_EQ(StrToDate("29.02.2024"), EncodeDate(2024, 2, 29));
  EXPECT_DOUBLE_EQ(StrToDate(" 1.2.24 "), EncodeDate(2024, 2, 1));
  EXPECT_DOUBLE_EQ(StrToDate("1.2.80"), EncodeDate(1980, 2, 1)) << "two-digit years within 50 years of today";
  EXPECT_DOUBLE_EQ(StrToDate("7.8"), EncodeDate(2026, 8, 7)) << "this year";
  EXPECT_DOUBLE_EQ(StrToTime("7:05"), EncodeTime(7, 5, 0, 0));
  EXPECT_DOUBLE_EQ(StrToTime("07:05:03,5"), EncodeTime(7, 5, 3, 5));
  EXPECT_DOUBLE_EQ(StrToTime("12:30 am"), EncodeTime(0, 30, 0, 0));
  EXPECT_DOUBLE_EQ(StrToTime("1:30 PM"), EncodeTime(13, 30, 0, 0));
  EXPECT_DOUBLE_EQ(StrToDateTime("29.02.2024 18:00"), EncodeDate(2024, 2, 29) + 0.75);
  EXPECT_DOUBLE_EQ(StrToDateTime("29.02.2024"), EncodeDate(2024, 2, 29));
  // Digits of other scripts count as digits too, as ASCII ones take a shorter way.
  EXPECT_DOUBLE_EQ(StrToDate(QString::fromUtf8("\u0662\u0669.\u0660\u0662.\u0662\u0660\u0662\u0664")),
                   EncodeDate(2024, 2, 29));
  struct Case {
    const char *Text, *Message;
    TDateTime (*Parse)(const QString &);
  } bad[] = {
      {"31.02.2024", "'31.02.2024' is not a valid date", StrToDate},
      {"2024-02-01", "'2024-02-01' is not a valid date", StrToDate},
      {"", "'' is not a valid date", StrToDate},
      {"25:00", "'25:00' is not a valid time", StrToTime},
      {"13:00 pm", "'13:00 pm' is not a valid time", StrToTime},
      {"1.1.2024 x", "'1.1.2024 x' is not a valid date and time", StrToDateTime},
  };
  for (const Case &c : bad) {
    try {
      c.Parse(QString::fromLatin1(c.Text));
      ADD_FAILURE() << c.Text;
    } catch (const EConvertError &e) {
      EXPECT_EQ(e.Message(), QString::fromLatin1(c.Message));
    }
  }
  FormatSettings().DateSeparator = u'/';
  FormatSettings().ShortDateFormat = "mm/dd/yyyy";
  EXPECT_DOUBLE_EQ(StrToDate("02/29/2024"), EncodeDate(2024, 2, 29));
}

TEST_F(DateTimeUtilsTest, Numbers) {
  EXPECT_EQ(FloatToStr(2.5), "2,5");
  EXPECT_EQ(FloatToStr(-0.125), "-0,125");
  EXPECT_EQ(FloatToStr(1e20), "1E20");
  EXPECT_EQ(FloatToStr(1.5e-7), "1,5E-7");
  EXPECT_DOUBLE_EQ(StrToFloat(" 2,5 "), 2.5);
  EXPECT_DOUBLE_EQ(StrToFloat("2.5"), 2.5);
  EXPECT_DOUBLE_EQ(StrToFloat("-1e3"), -1000);
  try {
    StrToFloat("abc");
    ADD_FAILURE();
  } catch (const EConvertError &e) {
    EXPECT_EQ(e.Message(), "'abc' is not a valid floating point value");
  }
  FormatSettings().ThousandSeparator = u' ';
  struct Case {
    const char *Format;
    double Value;
    const char *Text;
  } cases[] = {
      {"0.00", 3.14159, "3,14"},
      {"#.##", 0.5, ",5"},
      {"#,##0", 1234567, "1 234 567"},
      {"000", 7, "007"},
      {"0.0#", 2.1, "2,1"},
      {"0.0#", 2.126, "2,13"},
      {"0.00;(0.00)", -2, "(2,00)"},
      {"0;-0;'zero'", 0, "zero"},
      {"0.00", -0.001, "0,00"},
      {"0.00E+00", 12345, "1,23E+04"},
      {"'PLN' 0", 5, "PLN 5"},
      {"", 2.5, "2,5"},
  };
  for (const Case &c : cases)
    EXPECT_EQ(FormatFloat(QString::fromLatin1(c.Format), c.Value), QString::fromLatin1(c.Text)) << c.Format;
}
