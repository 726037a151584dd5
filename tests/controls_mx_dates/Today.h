#pragma once

#include "DateTimeUtils.h"
#include "FormatSettings.h"

#include <gtest/gtest.h>

// A fixed "today" (Thursday 10 December 2026, 9:30) and the Polish settings, put back afterwards.
class FixedToday : public testing::Test {
protected:
  void SetUp() override {
    FormatSettings() = TFormatSettings::Polish();
    SetClock([] { return QDateTime(QDate(2026, 12, 10), QTime(9, 30)); });
  }
  void TearDown() override { SetClock(nullptr); }

  static TDateTime Day(int year, int month, int day) { return EncodeDate(year, month, day); }

private:
  TFormatSettingsScope FSettings;
};
