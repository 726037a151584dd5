#include "MxExControls.h"

#include <QVariant>
#include <QWidget>

namespace {
constexpr const char *AutoSizeProperty = "AutoSize";
}

void SetControlAutoSize(QWidget *control, bool value) {
  if (auto *extended = dynamic_cast<IMxExControl *>(control))
    extended->SetAutoSize(value);
  else
    DefaultSetAutoSize(control, value);
}

bool ControlAutoSize(const QWidget *control) {
  if (auto *extended = dynamic_cast<const IMxExControl *>(control))
    return extended->AutoSize();
  return DefaultAutoSize(control);
}

void DefaultSetAutoSize(QWidget *control, bool value) {
  if (value == DefaultAutoSize(control))
    return;
  control->setProperty(AutoSizeProperty, value);
  if (value)
    control->adjustSize();
}

bool DefaultAutoSize(const QWidget *control) { return control->property(AutoSizeProperty).toBool(); }
