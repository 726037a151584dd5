#pragma once

#include "Actions.h"

#include <initializer_list>

class QBoxLayout;
class QWidget;

// An action of the owner named and captioned as its form has it; executing it runs the owner's
// handler. Without a handler the action has no execute (an update-only action).
template <class TOwner>
TAction *NewAction(TOwner *owner, const char *name, const char *caption, void (TOwner::*handler)()) {
  auto *action = new TAction(owner, QString::fromLatin1(name), QString::fromUtf8(caption));
  if (handler)
    action->OnExecute = [owner, handler](QObject *) { (owner->*handler)(); };
  return action;
}

// A tool button for each action, its caption shown, added to the row in order.
void AddActionButtons(QBoxLayout *row, QWidget *parent, std::initializer_list<TAction *> actions);
