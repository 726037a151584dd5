#include "UIBParamsFrame.h"

#include "IBXSQLDA.h"
#include "Params.h"
#include "UIBParamPanel.h"

#include <QScrollArea>
#include <QSet>
#include <QVBoxLayout>

TIBParamsFrame::TIBParamsFrame(QWidget *owner) : QWidget(owner) {
  sbxPanels = new QScrollArea(this);
  sbxPanels->setObjectName(QStringLiteral("sbxPanels"));
  sbxPanels->setFrameShape(QFrame::NoFrame);
  sbxPanels->setWidgetResizable(true);
  auto *layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(sbxPanels);
}

void TIBParamsFrame::FreePanels() {
  delete sbxPanels->takeWidget();
  FPanels.clear();
}

namespace {
QVariant QueryValue(const TParam &param) { return param.IsNull() ? QVariant() : param.Value(); }
} // namespace

void TIBParamsFrame::BuildPanels() {
  FreePanels();
  auto *content = new QWidget;
  auto *stack = new QVBoxLayout(content);
  stack->setContentsMargins(0, 0, 0, 0);
  stack->setSpacing(0);
  QSet<QString> handled;
  int width = 0, height = 0;
  for (int i = 0; FSQLParams && i < FSQLParams->Count(); ++i) {
    TIBXSQLVAR &descriptor = FSQLParams->Vars(i);
    // Every descriptor starts from the query's value, so that one without a panel keeps it.
    if (FParams && i < FParams->Count())
      descriptor.SetValue(QueryValue(*FParams->Items(i)));
    if (handled.contains(descriptor.Name()))
      continue;
    handled.insert(descriptor.Name());
    TIBParamPanel *panel = CreateParamPanel(descriptor.SQLType(), content);
    if (!panel)
      continue;
    FPanels.push_back(panel);
    stack->addWidget(panel);
    if (FParams && i < FParams->Count())
      panel->SetDescription(FParams->Items(i)->Name());
    panel->SetTransaction(FTransaction);
    panel->SetParam(&descriptor);
    width = std::max(width, panel->width());
    height += panel->height();
  }
  stack->addStretch();
  sbxPanels->setWidget(content);
  content->setMinimumSize(width, height);
  setMinimumSize(width, height);
  resize(width, height);
}

void TIBParamsFrame::WriteValues() {
  for (TIBParamPanel *panel : FPanels)
    panel->WriteValue();
  if (!FParams)
    return;
  for (int i = 0; i < FSQLParams->Count() && i < FParams->Count(); ++i) {
    const TIBXSQLVAR &descriptor = FSQLParams->Vars(i);
    if (descriptor.IsNull())
      FParams->Items(i)->Clear();
    else
      FParams->Items(i)->SetValue(descriptor.Value());
  }
}
