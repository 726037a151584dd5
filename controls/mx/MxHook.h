#pragma once

#include <QEvent>
#include <QObject>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

class TControlHook;

// Sees one event of the hooked control; setting Handled keeps it from the control.
using THookMessageEvent = std::function<void(QObject *Sender, QEvent &Msg, bool &Handled)>;

// Watches and intercepts the events of any widget without deriving from it. BeforeMessage sees an
// event before the control (and may consume it), AfterMessage after the control handled it.
class TMxWindowHook : public QObject {
public:
  explicit TMxWindowHook(QObject *owner = nullptr);
  ~TMxWindowHook() override;

  bool Active() const { return FActive; }
  void SetActive(bool value);
  QWidget *WinControl() const;
  void SetWinControl(QWidget *value);
  void HookControl() { SetActive(true); }
  void UnhookControl() { SetActive(false); }

  THookMessageEvent BeforeMessage;
  THookMessageEvent AfterMessage;

private:
  friend class TControlHook;
  void Detach();

  bool FActive = true;
  QPointer<QWidget> FControl;
  TControlHook *FControlHook = nullptr;
};

// The one event filter of a hooked control; it calls the attached hooks, the last attached first.
class TControlHook : public QObject {
public:
  explicit TControlHook(QWidget *control);
  ~TControlHook() override;

  QWidget *Control() const { return FControl; }
  bool HasHooks() const { return !FHooks.empty(); }
  void HookObject(TMxWindowHook *hook);
  void UnhookObject(TMxWindowHook *hook);

protected:
  bool eventFilter(QObject *watched, QEvent *event) override;

private:
  // Calls BeforeMessage (before = true) or AfterMessage of each hook until one sets Handled.
  void Pass(QEvent &event, bool &handled, bool before);
  bool AnyAfterMessage() const;
  void Install();
  void Uninstall();
  void ControlDestroyed();

  QPointer<QWidget> FControl;
  std::vector<QPointer<TMxWindowHook>> FHooks;
  bool FInstalled = false;
  bool FDestroying = false;
};

// Every control hook of the process. A control hook left without hooks is freed after the event
// in progress has returned, never from inside its own filter.
class THookList : public QObject {
public:
  static THookList &Instance();
  ~THookList() override;

  TControlHook *Find(QWidget *control) const;
  TControlHook *GetControlHook(QWidget *control);
  int Count() const { return int(FHooks.size()); }
  // Frees the control hook later, when it still has no hooks by then.
  void PostFree(TControlHook *hook);

protected:
  void customEvent(QEvent *event) override;

private:
  THookList() = default;
  std::vector<std::unique_ptr<TControlHook>> FHooks;
};
