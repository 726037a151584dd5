#include "MxPickDate.h"
#include "Input.h"
#include "MxDateUtil.h"
#include "ScriptedDialogs.h"
#include "Today.h"

#include <QLabel>
#include <QTimer>

namespace {

class Calendar : public FixedToday {
protected:
  // The texts of the six week rows, "." for an empty cell.
  static QStringList Weeks(const TMxCalendar &calendar) {
    QStringList rows;
    for (int row = 1; row < 7; ++row) {
      QStringList cells;
      for (int col = 0; col < 7; ++col) {
        const QString text = calendar.CellText(col, row);
        cells << (text.isEmpty() ? QStringLiteral(".") : text);
      }
      rows << cells.join(u' ');
    }
    return rows;
  }
  static void Press(TMxCalendar &calendar, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
                    const QString &text = QString()) {
    input::Key(&calendar, key, modifiers, text);
  }
};

} // namespace

TEST_F(Calendar, StartsOnTodayWithPolishDayNames) {
  TMxCalendar calendar;
  EXPECT_EQ(calendar.CalendarDate(), Day(2026, 12, 10));
  EXPECT_TRUE(calendar.UseCurrentDate());
  QStringList header;
  for (int col = 0; col < 7; ++col)
    header << calendar.CellText(col, 0);
  const TFormatSettings &settings = FormatSettings();
  EXPECT_EQ(header.first(), settings.ShortDayNames[1]);
  EXPECT_EQ(header.last(), settings.ShortDayNames[0]);
  EXPECT_EQ(header.size(), 7);
  // December 2026 begins on a Tuesday; the 10th is the current cell.
  EXPECT_EQ(Weeks(calendar)[0], ". 1 2 3 4 5 6");
  EXPECT_EQ(calendar.CellText(calendar.Col(), calendar.Row()), "10");
  EXPECT_EQ(CalendarTitle(calendar.CalendarDate()), "grudzień, 2026");
}

TEST_F(Calendar, TheFirstStandsInTheColumnOfItsWeekday) {
  struct LayoutCase {
    TDayOfWeekName Start;
    TDateTime Date;
    QString FirstWeek;
    QString LastWeek;
  };
  const LayoutCase cases[] = {
      // March 2026 begins on a Sunday.
      {Mon, Day(2026, 3, 5), ". . . . . . 1", "30 31 . . . . ."},
      {Sun, Day(2026, 3, 5), "1 2 3 4 5 6 7", ". . . . . . ."},
      {Mon, Day(2026, 2, 1), ". . . . . . 1", ". . . . . . ."},
      // February 2024 (leap) begins on a Thursday.
      {Mon, Day(2024, 2, 29), ". . . 1 2 3 4", ". . . . . . ."},
      {Sat, Day(2024, 2, 29), ". . . . . 1 2", ". . . . . . ."},
  };
  for (const LayoutCase &c : cases) {
    TMxCalendar calendar;
    calendar.SetStartOfWeek(c.Start);
    calendar.SetCalendarDate(c.Date);
    const QStringList weeks = Weeks(calendar);
    EXPECT_EQ(weeks.first(), c.FirstWeek) << DateToStr(c.Date).toStdString();
    EXPECT_EQ(weeks.last(), c.LastWeek) << DateToStr(c.Date).toStdString();
    EXPECT_EQ(calendar.CellText(calendar.Col(), calendar.Row()),
              QString::number(DateTimeToQDate(c.Date).day()));
  }
}

