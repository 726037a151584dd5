#include "MxDateEdit.h"
#include "Input.h"
#include "MxDateUtil.h"
#include "ScriptedDialogs.h"
#include "Today.h"

#include <QFocusEvent>
#include <QLabel>

namespace {

class DateEdit : public FixedToday {
protected:
  static void Leave(QWidget *edit) {
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(edit, &out);
  }
  static TPopupCalendar *Calendar(TDateEdit &edit) { return dynamic_cast<TPopupCalendar *>(edit.Popup()); }
  // Clicks the day cell with that number in the open drop-down.
  static void PickDay(TDateEdit &edit, int day) {
    TLocCalendar *calendar = Calendar(edit)->Calendar();
    for (int row = 1; row < 7; ++row)
      for (int col = 0; col < 7; ++col)
        if (calendar->CellText(col, row) == QString::number(day)) {
          input::Click(calendar->viewport(), calendar->CellRect(col, row).center());
          return;
        }
    ADD_FAILURE() << "no cell for day " << day;
  }
  ScriptedDialogs Dialogs;
};

} // namespace

TEST_F(DateEdit, RoundTripsInTheSettingsDateFormat) {
  struct FormatCase {
    QString ShortDateFormat;
    QChar Separator;
    TYearDigits Digits;
    QString Text;
  };
  const FormatCase cases[] = {
      {"dd.mm.yyyy", u'.', dyDefault, "29.02.2024"},
      {"dd.mm.yyyy", u'.', dyTwo, "29.02.24"},
      {"m/d/yyyy", u'/', dyDefault, "02/29/2024"},
      {"yyyy-mm-dd", u'-', dyFour, "2024-02-29"},
  };
  for (const FormatCase &c : cases) {
    FormatSettings().ShortDateFormat = c.ShortDateFormat;
    FormatSettings().DateSeparator = c.Separator;
    FourDigitYear() = c.ShortDateFormat.contains(QStringLiteral("yyyy"));
    TDateEdit edit;
    edit.SetYearDigits(c.Digits);
    edit.SetDate(Day(2024, 2, 29));
    EXPECT_EQ(edit.Text(), c.Text) << c.ShortDateFormat.toStdString();
    EXPECT_EQ(edit.Date(), Day(2024, 2, 29)) << c.ShortDateFormat.toStdString();
    edit.SetText(c.Text);
    EXPECT_EQ(edit.Date(), Day(2024, 2, 29)) << c.ShortDateFormat.toStdString();
  }
  FourDigitYear() = true;
}

TEST_F(DateEdit, MaskFollowsTheSettingsAndTheDateStays) {
  TDateEdit edit;
  EXPECT_EQ(edit.EditMask(), "!99/99/9999;1; ");
  EXPECT_EQ(edit.DateFormat(), "DD/MM/YYYY");
  edit.SetDate(Day(2026, 3, 1));
  edit.SetYearDigits(dyTwo);
  EXPECT_EQ(edit.EditMask(), "!99/99/99;1; ");
  EXPECT_EQ(edit.Text(), "01.03.26");
  FormatSettings().ShortDateFormat = QStringLiteral("yyyy/mm/dd");
  FormatSettings().DateSeparator = u'/';
  edit.SetYearDigits(dyFour);
  EXPECT_EQ(edit.EditMask(), "!9999/99/99;1; ");
  EXPECT_EQ(edit.Text(), "2026/03/01");
  edit.SetBlanksChar(QChar(9));
  EXPECT_EQ(edit.BlanksChar(), u' ');
  edit.SetBlanksChar(u'_');
  EXPECT_EQ(edit.EditMask(), "!9999/99/99;1;_");
  EXPECT_EQ(edit.Date(), Day(2026, 3, 1));
}

TEST_F(DateEdit, EmptyTextIsTheNullDateOrToday) {
  TDateEdit edit;
  EXPECT_FALSE(edit.TextStored());
  EXPECT_EQ(edit.Date(), NullDate);
  edit.SetDefaultToday(true);
  EXPECT_EQ(edit.Date(), Day(2026, 12, 10));
  edit.SetDefaultToday(false);
  edit.SetDate(Day(2025, 1, 2));
  EXPECT_TRUE(edit.TextStored());
  edit.SetDate(NullDate);
  EXPECT_FALSE(edit.TextStored());
  EXPECT_EQ(edit.Date(), NullDate);
  edit.SetDefaultToday(true);
  edit.SetDate(NullDate);
  EXPECT_EQ(edit.Text(), "10.12.2026");
}

