#include "MxCheckTreeView.h"

namespace {
// State values beyond a byte never count as radio states in the sibling test.
constexpr int MaxRadioState = 255;
} // namespace

void TMxTreeViewCheckBoxOptions::SetStyle(TMxTVCheckBoxStyle value) {
  if (value == FStyle)
    return;
  FStyle = value;
  FOwner->SetCheckboxes(value == cbsNative);
  FOwner->doItemsLayout();
}

int TMxTreeViewCheckBoxOptions::ImageIndex(int index) const {
  return index >= 0 && index < 4 ? FImageIndexes[index] : 0;
}

void TMxTreeViewCheckBoxOptions::SetImageIndex(int index, int value) {
  if (index < 0 || index >= 4 || FImageIndexes[index] == value)
    return;
  const int old = FImageIndexes[index];
  TTreeNodes *items = FOwner->Items();
  items->BeginUpdate();
  for (TTreeNode *node = items->GetFirstNode(); node; node = node->GetNext())
    if (node->StateIndex() == old)
      node->SetStateIndex(value);
  items->EndUpdate();
  FImageIndexes[index] = value;
}

void TMxTreeViewCheckBoxOptions::Assign(const TMxTreeViewCheckBoxOptions &source) {
  SetStyle(source.Style());
  FCascadeLevels = source.CascadeLevels();
  FCascadeOptions = source.CascadeOptions();
  for (int i = 0; i < 4; ++i)
    SetImageIndex(i, source.ImageIndex(i));
}

TMxCheckTreeView::TMxCheckTreeView(QWidget *parent)
    : TMxTreeView(parent), FCheckBoxOptions(std::make_unique<TMxTreeViewCheckBoxOptions>(this)) {}

bool TMxCheckTreeView::HasStateOf(const TTreeNode *node, int first, int second) {
  return node && (node->StateIndex() == first || node->StateIndex() == second);
}

bool TMxCheckTreeView::Checked(const TTreeNode *node) const {
  if (node && !UsesStateIndex())
    return static_cast<const TMxTreeNode *>(node)->Checked();
  return HasStateOf(node, FCheckBoxOptions->CheckBoxCheckedIndex(), FCheckBoxOptions->RadioCheckedIndex());
}

void TMxCheckTreeView::SetChecked(TTreeNode *node, bool value) {
  if (!node)
    return;
  if (UsesStateIndex())
    SetCheckedCascade(node, value, FCheckBoxOptions->CascadeLevels());
  else
    static_cast<TMxTreeNode *>(node)->SetChecked(value);
}

bool TMxCheckTreeView::CheckBox(const TTreeNode *node) const {
  return HasStateOf(node, FCheckBoxOptions->CheckBoxUncheckedIndex(),
                    FCheckBoxOptions->CheckBoxCheckedIndex());
}

void TMxCheckTreeView::SetCheckBox(TTreeNode *node, bool value) {
  if (!node || !UsesStateIndex())
    return;
  if (!value)
    node->SetStateIndex(0);
  else
    node->SetStateIndex(Checked(node) ? FCheckBoxOptions->CheckBoxCheckedIndex()
                                      : FCheckBoxOptions->CheckBoxUncheckedIndex());
}

bool TMxCheckTreeView::RadioItem(const TTreeNode *node) const {
  return HasStateOf(node, FCheckBoxOptions->RadioUncheckedIndex(), FCheckBoxOptions->RadioCheckedIndex());
}

void TMxCheckTreeView::SetRadioItem(TTreeNode *node, bool value) {
  if (!node || !UsesStateIndex())
    return;
  if (!value) {
    node->SetStateIndex(0);
  } else if (Checked(node)) {
    ClearRadioSiblings(node);
    node->SetStateIndex(FCheckBoxOptions->RadioCheckedIndex());
  } else {
    node->SetStateIndex(FCheckBoxOptions->RadioUncheckedIndex());
  }
}

