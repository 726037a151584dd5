#pragma once

#include "MxPickDate.h"
#include "MxToolEdit.h"

enum TCalendarStyle { csPopup, csDialog };
enum TYearDigits { dyDefault, dyFour, dyTwo };

// A masked date field whose button opens the drop-down calendar (csPopup) or the date dialog
// (csDialog). Its mask and format follow the date settings; the null date (0.0) is an empty text.
class TCustomDateEdit : public TCustomComboEdit {
  Q_OBJECT
public:
  explicit TCustomDateEdit(QWidget *parent = nullptr);
  ~TCustomDateEdit() override;

  // Never raises: blank text, and text that is no date, read as today with DefaultToday, else as the
  // null date. Leaving the edit with CheckOnExit reports a text that is no date.
  TDateTime Date() const;
  void SetDate(TDateTime value);

  QChar BlanksChar() const { return FBlanksChar; }
  void SetBlanksChar(QChar value);
  const QStringList &CalendarHints() const { return FCalendarHints; }
  // Keeps the first four lines.
  void SetCalendarHints(const QStringList &value);
  TCalendarStyle CalendarStyle() const { return Popup() ? csPopup : csDialog; }
  void SetCalendarStyle(TCalendarStyle value);
  bool CheckOnExit() const { return FCheckOnExit; }
  void SetCheckOnExit(bool value) { FCheckOnExit = value; }
  bool DefaultToday() const { return FDefaultToday; }
  void SetDefaultToday(bool value) { FDefaultToday = value; }
  const QString &DialogTitle() const { return FTitle; }
  void SetDialogTitle(const QString &value) { FTitle = value; }
  TColor PopupColor() const { return FPopupColor; }
  void SetPopupColor(TColor value);
  TDayOfWeekName StartOfWeek() const { return FStartOfWeek; }
  void SetStartOfWeek(TDayOfWeekName value);
  const TDaysOfWeek &Weekends() const { return FWeekends; }
  void SetWeekends(const TDaysOfWeek &value);
  TColor WeekendColor() const { return FWeekendColor; }
  void SetWeekendColor(TColor value);
  TYearDigits YearDigits() const { return FYearDigits; }
  void SetYearDigits(TYearDigits value);
  const QString &DateFormat() const { return FDateFormat; }

  // Whether the text holds anything but blanks and date separators.
  bool TextStored() const;
  // Rewrites a stored text as a date; raises EConvertError (text unchanged) when it is none.
  void CheckValidDate();
  virtual void ApplyDate(TDateTime value);
  // Takes over the mask and format of the current date settings (call after changing them).
  virtual void UpdateMask();

  std::function<void(QObject *sender, TDateTime &date, bool &action)> OnAcceptDate;

protected:
  const QImage *GetDefaultGlyph() override { return &DateEditGlyph(); }
  bool AcceptPopup(QVariant &value) override;
  void AcceptValue(const QVariant &value) override;
  void SetPopupValue(const QVariant &value) override;
  void Change() override;
  void ButtonClick() override;
  void keyPressEvent(QKeyEvent *event) override;
  void focusOutEvent(QFocusEvent *event) override;

private:
  bool FourDigits() const;
  void UpdateFormat();
  void UpdatePopup();
  void CreateCalendar();
  // The date of the text, or `fallback` when the text is blank or no date.
  TDateTime DateOr(TDateTime fallback, bool *converted = nullptr) const;
  // Hands a key to the open drop-down; false when it does not take it.
  bool PopupKey(QKeyEvent *event);
  // The keys of direct input: keypad plus and minus, "t" for today.
  bool DirectInputKey(QKeyEvent *event);

  QString FTitle = SDateDlgTitle;
  bool FDefaultToday = false;
  TColor FPopupColor = clBtnFace;
  bool FCheckOnExit = false;
  QChar FBlanksChar = u' ';
  QStringList FCalendarHints;
  TDayOfWeekName FStartOfWeek = Mon;
  TDaysOfWeek FWeekends{Sun};
  TColor FWeekendColor = clRed;
  TYearDigits FYearDigits = dyDefault;
  QString FDateFormat;
  bool FFormatting = false;
};

// The date edit with every property in use.
class TDateEdit : public TCustomDateEdit {
  Q_OBJECT
public:
  explicit TDateEdit(QWidget *parent = nullptr) : TCustomDateEdit(parent) { UpdateMask(); }
};
