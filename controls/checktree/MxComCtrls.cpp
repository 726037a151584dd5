#include "MxComCtrls.h"

#include "Application.h"
#include "MxStrUtils.h"

#include <QDragMoveEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QScrollBar>
#include <QTabWidget>

namespace {
constexpr int DefaultItemHeight = 16;
constexpr int DragScrollMargin = 20;
constexpr int DragScrollInterval = 200;
constexpr int CheckboxWidth = 16;
// The native check state lives in the state image bits of the item (index << 12).
constexpr int StateImageMask = 0xF000;
constexpr int StateImageChecked = 0x2000;
} // namespace

void TMxTreeNode::SetBold(bool value) {
  // Compared with the node's actual state, so that a stale copy never hides a change.
  if (value != Bold())
    SetBoldState(value);
}

bool TMxTreeNode::Checked() const {
  const int bits = (std::max(StateIndex(), 0) << 12) & StateImageMask;
  return (bits & StateImageChecked) != 0;
}

void TMxTreeNode::SetChecked(bool value) {
  if (value != Checked())
    SetStateIndex(value ? 2 : 1);
}

TFont *TMxTreeNode::Font() {
  if (!FFont) {
    FFont = std::make_unique<TFont>(TreeView()->font());
    FFont->OnChange = [this](TFont *) { Repaint(); };
  }
  return FFont.get();
}

TBrush *TMxTreeNode::Brush() {
  if (!FBrush)
    FBrush = std::make_unique<TBrush>(TBrush{clWindow, bsSolid});
  return FBrush.get();
}

void TMxTreeNode::Repaint() {
  if (treeWidget())
    treeWidget()->viewport()->update(DisplayRect(false));
}

void TMxTreeNode::Assign(const TTreeNode &source) {
  TTreeNode::Assign(source);
  auto *other = dynamic_cast<const TMxTreeNode *>(&source);
  if (!other)
    return;
  SetChecked(other->Checked());
  SetBold(other->Bold());
  SetPopupMenu(other->PopupMenu());
  if (other->FBrush)
    *Brush() = *other->FBrush;
  if (other->FFont)
    Font()->Assign(*other->FFont);
}

TMxTreeView::TMxTreeView(QWidget *parent) : TMxExTreeView(parent) {
  // Scrolling while dragging is this tree's own (AutoDragScroll).
  setAutoScroll(false);
  FDragScrollTimer.setInterval(DragScrollInterval);
  connect(&FDragScrollTimer, &QTimer::timeout, this, [this] { Guarded(this, [this] { DragScrollTick(); }); });
  connect(model(), &QAbstractItemModel::rowsAboutToBeRemoved, this, &TMxTreeView::ForgetRemovedRows);
  connect(model(), &QAbstractItemModel::modelAboutToBeReset, this, [this] { FSelection.clear(); });
}

TMxTreeView::~TMxTreeView() {
  disconnect(model(), nullptr, this, nullptr);
  if (FMenu)
    FMenu->removeEventFilter(this);
  clear();
}

TTreeNode *TMxTreeView::CreateNode() { return new TMxTreeNode(Items()); }

void TMxTreeView::SetLineColor(TColor value) {
  const TColor rgb =
      value == clDefault ? QColorToColor(palette().color(QPalette::Text)) : ColorToRGB(value, &palette());
  if (rgb == FLineColor)
    return;
  FLineColor = rgb;
  SetLinesColor(ColorToQColor(rgb));
}

void TMxTreeView::SetItemHeight(int value) { SetRowHeight(value < 1 ? DefaultItemHeight : value); }

void TMxTreeView::SetMultiSelect(bool value) {
  if (value == FMultiSelect)
    return;
  FMultiSelect = value;
  FPendingAdd = false;
  FPendingClear = false;
  ClearSelectionList();
}

void TMxTreeView::SetAutoDragScroll(bool value) {
  FAutoDragScroll = value;
  if (!value)
    FDragScrollTimer.stop();
}

int TMxTreeView::ItemIndex() const { return Selected() ? Selected()->AbsoluteIndex() : -1; }

void TMxTreeView::SetItemIndex(int index) {
  SetSelected(index >= 0 && index < Items()->Count() ? Items()->Item(index) : nullptr);
}

bool TMxTreeView::IsInSelection(const TTreeNode *node) const {
  return std::find(FSelection.begin(), FSelection.end(), node) != FSelection.end();
}

void TMxTreeView::ToggleInSelection(TTreeNode *node) {
  if (!node)
    return;
  const auto found = std::find(FSelection.begin(), FSelection.end(), node);
  if (found == FSelection.end())
    FSelection.push_back(node);
  else
    FSelection.erase(found);
  SelectionChanged();
}

void TMxTreeView::ClearSelectionList() {
  if (FSelection.empty())
    return;
  FSelection.clear();
  SelectionChanged();
}

void TMxTreeView::SelectionChanged() {
  viewport()->update();
  if (OnSelectionChange)
    OnSelectionChange(this);
}

