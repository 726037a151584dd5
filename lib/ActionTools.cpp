#include "ActionTools.h"

#include <QBoxLayout>
#include <QToolButton>

void AddActionButtons(QBoxLayout *row, QWidget *parent, std::initializer_list<TAction *> actions) {
  for (TAction *action : actions) {
    auto *button = new QToolButton(parent);
    button->setObjectName(action->objectName() + QStringLiteral("Button"));
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    button->setDefaultAction(action);
    row->addWidget(button);
  }
}
