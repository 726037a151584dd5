#pragma once

#include "ComCtrls.h"
#include "MxExControls.h"

#include <QMetaObject>

class QHelpEvent;

// What a hint about to be shown carries; HintShow may change it.
struct THintInfo {
  QString HintStr;
  TColor HintColor = clInfoBk;
  QPoint HintPos;
};

// The extension layer of the tree view: the widget's change notifications become overridable
// operations, with a hint colour, a mouse-over state, a focus frame and the AutoSize rule.
class TMxExTreeView : public TTreeView, public IMxExControl {
  Q_OBJECT
public:
  explicit TMxExTreeView(QWidget *parent = nullptr);
  ~TMxExTreeView() override;

  bool DotNetHighlighting() const { return FDotNetHighlighting; }
  void SetDotNetHighlighting(bool value);
  TColor HintColor() const { return FHintColor; }
  void SetHintColor(TColor value) { FHintColor = value; }
  bool MouseOver() const { return FMouseOver; }

  bool AutoSize() const override;
  // Default: the framework's behaviour; the family overrides it to react.
  void SetAutoSize(bool value) override;

  // The colour a hint of this control is shown in: clDefault asks the parent, clNone takes the
  // application's hint colour, any other value is used as it is.
  TColor ResolveHintColor() const;

  std::function<void(QObject *sender)> OnMouseEnter;
  std::function<void(QObject *sender)> OnMouseLeave;
  std::function<void(QObject *sender)> OnParentColorChange;

protected:
  virtual void VisibleChanged() {}
  virtual void EnabledChanged() {}
  virtual void TextChanged() {}
  virtual void FontChanged() {}
  virtual void ColorChanged() {}
  virtual void ParentFontChanged() {}
  // Fires OnParentColorChange.
  virtual void ParentColorChanged();
  virtual void ShowHintChanged() {}
  virtual void ShowingChanged() {}
  virtual void CursorChanged() {}
  // The focused control of the window changed to `focused` (nullptr: none).
  virtual void FocusChanged(QWidget *focused) { Q_UNUSED(focused); }
  // Sets the hint colour (ResolveHintColor) before the hint shows.
  virtual void HintShow(THintInfo &info);
  // Set and clear the mouse-over flag and fire OnMouseEnter / OnMouseLeave.
  virtual void MouseEnter();
  virtual void MouseLeave();
  // A child control was inserted into or removed from the tree.
  virtual void ControlsListChanged(QWidget *control, bool inserting);
  virtual void DoSetFocus() {}
  virtual void DoKillFocus() {}
  // Paints the client background before the nodes; default: the base colour.
  virtual void EraseBackground(TCanvas &canvas);

  bool event(QEvent *event) override;
  void changeEvent(QEvent *event) override;
  void enterEvent(QEnterEvent *event) override;
  void leaveEvent(QEvent *event) override;
  void focusInEvent(QFocusEvent *event) override;
  void focusOutEvent(QFocusEvent *event) override;
  bool viewportEvent(QEvent *event) override;

private:
  // The notifications that follow the widget's own handling of an event.
  void Notify(QEvent *event);
  void ShowHint(const QHelpEvent &event);
  void PaintFocusFrame();

  bool FDotNetHighlighting = false;
  TColor FHintColor = clDefault;
  bool FMouseOver = false;
  QMetaObject::Connection FFocusConnection;
};
