#include "ExDateTimePicker.h"

#include "FormatSettings.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QStyleOptionSpinBox>

TExDateTimePicker::TExDateTimePicker(QWidget *parent) : QDateTimeEdit(parent) {
  // The lowest date stands for no date and shows as a blank.
  setMinimumDateTime(QDateTime(QDate(100, 1, 1), QTime(0, 0)));
  setSpecialValueText(QStringLiteral(" "));
  SetKind(dtkDate);
  setCalendarPopup(true);
  SetColor(clWindow);
}

void TExDateTimePicker::SetBorderColor(TColor value) {
  if (FBorderColor == value)
    return;
  FBorderColor = value;
  update();
}

void TExDateTimePicker::SetColor(TColor value) {
  FColor = value;
  QPalette colours = palette();
  colours.setColor(QPalette::Base, ColorToQColor(value));
  colours.setColor(QPalette::Window, ColorToQColor(value));
  setPalette(colours);
  setAutoFillBackground(true);
}

void TExDateTimePicker::SetKind(TDateTimeKind value) {
  FKind = value;
  const TFormatSettings &settings = FormatSettings();
  // A new format must not lose the value (a time-only format would drop the date).
  const QDateTime shown = dateTime();
  setDisplayFormat(DisplayFormat(value == dtkTime ? settings.LongTimeFormat : settings.ShortDateFormat,
                                 settings.DateSeparator, settings.TimeSeparator));
  setDateTime(shown);
}

int TExDateTimePicker::WholeTextWidth() const {
  const QString widest = textFromDateTime(QDateTime(QDate(2888, 12, 28), QTime(20, 58, 58)));
  // The edit field's share of a probe width, as the style lays the picker out.
  const QRect probe(0, 0, 200, height());
  QRect field;
  if (calendarPopup()) {
    QStyleOptionComboBox option;
    option.initFrom(this);
    option.rect = probe;
    option.editable = true;
    option.subControls = QStyle::SC_ComboBoxEditField;
    field = style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
  } else {
    QStyleOptionSpinBox option;
    initStyleOption(&option);
    option.rect = probe;
    field = style()->subControlRect(QStyle::CC_SpinBox, &option, QStyle::SC_SpinBoxEditField, this);
  }
  // The edit field keeps 2 pixels each side of its text and one for the cursor.
  return probe.width() - field.width() + fontMetrics().horizontalAdvance(widest) + 2 * 2 + 1;
}

void TExDateTimePicker::SetNull() { setDateTime(minimumDateTime()); }

QString TExDateTimePicker::DisplayFormat(const QString &format, QChar dateSeparator, QChar timeSeparator) {
  QString result;
  bool afterHour = false;
  for (qsizetype i = 0; i < format.size();) {
    const QChar ch = format[i].toLower();
    qsizetype run = 1;
    while (i + run < format.size() && format[i + run].toLower() == ch)
      ++run;
    const QString letters(run, ch);
    if (ch == u'd') {
      result += QString(std::min<qsizetype>(run, 4), u'd');
    } else if (ch == u'm') {
      result +=
          afterHour ? QString(std::min<qsizetype>(run, 2), u'm') : QString(std::min<qsizetype>(run, 4), u'M');
    } else if (ch == u'y') {
      result += run <= 2 ? QStringLiteral("yy") : QStringLiteral("yyyy");
    } else if (ch == u'h') {
      result += QString(std::min<qsizetype>(run, 2), u'H');
    } else if (ch == u'n') {
      result += QString(std::min<qsizetype>(run, 2), u'm');
    } else if (ch == u's') {
      result += QString(std::min<qsizetype>(run, 2), u's');
    } else if (ch == u'/') {
      result += QString(run, dateSeparator);
    } else if (ch == u':') {
      result += QString(run, timeSeparator);
    } else if (ch.isLetter()) {
      result += QStringLiteral("'") + letters + QStringLiteral("'");
    } else {
      result += QString(run, format[i]);
    }
    if (ch.isLetter())
      afterHour = ch == u'h';
    i += run;
  }
  return result;
}

void TExDateTimePicker::SetDateMode(TDTDateMode value) {
  FDateMode = value;
  setCalendarPopup(value == dmComboBox);
}

void TExDateTimePicker::paintEvent(QPaintEvent *event) {
  QDateTimeEdit::paintEvent(event);
  // Over the style's frame: two rings in the border colour on every side.
  QPainter painter(this);
  TCanvas canvas(painter, &palette());
  QRect frame = rect();
  Frame3D(canvas, frame, FBorderColor, FBorderColor, 2);
}

void TExDateTimePicker::mousePressEvent(QMouseEvent *event) {
  if (OnMouseDown)
    OnMouseDown(this, MouseButtonOf(event->button()), ShiftStateOf(event->modifiers(), event->buttons()),
                event->position().toPoint().x(), event->position().toPoint().y());
  QDateTimeEdit::mousePressEvent(event);
}

void TExDateTimePicker::mouseReleaseEvent(QMouseEvent *event) {
  if (OnMouseUp)
    OnMouseUp(this, MouseButtonOf(event->button()), ShiftStateOf(event->modifiers(), event->buttons()),
              event->position().toPoint().x(), event->position().toPoint().y());
  QDateTimeEdit::mouseReleaseEvent(event);
}

void TExDateTimePicker::mouseMoveEvent(QMouseEvent *event) {
  if (OnMouseMove)
    OnMouseMove(this, ShiftStateOf(event->modifiers(), event->buttons()), event->position().toPoint().x(),
                event->position().toPoint().y());
  QDateTimeEdit::mouseMoveEvent(event);
}
