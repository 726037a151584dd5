#include "ComCtrls.h"

#include <algorithm>

namespace {

enum TNodeRole {
  StateIndexRole = Qt::UserRole + 1,
  ImageIndexRole,
  SelectedIndexRole,
  BoldRole,
};

int IntRole(const QTreeWidgetItem *item, int role, int defaultValue) {
  const QVariant value = item->data(0, role);
  return value.isValid() ? value.toInt() : defaultValue;
}

TTreeNode *AsNode(QTreeWidgetItem *item) { return dynamic_cast<TTreeNode *>(item); }

bool IsInSubtree(const TTreeNode *node, const TTreeNode *root) {
  for (const TTreeNode *n = node; n; n = n->Parent())
    if (n == root)
      return true;
  return false;
}

void CollectExpanded(TTreeNode *node, std::vector<std::pair<TTreeNode *, bool>> &states) {
  states.emplace_back(node, node->isExpanded());
  for (TTreeNode *child = node->getFirstChild(); child; child = child->getNextSibling())
    CollectExpanded(child, states);
}

} // namespace

TTreeNode::TTreeNode(TTreeNodes *owner) : QTreeWidgetItem(UserType), FOwner(owner) {
  setFlags(flags() | Qt::ItemIsEditable);
}

TTreeView *TTreeNode::TreeView() const { return FOwner->Owner(); }

int TTreeNode::StateIndex() const { return IntRole(this, StateIndexRole, -1); }
void TTreeNode::SetStateIndex(int index) {
  if (index != StateIndex())
    setData(0, StateIndexRole, index);
}
int TTreeNode::ImageIndex() const { return IntRole(this, ImageIndexRole, 0); }
void TTreeNode::SetImageIndex(int index) {
  if (index != ImageIndex())
    setData(0, ImageIndexRole, index);
}
int TTreeNode::SelectedIndex() const { return IntRole(this, SelectedIndexRole, 0); }
void TTreeNode::SetSelectedIndex(int index) {
  if (index != SelectedIndex())
    setData(0, SelectedIndexRole, index);
}
bool TTreeNode::BoldState() const { return IntRole(this, BoldRole, 0) != 0; }
void TTreeNode::SetBoldState(bool bold) {
  if (bold != BoldState())
    setData(0, BoldRole, bold ? 1 : 0);
}

TTreeNode *TTreeNode::Parent() const { return AsNode(parent()); }
TTreeNode *TTreeNode::getFirstChild() const { return Item(0); }
TTreeNode *TTreeNode::GetLastChild() const { return Item(childCount() - 1); }

TTreeNode *TTreeNode::getNextSibling() const {
  const int next = Index() + 1;
  if (TTreeNode *parentNode = Parent())
    return parentNode->Item(next);
  QTreeWidget *tree = treeWidget();
  return tree && next < tree->topLevelItemCount() ? AsNode(tree->topLevelItem(next)) : nullptr;
}

TTreeNode *TTreeNode::getPrevSibling() const {
  const int previous = Index() - 1;
  if (previous < 0)
    return nullptr;
  if (TTreeNode *parentNode = Parent())
    return parentNode->Item(previous);
  QTreeWidget *tree = treeWidget();
  return tree ? AsNode(tree->topLevelItem(previous)) : nullptr;
}

TTreeNode *TTreeNode::GetNext() const {
  if (TTreeNode *child = getFirstChild())
    return child;
  for (const TTreeNode *node = this; node; node = node->Parent())
    if (TTreeNode *sibling = node->getNextSibling())
      return sibling;
  return nullptr;
}

TTreeNode *TTreeNode::Item(int index) const {
  return index >= 0 && index < childCount() ? AsNode(child(index)) : nullptr;
}

int TTreeNode::Level() const {
  int level = 0;
  for (TTreeNode *node = Parent(); node; node = node->Parent())
    ++level;
  return level;
}

int TTreeNode::Index() const {
  if (QTreeWidgetItem *parentItem = parent())
    return parentItem->indexOfChild(const_cast<TTreeNode *>(this));
  QTreeWidget *tree = treeWidget();
  return tree ? tree->indexOfTopLevelItem(const_cast<TTreeNode *>(this)) : -1;
}

int TTreeNode::AbsoluteIndex() const {
  const auto &list = FOwner->List();
  const auto found = std::find(list.begin(), list.end(), this);
  return found == list.end() ? -1 : static_cast<int>(found - list.begin());
}

void TTreeNode::Expand(bool recurse) {
  setExpanded(true);
  if (recurse)
    for (int i = 0; i < childCount(); ++i)
      Item(i)->Expand(true);
}

void TTreeNode::Collapse(bool recurse) {
  setExpanded(false);
  if (recurse)
    for (int i = 0; i < childCount(); ++i)
      Item(i)->Collapse(true);
}

bool TTreeNode::Selected() const { return TreeView()->Selected() == this; }

void TTreeNode::SetSelected(bool value) {
  if (value)
    TreeView()->SetSelected(this);
  else if (Selected())
    TreeView()->SetSelected(nullptr);
}

