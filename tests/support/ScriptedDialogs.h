#pragma once

#include "Dialogs.h"
#include "Forms.h"

#include <deque>
#include <functional>
#include <stdexcept>
#include <vector>

// The dialog seam of the tests: every message box and modal form is answered from a script and
// recorded. A call that the script does not expect fails the test and answers Cancel, so nothing
// ever waits for a person.
class ScriptedDialogs : public TDialogSeam {
public:
  ScriptedDialogs();
  ~ScriptedDialogs() override;

  // The next message box is answered with this result.
  void AnswerMessage(int result);
  // The next modal form is handed to the function, which fills it in and returns its modal result.
  void AnswerModal(std::function<int(TForm &)> answer);
  // Typed form of AnswerModal; the form must be of that class.
  template <class Form> void AnswerModalAs(std::function<int(Form &)> answer) {
    AnswerModal([answer](TForm &form) {
      auto *typed = dynamic_cast<Form *>(&form);
      if (!typed)
        throw std::logic_error("modal form of another class");
      return answer(*typed);
    });
  }
  // The next file dialog chooses this file (an empty name: the person cancels).
  void AnswerFile(const QString &fileName);
  // The next shell open ends so; without a scripted outcome a shell open succeeds.
  void AnswerShell(TShellOutcome outcome);

  const std::vector<TMessageRequest> &Messages() const { return FMessages; }
  const std::vector<QString> &ModalForms() const { return FModalForms; }
  const std::vector<TFileDialogRequest> &FileDialogs() const { return FFileDialogs; }
  const std::vector<QString> &Opened() const { return FOpened; }
  // Whether every scripted answer was used.
  bool Exhausted() const;
  void Clear();

  int MessageBox(const TMessageRequest &request) override;
  int ShowModal(TForm &form) override;
  bool FileDialog(TFileDialogRequest &request) override;
  TShellOutcome ShellOpen(const QString &target) override;

private:
  std::deque<int> FMessageAnswers;
  std::deque<std::function<int(TForm &)>> FModalAnswers;
  std::deque<QString> FFileAnswers;
  std::deque<TShellOutcome> FShellAnswers;
  std::vector<TMessageRequest> FMessages;
  std::vector<QString> FModalForms;
  std::vector<TFileDialogRequest> FFileDialogs;
  std::vector<QString> FOpened;
};
