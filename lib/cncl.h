#pragma once

#include "CancelClock.h"
#include "cncllogimp.h"

#include <QEvent>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <memory>
#include <mutex>

class TCancelWindow;
class TCancelMailbox;

// The refresh a SetText posts while the window is up; a burst of texts leaves one pending.
QEvent::Type CancelRefreshEvent();

// A delayed cancel/progress window for a long operation. The helper thread keeps the delay; when it
// has passed, the window comes up on the GUI thread, and every CheckCanceled from the working code
// lets it process its events. "Anuluj" or closing the window makes the next CheckCanceled raise
// ECanceled. Create it, poll it inside a protected block, destroy it in the clean-up.
class TCancel : public TCancelLogImp {
public:
  TCancel(unsigned delay, const QString &caption, bool progress, TCancelClock &clock = SteadyCancelClock());
  ~TCancel() override;

  // May be called from any thread; the window shows the latest text.
  void SetText(const QString &text);
  QString Text() const;

  // Asks through "Potwierdź" with the cancel window hidden; Cancel raises ECanceled.
  int Ask(const QString &caption, const QString &message) override;

  // The window while it is up, else nullptr.
  TCancelWindow *Window() const { return FWindow; }

protected:
  void Poll() override;
  // Called on the GUI thread after the person closed the window, unless the object is being destroyed.
  virtual void DoCancel() {}

private:
  // The thread's body: the delay, then the request for the window.
  void Execute();
  void ShowWindow();
  void WindowClosed();
  void Refresh();
  void SetWindowVisible(bool visible);

  const unsigned FDelay;
  TCancelClock &FClock;
  const TCancelClock::TMs FStart;
  QPointer<TCancelWindow> FWindow;
  // The window that was active when the cancel window came up; it gets the focus back.
  QPointer<QWidget> FActiveBefore;
  bool FShown = false;
  mutable std::mutex FTextMutex;
  QString FText;
  const QString FCaption;
  bool FVisible = true;
  TCancelEvent FEvent;
  const bool FProgress;
  bool FCursorSet = false;
  std::unique_ptr<TCancelMailbox> FMailbox;
  std::atomic<bool> FDue{false};
  std::atomic<bool> FWindowUp{false};
  std::atomic<bool> FRefreshPending{false};
};
