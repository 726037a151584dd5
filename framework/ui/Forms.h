#pragma once

#include <QDialog>

class TAction;
class TButton;

enum TPosition {
  poDesigned,
  poDefault,
  poScreenCenter,
  poDesktopCenter,
  poMainFormCenter,
  poOwnerFormCenter
};
enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };

// A window of the program. Shown modally it runs through the dialog seam, so that tests answer it;
// setting ModalResult while it is shown modally closes it with that result. Escape presses the
// form's cancel button and does nothing on a form without one.
class TForm : public QDialog {
  Q_OBJECT
public:
  explicit TForm(QWidget *owner = nullptr);

  QString Caption() const { return windowTitle(); }
  void SetCaption(const QString &caption) { setWindowTitle(caption); }

  int ModalResult() const { return FModalResult; }
  void SetModalResult(int result);

  TPosition Position() const { return FPosition; }
  void SetPosition(TPosition position) { FPosition = position; }
  TFormBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TFormBorderStyle style);

  // The window's own update-only action: it carries the caption.
  TAction *Action() const { return FAction; }
  void SetAction(TAction *action);

  // Shows the form modally through the dialog seam.
  int ShowModal();
  // The real modal loop; only the dialog seam calls it.
  int ExecModal();

  // The visible, enabled button that Escape presses; nullptr when the form has none.
  TButton *CancelButton() const;

protected:
  // Closing the application's main form ends the program.
  void closeEvent(QCloseEvent *event) override;
  void showEvent(QShowEvent *event) override;
  void keyPressEvent(QKeyEvent *event) override;

private:
  void PlaceOnScreen();

  int FModalResult = 0;
  bool FInModalLoop = false;
  TPosition FPosition = poDesigned;
  TFormBorderStyle FBorderStyle = bsSizeable;
  TAction *FAction = nullptr;
};