void TMxCheckTreeView::SetCheckedCascade(TTreeNode *node, bool value, int levels) {
  if (!node)
    return;
  if (value != Checked(node))
    ToggleCheck(node);
  // The subtree follows the requested value even when the node itself refused the change.
  if (levels == 0 || !CheckBox(node))
    return;
  if (!FCheckBoxOptions->CascadeOptions().testFlag(value ? poOnCheck : poOnUnCheck))
    return;
  for (TTreeNode *child = node->getFirstChild(); child; child = child->getNextSibling())
    if (CheckBox(child))
      SetCheckedCascade(child, value, levels > 0 ? levels - 1 : levels);
}

void TMxCheckTreeView::ToggleCheck(TTreeNode *node) {
  if (QueryToggling(node)) {
    ToggleNodeState(node);
    NotifyToggled(node);
  }
}

bool TMxCheckTreeView::QueryToggling(TTreeNode *node) {
  bool allowChange = true;
  if (OnToggling)
    OnToggling(this, node, allowChange);
  return allowChange;
}

void TMxCheckTreeView::NotifyToggled(TTreeNode *node) {
  if (OnToggled)
    OnToggled(this, node);
}

void TMxCheckTreeView::ToggleNodeState(TTreeNode *node) {
  if (!node)
    return;
  const TMxTreeViewCheckBoxOptions &options = *FCheckBoxOptions;
  const int state = node->StateIndex();
  if (state == options.CheckBoxUncheckedIndex()) {
    node->SetStateIndex(options.CheckBoxCheckedIndex());
  } else if (state == options.CheckBoxCheckedIndex()) {
    node->SetStateIndex(options.CheckBoxUncheckedIndex());
  } else if (state == options.RadioUncheckedIndex()) {
    ClearRadioSiblings(node);
    node->SetStateIndex(options.RadioCheckedIndex());
  }
  // A set radio button (or any other state) stays as it is.
}

void TMxCheckTreeView::ClearRadioSiblings(TTreeNode *node) {
  const int unchecked = FCheckBoxOptions->RadioUncheckedIndex();
  const int checked = FCheckBoxOptions->RadioCheckedIndex();
  TTreeNode *sibling = node->Parent() ? node->Parent()->getFirstChild() : Items()->GetFirstNode();
  for (; sibling; sibling = sibling->getNextSibling()) {
    const int state = sibling->StateIndex();
    if (state >= 0 && state <= MaxRadioState && (state == unchecked || state == checked))
      sibling->SetStateIndex(unchecked);
  }
}

void TMxCheckTreeView::Click() {
  if (UsesStateIndex()) {
    const QPoint point = MousePos();
    // The node whose state icon was hit, which need not be the selected one.
    if (GetHitTestInfoAt(point.x(), point.y()).testFlag(htOnStateIcon)) {
      TTreeNode *node = GetNodeAt(point.x(), point.y());
      SetCheckedCascade(node, !Checked(node), FCheckBoxOptions->CascadeLevels());
    }
  }
  TMxTreeView::Click();
}

void TMxCheckTreeView::KeyDown(int &key, Qt::KeyboardModifiers shift) {
  TMxTreeView::KeyDown(key, shift);
  if (UsesStateIndex() && Selected() && key == Qt::Key_Space && !shift)
    SetCheckedCascade(Selected(), !Checked(Selected()), FCheckBoxOptions->CascadeLevels());
}

bool TMxCheckTreeView::HasStateImages() const { return UsesStateIndex() || TMxTreeView::HasStateImages(); }

TStateGlyph TMxCheckTreeView::StateGlyph(int stateIndex) const {
  if (!UsesStateIndex())
    return TMxTreeView::StateGlyph(stateIndex);
  const TMxTreeViewCheckBoxOptions &options = *FCheckBoxOptions;
  if (stateIndex == options.CheckBoxUncheckedIndex())
    return TStateGlyph::CheckBox;
  if (stateIndex == options.CheckBoxCheckedIndex())
    return TStateGlyph::CheckBoxChecked;
  if (stateIndex == options.RadioUncheckedIndex())
    return TStateGlyph::Radio;
  if (stateIndex == options.RadioCheckedIndex())
    return TStateGlyph::RadioChecked;
  return TStateGlyph::None;
}

void TMxCheckTreeView::ToggleStateImage(TTreeNode *node) {
  // With state indexes the tree's own click and Space handling toggle, cascading.
  if (!UsesStateIndex())
    TMxTreeView::ToggleStateImage(node);
}
