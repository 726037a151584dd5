#pragma once

#include "MxSpin.h"

#include <functional>

// The button at a spin edit's side: the diagonal spin button in its host window, or the up-down
// control, as the kind asks; where it sits and how fast it repeats (kept across rebuilds).
class TSpinButtonHolder {
public:
  explicit TSpinButtonHolder(QWidget *edit) : FEdit(edit) {}

  // Replaces the button by one of the kind, enabled as the edit is.
  void Rebuild(TSpinButtonKind kind);
  // Puts the button at the edit's right edge (left for right-to-left); `framed`: inside the
  // edit's frame.
  void Place(bool framed, bool rightToLeft);
  int Width() const;
  void SetEnabled(bool value);
  void SetRepeat(const TSpinRepeat &value);

  TMxSpinButton *SpinButton() const { return FButton; }
  TMxUpDown *UpDown() const { return FUpDown; }

  // A click on the spin button's halves (true: the upper one).
  std::function<void(bool up)> OnSpinClick;
  std::function<void(QObject *sender, TUDBtnType button)> OnUpDownClick;

private:
  QWidget *FEdit;
  TSpinRepeat FRepeat;
  TMxSpinButton *FButton = nullptr;
  QWidget *FBtnWindow = nullptr;
  TMxUpDown *FUpDown = nullptr;
};

// The width of the up-down control: the scroll bar's, at most 15.
int DefaultSpinButtonWidth();
