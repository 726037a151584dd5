#include "Application.h"

#include "Actions.h"
#include "Dialogs.h"
#include "Exceptions.h"

#include <QAbstractEventDispatcher>
#include <QThread>
#include <algorithm>
#include <cstdio>

namespace {
TApplication *gApplication = nullptr;
}

TApplication *Application() { return gApplication; }

TApplication::TApplication(int &argc, char **argv) : QApplication(argc, argv) {
  gApplication = this;
  FTitle = applicationName();
  connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, this,
          &TApplication::DoIdle);
}

TApplication::~TApplication() {
  if (gApplication == this)
    gApplication = nullptr;
}

void TApplication::SetTitle(const QString &title) {
  FTitle = title;
  setApplicationDisplayName(title);
}

QString TApplication::ExeName() const { return applicationFilePath(); }

void TApplication::ProcessMessages() { processEvents(QEventLoop::AllEvents); }

QString ExceptionDisplayText(const QString &message) {
  if (!message.isEmpty() && message.back() > u'.')
    return message + u'.';
  return message;
}

void TApplication::ShowException(const Exception &e) {
  MessageBox(ExceptionDisplayText(e.Message()), FTitle, MB_OK | MB_ICONSTOP);
}

void TApplication::HandleException(QObject *sender, Exception &e) {
  if (dynamic_cast<EAbort *>(&e))
    return;
  if (OnException)
    OnException(sender, e);
  else
    ShowException(e);
}

void TApplication::DoIdle() {
  // The loop falls idle again after the updates' own repaints; one round at a time is enough.
  if (FInIdle || QThread::currentThread() != thread())
    return;
  FInIdle = true;
  Guarded(this, [this] {
    const std::vector<TAction *> actions = FActions;
    for (TAction *action : actions)
      if (std::find(FActions.begin(), FActions.end(), action) != FActions.end())
        action->Update();
    if (OnIdle)
      OnIdle(this);
  });
  FInIdle = false;
}

void TApplication::RegisterAction(TAction *action) { FActions.push_back(action); }

void TApplication::UnregisterAction(TAction *action) { std::erase(FActions, action); }

bool TApplication::notify(QObject *receiver, QEvent *event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (...) {
    HandleCurrentException(receiver);
    return true;
  }
}

void HandleCurrentException(QObject *sender) {
  try {
    throw;
  } catch (EAbort &) {
  } catch (Exception &e) {
    if (gApplication)
      gApplication->HandleException(sender, e);
    else
      std::fprintf(stderr, "%s\n", e.what());
  } catch (std::exception &e) {
    Exception wrapped(QString::fromUtf8(e.what()));
    if (gApplication)
      gApplication->HandleException(sender, wrapped);
    else
      std::fprintf(stderr, "%s\n", e.what());
  }
}