TEST_F(Calendar, MonthAndYearSteps) {
  struct StepCase {
    TDateTime From;
    void (TMxCalendar::*Step)();
    TDateTime To;
  };
  const StepCase cases[] = {
      {Day(2026, 1, 31), &TMxCalendar::NextMonth, Day(2026, 2, 28)},
      {Day(2024, 1, 31), &TMxCalendar::NextMonth, Day(2024, 2, 29)},
      {Day(2026, 1, 15), &TMxCalendar::NextMonth, Day(2026, 2, 15)},
      {Day(2026, 12, 31), &TMxCalendar::NextMonth, Day(2027, 1, 31)},
      {Day(2026, 3, 31), &TMxCalendar::PrevMonth, Day(2026, 2, 28)},
      {Day(2026, 1, 10), &TMxCalendar::PrevMonth, Day(2025, 12, 10)},
      {Day(2024, 2, 29), &TMxCalendar::PrevYear, Day(2023, 2, 28)},
      {Day(2024, 2, 29), &TMxCalendar::NextYear, Day(2025, 2, 28)},
      {Day(2026, 7, 4), &TMxCalendar::NextYear, Day(2027, 7, 4)},
  };
  for (const StepCase &c : cases) {
    TMxCalendar calendar;
    calendar.SetCalendarDate(c.From);
    (calendar.*c.Step)();
    EXPECT_EQ(DateToStr(calendar.CalendarDate()), DateToStr(c.To)) << DateToStr(c.From).toStdString();
  }
}

TEST_F(Calendar, DatePartsIgnoreWhatIsNoDate) {
  TMxCalendar calendar;
  int changes = 0;
  calendar.OnChange = [&](QObject *) { ++changes; };
  calendar.SetCalendarDate(Day(2026, 1, 31));
  EXPECT_EQ(changes, 1);
  calendar.SetDay(32);
  calendar.SetDay(0);
  calendar.SetMonth(13);
  calendar.SetYear(0);
  calendar.SetDay(31);
  EXPECT_EQ(changes, 1);
  EXPECT_TRUE(calendar.UseCurrentDate());
  calendar.SetMonth(4);
  EXPECT_EQ(calendar.CalendarDate(), Day(2026, 4, 30));
  EXPECT_FALSE(calendar.UseCurrentDate());
  calendar.SetDay(2);
  EXPECT_EQ(calendar.CalendarDate(), Day(2026, 4, 2));
  EXPECT_EQ(changes, 3);
  calendar.SetUseCurrentDate(true);
  EXPECT_EQ(calendar.CalendarDate(), Day(2026, 12, 10));
}

TEST_F(Calendar, KeysMoveByDaysAcrossMonthsAndTGoesToToday) {
  TMxCalendar calendar;
  calendar.SetCalendarDate(Day(2026, 1, 31));
  Press(calendar, Qt::Key_Right);
  EXPECT_EQ(calendar.CalendarDate(), Day(2026, 2, 1));
  EXPECT_EQ(Weeks(calendar)[0], ". . . . . . 1");
  EXPECT_EQ(calendar.CellText(calendar.Col(), calendar.Row()), "1");
  Press(calendar, Qt::Key_Left);
  Press(calendar, Qt::Key_Left);
  EXPECT_EQ(calendar.CalendarDate(), Day(2026, 1, 30));
  Press(calendar, Qt::Key_Minus, Qt::KeypadModifier, "-");
  EXPECT_EQ(calendar.CalendarDate(), Day(2026, 1, 29));
  Press(calendar, Qt::Key_Plus, Qt::KeypadModifier, "+");
  Press(calendar, Qt::Key_Plus, Qt::KeypadModifier, "+");
  EXPECT_EQ(calendar.CalendarDate(), Day(2026, 1, 31));
  // The grid's own keys move by weeks inside the month.
  Press(calendar, Qt::Key_Up);
  EXPECT_EQ(calendar.CalendarDate(), Day(2026, 1, 24));
  Press(calendar, Qt::Key_Down);
  Press(calendar, Qt::Key_Down);
  EXPECT_EQ(calendar.CalendarDate(), Day(2026, 1, 31));
  Press(calendar, Qt::Key_Right, Qt::ShiftModifier);
  EXPECT_EQ(calendar.CalendarDate(), Day(2026, 1, 31));
  Press(calendar, Qt::Key_T, Qt::NoModifier, "t");
  EXPECT_EQ(calendar.CalendarDate(), Day(2026, 12, 10));
  calendar.SetCalendarDate(Day(2000, 5, 5));
  Press(calendar, Qt::Key_T, Qt::ShiftModifier, "T");
  EXPECT_EQ(calendar.CalendarDate(), Day(2026, 12, 10));
}

