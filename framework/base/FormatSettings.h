#pragma once

#include <QChar>
#include <QString>
#include <array>

// The process-wide number, date and currency conventions. Code that needs fixed conventions for a
// while (file formats) replaces them and puts the old ones back with TFormatSettingsScope.
struct TFormatSettings {
  QChar DateSeparator;
  QChar TimeSeparator;
  QChar DecimalSeparator;
  QChar ThousandSeparator;
  QString ShortDateFormat;
  QString LongDateFormat;
  QString ShortTimeFormat;
  QString LongTimeFormat;
  QString TimeAMString;
  QString TimePMString;
  QString CurrencyString;
  int CurrencyFormat = 0;
  int NegCurrFormat = 0;
  int CurrencyDecimals = 2;
  std::array<QString, 12> ShortMonthNames;
  std::array<QString, 12> LongMonthNames;
  // Sunday first.
  std::array<QString, 7> ShortDayNames;
  std::array<QString, 7> LongDayNames;

  // The conventions of a Polish desktop, with month and day names from the Polish locale.
  static TFormatSettings Polish();
  bool operator==(const TFormatSettings &) const = default;
};

TFormatSettings &FormatSettings();

// Restores the process-wide settings it found when it goes out of scope.
class TFormatSettingsScope {
public:
  TFormatSettingsScope() : FSaved(FormatSettings()) {}
  ~TFormatSettingsScope() { FormatSettings() = FSaved; }
  TFormatSettingsScope(const TFormatSettingsScope &) = delete;
  TFormatSettingsScope &operator=(const TFormatSettingsScope &) = delete;

private:
  TFormatSettings FSaved;
};