// Reading never fails: callers such as the rights editor's tabs read the date at any time.
TEST_F(DateEdit, TextThatIsNoDateReadsAsTheDefault) {
  TDateEdit edit;
  for (const QString &text : {QStringLiteral("31.02.2024"), QStringLiteral("12.  .2024")}) {
    SCOPED_TRACE(text.toStdString());
    edit.SetDefaultToday(false);
    edit.SetText(text);
    EXPECT_EQ(edit.Date(), NullDate);
    edit.SetDefaultToday(true);
    EXPECT_EQ(edit.Date(), EncodeDate(2026, 12, 10));
    EXPECT_EQ(edit.Text(), text);
  }
}

TEST_F(DateEdit, CheckOnExitReportsTheBadDateAndKeepsTheText) {
  TDateEdit edit;
  edit.SetText("31.02.2024");
  Leave(&edit);
  EXPECT_TRUE(Dialogs.Messages().empty());
  edit.SetCheckOnExit(true);
  Dialogs.AnswerMessage(mrOk);
  Leave(&edit);
  ASSERT_EQ(Dialogs.Messages().size(), 1u);
  EXPECT_EQ(Dialogs.Messages()[0].Text, "'31.02.2024' is not a valid date.");
  EXPECT_EQ(edit.Text(), "31.02.2024");
  edit.SetText(" 1. 3.2026");
  Leave(&edit);
  EXPECT_EQ(edit.Text(), "01.03.2026");
}

TEST_F(DateEdit, DirectInputKeys) {
  TDateEdit edit;
  input::Key(&edit, Qt::Key_Plus, Qt::KeypadModifier, "+");
  EXPECT_EQ(edit.Date(), Day(2026, 12, 11));
  input::Key(&edit, Qt::Key_Minus, Qt::KeypadModifier, "-");
  input::Key(&edit, Qt::Key_Minus, Qt::KeypadModifier, "-");
  EXPECT_EQ(edit.Date(), Day(2026, 12, 9));
  input::Key(&edit, Qt::Key_Plus, Qt::NoModifier, "+");
  EXPECT_EQ(edit.Date(), Day(2026, 12, 9));
  edit.SetDate(Day(2001, 1, 1));
  input::Key(&edit, Qt::Key_T, Qt::NoModifier, "t");
  EXPECT_EQ(edit.Date(), Day(2026, 12, 10));
  edit.SetDirectInput(false);
  input::Key(&edit, Qt::Key_Plus, Qt::KeypadModifier, "+");
  EXPECT_EQ(edit.Date(), Day(2026, 12, 10));
}

TEST_F(DateEdit, CalendarHintsKeepFourLines) {
  TDateEdit edit;
  edit.SetCalendarHints({"a", "b", "c", "d", "e", "f"});
  EXPECT_EQ(edit.CalendarHints(), QStringList({"a", "b", "c", "d"}));
  EXPECT_EQ(Calendar(edit)->Buttons()[3]->toolTip(), "d");
}

TEST_F(DateEdit, PopupOpensOnTheButtonAndWritesThePickedDay) {
  TDateEdit edit;
  edit.resize(120, 21);
  edit.show();
  ASSERT_EQ(edit.CalendarStyle(), csPopup);
  input::Click(edit.Button());
  ASSERT_TRUE(edit.PopupVisible());
  EXPECT_TRUE(Calendar(edit)->isVisible());
  EXPECT_EQ(Calendar(edit)->GetValue().toDouble(), Day(2026, 12, 10));
  PickDay(edit, 24);
  EXPECT_FALSE(edit.PopupVisible());
  EXPECT_EQ(edit.Text(), "24.12.2026");
  EXPECT_TRUE(edit.Modified());
}

