// The drop-down calendar and the date dialog of MxPickDate.
#include "MxPickDate.h"

#include "Application.h"
#include "FormatSettings.h"
#include "MxDateUtil.h"
#include "StdCtrls.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QScreen>
#include <cmath>

namespace {

// Black triangles on white: one for a month step, two for a year step, pointing back or on. The
// bottom row stays white: the bottom-left pixel gives the transparent colour.
QImage NavigationGlyph(int index) {
  const bool back = index < 2;
  const int triangles = index == 0 || index == 3 ? 2 : 1;
  QImage image(4 * triangles + 1, 8, QImage::Format_Mono);
  image.fill(1);
  for (int t = 0; t < triangles; ++t)
    for (int column = 0; column < 4; ++column) {
      const int x = back ? t * 4 + column : t * 4 + 3 - column;
      for (int y = 3 - column; y <= 3 + column; ++y)
        image.setPixel(x, y, 0);
    }
  return image;
}

QString ShortHint(const QString &hint) { return hint.section(u'|', 0, 0); }

// Four navigation buttons on the panel, wired to the calendar's steps.
std::array<TMxTimerSpeedButton *, 4> MakeNavigationButtons(QWidget *panel, TMxCalendar *calendar) {
  std::array<TMxTimerSpeedButton *, 4> buttons{};
  const std::array<void (TMxCalendar::*)(), 4> steps = {&TMxCalendar::PrevYear, &TMxCalendar::PrevMonth,
                                                        &TMxCalendar::NextMonth, &TMxCalendar::NextYear};
  for (int i = 0; i < 4; ++i) {
    auto *button = new TMxTimerSpeedButton(panel);
    button->SetGlyph(NavigationGlyph(i));
    button->setToolTip(ShortHint(NavigationHints[size_t(i)]));
    const auto step = steps[size_t(i)];
    button->OnClick = [calendar, step](QObject *) { (calendar->*step)(); };
    buttons[size_t(i)] = button;
  }
  return buttons;
}

void ApplyHints(const std::array<TMxTimerSpeedButton *, 4> &buttons, const QStringList &hints) {
  for (qsizetype i = 0; i < std::min<qsizetype>(hints.size(), 4); ++i)
    if (!hints[i].isEmpty())
      buttons[size_t(i)]->setToolTip(ShortHint(hints[i]));
}

void SetupCalendar(TMxCalendar *calendar, TDayOfWeekName startOfWeek, const TDaysOfWeek &weekends,
                   TColor weekendColor) {
  calendar->SetStartOfWeek(startOfWeek);
  calendar->SetWeekendColor(weekendColor);
  calendar->SetWeekends(weekends);
}

void SetBackground(QWidget *widget, TColor color) {
  QPalette palette = widget->palette();
  palette.setColor(QPalette::Window, ColorToQColor(color, &palette));
  widget->setPalette(palette);
  widget->setAutoFillBackground(true);
}

} // namespace

// ---- TPopupCalendar

TPopupCalendar::TPopupCalendar(TCustomComboEdit *editor, Qt::LayoutDirection direction)
    : TPopupWindow(editor) {
  resize(187, 124);
  setLayoutDirection(direction);
  SetBackground(this, clBtnFace);
  TFont font;
  FontSetDefault(font);
  setFont(font.ToQFont());
  const QRect inside = contentsRect();
  auto *back = new QWidget(this);
  back->setGeometry(inside);
  FTopPanel = new QWidget(back);
  FTopPanel->setGeometry(0, 0, back->width(), 18);
  FCalendar = new TLocCalendar(back);
  FCalendar->setGeometry(0, 18, back->width(), back->height() - 18);
  FBtns = MakeNavigationButtons(FTopPanel, FCalendar);
  const int top = FTopPanel->width();
  const int lefts[4] = {-1, 12, top - 26, top - 14};
  for (int i = 0; i < 4; ++i)
    FBtns[size_t(i)]->setGeometry(lefts[i], -1, 14, 14);
  FTitleLabel = new QLabel(FTopPanel);
  FTitleLabel->setGeometry(29, 1, top - 58, 14);
  FTitleLabel->setAlignment(Qt::AlignCenter);
  FTitleLabel->setAttribute(Qt::WA_TransparentForMouseEvents);
  FCalendar->OnChange = [this](QObject *) { UpdateTitle(); };
  FCalendar->OnMouseUp = [this](QObject *, TMouseButton button, TShiftState shift, int x, int y) {
    CalendarMouseUp(button, shift, x, y);
  };
  UpdateTitle();
}

