#include "cncl.h"

#include "Application.h"
#include "CancelWindow.h"
#include "Dialogs.h"
#include "ECanceled.h"
#include "YNAllD.h"

#include <QApplication>
#include <QThread>
#include <functional>

QEvent::Type CancelRefreshEvent() {
  static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
  return type;
}

namespace {

QEvent::Type CancelShowEvent() {
  static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
  return type;
}

bool OnGuiThread() {
  return QCoreApplication::instance() && QThread::currentThread() == QCoreApplication::instance()->thread();
}

} // namespace

// Receives, on the GUI thread, what the other threads post to the cancel.
class TCancelMailbox : public QObject {
public:
  std::function<void(QEvent::Type)> OnEvent;

  bool event(QEvent *event) override {
    if (event->type() != CancelShowEvent() && event->type() != CancelRefreshEvent())
      return QObject::event(event);
    if (OnEvent)
      Guarded(this, [this, event] { OnEvent(event->type()); });
    return true;
  }
};

TCancel::TCancel(unsigned delay, const QString &caption, bool progress, TCancelClock &clock)
    : FDelay(delay), FClock(clock), FStart(clock.Now()), FCaption(caption), FProgress(progress) {
  if (QCoreApplication::instance()) {
    FMailbox = std::make_unique<TCancelMailbox>();
    FMailbox->moveToThread(QCoreApplication::instance()->thread());
    FMailbox->OnEvent = [this](QEvent::Type type) {
      if (type == CancelShowEvent())
        ShowWindow();
      else
        Refresh();
    };
  }
  if (OnGuiThread() && qobject_cast<QApplication *>(QCoreApplication::instance())) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    FCursorSet = true;
  }
  Start([this] { Execute(); });
}

TCancel::~TCancel() {
  if (FCursorSet)
    QApplication::restoreOverrideCursor();
  Terminate();
  FEvent.Set();
  WaitFor();
  if (FWindow) {
    FWindow->OnClosed = nullptr;
    delete FWindow.data();
  }
  if (FShown && FActiveBefore)
    FActiveBefore->activateWindow();
}

void TCancel::Execute() {
  FClock.WaitUntil(FEvent, FStart + TCancelClock::TMs(FDelay));
  if (Terminated() || !FMailbox)
    return;
  FDue = true;
  QCoreApplication::postEvent(FMailbox.get(), new QEvent(CancelShowEvent()));
}

void TCancel::Poll() {
  if (!OnGuiThread())
    return;
  if (FDue && !FShown)
    ShowWindow();
  if (FWindow)
    QCoreApplication::processEvents();
}

void TCancel::ShowWindow() {
  if (FShown || Terminated())
    return;
  FShown = true;
  FActiveBefore = QApplication::activeWindow();
  FWindow = new TCancelWindow(FCaption, Text(), FProgress);
  FWindow->OnClosed = [this] { WindowClosed(); };
  FWindowUp = true;
  SetWindowVisible(FVisible);
}

void TCancel::SetWindowVisible(bool visible) {
  FVisible = visible;
  if (!FWindow)
    return;
  if (!visible) {
    FWindow->hide();
    return;
  }
  FWindow->show();
  FWindow->raise();
  FWindow->activateWindow();
}

void TCancel::WindowClosed() {
  FWindowUp = false;
  FWindow = nullptr;
  FCanceled = true;
  if (!Terminated())
    DoCancel();
}

void TCancel::SetText(const QString &text) {
  {
    std::lock_guard lock(FTextMutex);
    FText = text;
  }
  if (FWindowUp && !FRefreshPending.exchange(true))
    QCoreApplication::postEvent(FMailbox.get(), new QEvent(CancelRefreshEvent()));
}

QString TCancel::Text() const {
  std::lock_guard lock(FTextMutex);
  return FText;
}

void TCancel::Refresh() {
  FRefreshPending = false;
  if (FWindow)
    FWindow->SetStatus(Text());
}

int TCancel::Ask(const QString &caption, const QString &message) {
  TYesNoAll dialog;
  dialog.SetCaption(caption);
  dialog.SetMessage(message);
  SetWindowVisible(false);
  switch (dialog.ShowModal()) {
  case mrYes: SetWindowVisible(true); return dialog.ForAll() ? caYesToAll : caYes;
  case mrNo: SetWindowVisible(true); return dialog.ForAll() ? caNoToAll : caNo;
  case mrCancel: FCanceled = true; throw ECanceled();
  default: SetWindowVisible(true); return caCancel;
  }
}
