#pragma once

#include <QPoint>
#include <QString>
#include <Qt>

class QWidget;

// Drives widgets as a person would, offscreen: a fixed look for pixel checks, focus, keys to the
// focused widget, clicks and wheel turns.
#include <ostream>

// Readable QString values in test failures.
inline void PrintTo(const QString &text, std::ostream *os) { *os << '"' << text.toStdString() << '"'; }

namespace GridInput {

// Fusion's own palette, so that pixels do not depend on the machine.
void UseStableLook();
// Shows the window, makes it active and gives the focus to the widget.
void ShowFocused(QWidget &window, QWidget &focus);
// A key press and release to the widget that has the focus.
void Press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier, const QString &text = QString());
// Each character as one key press.
void Type(const QString &text);
void Click(QWidget &widget, QPoint pos, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
void RightClick(QWidget &widget, QPoint pos);
void DoubleClick(QWidget &widget, QPoint pos);
void Drag(QWidget &widget, QPoint from, QPoint to);
// One wheel notch: negative turns down (towards the user).
void Wheel(QWidget &widget, QPoint pos, int notches);

} // namespace GridInput
