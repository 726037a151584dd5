#include "Application.h"
#include "Exceptions.h"
#include "ScriptedDialogs.h"

#include <QTimer>
#include <gtest/gtest.h>

namespace {

TEST(ApplicationTest, DisplayRuleAddsAFullStopOnlyAfterCharactersAboveIt) {
  const std::vector<std::pair<QString, QString>> cases = {
      {"", ""},
      {"abc", "abc."},
      {"abc.", "abc."},
      {"abc!", "abc!"},
      {"abc)", "abc)"},
      {"code 42", "code 42."},
      {QString::fromUtf8("Błąd otwarcia pliku"), QString::fromUtf8("Błąd otwarcia pliku.")},
      {QString::fromUtf8("zażółć"), QString::fromUtf8("zażółć.")},
  };
  for (const auto &[message, shown] : cases)
    EXPECT_EQ(ExceptionDisplayText(message), shown) << message.toStdString();
}

class HandleExceptionTest : public testing::Test {
protected:
  void SetUp() override {
    Application()->SetTitle(QString::fromUtf8("Menadżer użytkowników MERIDOX"));
    Application()->OnException = nullptr;
  }
  void TearDown() override { Application()->OnException = nullptr; }
  ScriptedDialogs dialogs;
};

TEST_F(HandleExceptionTest, AnUncaughtErrorIsShownWithTheTitleAndTheStopIcon) {
  dialogs.AnswerMessage(mrOk);
  Guarded(nullptr, [] { throw EDatabaseError("connection lost"); });
  ASSERT_EQ(dialogs.Messages().size(), 1u);
  const TMessageRequest &shown = dialogs.Messages()[0];
  EXPECT_EQ(shown.Text, "connection lost.");
  EXPECT_EQ(shown.Caption, QString::fromUtf8("Menadżer użytkowników MERIDOX"));
  EXPECT_EQ(shown.Icon, mtError);
  EXPECT_EQ(shown.Buttons, TMsgDlgButtons({mbOK}));
}

TEST_F(HandleExceptionTest, AbortIsSilentAndOnExceptionReplacesTheDisplay) {
  Guarded(nullptr, [] { Abort(); });
  EXPECT_TRUE(dialogs.Messages().empty());

  QString seen;
  Application()->OnException = [&](QObject *, Exception &e) {
    e.SetMessage("translated");
    Application()->ShowException(e);
    seen = e.Message();
  };
  dialogs.AnswerMessage(mrOk);
  Guarded(nullptr, [] { throw std::runtime_error("plain C++ error"); });
  EXPECT_EQ(seen, "translated");
  ASSERT_EQ(dialogs.Messages().size(), 1u);
  EXPECT_EQ(dialogs.Messages()[0].Text, "translated.");
}

TEST_F(HandleExceptionTest, AnErrorInAnEventHandlerReachesTheApplicationNotQt) {
  dialogs.AnswerMessage(mrOk);
  QTimer::singleShot(0, [] { Guarded(nullptr, [] { throw Exception("from a timer"); }); });
  Application()->ProcessMessages();
  ASSERT_EQ(dialogs.Messages().size(), 1u);
  EXPECT_EQ(dialogs.Messages()[0].Text, "from a timer.");
}

TEST(MessageBoxTest, FlagsChooseButtonsIconAndDefault) {
  const TMessageRequest yesNo = MessageBoxRequest("q", "Uwaga", MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2);
  EXPECT_EQ(yesNo.Buttons, TMsgDlgButtons({mbYes, mbNo}));
  EXPECT_EQ(yesNo.Icon, mtConfirmation);
  EXPECT_EQ(yesNo.DefaultButton, 1);
  const TMessageRequest warning = MessageBoxRequest("w", "Brak uprawnień", MB_OK | MB_ICONWARNING);
  EXPECT_EQ(warning.Buttons, TMsgDlgButtons({mbOK}));
  EXPECT_EQ(warning.Icon, mtWarning);
  EXPECT_EQ(warning.Caption, QString::fromUtf8("Brak uprawnień"));
}

} // namespace
