#include "GridDriver.h"

#include <QApplication>
#include <QMouseEvent>
#include <QWidget>

namespace GridDriver {

namespace {

void Send(QWidget &widget, QEvent::Type type, QPoint pos, Qt::MouseButton button, Qt::MouseButtons buttons) {
  QMouseEvent event(type, QPointF(pos), widget.mapToGlobal(QPointF(pos)), button, buttons, Qt::NoModifier);
  QApplication::sendEvent(&widget, &event);
  QApplication::processEvents();
}

} // namespace

void MousePress(QWidget &widget, QPoint pos, Qt::MouseButton button) {
  Send(widget, QEvent::MouseButtonPress, pos, button, button);
}

void MouseMove(QWidget &widget, QPoint pos, Qt::MouseButtons buttons) {
  Send(widget, QEvent::MouseMove, pos, Qt::NoButton, buttons);
}

void MouseRelease(QWidget &widget, QPoint pos, Qt::MouseButton button) {
  Send(widget, QEvent::MouseButtonRelease, pos, button, Qt::NoButton);
}

} // namespace GridDriver
