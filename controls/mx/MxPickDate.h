#pragma once

#include "DateTimeUtils.h"
#include "Forms.h"
#include "Grids.h"
#include "MxCtrls.h"
#include "MxToolEdit.h"

#include <QPushButton>
#include <QStringList>
#include <array>
#include <initializer_list>

class QLabel;
class QKeyEvent;

enum TDayOfWeekName { Sun, Mon, Tue, Wed, Thu, Fri, Sat };

// A set of weekdays.
class TDaysOfWeek {
public:
  TDaysOfWeek() = default;
  TDaysOfWeek(std::initializer_list<TDayOfWeekName> days) {
    for (TDayOfWeekName day : days)
      FBits |= 1u << day;
  }
  bool Contains(TDayOfWeekName day) const { return FBits & (1u << day); }
  bool operator==(const TDaysOfWeek &) const = default;

private:
  unsigned FBits = 0;
};

// The key code handlers see for the keypad's plus and minus (the main keyboard's stay plain).
constexpr int KeypadPlus = int(Qt::Key_Plus) | int(Qt::KeypadModifier);
constexpr int KeypadMinus = int(Qt::Key_Minus) | int(Qt::KeypadModifier);
int KeyCodeOf(const QKeyEvent *event);

// Hint texts of the navigation buttons (before the bar: the short hint), in button order.
extern const std::array<QString, 4> NavigationHints;
// "Select a Date".
extern const QString SDateDlgTitle;

// A month as a grid: weekday names in the fixed top row, the days below, weekends in their colour.
class TMxCalendar : public TCustomGrid {
public:
  explicit TMxCalendar(QWidget *parent = nullptr);

  TDateTime CalendarDate() const { return FDate; }
  void SetCalendarDate(TDateTime value);
  int Year() const;
  void SetYear(int value);
  int Month() const;
  void SetMonth(int value);
  int Day() const;
  void SetDay(int value);
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool value) { FReadOnly = value; }
  TDayOfWeekName StartOfWeek() const { return FStartOfWeek; }
  void SetStartOfWeek(TDayOfWeekName value);
  bool UseCurrentDate() const { return FUseCurrentDate; }
  void SetUseCurrentDate(bool value);
  TDaysOfWeek Weekends() const { return FWeekends; }
  void SetWeekends(const TDaysOfWeek &value);
  TColor WeekendColor() const { return FWeekendColor; }
  void SetWeekendColor(TColor value);

  void NextMonth() { ChangeMonth(1); }
  void PrevMonth() { ChangeMonth(-1); }
  void NextYear();
  void PrevYear();
  QString CellText(int ACol, int ARow) const;
  int DaysThisMonth() const;
  virtual void UpdateCalendar() { CalendarUpdate(false); }

  void KeyDown(int &Key, TShiftState Shift) override;
  void KeyPress(QChar &Key) override;

  std::function<void(QObject *sender)> OnChange;

protected:
  void DrawCell(int ACol, int ARow, const QRect &ARect, TGridDrawState AState) override;
  bool SelectCell(int ACol, int ARow) override;
  void Click() override;
  void Resize() override;
  void keyPressEvent(QKeyEvent *event) override;
  virtual void Change();

private:
  void CalendarUpdate(bool dayOnly);
  void ChangeMonth(int delta);
  // Stores the parts (already checked), then updates and notifies.
  void SetDateParts(int year, int month, int day);

  TDateTime FDate = 0;
  int FMonthOffset = 0;
  bool FReadOnly = false;
  TDayOfWeekName FStartOfWeek = Mon;
  bool FUpdating = false;
  bool FUseCurrentDate = true;
  TDaysOfWeek FWeekends{Sun};
  TColor FWeekendColor = clRed;
};

// The calendar of the drop-down: no border, the parent's colour, never takes the focus, today's
// cell framed.
class TLocCalendar : public TMxCalendar {
public:
  explicit TLocCalendar(QWidget *parent = nullptr);

protected:
  void DrawCell(int ACol, int ARow, const QRect &ARect, TGridDrawState AState) override;
};

// The drop-down calendar of the date edit: year and month buttons round a title over the month.
class TPopupCalendar : public TPopupWindow {
  Q_OBJECT
public:
  TPopupCalendar(TCustomComboEdit *editor, Qt::LayoutDirection direction);

  QVariant GetValue() override;
  void SetValue(const QVariant &value) override;
  virtual void KeyDown(int &Key, TShiftState Shift);
  virtual void KeyPress(QChar &Key);

  TLocCalendar *Calendar() const { return FCalendar; }
  QLabel *TitleLabel() const { return FTitleLabel; }
  // Previous year, previous month, next month, next year.
  const std::array<TMxTimerSpeedButton *, 4> &Buttons() const { return FBtns; }

protected:
  void mouseDoubleClickEvent(QMouseEvent *event) override;
  void mouseReleaseEvent(QMouseEvent *event) override;

private:
  void CalendarMouseUp(TMouseButton button, TShiftState shift, int x, int y);
  void UpdateTitle();

  TLocCalendar *FCalendar;
  QLabel *FTitleLabel;
  QWidget *FTopPanel;
  std::array<TMxTimerSpeedButton *, 4> FBtns{};
};

// The modal date dialog, built in code.
class TSelectDateDlg : public TForm {
  Q_OBJECT
public:
  explicit TSelectDateDlg(QWidget *owner = nullptr);

  TDateTime Date() const { return Calendar->CalendarDate(); }
  void SetDate(TDateTime value);
  const std::array<TMxTimerSpeedButton *, 4> &Buttons() const { return FBtns; }
  QPushButton *OkButton() const { return FOkButton; }
  QPushButton *CancelButton() const { return FCancelButton; }

  TMxCalendar *Calendar;
  QLabel *TitleLabel;

protected:
  bool eventFilter(QObject *watched, QEvent *event) override;
  void keyPressEvent(QKeyEvent *event) override;

private:
  // Handles the dialog's keys; false for keys it leaves alone.
  bool DialogKey(int key, Qt::KeyboardModifiers modifiers);
  void UpdateTitle();

  QWidget *FTopPanel;
  std::array<TMxTimerSpeedButton *, 4> FBtns{};
  QPushButton *FOkButton;
  QPushButton *FCancelButton;
};

// The drop-down calendar for the date edit.
TPopupWindow *CreatePopupCalendar(TCustomComboEdit *owner, Qt::LayoutDirection direction);
void SetupPopupCalendar(TPopupWindow *popup, TDayOfWeekName startOfWeek, const TDaysOfWeek &weekends,
                        TColor weekendColor, const QStringList &btnHints, bool fourDigitYear);
// Runs the date dialog; true (and date replaced) when the person confirmed.
bool SelectDate(TDateTime &date, const QString &dlgCaption, TDayOfWeekName startOfWeek,
                const TDaysOfWeek &weekends, TColor weekendColor, const QStringList &btnHints);
// The system's message font in the window-text colour.
void FontSetDefault(TFont &font);
// The month title: "MMMM, YYYY".
QString CalendarTitle(TDateTime date);
