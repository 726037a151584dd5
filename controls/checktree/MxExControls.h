#pragma once

class QWidget;

// The extension interface: a control that implements it answers an AutoSize change itself.
class IMxExControl {
public:
  virtual ~IMxExControl() = default;
  virtual bool AutoSize() const = 0;
  virtual void SetAutoSize(bool value) = 0;
};

// The program's AutoSize rule: a control of the extended family receives the change through its
// own SetAutoSize; any other control gets the framework's behaviour (DefaultSetAutoSize).
void SetControlAutoSize(QWidget *control, bool value);
bool ControlAutoSize(const QWidget *control);

// The framework's behaviour: a changed value is stored, and when it becomes true the control
// takes the size it asks for.
void DefaultSetAutoSize(QWidget *control, bool value);
bool DefaultAutoSize(const QWidget *control);
