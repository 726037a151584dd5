#include "Controls.h"

TShiftState ShiftStateOf(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons) {
  TShiftState state;
  if (modifiers & Qt::ShiftModifier)
    state |= ssShift;
  if (modifiers & Qt::AltModifier)
    state |= ssAlt;
  if (modifiers & Qt::ControlModifier)
    state |= ssCtrl;
  if (buttons & Qt::LeftButton)
    state |= ssLeft;
  if (buttons & Qt::RightButton)
    state |= ssRight;
  if (buttons & Qt::MiddleButton)
    state |= ssMiddle;
  return state;
}

TMouseButton MouseButtonOf(Qt::MouseButton button) {
  switch (button) {
  case Qt::RightButton: return mbRight;
  case Qt::MiddleButton: return mbMiddle;
  default: return mbLeft;
  }
}
