#include "CancelWindow.h"
#include "ECanceled.h"
#include "ManualClock.h"
#include "ScriptedDialogs.h"
#include "StdCtrls.h"
#include "YNAllD.h"
#include "cncl.h"

#include "Application.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <chrono>
#include <gtest/gtest.h>
#include <thread>

using namespace std::chrono_literals;

namespace {

const QString kCaption = QStringLiteral("Zapisywanie na dysk...");

class TCountingCancel : public TCancel {
public:
  TCountingCancel(TCancelClock &clock, int &cancels)
      : TCancel(100, kCaption, false, clock), FCancels(cancels) {}

protected:
  void DoCancel() override { ++FCancels; }

private:
  int &FCancels;
};

// The window comes up on the GUI thread at a poll after the helper thread has seen the delay pass.
void PollUntilWindow(TCancel &cancel) {
  const auto giveUp = std::chrono::steady_clock::now() + 10s;
  while (!cancel.Window() && std::chrono::steady_clock::now() < giveUp) {
    cancel.CheckCanceled();
    std::this_thread::yield();
  }
  ASSERT_NE(cancel.Window(), nullptr) << "the cancel window never came up";
}

int CancelWindowsOnScreen() {
  QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  int count = 0;
  for (QWidget *w : QApplication::topLevelWidgets())
    if (qobject_cast<TCancelWindow *>(w) && w->isVisible())
      ++count;
  return count;
}

class RefreshCounter : public QObject {
public:
  int Count = 0;
  bool eventFilter(QObject *, QEvent *event) override {
    if (event->type() == CancelRefreshEvent())
      ++Count;
    return false;
  }
};

} // namespace

TEST(Cancel, WorkShorterThanTheDelayShowsNoWindow) {
  TManualClock clock;
  {
    TCancel cancel(100, kCaption, false, clock);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    for (int record = 1; record <= 99; ++record) {
      cancel.SetText(QStringLiteral("zapisywanie rekordu: %1").arg(record));
      clock.Advance(1ms);
      cancel.CheckCanceled();
    }
    QApplication::processEvents();
    EXPECT_EQ(cancel.Window(), nullptr);
  }
  QApplication::processEvents();
  EXPECT_EQ(CancelWindowsOnScreen(), 0);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST(Cancel, WindowComesUpAfterTheDelayWithTheLatestText) {
  for (const bool progress : {false, true}) {
    SCOPED_TRACE(progress);
    TManualClock clock;
    TCancel cancel(100, kCaption, progress, clock);
    cancel.SetText(QStringLiteral("zapisywanie rekordu: 7"));
    clock.Advance(100ms);
    PollUntilWindow(cancel);
    TCancelWindow *window = cancel.Window();
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->windowTitle(), kCaption);
    EXPECT_EQ(window->Status(), QStringLiteral("zapisywanie rekordu: 7"));
    EXPECT_EQ(window->Anuluj->text(), QStringLiteral("Anuluj"));
    ASSERT_EQ(window->Progress != nullptr, progress);
    if (progress) {
      EXPECT_EQ(window->Progress->minimum(), 0);
      EXPECT_EQ(window->Progress->maximum(), 100);
      EXPECT_EQ(window->Progress->value(), 0);
    }
    EXPECT_TRUE(window->windowFlags() & Qt::WindowStaysOnTopHint);
  }
}

// The console writes "zapisywanie rekordu: " and the record number; a long number wraps onto the
// next line of the status line instead of being cut off on both sides.
TEST(CancelWindow, TheStatusLineWrapsAndShowsTheWholeText) {
  for (const bool progress : {false, true}) {
    SCOPED_TRACE(progress);
    TCancelWindow window(kCaption, QString(), progress);
    window.show();
    const QLabel *line = window.StatusLine;
    EXPECT_TRUE(line->wordWrap());
    EXPECT_GE(line->width(), line->fontMetrics().horizontalAdvance(QStringLiteral("zapisywanie rekordu: 23")))
        << "a short status fits on one line";
    for (const QString &number :
         {QStringLiteral("23"), QStringLiteral("2147483647"), QStringLiteral("18446744073709551615")}) {
      const QString text = QStringLiteral("zapisywanie rekordu: ") + number;
      window.SetStatus(text);
      EXPECT_LE(line->heightForWidth(line->width()), line->height()) << text.toStdString();
      EXPECT_TRUE(window.rect().contains(line->geometry())) << text.toStdString();
    }
    EXPECT_FALSE(line->geometry().intersects(window.Anuluj->geometry()));
  }
}

TEST(Cancel, AnulujOrClosingStopsTheLoopSilently) {
  enum { pressAnuluj, closeWindow };
  for (const int how : {pressAnuluj, closeWindow}) {
    SCOPED_TRACE(how);
    ScriptedDialogs dialogs;
    TManualClock clock;
    int stepsAfterCancel = -1;
    int cancels = 0;
    QString message = QStringLiteral("not raised");
    try {
      TCountingCancel cancel(clock, cancels);
      clock.Advance(100ms);
      PollUntilWindow(cancel);
      ASSERT_FALSE(cancel.Canceled());
      if (how == pressAnuluj)
        cancel.Window()->Anuluj->click();
      else
        cancel.Window()->close();
      EXPECT_EQ(cancel.Window(), nullptr);
      for (stepsAfterCancel = 0; stepsAfterCancel < 10; ++stepsAfterCancel)
        cancel.CheckCanceled();
    } catch (const ECanceled &e) {
      message = e.Message();
    }
    EXPECT_EQ(stepsAfterCancel, 0);
    EXPECT_EQ(cancels, 1);
    EXPECT_EQ(message, QString());
    EXPECT_EQ(CancelWindowsOnScreen(), 0);
    // Reaching the application, the cancel says nothing.
    Guarded(nullptr, [] { throw ECanceled(); });
    EXPECT_TRUE(dialogs.Messages().empty());
  }
}

