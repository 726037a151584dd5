#include "Actions.h"
#include "Application.h"
#include "Exceptions.h"
#include "Forms.h"
#include "ScriptedDialogs.h"
#include "StdCtrls.h"

#include <gtest/gtest.h>

namespace {

// Two actions as a window wires them: one update-only action enabling the other on idle.
struct Window {
  TForm form;
  TAction *updateA = new TAction(&form, "UpdateFormA", "Okno");
  TAction *workA = new TAction(&form, "WorkA", "Praca");
  bool connected = false;
  int runs = 0;

  Window() {
    form.SetAction(updateA);
    updateA->OnUpdate = [this](QObject *) { workA->SetEnabled(connected); };
    workA->OnExecute = [this](QObject *) { ++runs; };
  }
};

TEST(ActionsTest, IdleUpdateEnablesAndExecuteRunsOnlyWhenEnabled) {
  Window w;
  EXPECT_EQ(w.form.Caption(), "Okno");
  Application()->DoIdle();
  EXPECT_FALSE(w.workA->Enabled());
  EXPECT_FALSE(w.workA->Execute());
  EXPECT_EQ(w.runs, 0);

  w.connected = true;
  EXPECT_FALSE(w.workA->Execute()) << "the state stays until the next idle update";
  Application()->DoIdle();
  EXPECT_TRUE(w.workA->Execute());
  EXPECT_EQ(w.runs, 1);
}

TEST(ActionsTest, ExecuteRunsTheActionsOwnUpdateFirst) {
  TForm form;
  TAction action(&form, "A", "a");
  bool allowed = false;
  int runs = 0;
  action.OnUpdate = [&](QObject *) { action.SetEnabled(allowed); };
  action.OnExecute = [&](QObject *) { ++runs; };
  EXPECT_FALSE(action.Execute());
  allowed = true;
  EXPECT_TRUE(action.Execute());
  EXPECT_EQ(runs, 1);
}

TEST(ActionsTest, LinkedButtonFollowsTheActionButKeepsItsOwnHiding) {
  Window w;
  TButton button(&w.form);
  button.SetAction(w.workA);
  EXPECT_EQ(button.text(), "Praca");
  button.hide();
  Application()->DoIdle();
  EXPECT_FALSE(button.isEnabled());
  EXPECT_TRUE(button.isHidden()) << "a button hidden by hand is not shown again by an update";
  w.connected = true;
  Application()->DoIdle();
  EXPECT_TRUE(button.isEnabled());
  button.click();
  EXPECT_EQ(w.runs, 1);
}

TEST(ActionsTest, ErrorOfAClickedActionGoesToTheApplication) {
  ScriptedDialogs dialogs;
  TForm form;
  TAction action(&form, "A", "a");
  action.OnExecute = [](QObject *) { throw Exception("refused"); };
  TButton button(&form);
  button.SetAction(&action);
  dialogs.AnswerMessage(mrOk);
  button.click();
  ASSERT_EQ(dialogs.Messages().size(), 1u);
  EXPECT_EQ(dialogs.Messages()[0].Text, "refused.");
}

TEST(FormsTest, ModalResultOfAButtonEndsAScriptedModalShow) {
  ScriptedDialogs dialogs;
  TForm form;
  TButton ok(&form, "OK");
  ok.SetModalResult(mrOk);
  dialogs.AnswerModal([&](TForm &shown) {
    EXPECT_EQ(&shown, &form);
    ok.click();
    return shown.ModalResult();
  });
  EXPECT_EQ(form.ShowModal(), mrOk);
  EXPECT_TRUE(dialogs.Exhausted());
}

} // namespace