TEST_F(DateEdit, PopupOpensOnAltDownAndTakesTheKeys) {
  TDateEdit edit;
  edit.resize(120, 21);
  edit.show();
  int changes = 0;
  edit.OnChange = [&](QObject *) { ++changes; };
  edit.SetDate(Day(2024, 1, 31));
  changes = 0;
  input::Key(&edit, Qt::Key_Down, Qt::AltModifier);
  ASSERT_TRUE(edit.PopupVisible());
  EXPECT_EQ(Calendar(edit)->GetValue().toDouble(), Day(2024, 1, 31));
  input::Key(&edit, Qt::Key_PageDown);
  input::Key(&edit, Qt::Key_Right);
  input::Key(&edit, Qt::Key_Plus, Qt::KeypadModifier, "+");
  EXPECT_EQ(Calendar(edit)->GetValue().toDouble(), Day(2024, 3, 2));
  EXPECT_EQ(Calendar(edit)->TitleLabel()->text(), "marzec, 2024");
  EXPECT_EQ(edit.Text(), "31.01.2024");
  input::Key(&edit, Qt::Key_Return);
  EXPECT_FALSE(edit.PopupVisible());
  EXPECT_EQ(edit.Text(), "02.03.2024");
  EXPECT_EQ(changes, 1);
  input::Key(&edit, Qt::Key_Down, Qt::AltModifier);
  input::Key(&edit, Qt::Key_T, Qt::NoModifier, "t");
  input::Key(&edit, Qt::Key_Escape);
  EXPECT_FALSE(edit.PopupVisible());
  EXPECT_EQ(edit.Text(), "02.03.2024");
}

TEST_F(DateEdit, ClickOnAnEmptyCellKeepsThePopupOpen) {
  TDateEdit edit;
  edit.show();
  input::Click(edit.Button());
  TLocCalendar *calendar = Calendar(edit)->Calendar();
  ASSERT_TRUE(calendar->CellText(0, 1).isEmpty());
  input::Click(calendar->viewport(), calendar->CellRect(0, 1).center());
  EXPECT_TRUE(edit.PopupVisible());
  EXPECT_FALSE(edit.TextStored());
}

TEST_F(DateEdit, AcceptDateMayChangeOrRefuseThePick) {
  TDateEdit edit;
  edit.show();
  edit.OnAcceptDate = [](QObject *, TDateTime &date, bool &action) {
    action = DateTimeToQDate(date).dayOfWeek() < 6;
    date += 7;
  };
  input::Click(edit.Button());
  PickDay(edit, 12);
  EXPECT_FALSE(edit.TextStored());
  input::Click(edit.Button());
  PickDay(edit, 14);
  EXPECT_EQ(edit.Text(), "21.12.2026");
}

TEST_F(DateEdit, DialogStyleFreesThePopupAndRunsTheDialog) {
  TDateEdit edit;
  edit.SetDialogTitle("Wybierz datę");
  edit.SetGlyphKind(gkDropDown);
  edit.SetCalendarStyle(csDialog);
  EXPECT_EQ(edit.Popup(), nullptr);
  EXPECT_EQ(edit.CalendarStyle(), csDialog);
  edit.SetDate(Day(2024, 2, 29));
  Dialogs.AnswerModalAs<TSelectDateDlg>([](TSelectDateDlg &dialog) {
    EXPECT_EQ(dialog.Caption(), "Wybierz datę");
    EXPECT_EQ(dialog.Date(), EncodeDate(2024, 2, 29));
    dialog.Calendar->NextMonth();
    return int(mrOk);
  });
  input::Key(&edit, Qt::Key_Down, Qt::AltModifier);
  EXPECT_EQ(edit.Text(), "29.03.2024");
  Dialogs.AnswerModalAs<TSelectDateDlg>([](TSelectDateDlg &dialog) {
    dialog.Calendar->NextMonth();
    return int(mrCancel);
  });
  input::Click(edit.Button());
  EXPECT_EQ(edit.Text(), "29.03.2024");
  EXPECT_TRUE(Dialogs.Exhausted());
  edit.SetCalendarStyle(csPopup);
  ASSERT_NE(Calendar(edit), nullptr);
  EXPECT_EQ(edit.CalendarStyle(), csPopup);
}

TEST_F(DateEdit, TypedDigitsFillTheMask) {
  TDateEdit edit;
  edit.setCursorPosition(0);
  input::Type(&edit, "01022024");
  EXPECT_EQ(edit.Text(), "01.02.2024");
  EXPECT_EQ(edit.Date(), Day(2024, 2, 1));
}
