#pragma once

#include "DateTimeUtils.h"

#include <QChar>
#include <QString>

enum TDateOrder { doMDY, doDMY, doYMD };

// Whether default formats and masks use four-digit years: true when the short date format holds
// "YYYY" (read from the format settings on first use; may be changed).
bool &FourDigitYear();
// Two-digit years fall into the CenturyOffset years before and the rest after the current year.
extern unsigned char CenturyOffset;
// The value of an empty date text.
constexpr TDateTime NullDate = 0.0;

// IsLeapYear comes with DateTimeUtils.
int DaysPerMonth(int year, int month);
bool ValidDate(int year, int month, int day);
// Whether the value decodes to a valid date.
bool ValidDateValue(TDateTime date);
// The year of Date(), which follows the settable clock.
int CurrentYear();
// The first of D, E, M, Y in the format (any case): D day-month-year, E or Y year-month-day, M
// month-day-year; none: day-month-year.
TDateOrder GetDateOrder(const QString &dateFormat);
// A year below 100 moved into the century window around the current year.
int ExpandYear(int year);
// Reads "n/n[/n]" (the date separator of the format settings) from position pos (0-based) in the
// order of dateFormat; succeeds for a valid date that uses up the whole text.
bool ScanDate(const QString &s, const QString &dateFormat, int &pos, int &year, int &month, int &day);
// The first month whose long name agrees with the text in its first maxLen characters (any case);
// 0 when none does.
int MonthFromName(const QString &s, int maxLen);
// Reads the day, month and year at the places the format gives them, else scans the text.
bool ScanDateStr(const QString &dateFormat, const QString &s, int &day, int &month, int &year);
// Empty text: NullDate; a text that is no date raises EConvertError "'<text>' is not a valid date".
TDateTime StrToDateFmt(const QString &dateFormat, const QString &s);
// The same, giving the integral part of the default for a text that is no date.
TDateTime StrToDateFmtDef(const QString &dateFormat, const QString &s, TDateTime defaultDate);
// "DD/MM/YYYY" and the like in the order of the short date format.
QString DefDateFormat(bool fourDigitYear);
// "!99/99/9999;1;" and the like, followed by the blank character.
QString DefDateMask(QChar blanksChar, bool fourDigitYear);
