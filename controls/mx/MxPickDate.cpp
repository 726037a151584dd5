#include "MxPickDate.h"

#include "Application.h"
#include "FormatSettings.h"
#include "MxDateUtil.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <cmath>

const std::array<QString, 4> NavigationHints = {QStringLiteral("Previous Year|"),
                                                QStringLiteral("Previous Month|"),
                                                QStringLiteral("Next Month|"), QStringLiteral("Next Year|")};
const QString SDateDlgTitle = QStringLiteral("Select a Date");

int KeyCodeOf(const QKeyEvent *event) {
  const int key = event->key();
  if ((event->modifiers() & Qt::KeypadModifier) && (key == Qt::Key_Plus || key == Qt::Key_Minus))
    return key | int(Qt::KeypadModifier);
  return key;
}

QString CalendarTitle(TDateTime date) { return FormatDateTime(QStringLiteral("MMMM, YYYY"), date); }

void FontSetDefault(TFont &font) {
  font.Assign(QApplication::font("QMessageBox"));
  font.SetColor(clWindowText);
}

// ---- TMxCalendar

TMxCalendar::TMxCalendar(QWidget *parent) : TCustomGrid(parent) {
  SetFixedCols(0);
  SetColCount(7);
  SetRowCount(7);
  SetFixedRows(1);
  SetScrollBars(ssNone);
  SetOptions((Options() & ~TGridOptions(goRangeSelect)) | goDrawFocusSelected);
  setFrameStyle(QFrame::Box | QFrame::Plain);
  FDate = ::Date();
  UpdateCalendar();
}

int TMxCalendar::Year() const { return DateTimeToQDate(FDate).year(); }
int TMxCalendar::Month() const { return DateTimeToQDate(FDate).month(); }
int TMxCalendar::Day() const { return DateTimeToQDate(FDate).day(); }
int TMxCalendar::DaysThisMonth() const { return DaysPerMonth(Year(), Month()); }

void TMxCalendar::CalendarUpdate(bool dayOnly) {
  FUpdating = true;
  try {
    const int day = Day();
    const int firstWeekday = DayOfWeek(EncodeDate(Year(), Month(), 1));
    FMonthOffset = 2 - ((firstWeekday - FStartOfWeek + 7) % 7);
    if (FMonthOffset == 2)
      FMonthOffset = -5;
    MoveColRow((day - FMonthOffset) % 7, (day - FMonthOffset) / 7 + 1, true, false);
    if (!dayOnly)
      InvalidateGrid();
  } catch (...) {
    FUpdating = false;
    throw;
  }
  FUpdating = false;
}

QString TMxCalendar::CellText(int ACol, int ARow) const {
  if (ARow == 0)
    return FormatSettings().ShortDayNames[size_t((FStartOfWeek + ACol) % 7)];
  const int day = FMonthOffset + ACol + (ARow - 1) * 7;
  return day >= 1 && day <= DaysThisMonth() ? QString::number(day) : QString();
}

void TMxCalendar::SetCalendarDate(TDateTime value) {
  if (value == FDate)
    return;
  FDate = value;
  UpdateCalendar();
  Change();
}

void TMxCalendar::SetDateParts(int year, int month, int day) {
  const bool dayOnly = year == Year() && month == Month();
  FDate = EncodeDate(year, month, day);
  FUseCurrentDate = false;
  CalendarUpdate(dayOnly);
  Change();
}

void TMxCalendar::SetYear(int value) {
  if (value < 1 || value > 9999 || value == Year())
    return;
  SetDateParts(value, Month(), std::min(Day(), DaysPerMonth(value, Month())));
}

void TMxCalendar::SetMonth(int value) {
  if (value < 1 || value > 12 || value == Month())
    return;
  SetDateParts(Year(), value, std::min(Day(), DaysPerMonth(Year(), value)));
}

void TMxCalendar::SetDay(int value) {
  if (value < 1 || value > DaysThisMonth() || value == Day())
    return;
  SetDateParts(Year(), Month(), value);
}

void TMxCalendar::SetStartOfWeek(TDayOfWeekName value) {
  if (value == FStartOfWeek)
    return;
  FStartOfWeek = value;
  UpdateCalendar();
}

void TMxCalendar::SetUseCurrentDate(bool value) {
  if (value == FUseCurrentDate)
    return;
  FUseCurrentDate = value;
  if (value) {
    FDate = ::Date();
    UpdateCalendar();
  }
}

void TMxCalendar::SetWeekends(const TDaysOfWeek &value) {
  if (value == FWeekends)
    return;
  FWeekends = value;
  UpdateCalendar();
}

