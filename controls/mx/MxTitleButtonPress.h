#pragma once

// A held title button of the data grid: the column pressed, whether it looks pressed (only while
// the mouse stays over its title), and a right-button press that the grid passes off as a left
// one so that columns move and size with either button. The grid tells it which title the mouse
// is over (-1 for none) and repaints the titles when the look changes.
class TMxTitleButtonPress {
public:
  bool Tracking() const { return FTracking; }
  // Starts tracking the title of column `col` (not yet drawn pressed).
  void Start(int col);
  // The mouse is over the title of `col`; true when the pressed look changed.
  bool Follow(int col);
  // Ends tracking; true when the pressed look changed.
  bool Stop();
  // The release over the title of `col` counts as a click on the pressed column.
  bool ReleasedOnPressed(int col) const { return FTracking && col >= 0 && col == FPressedCol; }
  int PressedCol() const { return FPressedCol; }
  // The title of `col` is drawn pressed.
  bool IsDown(int col) const { return FPressed && col == FPressedCol; }

  void SwapButtons() { FSwapButtons = true; }
  // Ends a swapped right-button drag; true when one was under way.
  bool EndSwap();

private:
  int FPressedCol = -1;
  bool FPressed = false;
  bool FTracking = false;
  bool FSwapButtons = false;
};
