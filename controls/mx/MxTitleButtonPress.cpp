#include "MxTitleButtonPress.h"

void TMxTitleButtonPress::Start(int col) {
  FTracking = true;
  FPressedCol = col;
}

bool TMxTitleButtonPress::Follow(int col) {
  const bool pressed = FTracking && col >= 0 && col == FPressedCol;
  if (pressed == FPressed)
    return false;
  FPressed = pressed;
  return true;
}

bool TMxTitleButtonPress::Stop() {
  if (!FTracking)
    return false;
  const bool changed = Follow(-1);
  FTracking = false;
  return changed;
}

bool TMxTitleButtonPress::EndSwap() {
  const bool swapped = FSwapButtons;
  FSwapButtons = false;
  return swapped;
}