TEST_F(Calendar, EmptyCellsCannotBeSelected) {
  TMxCalendar calendar;
  calendar.resize(210, 150);
  calendar.show();
  calendar.SetCalendarDate(Day(2026, 12, 10));
  const int col = calendar.Col(), row = calendar.Row();
  calendar.MoveColRow(0, 1, true, false);
  EXPECT_EQ(calendar.Col(), col);
  EXPECT_EQ(calendar.Row(), row);
  input::Click(calendar.viewport(), calendar.CellRect(0, 1).center());
  EXPECT_EQ(calendar.CalendarDate(), Day(2026, 12, 10));
  input::Click(calendar.viewport(), calendar.CellRect(2, 3).center());
  EXPECT_EQ(calendar.CalendarDate(), Day(2026, 12, 16));
  calendar.SetReadOnly(true);
  input::Click(calendar.viewport(), calendar.CellRect(3, 3).center());
  EXPECT_EQ(calendar.CalendarDate(), Day(2026, 12, 16));
}

TEST_F(Calendar, CellsShareTheClientArea) {
  TMxCalendar calendar;
  calendar.resize(212, 152);
  calendar.show();
  const QSize client = calendar.viewport()->size();
  EXPECT_EQ(calendar.ColWidths(3), (client.width() - 6) / 7);
  EXPECT_EQ(calendar.RowHeights(3), (client.height() - 6) / 7);
}

// ---- the drop-down

namespace {

class PopupCalendar : public FixedToday {
protected:
  void SetUp() override {
    FixedToday::SetUp();
    Edit = std::make_unique<TComboEdit>();
    Popup = static_cast<TPopupCalendar *>(CreatePopupCalendar(Edit.get(), Qt::LeftToRight));
  }
  void TearDown() override {
    Edit.reset();
    FixedToday::TearDown();
  }
  std::unique_ptr<TComboEdit> Edit;
  TPopupCalendar *Popup = nullptr;
};

} // namespace

TEST_F(PopupCalendar, ValuesThatAreNoDateShowToday) {
  EXPECT_EQ(Popup->size(), QSize(187, 124));
  for (const QVariant &value : {QVariant(), QVariant(QString()), QVariant(QStringLiteral("  .  .    ")),
                                QVariant(QStringLiteral("xyz")), QVariant(0.0)}) {
    Popup->SetValue(Day(2000, 1, 1));
    Popup->SetValue(value);
    EXPECT_EQ(Popup->GetValue().toDouble(), Day(2026, 12, 10)) << value.toString().toStdString();
  }
  Popup->SetValue(QStringLiteral("29.02.2024"));
  EXPECT_EQ(Popup->GetValue().toDouble(), Day(2024, 2, 29));
  EXPECT_EQ(Popup->TitleLabel()->text(), "luty, 2024");
}

TEST_F(PopupCalendar, PageKeysStepMonthsAndYears) {
  Popup->SetValue(Day(2024, 2, 29));
  int key = Qt::Key_PageDown;
  Popup->KeyDown(key, TShiftState());
  EXPECT_EQ(Popup->GetValue().toDouble(), Day(2024, 3, 29));
  EXPECT_EQ(Popup->TitleLabel()->text(), "marzec, 2024");
  key = Qt::Key_PageUp;
  Popup->KeyDown(key, ssCtrl);
  EXPECT_EQ(Popup->GetValue().toDouble(), Day(2023, 3, 29));
  key = Qt::Key_Right;
  Popup->KeyDown(key, TShiftState());
  EXPECT_EQ(Popup->GetValue().toDouble(), Day(2023, 3, 30));
  QChar today = u't';
  Popup->KeyPress(today);
  EXPECT_EQ(Popup->GetValue().toDouble(), Day(2026, 12, 10));
}