TEST(Cancel, BurstOfTextsCostsOneRefresh) {
  TManualClock clock;
  TCancel cancel(100, kCaption, false, clock);
  clock.Advance(100ms);
  PollUntilWindow(cancel);
  RefreshCounter counter;
  qApp->installEventFilter(&counter);
  for (int record = 1; record <= 1000; ++record)
    cancel.SetText(QStringLiteral("zapisywanie rekordu: %1").arg(record));
  cancel.CheckCanceled();
  EXPECT_EQ(counter.Count, 1);
  EXPECT_EQ(cancel.Window()->Status(), QStringLiteral("zapisywanie rekordu: 1000"));

  // Texts from another thread arrive as well.
  std::thread worker([&cancel] {
    for (int record = 1001; record <= 2000; ++record)
      cancel.SetText(QStringLiteral("zapisywanie rekordu: %1").arg(record));
  });
  worker.join();
  cancel.CheckCanceled();
  qApp->removeEventFilter(&counter);
  EXPECT_EQ(counter.Count, 2);
  EXPECT_EQ(cancel.Window()->Status(), QStringLiteral("zapisywanie rekordu: 2000"));
}

TEST(Cancel, AskMapsTheAnswerAndBringsTheWindowBack) {
  const struct {
    const char *button;
    bool forAll;
    int answer;
  } cases[] = {
      {"&Tak", false, caYes}, {"&Tak", true, caYesToAll}, {"&Nie", false, caNo}, {"&Nie", true, caNoToAll}};
  for (const auto &c : cases) {
    SCOPED_TRACE(std::string(c.button) + (c.forAll ? " all" : ""));
    ScriptedDialogs dialogs;
    TManualClock clock;
    TCancel cancel(100, kCaption, false, clock);
    clock.Advance(100ms);
    PollUntilWindow(cancel);
    bool hiddenWhileAsking = false;
    dialogs.AnswerModalAs<TYesNoAll>([&](TYesNoAll &form) {
      EXPECT_EQ(form.Caption(), QStringLiteral("Nadpisać?"));
      EXPECT_EQ(form.Komunikat->text(), QStringLiteral("Plik istnieje."));
      hiddenWhileAsking = !cancel.Window()->isVisible();
      form.All->setChecked(c.forAll);
      for (auto *button : form.findChildren<TButton *>())
        if (button->text() == QString::fromUtf8(c.button))
          button->click();
      return form.ModalResult();
    });
    EXPECT_EQ(cancel.Ask(QStringLiteral("Nadpisać?"), QStringLiteral("Plik istnieje.")), c.answer);
    EXPECT_TRUE(hiddenWhileAsking);
    EXPECT_TRUE(cancel.Window()->isVisible());
    EXPECT_FALSE(cancel.Canceled());
  }
}

TEST(Cancel, AskAnsweredAnulujRaisesAndKeepsTheWindowHidden) {
  ScriptedDialogs dialogs;
  TManualClock clock;
  TCancel cancel(100, kCaption, false, clock);
  clock.Advance(100ms);
  PollUntilWindow(cancel);
  dialogs.AnswerModalAs<TYesNoAll>([](TYesNoAll &form) {
    for (auto *button : form.findChildren<TButton *>())
      if (button->text() == QStringLiteral("Anuluj"))
        button->click();
    return form.ModalResult();
  });
  EXPECT_THROW(cancel.Ask(QStringLiteral("Nadpisać?"), QStringLiteral("Plik istnieje.")), ECanceled);
  EXPECT_TRUE(cancel.Canceled());
  EXPECT_FALSE(cancel.Window()->isVisible());
  EXPECT_THROW(cancel.CheckCanceled(), ECanceled);
}

TEST(Cancel, PlainCancellerNeverAsks) {
  ScriptedDialogs dialogs;
  TManualClock clock;
  TCancel cancel(100, kCaption, false, clock);
  EXPECT_EQ(cancel.TCancelLogImp::Ask(QStringLiteral("Nadpisać?"), QString()), caCancel);
  EXPECT_TRUE(dialogs.ModalForms().empty());
}

TEST(Cancel, DestroyingWhileTheWindowIsUpClosesItWithoutCancel) {
  QWidget main;
  main.show();
  main.activateWindow();
  QApplication::processEvents();
  ASSERT_EQ(QApplication::activeWindow(), &main);
  TManualClock clock;
  int cancels = 0;
  auto cancel = std::make_unique<TCountingCancel>(clock, cancels);
  clock.Advance(100ms);
  PollUntilWindow(*cancel);
  QPointer<TCancelWindow> window = cancel->Window();
  QApplication::processEvents();
  EXPECT_EQ(QApplication::activeWindow(), window.data());
  cancel.reset();
  QApplication::processEvents();
  EXPECT_TRUE(window.isNull());
  EXPECT_EQ(cancels, 0);
  EXPECT_EQ(QApplication::activeWindow(), &main); // the program is in front again
  EXPECT_EQ(CancelWindowsOnScreen(), 0);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST(CancelClock, SteadyWaitEndsAtAPassedDeadlineOrASetEvent) {
  TCancelClock &clock = SteadyCancelClock();
  TCancelEvent event;
  EXPECT_FALSE(clock.WaitUntil(event, clock.Now() - 1ms));
  event.Set();
  EXPECT_TRUE(clock.WaitUntil(event, clock.Now() + 1h));
  // The event resets itself on the wait that saw it.
  EXPECT_FALSE(clock.WaitUntil(event, clock.Now() - 1ms));
}
