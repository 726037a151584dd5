#pragma once

#include <QPushButton>

class TAction;

// A push button with the class library's modal result: a click sets it on the owning form. A button
// with the modal result Cancel is its form's cancel button (Escape presses it) unless told otherwise.
class TButton : public QPushButton {
  Q_OBJECT
public:
  explicit TButton(QWidget *parent = nullptr, const QString &caption = QString());

  int ModalResult() const { return FModalResult; }
  void SetModalResult(int result);
  void SetAction(TAction *action);
  bool Default() const { return isDefault(); }
  void SetDefault(bool value) { setDefault(value); }
  bool Cancel() const { return FCancel; }
  void SetCancel(bool value) { FCancel = value; }

private:
  int FModalResult = 0;
  bool FCancel = false;
};

using TBitBtn = TButton;
