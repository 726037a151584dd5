#include "GridInput.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPalette>
#include <QStyle>
#include <QWheelEvent>
#include <QWidget>

namespace GridInput {

void UseStableLook() { QApplication::setPalette(QApplication::style()->standardPalette()); }

void ShowFocused(QWidget &window, QWidget &focus) {
  window.show();
  window.activateWindow();
  QApplication::setActiveWindow(&window);
  focus.setFocus(Qt::OtherFocusReason);
  // Scroll bars settle in a later layout pass, which may resize the viewport once more.
  for (int pass = 0; pass < 3; ++pass)
    QApplication::processEvents();
}

void Press(int key, Qt::KeyboardModifiers modifiers, const QString &text) {
  QWidget *target = QApplication::focusWidget();
  if (!target)
    return;
  QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
  QApplication::sendEvent(target, &press);
  if (QWidget *after = QApplication::focusWidget()) {
    QKeyEvent release(QEvent::KeyRelease, key, modifiers, text);
    QApplication::sendEvent(after, &release);
  }
  QApplication::processEvents();
}

void Type(const QString &text) {
  for (const QChar ch : text) {
    int key = Qt::Key_unknown;
    if (ch.isDigit())
      key = Qt::Key_0 + ch.digitValue();
    else if (ch.toUpper() >= QChar('A') && ch.toUpper() <= QChar('Z'))
      key = Qt::Key_A + (ch.toUpper().unicode() - 'A');
    else if (ch == QChar(' '))
      key = Qt::Key_Space;
    Press(key, Qt::NoModifier, QString(ch));
  }
}

namespace {

void Mouse(QWidget &widget, QEvent::Type type, QPoint pos, Qt::MouseButton button, Qt::MouseButtons buttons,
           Qt::KeyboardModifiers modifiers) {
  const QPointF local(pos);
  QMouseEvent event(type, local, widget.mapToGlobal(local), button, buttons, modifiers);
  QApplication::sendEvent(&widget, &event);
}

} // namespace

void Click(QWidget &widget, QPoint pos, Qt::KeyboardModifiers modifiers) {
  Mouse(widget, QEvent::MouseButtonPress, pos, Qt::LeftButton, Qt::LeftButton, modifiers);
  Mouse(widget, QEvent::MouseButtonRelease, pos, Qt::LeftButton, Qt::NoButton, modifiers);
  QApplication::processEvents();
}

void RightClick(QWidget &widget, QPoint pos) {
  Mouse(widget, QEvent::MouseButtonPress, pos, Qt::RightButton, Qt::RightButton, Qt::NoModifier);
  Mouse(widget, QEvent::MouseButtonRelease, pos, Qt::RightButton, Qt::NoButton, Qt::NoModifier);
  QApplication::processEvents();
}

void DoubleClick(QWidget &widget, QPoint pos) {
  Mouse(widget, QEvent::MouseButtonPress, pos, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
  Mouse(widget, QEvent::MouseButtonRelease, pos, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
  Mouse(widget, QEvent::MouseButtonDblClick, pos, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
  Mouse(widget, QEvent::MouseButtonRelease, pos, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
  QApplication::processEvents();
}

void Drag(QWidget &widget, QPoint from, QPoint to) {
  Mouse(widget, QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
  Mouse(widget, QEvent::MouseMove, (from + to) / 2, Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
  Mouse(widget, QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
  Mouse(widget, QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
  QApplication::processEvents();
}

void Wheel(QWidget &widget, QPoint pos, int notches) {
  const QPointF local(pos);
  QWheelEvent event(local, widget.mapToGlobal(local), QPoint(), QPoint(0, notches * 120), Qt::NoButton,
                    Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(&widget, &event);
  QApplication::processEvents();
}

} // namespace GridInput
