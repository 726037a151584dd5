#include "ScriptedDialogs.h"

#include <gtest/gtest.h>

ScriptedDialogs::ScriptedDialogs() { SetDialogSeam(this); }

ScriptedDialogs::~ScriptedDialogs() { SetDialogSeam(nullptr); }

void ScriptedDialogs::AnswerMessage(int result) { FMessageAnswers.push_back(result); }

void ScriptedDialogs::AnswerModal(std::function<int(TForm &)> answer) {
  FModalAnswers.push_back(std::move(answer));
}

void ScriptedDialogs::AnswerFile(const QString &fileName) { FFileAnswers.push_back(fileName); }

void ScriptedDialogs::AnswerShell(TShellOutcome outcome) { FShellAnswers.push_back(outcome); }

bool ScriptedDialogs::Exhausted() const {
  return FMessageAnswers.empty() && FModalAnswers.empty() && FFileAnswers.empty() && FShellAnswers.empty();
}

void ScriptedDialogs::Clear() {
  FMessageAnswers.clear();
  FModalAnswers.clear();
  FFileAnswers.clear();
  FShellAnswers.clear();
  FMessages.clear();
  FModalForms.clear();
  FFileDialogs.clear();
  FOpened.clear();
}

int ScriptedDialogs::MessageBox(const TMessageRequest &request) {
  FMessages.push_back(request);
  if (FMessageAnswers.empty()) {
    ADD_FAILURE() << "unexpected message box: " << request.Text.toStdString();
    return mrCancel;
  }
  const int answer = FMessageAnswers.front();
  FMessageAnswers.pop_front();
  return answer;
}

int ScriptedDialogs::ShowModal(TForm &form) {
  FModalForms.push_back(QString::fromLatin1(form.metaObject()->className()));
  if (FModalAnswers.empty()) {
    ADD_FAILURE() << "unexpected modal form: " << form.metaObject()->className();
    return mrCancel;
  }
  auto answer = std::move(FModalAnswers.front());
  FModalAnswers.pop_front();
  const int result = answer(form);
  form.SetModalResult(result);
  return result;
}

bool ScriptedDialogs::FileDialog(TFileDialogRequest &request) {
  FFileDialogs.push_back(request);
  if (FFileAnswers.empty()) {
    ADD_FAILURE() << "unexpected file dialog: " << request.Title.toStdString();
    return false;
  }
  const QString answer = FFileAnswers.front();
  FFileAnswers.pop_front();
  if (answer.isEmpty())
    return false;
  request.FileName = answer;
  request.Files = {answer};
  return true;
}

TShellOutcome ScriptedDialogs::ShellOpen(const QString &target) {
  FOpened.push_back(target);
  if (FShellAnswers.empty())
    return TShellOutcome::Opened;
  const TShellOutcome outcome = FShellAnswers.front();
  FShellAnswers.pop_front();
  return outcome;
}
