#include "RadioGroup.h"

#include "Application.h"

#include <QGridLayout>
#include <QRadioButton>
#include <algorithm>

namespace {
constexpr int MaxColumns = 16;
} // namespace

TRadioGroup::TRadioGroup(QWidget *parent, const QString &caption)
    : QGroupBox(caption, parent), FLayout(new QGridLayout(this)) {}

void TRadioGroup::SetItems(const QStringList &items) {
  for (QRadioButton *button : FButtons)
    delete button;
  FButtons.clear();
  FItems = items;
  for (int i = 0; i < FItems.size(); ++i) {
    auto *button = new QRadioButton(FItems[i], this);
    connect(button, &QRadioButton::clicked, this, [this, i] { ButtonClicked(i); });
    FButtons.push_back(button);
  }
  if (FItemIndex >= FItems.size())
    FItemIndex = -1;
  ArrangeButtons();
  ShowItemIndex();
}

void TRadioGroup::SetItemIndex(int value) {
  value = std::clamp(value, -1, static_cast<int>(FItems.size()) - 1);
  if (value == FItemIndex)
    return;
  FItemIndex = value;
  ShowItemIndex();
  if (OnClick)
    OnClick(this);
}

void TRadioGroup::SetColumns(int value) {
  value = std::clamp(value, 1, MaxColumns);
  if (value == FColumns)
    return;
  FColumns = value;
  ArrangeButtons();
}

void TRadioGroup::ArrangeButtons() {
  for (QRadioButton *button : FButtons)
    FLayout->removeWidget(button);
  // Column by column, each as tall as the count needs.
  const int perColumn = std::max(1, (static_cast<int>(FButtons.size()) + FColumns - 1) / FColumns);
  for (int i = 0; i < static_cast<int>(FButtons.size()); ++i)
    FLayout->addWidget(FButtons[static_cast<size_t>(i)], i % perColumn, i / perColumn);
}

void TRadioGroup::ShowItemIndex() {
  for (int i = 0; i < static_cast<int>(FButtons.size()); ++i) {
    QRadioButton *button = FButtons[static_cast<size_t>(i)];
    if (i == FItemIndex) {
      button->setChecked(true);
    } else if (button->isChecked()) {
      // An exclusive button cannot be cleared on its own, and -1 leaves none set.
      button->setAutoExclusive(false);
      button->setChecked(false);
      button->setAutoExclusive(true);
    }
  }
}

void TRadioGroup::ButtonClicked(int index) {
  if (index == FItemIndex)
    return;
  FItemIndex = index;
  Guarded(this, [this] {
    if (OnClick)
      OnClick(this);
  });
}
