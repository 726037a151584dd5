#include "ExDateTimePicker.h"

#include <QMouseEvent>
#include <QPainter>

TExDateTimePicker::TExDateTimePicker(QWidget *parent) : QDateTimeEdit(parent) {
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
  setDisplayFormat(value == dtkTime ? QStringLiteral("HH:mm:ss") : QStringLiteral("yyyy-MM-dd"));
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
