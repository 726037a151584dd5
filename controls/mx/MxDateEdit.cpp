#include "MxDateEdit.h"

#include "Application.h"
#include "FormatSettings.h"
#include "MxDateUtil.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <cmath>

TCustomDateEdit::TCustomDateEdit(QWidget *parent) : TCustomComboEdit(parent) {
  SetDefNumGlyphs(2);
  UpdateFormat();
  CreateCalendar();
  SetGlyphKind(gkDefault);
}

TCustomDateEdit::~TCustomDateEdit() { OnAcceptDate = nullptr; }

void TCustomDateEdit::CreateCalendar() {
  TPopupWindow *popup = CreatePopupCalendar(this, layoutDirection());
  QPalette colours = popup->palette();
  colours.setColor(QPalette::Window, ColorToQColor(FPopupColor, &colours));
  popup->setPalette(colours);
  SetPopup(popup);
}

bool TCustomDateEdit::FourDigits() const {
  switch (FYearDigits) {
  case dyFour: return true;
  case dyTwo: return false;
  default: return FourDigitYear();
  }
}

void TCustomDateEdit::UpdateFormat() { FDateFormat = DefDateFormat(FourDigits()).left(10); }

void TCustomDateEdit::UpdatePopup() {
  if (Popup())
    SetupPopupCalendar(Popup(), FStartOfWeek, FWeekends, FWeekendColor, FCalendarHints, FourDigits());
}

void TCustomDateEdit::UpdateMask() {
  bool converted = false;
  const TDateTime kept = DateOr(NullDate, &converted);
  const QString oldFormat = FDateFormat;
  UpdateFormat();
  const QString mask = DefDateMask(FBlanksChar, FourDigits());
  if (mask != EditMask() || oldFormat != FDateFormat) {
    const QString text = Text();
    SetEditMask(QString());
    SetEditMask(mask);
    if (!converted)
      SetText(text);
  }
  UpdatePopup();
  // A text that is no date stays as typed, for the person to correct.
  if (converted)
    SetDate(kept);
}

bool TCustomDateEdit::TextStored() const {
  const QChar separator = FormatSettings().DateSeparator;
  const QString text = Text();
  return std::any_of(text.begin(), text.end(),
                     [&](QChar c) { return c != FBlanksChar && c != u' ' && c != separator; });
}

TDateTime TCustomDateEdit::DateOr(TDateTime fallback, bool *converted) const {
  if (converted)
    *converted = true;
  if (!TextStored())
    return FDefaultToday ? ::Date() : NullDate;
  try {
    return StrToDateFmt(FDateFormat, Text());
  } catch (const EConvertError &) {
    if (converted)
      *converted = false;
    return fallback;
  }
}

TDateTime TCustomDateEdit::Date() const { return DateOr(FDefaultToday ? ::Date() : NullDate); }

void TCustomDateEdit::SetDate(TDateTime value) {
  bool converted = false;
  const TDateTime before = DateOr(NullDate, &converted);
  if (!ValidDateValue(value) || value == NullDate)
    value = FDefaultToday ? ::Date() : NullDate;
  SetText(value == NullDate ? QString() : FormatDateTime(FDateFormat, value));
  if (!converted || DateOr(NullDate) != before)
    SetModified(true);
}

void TCustomDateEdit::ApplyDate(TDateTime value) {
  SetDate(value);
  if (DirectInput())
    selectAll();
}

void TCustomDateEdit::CheckValidDate() {
  if (!TextStored())
    return;
  FFormatting = true;
  try {
    SetDate(StrToDateFmt(FDateFormat, Text()));
  } catch (...) {
    FFormatting = false;
    throw;
  }
  FFormatting = false;
}

void TCustomDateEdit::Change() {
  if (!FFormatting)
    TCustomComboEdit::Change();
}

// ---- properties

void TCustomDateEdit::SetBlanksChar(QChar value) {
  if (value < u' ')
    value = u' ';
  if (value == FBlanksChar)
    return;
  FBlanksChar = value;
  UpdateMask();
}

void TCustomDateEdit::SetYearDigits(TYearDigits value) {
  if (value == FYearDigits)
    return;
  FYearDigits = value;
  UpdateMask();
}

void TCustomDateEdit::SetCalendarHints(const QStringList &value) {
  FCalendarHints = value.mid(0, 4);
  UpdatePopup();
}

void TCustomDateEdit::SetCalendarStyle(TCalendarStyle value) {
  if (value == CalendarStyle())
    return;
  if (value == csPopup) {
    CreateCalendar();
    UpdatePopup();
    return;
  }
  if (PopupVisible())
    PopupCloseUp(this, false);
  TPopupWindow *popup = Popup();
  SetPopup(nullptr);
  delete popup;
}

void TCustomDateEdit::SetPopupColor(TColor value) {
  FPopupColor = value;
  if (TPopupWindow *popup = Popup()) {
    QPalette colours = popup->palette();
    colours.setColor(QPalette::Window, ColorToQColor(value, &colours));
    popup->setPalette(colours);
  }
}

