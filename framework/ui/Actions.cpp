#include "Actions.h"

#include "Application.h"

#include <QAbstractButton>
#include <memory>

TAction::TAction(QObject *owner, const QString &name, const QString &caption) : QAction(owner) {
  setObjectName(name);
  setText(caption);
  if (Application())
    Application()->RegisterAction(this);
  connect(this, &QAction::triggered, this, [this] { Guarded(this, [this] { Execute(); }); });
}

TAction::~TAction() {
  if (Application())
    Application()->UnregisterAction(this);
}

void TAction::SetHint(const QString &hint) {
  setStatusTip(hint);
  setToolTip(hint);
}

bool TAction::Update() {
  if (!OnUpdate)
    return false;
  OnUpdate(this);
  return true;
}

bool TAction::Execute() {
  Update();
  if (!isEnabled() || !OnExecute)
    return false;
  OnExecute(this);
  return true;
}

void LinkAction(QAbstractButton *button, TAction *action) {
  // Like the class library's action links, a property is pushed to the button only when the
  // action's own value changes, so a button hidden or disabled by hand stays so.
  struct Pushed {
    bool Enabled;
    bool Visible;
  };
  auto pushed = std::make_shared<Pushed>(Pushed{action->isEnabled(), action->isVisible()});
  button->setText(action->text());
  button->setToolTip(action->toolTip());
  button->setStatusTip(action->statusTip());
  button->setEnabled(pushed->Enabled);
  if (!pushed->Visible)
    button->setVisible(false);
  QObject::connect(action, &QAction::changed, button, [button, action, pushed] {
    button->setText(action->text());
    button->setToolTip(action->toolTip());
    button->setStatusTip(action->statusTip());
    if (pushed->Enabled != action->isEnabled())
      button->setEnabled(pushed->Enabled = action->isEnabled());
    if (pushed->Visible != action->isVisible())
      button->setVisible(pushed->Visible = action->isVisible());
  });
  QObject::connect(button, &QAbstractButton::clicked, action,
                   [action] { Guarded(action, [action] { action->Execute(); }); });
}
