#pragma once

#include <QAction>
#include <functional>

class QAbstractButton;

// An action: caption, hint, enabled and visible state shared by the controls linked to it, an
// execute handler and an update handler that the application runs whenever it falls idle.
class TAction : public QAction {
  Q_OBJECT
public:
  explicit TAction(QObject *owner, const QString &name = QString(), const QString &caption = QString());
  ~TAction() override;

  QString Caption() const { return text(); }
  void SetCaption(const QString &caption) { setText(caption); }
  QString Hint() const { return statusTip(); }
  void SetHint(const QString &hint);
  bool Enabled() const { return isEnabled(); }
  void SetEnabled(bool value) { setEnabled(value); }
  bool Visible() const { return isVisible(); }
  void SetVisible(bool value) { setVisible(value); }
  bool Checked() const { return isChecked(); }
  void SetChecked(bool value) { setChecked(value); }

  std::function<void(QObject *sender)> OnExecute;
  std::function<void(QObject *sender)> OnUpdate;

  // Updates the action, then runs its handler when it is enabled; says whether the handler ran.
  // Exceptions of the handler go to the caller.
  bool Execute();
  // Runs the update handler; says whether there was one.
  bool Update();
};

// Links a button to an action: the button shows the action's caption, hint, enabled and visible
// state, and a click executes the action (errors go to the application object).
void LinkAction(QAbstractButton *button, TAction *action);