void TCustomDateEdit::SetStartOfWeek(TDayOfWeekName value) {
  if (value == FStartOfWeek)
    return;
  FStartOfWeek = value;
  UpdatePopup();
}

void TCustomDateEdit::SetWeekends(const TDaysOfWeek &value) {
  if (value == FWeekends)
    return;
  FWeekends = value;
  UpdatePopup();
}

void TCustomDateEdit::SetWeekendColor(TColor value) {
  if (value == FWeekendColor)
    return;
  FWeekendColor = value;
  UpdatePopup();
}

// ---- the popup and the dialog

bool TCustomDateEdit::AcceptPopup(QVariant &value) {
  if (!OnAcceptDate)
    return true;
  TDateTime date = NullDate;
  if (value.isValid() && !value.isNull() && !value.toString().isEmpty() && !TryVarToDateTime(value, date))
    date = NullDate;
  bool action = true;
  OnAcceptDate(this, date, action);
  if (action)
    value = date;
  return action;
}

void TCustomDateEdit::AcceptValue(const QVariant &value) {
  TDateTime date = NullDate;
  if (value.isValid() && !value.isNull() && !TryVarToDateTime(value, date))
    date = NullDate;
  SetDate(date);
  if (Modified())
    TCustomMaskEdit::Change();
}

void TCustomDateEdit::SetPopupValue(const QVariant &value) {
  const QString text = value.isValid() && !value.isNull() ? value.toString() : QString();
  TCustomComboEdit::SetPopupValue(StrToDateFmtDef(FDateFormat, text, ::Date()));
}

void TCustomDateEdit::ButtonClick() {
  TCustomComboEdit::ButtonClick();
  if (CalendarStyle() != csDialog)
    return;
  // A text that is no date opens the dialog on today.
  TDateTime date = DateOr(::Date());
  const bool chosen = SelectDate(date, FTitle, FStartOfWeek, FWeekends, FWeekendColor, FCalendarHints);
  if (isEnabled() && focusPolicy() != Qt::NoFocus)
    setFocus(Qt::OtherFocusReason);
  if (!chosen)
    return;
  bool action = true;
  if (OnAcceptDate)
    OnAcceptDate(this, date, action);
  if (!action)
    return;
  SetDate(date);
  if (hasFocus() && DirectInput())
    selectAll();
}

// ---- keys and exit

bool TCustomDateEdit::PopupKey(QKeyEvent *event) {
  auto *calendar = dynamic_cast<TPopupCalendar *>(Popup());
  if (!calendar || !PopupVisible())
    return false;
  const int code = KeyCodeOf(event);
  static const int keys[] = {Qt::Key_PageUp, Qt::Key_PageDown, Qt::Key_Left, Qt::Key_Up,
                             Qt::Key_Right,  Qt::Key_Down,     KeypadPlus,   KeypadMinus};
  if (std::find(std::begin(keys), std::end(keys), code) != std::end(keys)) {
    int key = code;
    calendar->KeyDown(key, ShiftStateOf(event->modifiers()));
    return true;
  }
  const QString text = event->text();
  if (text.size() == 1 && QStringLiteral("+-Tt").contains(text[0])) {
    QChar key = text[0];
    calendar->KeyPress(key);
    return true;
  }
  return false;
}

bool TCustomDateEdit::DirectInputKey(QKeyEvent *event) {
  if (!DirectInput() || ReadOnly())
    return false;
  const int code = KeyCodeOf(event);
  const bool plain = !(ShiftStateOf(event->modifiers()) & (ssShift | ssAlt | ssCtrl));
  if (plain && (code == KeypadPlus || code == KeypadMinus)) {
    TDateTime date = Date();
    if (date == NullDate)
      date = Now();
    ApplyDate(date + (code == KeypadPlus ? 1 : -1));
    return true;
  }
  const QString text = event->text();
  if (text == u'+' || text == u'-')
    return true;
  if (text == u't' || text == u'T') {
    ApplyDate(::Date());
    return true;
  }
  return false;
}

void TCustomDateEdit::keyPressEvent(QKeyEvent *event) {
  bool handled = false;
  Guarded(this, [&] { handled = PopupKey(event) || DirectInputKey(event); });
  if (handled) {
    event->accept();
    return;
  }
  TCustomComboEdit::keyPressEvent(event);
}

void TCustomDateEdit::focusOutEvent(QFocusEvent *event) {
  const Qt::FocusReason reason = event->reason();
  const bool leaving = reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason;
  if (FCheckOnExit && leaving) {
    try {
      CheckValidDate();
    } catch (...) {
      TCustomComboEdit::focusOutEvent(event);
      setFocus(Qt::OtherFocusReason);
      HandleCurrentException(this);
      return;
    }
  }
  TCustomComboEdit::focusOutEvent(event);
}
