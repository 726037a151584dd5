#pragma once

#include <QPushButton>

class TAction;

// A push button with the class library's modal result: a click sets it on the owning form.
class TButton : public QPushButton {
  Q_OBJECT
public:
  explicit TButton(QWidget *parent = nullptr, const QString &caption = QString());

  int ModalResult() const { return FModalResult; }
  void SetModalResult(int result) { FModalResult = result; }
  void SetAction(TAction *action);
  bool Default() const { return isDefault(); }
  void SetDefault(bool value) { setDefault(value); }

private:
  int FModalResult = 0;
};

using TBitBtn = TButton;