void TTreeNode::MoveTo(TTreeNode *destination, TNodeAttachMode mode) {
  // A node cannot go below itself; such a move leaves the tree as it is.
  if (destination && IsInSubtree(destination, this))
    return;
  std::vector<std::pair<TTreeNode *, bool>> expanded;
  CollectExpanded(this, expanded);
  const bool wasSelected = Selected();
  if (QTreeWidgetItem *parentItem = parent())
    parentItem->takeChild(parentItem->indexOfChild(this));
  else if (QTreeWidget *tree = treeWidget())
    tree->takeTopLevelItem(tree->indexOfTopLevelItem(this));
  FOwner->Attach(this, destination, mode);
  for (auto &[node, state] : expanded)
    node->setExpanded(state);
  if (wasSelected)
    SetSelected(true);
}

void TTreeNode::Delete() { FOwner->Delete(this); }

QRect TTreeNode::DisplayRect(bool textOnly) const {
  const TTreeNodeLayout layout = TreeView()->NodeLayout(this);
  return textOnly ? layout.Label : layout.Row;
}

void TTreeNode::Assign(const TTreeNode &source) {
  SetText(source.Text());
  SetData(source.Data());
  SetStateIndex(source.StateIndex());
  SetImageIndex(source.ImageIndex());
  SetSelectedIndex(source.SelectedIndex());
  SetBoldState(source.BoldState());
}

TTreeNode *TTreeNodes::Add(TTreeNode *sibling, const QString &text) {
  return AddNode(sibling, text, nullptr, naAdd);
}
TTreeNode *TTreeNodes::AddObject(TTreeNode *sibling, const QString &text, void *data) {
  return AddNode(sibling, text, data, naAdd);
}
TTreeNode *TTreeNodes::AddFirst(TTreeNode *sibling, const QString &text) {
  return AddNode(sibling, text, nullptr, naAddFirst);
}
TTreeNode *TTreeNodes::AddChild(TTreeNode *parent, const QString &text) {
  return AddNode(parent, text, nullptr, naAddChild);
}
TTreeNode *TTreeNodes::AddChildObject(TTreeNode *parent, const QString &text, void *data) {
  return AddNode(parent, text, data, naAddChild);
}
TTreeNode *TTreeNodes::AddChildFirst(TTreeNode *parent, const QString &text) {
  return AddNode(parent, text, nullptr, naAddChildFirst);
}
TTreeNode *TTreeNodes::Insert(TTreeNode *sibling, const QString &text) {
  return AddNode(sibling, text, nullptr, naInsert);
}

TTreeNode *TTreeNodes::AddNode(TTreeNode *relative, const QString &text, void *data, TNodeAttachMode mode) {
  TTreeNode *node = FOwner->CreateNode();
  node->SetText(text);
  node->SetData(data);
  // The control gives every item it inserts an empty check box while check boxes are on.
  if (FOwner->Checkboxes())
    node->SetStateIndex(1);
  Attach(node, relative, mode);
  return node;
}

void TTreeNodes::Attach(TTreeNode *node, TTreeNode *relative, TNodeAttachMode mode) {
  TTreeNode *parent = nullptr;
  int index = -1; // -1: after the last
  switch (mode) {
  case naAdd:
  case naAddFirst:
    parent = relative ? relative->Parent() : nullptr;
    index = mode == naAddFirst ? 0 : -1;
    break;
  case naAddChild:
  case naAddChildFirst:
    parent = relative;
    index = mode == naAddChildFirst ? 0 : -1;
    break;
  case naInsert:
    parent = relative ? relative->Parent() : nullptr;
    index = relative ? relative->Index() : -1;
    break;
  }
  if (parent)
    parent->insertChild(index < 0 ? parent->childCount() : index, node);
  else
    FOwner->insertTopLevelItem(index < 0 ? FOwner->topLevelItemCount() : index, node);
}

void TTreeNodes::Delete(TTreeNode *node) { delete node; }

void TTreeNodes::Clear() { FOwner->clear(); }

void TTreeNodes::BeginUpdate() {
  if (FUpdateCount++ == 0)
    FOwner->setUpdatesEnabled(false);
}

void TTreeNodes::EndUpdate() {
  if (FUpdateCount > 0 && --FUpdateCount == 0)
    FOwner->setUpdatesEnabled(true);
}

int TTreeNodes::Count() const { return static_cast<int>(List().size()); }

TTreeNode *TTreeNodes::Item(int index) const {
  const auto &list = List();
  if (index < 0 || index >= static_cast<int>(list.size()))
    throw ETreeViewError(QStringLiteral("Invalid index"));
  return list[static_cast<size_t>(index)];
}

TTreeNode *TTreeNodes::GetFirstNode() const { return AsNode(FOwner->topLevelItem(0)); }

const std::vector<TTreeNode *> &TTreeNodes::List() const {
  if (!FListValid) {
    FList.clear();
    for (TTreeNode *node = GetFirstNode(); node; node = node->GetNext())
      FList.push_back(node);
    FListValid = true;
  }
  return FList;
}
