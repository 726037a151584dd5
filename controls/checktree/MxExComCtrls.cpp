#include "MxExComCtrls.h"

#include "Application.h"

#include <QApplication>
#include <QHelpEvent>
#include <QPainter>
#include <QToolTip>

namespace {
constexpr TColor FocusFrameColor = 0x733800;
constexpr TColor IdleFrameColor = 0x808080;
} // namespace

TMxExTreeView::TMxExTreeView(QWidget *parent) : TTreeView(parent) {
  viewport()->setAutoFillBackground(false);
  FFocusConnection = connect(qApp, &QApplication::focusChanged, this,
                             [this](QWidget *, QWidget *now) { Guarded(this, [&] { FocusChanged(now); }); });
}

TMxExTreeView::~TMxExTreeView() { disconnect(FFocusConnection); }

void TMxExTreeView::SetDotNetHighlighting(bool value) {
  if (value == FDotNetHighlighting)
    return;
  FDotNetHighlighting = value;
  update();
}

bool TMxExTreeView::AutoSize() const { return DefaultAutoSize(this); }

void TMxExTreeView::SetAutoSize(bool value) { DefaultSetAutoSize(this, value); }

TColor TMxExTreeView::ResolveHintColor() const {
  if (FHintColor == clDefault) {
    if (auto *parentTree = dynamic_cast<const TMxExTreeView *>(parentWidget()))
      return parentTree->ResolveHintColor();
    return clInfoBk;
  }
  return FHintColor == clNone ? clInfoBk : FHintColor;
}

void TMxExTreeView::ParentColorChanged() {
  if (OnParentColorChange)
    OnParentColorChange(this);
}

void TMxExTreeView::HintShow(THintInfo &info) { info.HintColor = ResolveHintColor(); }

void TMxExTreeView::MouseEnter() {
  FMouseOver = true;
  if (OnMouseEnter)
    OnMouseEnter(this);
}

void TMxExTreeView::MouseLeave() {
  FMouseOver = false;
  if (OnMouseLeave)
    OnMouseLeave(this);
}

void TMxExTreeView::ControlsListChanged(QWidget *control, bool inserting) {
  Q_UNUSED(control);
  Q_UNUSED(inserting);
}

void TMxExTreeView::EraseBackground(TCanvas &canvas) {
  canvas.Brush.Color = clWindow;
  canvas.Brush.Style = bsSolid;
  canvas.FillRect(viewport()->rect());
}

bool TMxExTreeView::event(QEvent *event) {
  if (event->type() == QEvent::ToolTip) {
    ShowHint(*static_cast<QHelpEvent *>(event));
    return true;
  }
  const bool result = TTreeView::event(event);
  if (event->type() == QEvent::Paint && FDotNetHighlighting)
    PaintFocusFrame(); // on the tree's own frame; the nodes are painted on the viewport
  Guarded(this, [&] { Notify(event); });
  return result;
}

void TMxExTreeView::Notify(QEvent *event) {
  switch (event->type()) {
  case QEvent::ChildAdded:
  case QEvent::ChildRemoved:
    if (auto *child = qobject_cast<QWidget *>(static_cast<QChildEvent *>(event)->child()))
      ControlsListChanged(child, event->type() == QEvent::ChildAdded);
    break;
  case QEvent::ShowToParent:
  case QEvent::HideToParent: VisibleChanged(); break;
  case QEvent::Show:
  case QEvent::Hide: ShowingChanged(); break;
  case QEvent::CursorChange: CursorChanged(); break;
  case QEvent::ToolTipChange: ShowHintChanged(); break;
  default: break;
  }
}

void TMxExTreeView::ShowHint(const QHelpEvent &event) {
  THintInfo info{toolTip(), clInfoBk, event.globalPos()};
  Guarded(this, [&] { HintShow(info); });
  if (info.HintStr.isEmpty()) {
    QToolTip::hideText();
    return;
  }
  QToolTip::showText(info.HintPos, info.HintStr, this);
  // Only this hint takes the colour: the shown tip label gets it, the tips of others keep theirs.
  for (QWidget *widget : QApplication::topLevelWidgets())
    if (widget->objectName() == QLatin1String("qtooltip_label") && widget->isVisible()) {
      QPalette palette = widget->palette();
      palette.setColor(QPalette::ToolTipBase, ColorToQColor(info.HintColor, &palette));
      widget->setPalette(palette);
    }
}

void TMxExTreeView::changeEvent(QEvent *event) {
  TTreeView::changeEvent(event);
  Guarded(this, [&] {
    switch (event->type()) {
    case QEvent::EnabledChange: EnabledChanged(); break;
    case QEvent::WindowTitleChange: TextChanged(); break;
    case QEvent::FontChange: testAttribute(Qt::WA_SetFont) ? FontChanged() : ParentFontChanged(); break;
    case QEvent::PaletteChange:
      testAttribute(Qt::WA_SetPalette) ? ColorChanged() : ParentColorChanged();
      break;
    default: break;
    }
  });
}

void TMxExTreeView::enterEvent(QEnterEvent *event) {
  TTreeView::enterEvent(event);
  Guarded(this, [&] { MouseEnter(); });
  if (FDotNetHighlighting)
    update();
}

void TMxExTreeView::leaveEvent(QEvent *event) {
  TTreeView::leaveEvent(event);
  Guarded(this, [&] { MouseLeave(); });
  if (FDotNetHighlighting)
    update();
}

void TMxExTreeView::focusInEvent(QFocusEvent *event) {
  TTreeView::focusInEvent(event);
  Guarded(this, [&] { DoSetFocus(); });
  if (FDotNetHighlighting)
    update();
}

void TMxExTreeView::focusOutEvent(QFocusEvent *event) {
  TTreeView::focusOutEvent(event);
  Guarded(this, [&] { DoKillFocus(); });
  if (FDotNetHighlighting)
    update();
}

bool TMxExTreeView::viewportEvent(QEvent *event) {
  if (event->type() == QEvent::Paint) {
    TCanvas canvas(viewport(), &palette());
    Guarded(this, [&] { EraseBackground(canvas); });
  }
  return TTreeView::viewportEvent(event);
}

void TMxExTreeView::PaintFocusFrame() {
  QPainter painter(this);
  const bool active = hasFocus() || FMouseOver;
  const QRect outer = rect().adjusted(0, 0, -1, -1);
  painter.setPen(ColorToQColor(active ? FocusFrameColor : IdleFrameColor));
  painter.drawRect(outer);
  painter.setPen(active ? ColorToQColor(FocusFrameColor) : palette().color(QPalette::Base));
  painter.drawRect(outer.adjusted(1, 1, -1, -1));
}
