#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>
#include <QVariant>
#include <functional>

// Days since 1899-12-30; the fraction is the time of day.
using TDateTime = double;
// The first and the last moment of the calendar the conversions handle (years 1 to 9999).
constexpr TDateTime MinDateTime = -693593.0;
constexpr TDateTime MaxDateTime = 2958465.99999999;

// Days since 0001-01-01 plus one, and milliseconds since midnight (the native date/time formats).
struct TTimeStamp {
  int Time = 0;
  int Date = 0;
};

bool IsLeapYear(int year);
int DaysInMonth(int year, int month);
// Raise EConvertError for values outside the calendar or the clock.
TDateTime EncodeDate(int year, int month, int day);
TDateTime EncodeTime(int hour, int minute, int second, int msec);
bool TryEncodeDate(int year, int month, int day, TDateTime &result);
bool TryEncodeTime(int hour, int minute, int second, int msec, TDateTime &result);
void DecodeDate(TDateTime value, int &year, int &month, int &day);
void DecodeTime(TDateTime value, int &hour, int &minute, int &second, int &msec);
// 1 = Sunday .. 7 = Saturday.
int DayOfWeek(TDateTime value);

TTimeStamp DateTimeToTimeStamp(TDateTime value);
TDateTime TimeStampToDateTime(const TTimeStamp &value);
double TimeStampToMSecs(const TTimeStamp &value);
TTimeStamp MSecsToTimeStamp(double msecs);

QDate DateTimeToQDate(TDateTime value);
QTime DateTimeToQTime(TDateTime value);
QDateTime DateTimeToQDateTime(TDateTime value);
TDateTime QDateToDateTime(const QDate &value);
TDateTime QTimeToDateTime(const QTime &value);
TDateTime QDateTimeToDateTime(const QDateTime &value);

// A QDate, QTime, QDateTime, number or text (by the format settings) as TDateTime.
bool TryVarToDateTime(const QVariant &value, TDateTime &result);

// Now, today and the time of day come from one clock that tests can fix; nullptr = system clock.
void SetClock(std::function<QDateTime()> clock);
TDateTime Now();
TDateTime Date();
TDateTime Time();

// Format letters: d dd ddd dddd ddddd dddddd m mm mmm mmmm yy yyyy h hh n nn s ss z zzz am/pm a/p
// ampm c t tt, "/" = DateSeparator, ":" = TimeSeparator, text in quotes is copied. An m right after
// h or hh stands for minutes.
QString FormatDateTime(const QString &format, TDateTime value);
QString DateToStr(TDateTime value);
QString TimeToStr(TDateTime value);
QString DateTimeToStr(TDateTime value);
// Parse by ShortDateFormat's order of day, month and year with DateSeparator (also "-" and "/"
// and "."), times as h[:n[:s[.z]]] with an optional AM/PM; raise EConvertError
// ("'31.02.2024' is not a valid date").
TDateTime StrToDate(const QString &text);
TDateTime StrToTime(const QString &text);
TDateTime StrToDateTime(const QString &text);
bool TryStrToDate(const QString &text, TDateTime &result);
bool TryStrToTime(const QString &text, TDateTime &result);
bool TryStrToDateTime(const QString &text, TDateTime &result);

// Numbers with the format settings' decimal separator.
QString FloatToStr(double value);
// Accepts the decimal separator (and '.'), an exponent, surrounding blanks; raises EConvertError
// ("'abc' is not a valid floating point value").
double StrToFloat(const QString &text);
bool TryStrToFloat(const QString &text, double &result);
// Patterns with 0 # . , E+ E- and ';' sections (positive;negative;zero), quoted text.
QString FormatFloat(const QString &format, double value);