void TPopupCalendar::UpdateTitle() { FTitleLabel->setText(CalendarTitle(FCalendar->CalendarDate())); }

void TPopupCalendar::CalendarMouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  if (button != mbLeft || (shift & (ssShift | ssAlt | ssCtrl)))
    return;
  int col = -1, row = -1;
  FCalendar->MouseToCell(x, y, col, row);
  if (row > 0 && col >= 0 && !FCalendar->CellText(col, row).isEmpty())
    CloseUp(true);
}

void TPopupCalendar::mouseDoubleClickEvent(QMouseEvent *event) {
  const QPoint pos = FTopPanel->mapFrom(this, event->position().toPoint());
  if (event->button() == Qt::LeftButton && FTopPanel->rect().contains(pos))
    Guarded(this, [this] { FCalendar->SetCalendarDate(std::trunc(::Date())); });
  event->accept();
}

void TPopupCalendar::mouseReleaseEvent(QMouseEvent *event) {
  // Only a day cell closes the calendar; releases on its panels do not.
  event->accept();
}

QVariant TPopupCalendar::GetValue() { return FCalendar->CalendarDate(); }

void TPopupCalendar::SetValue(const QVariant &value) {
  TDateTime date = NullDate;
  bool known = value.isValid() && !value.isNull();
  if (known && value.typeId() == QMetaType::QString) {
    QString bare = value.toString();
    bare.remove(FormatSettings().DateSeparator).remove(u' ');
    known = !bare.isEmpty();
  }
  if (!known || !TryVarToDateTime(value, date) || date == NullDate || !ValidDateValue(date))
    date = ::Date();
  FCalendar->SetCalendarDate(std::trunc(date));
  UpdateTitle();
}

void TPopupCalendar::KeyDown(int &Key, TShiftState Shift) {
  if (Key == Qt::Key_PageUp || Key == Qt::Key_PageDown) {
    const bool back = Key == Qt::Key_PageUp;
    if (Shift & ssCtrl)
      back ? FCalendar->PrevYear() : FCalendar->NextYear();
    else
      back ? FCalendar->PrevMonth() : FCalendar->NextMonth();
    Key = 0;
    return;
  }
  FCalendar->KeyDown(Key, Shift);
}

void TPopupCalendar::KeyPress(QChar &Key) { FCalendar->KeyPress(Key); }

TPopupWindow *CreatePopupCalendar(TCustomComboEdit *owner, Qt::LayoutDirection direction) {
  return new TPopupCalendar(owner, direction);
}

void SetupPopupCalendar(TPopupWindow *popup, TDayOfWeekName startOfWeek, const TDaysOfWeek &weekends,
                        TColor weekendColor, const QStringList &btnHints, bool) {
  auto *calendar = dynamic_cast<TPopupCalendar *>(popup);
  if (!calendar)
    return;
  SetupCalendar(calendar->Calendar(), startOfWeek, weekends, weekendColor);
  ApplyHints(calendar->Buttons(), btnHints);
}

// ---- TSelectDateDlg