void TMxTreeView::ForgetRemovedRows(const QModelIndex &parent, int first, int last) {
  // The removed item may be part-destroyed already, so it is compared as a plain item.
  const auto before = FSelection.size();
  for (int row = first; row <= last; ++row) {
    const QTreeWidgetItem *removed = itemFromIndex(model()->index(row, 0, parent));
    std::erase_if(FSelection, [removed](TTreeNode *node) {
      for (const QTreeWidgetItem *item = node; item; item = item->parent())
        if (item == removed)
          return true;
      return false;
    });
  }
  if (FSelection.size() != before && OnSelectionChange)
    Guarded(this, [this] { OnSelectionChange(this); });
}

void TMxTreeView::mousePressEvent(QMouseEvent *event) {
  TMxExTreeView::mousePressEvent(event);
  if (!FMultiSelect || event->button() != Qt::LeftButton)
    return;
  const QPoint point = event->position().toPoint();
  if (!(GetHitTestInfoAt(point.x(), point.y()) & htOnItem))
    return;
  TTreeNode *node = GetNodeAt(point.x(), point.y());
  Guarded(this, [&] {
    if (!(event->modifiers() & Qt::ControlModifier))
      FSelection.clear();
    ToggleInSelection(node);
  });
}

void TMxTreeView::MouseClick(Qt::MouseButton button) {
  TMxExTreeView::MouseClick(button);
  const QPoint point = MousePos();
  TTreeNode *node = GetNodeAt(point.x(), point.y());
  // Left of a node's check box there is no node; the node beside it is meant.
  if (!node && Checkboxes())
    node = GetNodeAt(point.x() + CheckboxWidth, point.y());
  if (node)
    SetSelected(node);
  if (button == Qt::RightButton && Selected())
    if (QMenu *menu = static_cast<TMxTreeNode *>(Selected())->PopupMenu())
      menu->popup(viewport()->mapToGlobal(point));
}

void TMxTreeView::KeyDown(int &key, Qt::KeyboardModifiers shift) {
  TMxExTreeView::KeyDown(key, shift);
  if (FMenu && FMenuDblClick && !shift &&
      (key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter))
    RunMenuItem(Selected());
  if (!FMultiSelect || state() == EditingState || (shift & Qt::AltModifier) || key == 0)
    return;
  if (key == Qt::Key_Space) {
    ToggleInSelection(Selected());
    return;
  }
  FPendingAdd = true;
  FPendingClear = !(shift & (Qt::ShiftModifier | Qt::ControlModifier));
}

void TMxTreeView::keyPressEvent(QKeyEvent *event) {
  const Qt::KeyboardModifiers shift = ShiftState(event);
  // With multiple selection the key-down handling of Space runs, but the key goes no further.
  if (FMultiSelect && event->key() == Qt::Key_Space && state() != EditingState &&
      !(shift & Qt::AltModifier)) {
    int key = Qt::Key_Space;
    Guarded(this, [&] { KeyDown(key, shift); });
    event->accept();
    return;
  }
  TMxExTreeView::keyPressEvent(event);
}

void TMxTreeView::Change(TTreeNode *node) {
  if (FPendingAdd && node) {
    if (FPendingClear)
      FSelection.clear();
    if (!IsInSelection(node))
      FSelection.push_back(node);
    SelectionChanged();
  }
  FPendingAdd = false;
  FPendingClear = false;
  TMxExTreeView::Change(node);
  if (FMenu && !FMenuDblClick)
    RunMenuItem(node);
  if (FPageControl && node) {
    int match = -1;
    for (int i = 0; i < FPageControl->count(); ++i)
      if (ComparePage(FPageControl->widget(i), node))
        match = i;
    if (match >= 0) {
      FPageControl->setCurrentIndex(match);
      if (OnPageChanged)
        OnPageChanged(this, node, FPageControl->widget(match));
    }
  }
}

bool TMxTreeView::ComparePage(QWidget *page, TTreeNode *node) {
  if (OnComparePage) {
    bool accept = false;
    OnComparePage(this, page, node, accept);
    return accept;
  }
  const QString caption = FPageControl->tabText(FPageControl->indexOf(page));
  return caption.compare(node->Text(), Qt::CaseInsensitive) == 0;
}