TEST_F(PopupCalendar, NavigationButtonsAndHints) {
  Popup->SetValue(Day(2026, 5, 15));
  const TDateTime expected[] = {Day(2025, 5, 15), Day(2025, 4, 15), Day(2025, 5, 15), Day(2026, 5, 15)};
  for (int i = 0; i < 4; ++i) {
    input::Click(Popup->Buttons()[size_t(i)], QPoint(5, 5));
    EXPECT_EQ(Popup->GetValue().toDouble(), expected[i]) << i;
  }
  EXPECT_EQ(Popup->Buttons()[0]->toolTip(), "Previous Year");
  EXPECT_EQ(Popup->Buttons()[3]->toolTip(), "Next Year");
  SetupPopupCalendar(Popup, Sun, {Sat, Sun}, clBlue, {"Rok wstecz|Poprzedni rok", "", "Miesiąc dalej"}, true);
  EXPECT_EQ(Popup->Buttons()[0]->toolTip(), "Rok wstecz");
  EXPECT_EQ(Popup->Buttons()[1]->toolTip(), "Previous Month");
  EXPECT_EQ(Popup->Buttons()[2]->toolTip(), "Miesiąc dalej");
  EXPECT_EQ(Popup->Calendar()->StartOfWeek(), Sun);
  EXPECT_EQ(Popup->Calendar()->WeekendColor(), clBlue);
  EXPECT_TRUE(Popup->Calendar()->Weekends().Contains(Sat));
}

TEST_F(PopupCalendar, HeldNavigationButtonRepeats) {
  Popup->SetValue(Day(2026, 5, 15));
  TMxTimerSpeedButton *next = Popup->Buttons()[2];
  next->SetInitPause(30);
  next->SetRepeatInterval(4);
  input::Press(next, QPoint(5, 5));
  ASSERT_NE(next->RepeatTimer(), nullptr);
  EXPECT_EQ(next->RepeatTimer()->interval(), 30);
  next->RepeatTimerExpired();
  next->RepeatTimerExpired();
  EXPECT_EQ(next->RepeatTimer()->interval(), 4);
  input::Release(next, QPoint(5, 5));
  EXPECT_EQ(Popup->GetValue().toDouble(), Day(2026, 8, 15));
}

// ---- the dialog

namespace {

class DateDialog : public FixedToday {
protected:
  ScriptedDialogs Dialogs;
};

void Send(QWidget *widget, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  input::Key(widget, key, modifiers);
}

} // namespace

TEST_F(DateDialog, KeysStepAndConfirm) {
  Dialogs.AnswerModalAs<TSelectDateDlg>([](TSelectDateDlg &dialog) {
    EXPECT_EQ(dialog.Caption(), "Wybierz datę");
    EXPECT_EQ(dialog.size(), QSize(222, 154));
    EXPECT_EQ(dialog.Date(), EncodeDate(2024, 2, 29));
    Send(dialog.Calendar, Qt::Key_Tab, Qt::ShiftModifier);
    EXPECT_EQ(dialog.Date(), EncodeDate(2024, 1, 29));
    Send(dialog.Calendar, Qt::Key_Backtab, Qt::ShiftModifier);
    Send(dialog.Calendar, Qt::Key_Tab);
    Send(dialog.Calendar, Qt::Key_Tab);
    EXPECT_EQ(dialog.Date(), EncodeDate(2024, 2, 29));
    Send(dialog.OkButton(), Qt::Key_PageDown, Qt::ControlModifier);
    EXPECT_EQ(dialog.Date(), EncodeDate(2025, 2, 28));
    EXPECT_EQ(dialog.TitleLabel->text(), "luty, 2025");
    Send(dialog.Calendar, Qt::Key_PageUp);
    EXPECT_EQ(dialog.Date(), EncodeDate(2025, 1, 28));
    Send(dialog.Calendar, Qt::Key_Return);
    return dialog.ModalResult();
  });
  TDateTime date = Day(2024, 2, 29);
  EXPECT_TRUE(SelectDate(date, "Wybierz datę", Mon, {Sun}, clRed, {}));
  EXPECT_EQ(date, Day(2025, 1, 28));
  EXPECT_TRUE(Dialogs.Exhausted());
}

