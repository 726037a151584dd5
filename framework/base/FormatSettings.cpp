#include "FormatSettings.h"

#include <QLocale>

TFormatSettings TFormatSettings::Polish() {
  const QLocale locale(QLocale::Polish, QLocale::Poland);
  TFormatSettings s;
  s.DateSeparator = u'.';
  s.TimeSeparator = u':';
  s.DecimalSeparator = u',';
  s.ThousandSeparator = QChar(0x00A0);
  s.ShortDateFormat = QStringLiteral("dd.mm.yyyy");
  s.LongDateFormat = QStringLiteral("d mmmm yyyy");
  s.ShortTimeFormat = QStringLiteral("hh:nn");
  s.LongTimeFormat = QStringLiteral("hh:nn:ss");
  s.CurrencyString = QStringLiteral("zł");
  s.CurrencyFormat = 3;
  s.NegCurrFormat = 8;
  s.CurrencyDecimals = 2;
  for (int m = 0; m < 12; ++m) {
    s.ShortMonthNames[m] = locale.standaloneMonthName(m + 1, QLocale::ShortFormat);
    s.LongMonthNames[m] = locale.standaloneMonthName(m + 1, QLocale::LongFormat);
  }
  for (int d = 0; d < 7; ++d) {
    const int qtDay = d == 0 ? 7 : d; // Qt counts from Monday
    s.ShortDayNames[d] = locale.standaloneDayName(qtDay, QLocale::ShortFormat);
    s.LongDayNames[d] = locale.standaloneDayName(qtDay, QLocale::LongFormat);
  }
  return s;
}

TFormatSettings &FormatSettings() {
  static TFormatSettings settings = TFormatSettings::Polish();
  return settings;
}
