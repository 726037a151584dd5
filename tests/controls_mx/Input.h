#pragma once

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>

// Mouse and key input delivered to a widget as the event loop would deliver it.
namespace input {

inline void Mouse(QWidget *widget, QEvent::Type type, QPoint pos, Qt::MouseButton button = Qt::LeftButton) {
  const Qt::MouseButtons buttons =
      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
  QMouseEvent event(type, QPointF(pos), QPointF(widget->mapToGlobal(pos)), button, buttons, Qt::NoModifier);
  QApplication::sendEvent(widget, &event);
}

inline void Press(QWidget *widget, QPoint pos) { Mouse(widget, QEvent::MouseButtonPress, pos); }
inline void Release(QWidget *widget, QPoint pos) { Mouse(widget, QEvent::MouseButtonRelease, pos); }
inline void Click(QWidget *widget, QPoint pos) {
  Press(widget, pos);
  Release(widget, pos);
}
inline void Click(QWidget *widget) { Click(widget, widget->rect().center()); }

inline void Key(QWidget *widget, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
                const QString &text = QString()) {
  QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
  QApplication::sendEvent(widget, &press);
  QKeyEvent release(QEvent::KeyRelease, key, modifiers, text);
  QApplication::sendEvent(widget, &release);
}

inline void Type(QWidget *widget, const QString &text) {
  for (QChar c : text)
    Key(widget, c.toUpper().unicode(), Qt::NoModifier, QString(c));
}

} // namespace input
