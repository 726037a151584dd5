#include "Application.h"

#include "Actions.h"
#include "Dialogs.h"
#include "Exceptions.h"
#include "Forms.h"
#include "SessionEnd.h"

#include <QAbstractEventDispatcher>
#include <QLibraryInfo>
#include <QLocale>
#include <QThread>
#include <QTranslator>
#include <algorithm>
#include <cstdio>

namespace {
TApplication *gApplication = nullptr;
}

TApplication *Application() { return gApplication; }

bool LoadPolishQtTranslations(QCoreApplication &application) {
  auto *translator = new QTranslator(&application);
  if (!translator->load(QLocale(QLocale::Polish, QLocale::Poland), QStringLiteral("qtbase"),
                        QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    delete translator;
    return false;
  }
  return QCoreApplication::installTranslator(translator);
}

TApplication::TApplication(int &argc, char **argv) : QApplication(argc, argv) {
  gApplication = this;
  FTitle = applicationName();
  LoadPolishQtTranslations(*this);
  connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, this,
          &TApplication::DoIdle);
}

TApplication::~TApplication() {
  FreeOwnedForms();
  if (gApplication == this)
    gApplication = nullptr;
}

// Not the toolkit's display name: that one is appended to every window's caption on X11.
void TApplication::SetTitle(const QString &title) { FTitle = title; }

TForm *TApplication::MainForm() const { return FMainForm; }

void TApplication::SetMainForm(TForm *form) { FMainForm = form; }

QString TApplication::ExeName() const { return applicationFilePath(); }

void TApplication::ProcessMessages() { processEvents(QEventLoop::AllEvents); }

int TApplication::Run() {
  FRunning = true;
  FTerminated = false;
  if (FSessionEndPending) {
    FSessionEndPending = false;
    QMetaObject::invokeMethod(this, &TApplication::EndSession, Qt::QueuedConnection);
  }
  const int result = exec();
  FRunning = false;
  FreeOwnedForms();
  FTerminated = false;
  return result;
}

void TApplication::Terminate() {
  if (!FRunning)
    return;
  FTerminated = true;
  exit(0);
}

void TApplication::InsertForm(TForm *form) {
  std::erase_if(FOwnedForms, [](const QPointer<TForm> &owned) { return owned.isNull(); });
  FOwnedForms.emplace_back(form);
}

void TApplication::FreeOwnedForms() {
  while (!FOwnedForms.empty()) {
    QPointer<TForm> form = FOwnedForms.back();
    FOwnedForms.pop_back();
    delete form.data();
  }
}

void TApplication::HandleSessionEnd() {
  if (!FSessionEnd)
    FSessionEnd = new TSessionEnd(this);
}

void TApplication::EndSession() {
  // Before the loop runs (events let through while the windows are built), the end waits for it.
  if (!FRunning) {
    FSessionEndPending = true;
    return;
  }
  if (FMainForm)
    FMainForm->close();
  else
    Terminate();
}

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

void TApplication::AfterDelivery(QEvent *event, std::function<void()> work) {
  FAfterDelivery.emplace_back(event, std::move(work));
}

// The works registered for this event, in the order they came; works of other events stay.
void TApplication::RunAfterDelivery(QEvent *event) {
  if (FAfterDelivery.empty())
    return;
  std::vector<std::function<void()>> due;
  std::erase_if(FAfterDelivery, [&](auto &entry) {
    if (entry.first != event)
      return false;
    due.push_back(std::move(entry.second));
    return true;
  });
  for (auto &work : due)
    Guarded(this, work);
}

bool TApplication::notify(QObject *receiver, QEvent *event) {
  bool result = true;
  try {
    result = QApplication::notify(receiver, event);
  } catch (...) {
    HandleCurrentException(receiver);
  }
  RunAfterDelivery(event);
  return result;
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