TEST_F(DateDialog, EscapeCancelsAndTheNullDateStartsOnToday) {
  Dialogs.AnswerModalAs<TSelectDateDlg>([](TSelectDateDlg &dialog) {
    EXPECT_EQ(dialog.Caption(), "Select a Date");
    EXPECT_EQ(dialog.Date(), EncodeDate(2026, 12, 10));
    EXPECT_EQ(dialog.Buttons()[1]->toolTip(), "Wstecz");
    Send(dialog.Calendar, Qt::Key_PageDown);
    Send(dialog.Calendar, Qt::Key_Escape);
    return dialog.ModalResult();
  });
  TDateTime date = NullDate;
  EXPECT_FALSE(SelectDate(date, QString(), Mon, {Sun}, clRed, {"", "Wstecz"}));
  EXPECT_EQ(date, NullDate);
}

TEST_F(DateDialog, DoubleClickOnADayConfirms) {
  Dialogs.AnswerModalAs<TSelectDateDlg>([](TSelectDateDlg &dialog) {
    dialog.show();
    TMxCalendar *calendar = dialog.Calendar;
    const QPoint cell = calendar->CellRect(3, 2).center();
    input::Click(calendar->viewport(), cell);
    input::Mouse(calendar->viewport(), QEvent::MouseButtonDblClick, cell);
    return dialog.ModalResult();
  });
  TDateTime date = Day(2026, 12, 1);
  EXPECT_TRUE(SelectDate(date, QString(), Mon, {Sun}, clRed, {}));
  EXPECT_EQ(date, Day(2026, 12, 10));
}

TEST_F(Calendar, WeekendDaysAreDrawnInTheirColourUnlessSelected) {
  TMxCalendar calendar;
  calendar.resize(280, 180);
  calendar.show();
  calendar.SetWeekendColor(clRed);
  const auto redPixels = [&](int col, int row) {
    const QImage image = calendar.viewport()->grab(calendar.CellRect(col, row)).toImage();
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x) {
        const QColor c = image.pixelColor(x, y);
        count += c.red() > 180 && c.green() < 90 && c.blue() < 90;
      }
    return count;
  };
  // December 2026, Monday first: the 13th (a Sunday) is at (6, 2), the 9th at (2, 2).
  EXPECT_GT(redPixels(6, 2), 0);
  EXPECT_GT(redPixels(6, 0), 0);
  EXPECT_EQ(redPixels(2, 2), 0);
  calendar.SetCalendarDate(Day(2026, 12, 13));
  EXPECT_EQ(redPixels(6, 2), 0);
  EXPECT_GT(redPixels(6, 3), 0);
}

TEST_F(PopupCalendar, DoubleClickOnTheTitleGoesToToday) {
  Popup->SetValue(Day(2020, 6, 1));
  QLabel *title = Popup->TitleLabel();
  input::Mouse(title, QEvent::MouseButtonDblClick, QPoint(3, 3));
  EXPECT_EQ(Popup->GetValue().toDouble(), Day(2026, 12, 10));
  EXPECT_EQ(title->text(), "grudzień, 2026");
}

TEST_F(DateDialog, DoubleClickOnTheTopPanelGoesToToday) {
  Dialogs.AnswerModalAs<TSelectDateDlg>([](TSelectDateDlg &dialog) {
    input::Mouse(dialog.TitleLabel, QEvent::MouseButtonDblClick, QPoint(3, 3));
    EXPECT_EQ(dialog.Date(), EncodeDate(2026, 12, 10));
    return int(mrCancel);
  });
  TDateTime date = Day(2020, 6, 1);
  EXPECT_FALSE(SelectDate(date, QString(), Mon, {Sun}, clRed, {}));
}