TSelectDateDlg::TSelectDateDlg(QWidget *owner) : TForm(owner) {
  setWindowFlags(Qt::Tool | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  SetBorderStyle(bsToolWindow);
  setFixedSize(222, 154);
  SetBackground(this, clBtnFace);
  TFont font;
  FontSetDefault(font);
  setFont(font.ToQFont());
  SetCaption(SDateDlgTitle);
  SetPosition(poScreenCenter);

  FTopPanel = new QWidget(this);
  FTopPanel->setGeometry(0, 0, width(), 24);
  auto *calendarPanel = new QFrame(this);
  calendarPanel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  calendarPanel->setGeometry(0, 24, width(), height() - 24 - 28);
  Calendar = new TMxCalendar(calendarPanel);
  Calendar->setGeometry(calendarPanel->contentsRect().adjusted(1, 1, -1, -1));
  Calendar->SetColor(clWhite);
  Calendar->SetUseCurrentDate(false);
  Calendar->SetCalendarDate(std::trunc(::Date()));
  FBtns = MakeNavigationButtons(FTopPanel, Calendar);
  const int lefts[4] = {2, 24, width() - 44, width() - 22};
  for (int i = 0; i < 4; ++i)
    FBtns[size_t(i)]->setGeometry(lefts[i], 2, 20, 20);
  TitleLabel = new QLabel(FTopPanel);
  TitleLabel->setGeometry(46, 2, width() - 92, 20);
  TitleLabel->setAlignment(Qt::AlignCenter);
  TitleLabel->setAttribute(Qt::WA_TransparentForMouseEvents);
  QFont bold = font.ToQFont();
  bold.setBold(true);
  TitleLabel->setFont(bold);
  TitleLabel->setStyleSheet(QStringLiteral("color: blue"));

  auto *bottomPanel = new QWidget(this);
  bottomPanel->setGeometry(0, height() - 28, width(), 28);
  auto *ok = new TButton(bottomPanel, QStringLiteral("OK"));
  ok->SetModalResult(mrOk);
  ok->setGeometry(4, 4, 105, 21);
  auto *cancel = new TButton(bottomPanel, QStringLiteral("Cancel"));
  cancel->SetModalResult(mrCancel);
  cancel->setGeometry(width() - 109, 4, 105, 21);
  FOkButton = ok;
  FCancelButton = cancel;

  Calendar->OnChange = [this](QObject *) { UpdateTitle(); };
  Calendar->OnDblClick = [this](QObject *) { SetModalResult(mrOk); };
  for (QWidget *control : {static_cast<QWidget *>(Calendar), static_cast<QWidget *>(ok),
                           static_cast<QWidget *>(cancel), FTopPanel})
    control->installEventFilter(this);
  Calendar->setFocus(Qt::OtherFocusReason);
  UpdateTitle();
}

void TSelectDateDlg::SetDate(TDateTime value) {
  Calendar->SetCalendarDate(value == NullDate ? std::trunc(::Date()) : value);
  UpdateTitle();
}

void TSelectDateDlg::UpdateTitle() { TitleLabel->setText(CalendarTitle(Calendar->CalendarDate())); }

bool TSelectDateDlg::DialogKey(int key, Qt::KeyboardModifiers modifiers) {
  const bool ctrl = modifiers & Qt::ControlModifier;
  switch (key) {
  case Qt::Key_Escape: SetModalResult(mrCancel); return true;
  case Qt::Key_Return:
  case Qt::Key_Enter: SetModalResult(mrOk); return true;
  case Qt::Key_Tab: (modifiers & Qt::ShiftModifier) ? Calendar->PrevMonth() : Calendar->NextMonth(); break;
  case Qt::Key_Backtab: Calendar->PrevMonth(); break;
  case Qt::Key_PageUp: ctrl ? Calendar->PrevYear() : Calendar->PrevMonth(); break;
  case Qt::Key_PageDown: ctrl ? Calendar->NextYear() : Calendar->NextMonth(); break;
  default: return false;
  }
  UpdateTitle();
  return true;
}

bool TSelectDateDlg::eventFilter(QObject *watched, QEvent *event) {
  if (event->type() == QEvent::KeyPress) {
    auto *key = static_cast<QKeyEvent *>(event);
    bool handled = false;
    Guarded(this, [&] { handled = DialogKey(key->key(), key->modifiers()); });
    return handled;
  }
  if (watched == FTopPanel && event->type() == QEvent::MouseButtonDblClick) {
    Guarded(this, [this] { Calendar->SetCalendarDate(std::trunc(::Date())); });
    return true;
  }
  return TForm::eventFilter(watched, event);
}

void TSelectDateDlg::keyPressEvent(QKeyEvent *event) {
  bool handled = false;
  Guarded(this, [&] { handled = DialogKey(event->key(), event->modifiers()); });
  if (handled)
    event->accept();
  else
    TForm::keyPressEvent(event);
}

bool SelectDate(TDateTime &date, const QString &dlgCaption, TDayOfWeekName startOfWeek,
                const TDaysOfWeek &weekends, TColor weekendColor, const QStringList &btnHints) {
  TSelectDateDlg dialog(QApplication::activeWindow());
  if (!dlgCaption.isEmpty())
    dialog.SetCaption(dlgCaption);
  dialog.SetDate(date);
  SetupCalendar(dialog.Calendar, startOfWeek, weekends, weekendColor);
  ApplyHints(dialog.Buttons(), btnHints);
  if (dialog.ShowModal() != mrOk)
    return false;
  date = dialog.Date();
  return true;
}