bool TMxTreeView::CustomDrawItem(TTreeNode *node, TCustomDrawState state) {
  TCanvas &canvas = *Canvas();
  auto *mxNode = static_cast<TMxTreeNode *>(node);
  if (state == TCustomDrawState() || state == cdsSelected || state == cdsDefault) {
    if (mxNode->HasFont())
      canvas.Font.Assign(*mxNode->Font());
    if (mxNode->HasBrush())
      canvas.Brush = *mxNode->Brush();
  }
  if (FMultiSelect) {
    const TColor fontColor = QColorToColor(palette().color(QPalette::Text));
    canvas.Font.Assign(font());
    canvas.Font.SetColor(fontColor);
    if (state & cdsHot)
      canvas.Font.SetStyle(canvas.Font.Style() | fsUnderline);
    canvas.Brush.Style = bsSolid;
    if (IsInSelection(node) && hasFocus()) {
      canvas.Font.SetColor(clHighlightText);
      canvas.Brush.Color = clHighlight;
    } else if (IsInSelection(node) && !HideSelection()) {
      canvas.Brush.Color = clInactiveBorder;
    } else {
      canvas.Brush.Color = clWindow;
      if (state & cdsHot)
        canvas.Font.SetColor((state & cdsSelected) ? clHighlightText : clHighlight);
    }
  }
  return TMxExTreeView::CustomDrawItem(node, state);
}

void TMxTreeView::DoSetFocus() {
  TMxExTreeView::DoSetFocus();
  if (FMultiSelect)
    viewport()->update();
}

void TMxTreeView::DoKillFocus() {
  TMxExTreeView::DoKillFocus();
  if (FMultiSelect)
    viewport()->update();
}

void TMxTreeView::mouseDoubleClickEvent(QMouseEvent *event) {
  TMxExTreeView::mouseDoubleClickEvent(event);
  if (FMenu && FMenuDblClick)
    Guarded(this, [this] { RunMenuItem(Selected()); });
}

void TMxTreeView::dragMoveEvent(QDragMoveEvent *event) {
  TMxExTreeView::dragMoveEvent(event);
  if (!FAutoDragScroll)
    return;
  const int y = event->position().toPoint().y();
  FDragScrollStep = y < DragScrollMargin ? -1 : y >= viewport()->height() - DragScrollMargin ? 1 : 0;
  if (FDragScrollStep == 0)
    FDragScrollTimer.stop();
  else if (!FDragScrollTimer.isActive())
    FDragScrollTimer.start();
}

void TMxTreeView::dragLeaveEvent(QDragLeaveEvent *event) {
  FDragScrollTimer.stop();
  TMxExTreeView::dragLeaveEvent(event);
}

void TMxTreeView::dropEvent(QDropEvent *event) {
  FDragScrollTimer.stop();
  TMxExTreeView::dropEvent(event);
}

void TMxTreeView::DragScrollTick() {
  verticalScrollBar()->triggerAction(FDragScrollStep < 0 ? QAbstractSlider::SliderSingleStepSub
                                                         : QAbstractSlider::SliderSingleStepAdd);
}

void TMxTreeView::scrollContentsBy(int dx, int dy) {
  TMxExTreeView::scrollContentsBy(dx, dy);
  Guarded(this, [&] {
    if (dy && OnVerticalScroll)
      OnVerticalScroll(this);
    if (dx && OnHorizontalScroll)
      OnHorizontalScroll(this);
  });
}

void TMxTreeView::closeEditor(QWidget *editor, QAbstractItemDelegate::EndEditHint hint) {
  TMxExTreeView::closeEditor(editor, hint);
  if (hint == QAbstractItemDelegate::RevertModelCache && OnEditCancelled)
    Guarded(this, [this] { OnEditCancelled(this); });
}

void TMxTreeView::SetMenu(QMenu *menu) {
  if (menu == FMenu)
    return;
  if (FMenu)
    FMenu->removeEventFilter(this);
  FMenu = menu;
  if (FMenu)
    FMenu->installEventFilter(this);
  RebuildFromMenu();
}

bool TMxTreeView::eventFilter(QObject *watched, QEvent *event) {
  // The menu's change notification: any added, removed or changed item rebuilds the tree.
  const QEvent::Type type = event->type();
  if (watched == FMenu &&
      (type == QEvent::ActionAdded || type == QEvent::ActionRemoved || type == QEvent::ActionChanged))
    Guarded(this, [this] { RebuildFromMenu(); });
  return TMxExTreeView::eventFilter(watched, event);
}

void TMxTreeView::RebuildFromMenu() {
  Items()->BeginUpdate();
  Items()->Clear();
  if (FMenu)
    AddMenuItems(nullptr, FMenu);
  Items()->EndUpdate();
}

void TMxTreeView::AddMenuItems(TTreeNode *parent, QMenu *menu) {
  for (QAction *action : menu->actions()) {
    if (action->isSeparator() || action->text().isEmpty() || action->text() == QStringLiteral("-"))
      continue;
    TTreeNode *node = Items()->AddChildObject(parent, StripHotkey(action->text()), action);
    const QVariant imageIndex = action->property("ImageIndex");
    node->SetImageIndex(imageIndex.isValid() ? imageIndex.toInt() : -1);
    node->SetSelectedIndex(node->ImageIndex());
    if (action->menu())
      AddMenuItems(node, action->menu());
  }
}

void TMxTreeView::RunMenuItem(TTreeNode *node) {
  if (node && node->Data())
    static_cast<QAction *>(node->Data())->trigger();
}
