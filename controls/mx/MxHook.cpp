#include "MxHook.h"

#include "Application.h"

#include <QCoreApplication>
#include <algorithm>

namespace {

// Asks the hook list to free a control hook once the event in progress has returned.
class TFreeHookEvent : public QEvent {
public:
  explicit TFreeHookEvent(TControlHook *hook) : QEvent(Type()), Hook(hook) {}
  static QEvent::Type Type() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
  }
  TControlHook *Hook;
};

} // namespace

// TMxWindowHook

TMxWindowHook::TMxWindowHook(QObject *owner) : QObject(owner) {}

TMxWindowHook::~TMxWindowHook() {
  SetActive(false);
  SetWinControl(nullptr);
}

void TMxWindowHook::SetActive(bool value) {
  if (value) {
    if (FControl && !FControlHook)
      THookList::Instance().GetControlHook(FControl)->HookObject(this);
  } else {
    Detach();
  }
  FActive = value;
}

QWidget *TMxWindowHook::WinControl() const {
  return FControlHook ? FControlHook->Control() : FControl.data();
}

void TMxWindowHook::SetWinControl(QWidget *value) {
  if (value == FControl)
    return;
  const bool wasActive = FActive;
  Detach();
  FControl = value;
  if (wasActive)
    SetActive(true);
}

void TMxWindowHook::Detach() {
  if (FControlHook)
    FControlHook->UnhookObject(this);
}

// TControlHook

TControlHook::TControlHook(QWidget *control) : FControl(control) {
  connect(control, &QObject::destroyed, this, &TControlHook::ControlDestroyed);
}

TControlHook::~TControlHook() {
  FDestroying = true;
  for (const auto &hook : std::vector(FHooks))
    if (hook)
      UnhookObject(hook);
  Uninstall();
}

void TControlHook::HookObject(TMxWindowHook *hook) {
  if (std::find(FHooks.begin(), FHooks.end(), hook) == FHooks.end())
    FHooks.emplace_back(hook);
  hook->FControlHook = this;
  hook->FControl = FControl;
  Install();
}

void TControlHook::UnhookObject(TMxWindowHook *hook) {
  hook->FControlHook = nullptr;
  std::erase_if(FHooks, [hook](const auto &p) { return p == hook || !p; });
  if (FHooks.empty()) {
    Uninstall();
    if (!FDestroying)
      THookList::Instance().PostFree(this);
  }
}

void TControlHook::Install() {
  if (FInstalled || !FControl || FDestroying)
    return;
  FControl->installEventFilter(this);
  FInstalled = true;
}

void TControlHook::Uninstall() {
  if (FInstalled && FControl)
    FControl->removeEventFilter(this);
  FInstalled = false;
}

void TControlHook::ControlDestroyed() {
  // The control is gone: its hooks are left without one, as when they are set to nil.
  FInstalled = false;
  for (const auto &hook : std::vector(FHooks))
    if (hook) {
      hook->FControlHook = nullptr;
      hook->FControl = nullptr;
    }
  FHooks.clear();
  if (!FDestroying)
    THookList::Instance().PostFree(this);
}

bool TControlHook::AnyAfterMessage() const {
  return std::any_of(FHooks.begin(), FHooks.end(),
                     [](const auto &hook) { return hook && hook->AfterMessage; });
}

void TControlHook::Pass(QEvent &event, bool &handled, bool before) {
  const std::vector<QPointer<TMxWindowHook>> hooks(FHooks.rbegin(), FHooks.rend());
  for (const auto &hook : hooks) {
    if (!hook || FDestroying || !FControl)
      return;
    const THookMessageEvent &handler = before ? hook->BeforeMessage : hook->AfterMessage;
    if (!handler)
      continue;
    try {
      handler(hook, event, handled);
    } catch (...) {
      HandleCurrentException(hook);
    }
    if (handled)
      return;
  }
}

bool TControlHook::eventFilter(QObject *watched, QEvent *event) {
  if (watched != FControl || FDestroying || FHooks.empty())
    return false;
  const QPointer<TControlHook> self(this);
  bool handled = false;
  Pass(*event, handled, true);
  // A control asked to go away always goes, whatever a hook says.
  if (handled && event->type() != QEvent::DeferredDelete)
    return true;
  if (!self || !FControl || !AnyAfterMessage() || !Application())
    return false;
  // The after-pass sees the control's own handling: it runs once the event has gone through the
  // filters installed before this one and the control itself.
  Application()->AfterDelivery(event, [self, event] {
    if (!self || self->FDestroying || !self->FControl)
      return;
    bool afterHandled = false;
    self->Pass(*event, afterHandled, false);
  });
  return false;
}

// THookList

namespace {
THookList *gHookList = nullptr;
}

THookList &THookList::Instance() {
  if (!gHookList) {
    gHookList = new THookList;
    // Freed with the application object, so that no filter outlives the event loop.
    if (QCoreApplication *app = QCoreApplication::instance())
      connect(app, &QObject::destroyed, [] {
        delete gHookList;
        gHookList = nullptr;
      });
  }
  return *gHookList;
}

THookList::~THookList() { FHooks.clear(); }

TControlHook *THookList::Find(QWidget *control) const {
  for (const auto &hook : FHooks)
    if (hook->Control() == control)
      return hook.get();
  return nullptr;
}

TControlHook *THookList::GetControlHook(QWidget *control) {
  if (TControlHook *found = Find(control))
    return found;
  FHooks.push_back(std::make_unique<TControlHook>(control));
  return FHooks.back().get();
}

void THookList::PostFree(TControlHook *hook) { QCoreApplication::postEvent(this, new TFreeHookEvent(hook)); }

void THookList::customEvent(QEvent *event) {
  if (event->type() != TFreeHookEvent::Type())
    return;
  TControlHook *hook = static_cast<TFreeHookEvent *>(event)->Hook;
  const auto it =
      std::find_if(FHooks.begin(), FHooks.end(), [hook](const auto &p) { return p.get() == hook; });
  if (it != FHooks.end() && !(*it)->HasHooks())
    FHooks.erase(it);
}