void TMxCalendar::SetWeekendColor(TColor value) {
  if (value == FWeekendColor)
    return;
  FWeekendColor = value;
  InvalidateGrid();
}

void TMxCalendar::ChangeMonth(int delta) {
  // From the month's edge one day over lands in the neighbour month; the day then keeps its number.
  const TDateTime edge =
      delta > 0 ? EncodeDate(Year(), Month(), DaysThisMonth()) + 1 : EncodeDate(Year(), Month(), 1) - 1;
  const QDate neighbour = DateTimeToQDate(edge);
  TDateTime result = 0;
  if (TryEncodeDate(neighbour.year(), neighbour.month(),
                    std::min(Day(), DaysPerMonth(neighbour.year(), neighbour.month())), result))
    SetCalendarDate(result);
}

void TMxCalendar::NextYear() { SetYear(Year() + 1); }

void TMxCalendar::PrevYear() { SetYear(Year() - 1); }

void TMxCalendar::Change() {
  if (OnChange)
    OnChange(this);
}

void TMxCalendar::DrawCell(int ACol, int ARow, const QRect &ARect, TGridDrawState AState) {
  TCanvas &canvas = Canvas();
  if (FWeekends.Contains(TDayOfWeekName((FStartOfWeek + ACol) % 7)) && !(AState & gdSelected))
    canvas.Font.SetColor(FWeekendColor);
  canvas.TextRect(ARect, CellText(ACol, ARow), tfCenter | tfVerticalCenter | tfSingleLine);
}

bool TMxCalendar::SelectCell(int ACol, int ARow) {
  if ((FReadOnly && !FUpdating) || CellText(ACol, ARow).isEmpty())
    return false;
  return TCustomGrid::SelectCell(ACol, ARow);
}

void TMxCalendar::Click() {
  TCustomGrid::Click();
  const QString text = CellText(Col(), Row());
  if (Row() > 0 && !text.isEmpty())
    SetDay(text.toInt());
}

void TMxCalendar::Resize() {
  const int lines = (Options() & goVertLine) ? 6 * GridLineWidth() : 0;
  SetDefaultColWidth(std::max(1, (viewport()->width() - lines) / 7));
  SetDefaultRowHeight(std::max(1, (viewport()->height() - 6 * GridLineWidth()) / 7));
}

void TMxCalendar::KeyDown(int &Key, TShiftState Shift) {
  if (!(Shift & (ssShift | ssAlt | ssCtrl))) {
    if (Key == Qt::Key_Left || Key == KeypadMinus) {
      if (Day() > 1)
        SetDay(Day() - 1);
      else
        SetCalendarDate(FDate - 1);
      Key = 0;
      return;
    }
    if (Key == Qt::Key_Right || Key == KeypadPlus) {
      if (Day() < DaysThisMonth())
        SetDay(Day() + 1);
      else
        SetCalendarDate(FDate + 1);
      Key = 0;
      return;
    }
  }
  TCustomGrid::KeyDown(Key, Shift);
}

void TMxCalendar::KeyPress(QChar &Key) {
  if (Key == u'T' || Key == u't') {
    SetCalendarDate(std::trunc(::Date()));
    Key = QChar();
    return;
  }
  TCustomGrid::KeyPress(Key);
}

void TMxCalendar::keyPressEvent(QKeyEvent *event) {
  const int code = KeyCodeOf(event);
  if (code != KeypadPlus && code != KeypadMinus) {
    TCustomGrid::keyPressEvent(event);
    return;
  }
  event->accept();
  Guarded(this, [&] {
    int key = code;
    KeyDown(key, ShiftStateOf(event->modifiers()));
  });
}

// ---- TLocCalendar

TLocCalendar::TLocCalendar(QWidget *parent) : TMxCalendar(parent) {
  setFocusPolicy(Qt::NoFocus);
  SetBorderStyle(bsNone);
  SetColor(clBtnFace);
  SetFixedColor(clBtnFace);
  SetOptions(goFixedHorzLine);
  SetCalendarDate(std::trunc(::Date()));
  SetUseCurrentDate(false);
}

void TLocCalendar::DrawCell(int ACol, int ARow, const QRect &ARect, TGridDrawState AState) {
  TMxCalendar::DrawCell(ACol, ARow, ARect, AState);
  const QDate today = DateTimeToQDate(::Date());
  if (ARow > 0 && Year() == today.year() && Month() == today.month() &&
      CellText(ACol, ARow) == QString::number(today.day())) {
    QRect frame = ARect;
    Frame3D(Canvas(), frame, clBtnShadow, clBtnHighlight, 1);
  }
}
