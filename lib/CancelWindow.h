#pragma once

#include <QWidget>
#include <functional>

class QLabel;
class QProgressBar;
class QPushButton;

// The small top-most window of a cancel: status line, optional progress bar and "Anuluj".
// It lives on the GUI thread; closing it in any way counts as cancel.
class TCancelWindow : public QWidget {
  Q_OBJECT
public:
  TCancelWindow(const QString &caption, const QString &text, bool progress);

  void SetStatus(const QString &text);
  QString Status() const;

  // The person closed the window (the button or the title bar); the window deletes itself after.
  std::function<void()> OnClosed;

  QPushButton *Anuluj;
  QLabel *StatusLine;
  QProgressBar *Progress = nullptr;

protected:
  void closeEvent(QCloseEvent *event) override;
};
