#pragma once

#include "Exceptions.h"

#include <QRect>
#include <QTreeWidgetItem>
#include <vector>

class TTreeNodes;
class TTreeView;

class ETreeViewError : public Exception {
public:
  using Exception::Exception;
};

enum TNodeAttachMode { naAdd, naAddFirst, naAddChild, naAddChildFirst, naInsert };

// One node: an item of the tree widget with the class library's node properties. The state index
// is the node's only check state; it survives moves, updates and switching Checkboxes.
class TTreeNode : public QTreeWidgetItem {
public:
  explicit TTreeNode(TTreeNodes *owner);

  TTreeNodes *Owner() const { return FOwner; }
  TTreeView *TreeView() const;

  QString Text() const { return text(0); }
  void SetText(const QString &text) { setText(0, text); }
  void *Data() const { return FData; }
  void SetData(void *data) { FData = data; }
  int StateIndex() const;
  void SetStateIndex(int index);
  int ImageIndex() const;
  void SetImageIndex(int index);
  int SelectedIndex() const;
  void SetSelectedIndex(int index);
  // The control's own bold flag of the item.
  bool BoldState() const;
  void SetBoldState(bool bold);

  TTreeNode *Parent() const;
  TTreeNode *getFirstChild() const;
  TTreeNode *GetLastChild() const;
  TTreeNode *getNextSibling() const;
  TTreeNode *getPrevSibling() const;
  // The next node in pre-order (parent before children), nullptr after the last.
  TTreeNode *GetNext() const;
  int Count() const { return childCount(); }
  TTreeNode *Item(int index) const;
  bool HasChildren() const { return childCount() > 0; }
  int Level() const;
  int Index() const;
  int AbsoluteIndex() const;

  bool Expanded() const { return isExpanded(); }
  void SetExpanded(bool value) { setExpanded(value); }
  void Expand(bool recurse);
  void Collapse(bool recurse);
  bool Selected() const;
  void SetSelected(bool value);

  // Moves the node with its subtree; every node keeps its own properties.
  void MoveTo(TTreeNode *destination, TNodeAttachMode mode);
  void Delete();
  // The node's row in the tree's client coordinates, or only its label.
  QRect DisplayRect(bool textOnly) const;
  virtual void Assign(const TTreeNode &source);

private:
  TTreeNodes *FOwner;
  void *FData = nullptr;
};

// The tree's node collection; nodes come from the tree's CreateNode, so descendants choose the class.
class TTreeNodes {
public:
  explicit TTreeNodes(TTreeView *owner) : FOwner(owner) {}

  TTreeView *Owner() const { return FOwner; }

  // Adds the node as the last (or first) sibling of `sibling`, at the top level when it is nullptr.
  TTreeNode *Add(TTreeNode *sibling, const QString &text);
  TTreeNode *AddObject(TTreeNode *sibling, const QString &text, void *data);
  TTreeNode *AddFirst(TTreeNode *sibling, const QString &text);
  // Adds the node as the last (or first) child of parent, at the top level when it is nullptr.
  TTreeNode *AddChild(TTreeNode *parent, const QString &text);
  TTreeNode *AddChildObject(TTreeNode *parent, const QString &text, void *data);
  TTreeNode *AddChildFirst(TTreeNode *parent, const QString &text);
  // Inserts the node just before sibling (at the end of the top level when it is nullptr).
  TTreeNode *Insert(TTreeNode *sibling, const QString &text);
  void Delete(TTreeNode *node);
  void Clear();

  void BeginUpdate();
  void EndUpdate();

  // All nodes in pre-order; Item raises ETreeViewError for an index outside 0..Count-1.
  int Count() const;
  TTreeNode *Item(int index) const;
  TTreeNode *GetFirstNode() const;

private:
  friend class TTreeNode;
  friend class TTreeView;
  TTreeNode *AddNode(TTreeNode *relative, const QString &text, void *data, TNodeAttachMode mode);
  // Puts a detached node into the tree relative to another node.
  void Attach(TTreeNode *node, TTreeNode *relative, TNodeAttachMode mode);
  const std::vector<TTreeNode *> &List() const;
  void Invalidate() { FListValid = false; }

  TTreeView *FOwner;
  int FUpdateCount = 0;
  mutable std::vector<TTreeNode *> FList;
  mutable bool FListValid = false;
};
