#include "Forms.h"

#include "Actions.h"
#include "Application.h"
#include "Dialogs.h"
#include "StdCtrls.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>

TForm::TForm(QWidget *owner) : QDialog(owner) {}

void TForm::SetModalResult(int result) {
  FModalResult = result;
  if (FInModalLoop && result != mrNone)
    done(result);
}

void TForm::SetBorderStyle(TFormBorderStyle style) {
  FBorderStyle = style;
  const bool fixed = style == bsSingle || style == bsDialog || style == bsToolWindow;
  setSizeGripEnabled(!fixed && style != bsNone);
  if (fixed)
    setWindowFlag(Qt::MSWindowsFixedSizeDialogHint, true);
}

void TForm::SetAction(TAction *action) {
  FAction = action;
  if (!action)
    return;
  setWindowTitle(action->text());
  connect(action, &QAction::changed, this, [this] {
    if (FAction)
      setWindowTitle(FAction->text());
  });
}

int TForm::ShowModal() {
  FModalResult = mrNone;
  return DialogSeam().ShowModal(*this);
}

int TForm::ExecModal() {
  FInModalLoop = true;
  const int result = exec();
  FInModalLoop = false;
  if (FModalResult == mrNone)
    FModalResult = result == QDialog::Accepted ? mrOk : mrCancel;
  return FModalResult;
}

TButton *TForm::CancelButton() const {
  for (TButton *button : findChildren<TButton *>())
    if (button->Cancel() && button->isVisibleTo(this) && button->isEnabled() && button->window() == this)
      return button;
  return nullptr;
}

// Escape reaches the form when the control with the focus has nothing to take back with it.
void TForm::keyPressEvent(QKeyEvent *event) {
  if (event->key() != Qt::Key_Escape || event->modifiers() != Qt::NoModifier) {
    QDialog::keyPressEvent(event);
    return;
  }
  event->accept();
  if (TButton *button = CancelButton())
    button->click();
}

void TForm::closeEvent(QCloseEvent *event) {
  QDialog::closeEvent(event);
  if (event->isAccepted() && Application() && Application()->MainForm() == this)
    Application()->Terminate();
}

void TForm::showEvent(QShowEvent *event) {
  QDialog::showEvent(event);
  PlaceOnScreen();
}

void TForm::PlaceOnScreen() {
  QRect area;
  switch (FPosition) {
  case poScreenCenter:
  case poDesktopCenter:
    if (QScreen *screen = QGuiApplication::primaryScreen())
      area = screen->availableGeometry();
    break;
  case poMainFormCenter:
  case poOwnerFormCenter:
    if (QWidget *owner = parentWidget())
      area = owner->window()->frameGeometry();
    break;
  default: return;
  }
  if (area.isValid())
    move(area.center() - rect().center());
}
