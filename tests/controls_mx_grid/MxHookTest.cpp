#include "MxHook.h"
#include "Application.h"
#include "Exceptions.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <gtest/gtest.h>
#include <memory>

namespace {

void TypeKey(QWidget *target, Qt::Key key, const QString &text) {
  QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
  QCoreApplication::sendEvent(target, &press);
}

// Records which hook saw a key press, and what the edit held when the hook saw it.
struct KeyLog {
  std::vector<QString> Entries;
  THookMessageEvent Recorder(const QString &name, QLineEdit *edit, bool handle = false) {
    return [this, name, edit, handle](QObject *, QEvent &event, bool &handled) {
      if (event.type() != QEvent::KeyPress)
        return;
      Entries.push_back(name + ":" + edit->text());
      if (handle)
        handled = true;
    };
  }
};

class MxHookTest : public testing::Test {
protected:
  // Frees the control hooks that earlier tests left behind, so that counts start clean.
  void SetUp() override { QCoreApplication::sendPostedEvents(); }
  void TearDown() override { Application()->OnException = nullptr; }
  std::unique_ptr<QLineEdit> edit = std::make_unique<QLineEdit>();
  KeyLog log;
};

TEST_F(MxHookTest, AHookConsumesAKeyBeforeTheControl) {
  TMxWindowHook hook;
  hook.BeforeMessage = log.Recorder("before", edit.get(), true);
  hook.SetWinControl(edit.get());

  TypeKey(edit.get(), Qt::Key_A, "a");

  EXPECT_EQ(edit->text(), "");
  EXPECT_EQ(log.Entries, std::vector<QString>{"before:"});
}

TEST_F(MxHookTest, AfterMessageSeesTheControlsOwnHandling) {
  TMxWindowHook hook;
  hook.BeforeMessage = log.Recorder("before", edit.get());
  hook.AfterMessage = log.Recorder("after", edit.get());
  hook.SetWinControl(edit.get());

  TypeKey(edit.get(), Qt::Key_A, "a");

  EXPECT_EQ(edit->text(), "a");
  EXPECT_EQ(log.Entries, (std::vector<QString>{"before:", "after:a"}));
}

// A filter that was there before the hook is part of what the hook wraps: it sees the event after
// the before-pass and before the after-pass, as the control itself does.
TEST_F(MxHookTest, AFilterInstalledBeforeTheHookStillSeesEveryEvent) {
  struct Recorder : QObject {
    KeyLog *Log;
    QLineEdit *Edit;
    bool eventFilter(QObject *, QEvent *event) override {
      if (event->type() == QEvent::KeyPress)
        Log->Entries.push_back("filter:" + Edit->text());
      return false;
    }
  } filter;
  filter.Log = &log;
  filter.Edit = edit.get();
  edit->installEventFilter(&filter);
  TMxWindowHook hook;
  hook.BeforeMessage = log.Recorder("before", edit.get());
  hook.AfterMessage = log.Recorder("after", edit.get());
  hook.SetWinControl(edit.get());

  TypeKey(edit.get(), Qt::Key_A, "a");
  TypeKey(edit.get(), Qt::Key_B, "b");

  EXPECT_EQ(edit->text(), "ab");
  EXPECT_EQ(log.Entries,
            (std::vector<QString>{"before:", "filter:", "after:a", "before:a", "filter:a", "after:ab"}));
}

TEST_F(MxHookTest, TheHookAttachedLastSeesFirstAndStopsTheOthersWhenItHandles) {
  TMxWindowHook first, second;
  first.BeforeMessage = log.Recorder("first", edit.get());
  first.AfterMessage = log.Recorder("first-after", edit.get());
  second.BeforeMessage = log.Recorder("second", edit.get(), true);
  first.SetWinControl(edit.get());
  second.SetWinControl(edit.get());

  TypeKey(edit.get(), Qt::Key_A, "a");

  EXPECT_EQ(log.Entries, std::vector<QString>{"second:"});
  EXPECT_EQ(edit->text(), "");
}

TEST_F(MxHookTest, HooksDetachInAnyOrderAndTheControlIsLeftClean) {
  TMxWindowHook first, second;
  first.BeforeMessage = log.Recorder("first", edit.get());
  second.BeforeMessage = log.Recorder("second", edit.get());
  first.SetWinControl(edit.get());
  second.SetWinControl(edit.get());
  const int hooked = THookList::Instance().Count();

  first.SetActive(false);
  TypeKey(edit.get(), Qt::Key_A, "a");
  EXPECT_EQ(log.Entries, std::vector<QString>{"second:"});

  second.SetWinControl(nullptr);
  QCoreApplication::sendPostedEvents();
  EXPECT_EQ(THookList::Instance().Count(), hooked - 1);
  TypeKey(edit.get(), Qt::Key_B, "b");
  EXPECT_EQ(log.Entries.size(), 1u);
  EXPECT_EQ(edit->text(), "ab");

  first.SetActive(true);
  TypeKey(edit.get(), Qt::Key_C, "c");
  EXPECT_EQ(log.Entries.back(), "first:ab");
  EXPECT_TRUE(first.Active());
}

TEST_F(MxHookTest, AControlDestroyedWhileHookedLeavesNoDanglingHook) {
  TMxWindowHook hook;
  hook.BeforeMessage = log.Recorder("hook", edit.get());
  hook.SetWinControl(edit.get());
  const int hooked = THookList::Instance().Count();

  edit.reset();
  QCoreApplication::sendPostedEvents();

  EXPECT_EQ(hook.WinControl(), nullptr);
  EXPECT_EQ(THookList::Instance().Count(), hooked - 1);
  QLineEdit other;
  hook.BeforeMessage = log.Recorder("other", &other);
  hook.SetWinControl(&other);
  TypeKey(&other, Qt::Key_A, "a");
  EXPECT_EQ(log.Entries, std::vector<QString>{"other:"});
}

TEST_F(MxHookTest, AnErrorInOneHookGoesToTheApplicationAndThePassGoesOn) {
  std::vector<QString> errors;
  Application()->OnException = [&](QObject *, Exception &e) { errors.push_back(e.Message()); };
  TMxWindowHook first, second;
  first.BeforeMessage = log.Recorder("first", edit.get());
  second.BeforeMessage = [](QObject *, QEvent &event, bool &) {
    if (event.type() == QEvent::KeyPress)
      throw EConvertError("bad key");
  };
  first.SetWinControl(edit.get());
  second.SetWinControl(edit.get());

  TypeKey(edit.get(), Qt::Key_A, "a");

  EXPECT_EQ(errors, std::vector<QString>{"bad key"});
  EXPECT_EQ(log.Entries, std::vector<QString>{"first:"});
  EXPECT_EQ(edit->text(), "a");
}

TEST_F(MxHookTest, AHookCannotKeepAControlFromBeingDeleted) {
  TMxWindowHook hook;
  hook.BeforeMessage = [](QObject *, QEvent &, bool &handled) { handled = true; };
  hook.SetWinControl(edit.get());
  QPointer<QLineEdit> watched = edit.release();
  watched->deleteLater();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(watched.isNull());
  EXPECT_EQ(hook.WinControl(), nullptr);
}

TEST_F(MxHookTest, ANewNativeWindowKeepsTheHook) {
  TMxWindowHook hook;
  hook.BeforeMessage = log.Recorder("hook", edit.get(), true);
  hook.SetWinControl(edit.get());
  edit->show();
  edit->setWindowFlags(Qt::Tool);
  edit->show();
  TypeKey(edit.get(), Qt::Key_A, "a");
  EXPECT_EQ(log.Entries, std::vector<QString>{"hook:"});
}

TEST_F(MxHookTest, AnInactiveHookRemembersItsControlAndAttachesWhenSwitchedOn) {
  TMxWindowHook hook;
  hook.SetActive(false);
  hook.BeforeMessage = log.Recorder("hook", edit.get(), true);
  hook.SetWinControl(edit.get());
  TypeKey(edit.get(), Qt::Key_A, "a");
  EXPECT_EQ(hook.WinControl(), edit.get());
  EXPECT_TRUE(log.Entries.empty());

  hook.SetActive(true);
  TypeKey(edit.get(), Qt::Key_B, "b");
  EXPECT_EQ(edit->text(), "a");
  EXPECT_EQ(log.Entries.size(), 1u);
}

} // namespace
