#pragma once

#include "MxExComCtrls.h"

#include <QPointer>
#include <QTimer>

#include <QMenu>
#include <QTabWidget>
class TMxTreeView;

// A node with bold and native check state, its own font, brush and popup menu.
class TMxTreeNode : public TTreeNode {
public:
  explicit TMxTreeNode(TTreeNodes *owner) : TTreeNode(owner) {}

  bool Bold() const { return BoldState(); }
  void SetBold(bool value);
  // The native check box: ticked when the state image is a ticked one (state bit 2).
  bool Checked() const;
  void SetChecked(bool value);
  QMenu *PopupMenu() const { return FPopupMenu; }
  void SetPopupMenu(QMenu *menu) { FPopupMenu = menu; }
  // Created on first use and owned by the node.
  TFont *Font();
  TBrush *Brush();
  bool HasFont() const { return FFont != nullptr; }
  bool HasBrush() const { return FBrush != nullptr; }

  void Assign(const TTreeNode &source) override;

private:
  void Repaint();

  QPointer<QMenu> FPopupMenu;
  std::unique_ptr<TFont> FFont;
  std::unique_ptr<TBrush> FBrush;
};

// The extended tree view: line colour, item height, multiple selection, drag scrolling, a tree
// built from a menu and a page control that follows the selected node.
class TMxTreeView : public TMxExTreeView {
  Q_OBJECT
public:
  explicit TMxTreeView(QWidget *parent = nullptr);
  ~TMxTreeView() override;

  // clDefault until set; setting clDefault draws the lines in the font colour.
  TColor LineColor() const { return FLineColor; }
  void SetLineColor(TColor value);
  int ItemHeight() const { return RowHeight(); }
  // A value below 1 gives 16.
  void SetItemHeight(int value);
  bool MultiSelect() const { return FMultiSelect; }
  void SetMultiSelect(bool value);
  bool AutoDragScroll() const { return FAutoDragScroll; }
  void SetAutoDragScroll(bool value);
  QMenu *Menu() const { return FMenu; }
  void SetMenu(QMenu *menu);
  bool MenuDblClick() const { return FMenuDblClick; }
  void SetMenuDblClick(bool value) { FMenuDblClick = value; }
  QTabWidget *PageControl() const { return FPageControl; }
  void SetPageControl(QTabWidget *pageControl) { FPageControl = pageControl; }
  // Index of the selected node in Items, -1 when none; an index outside Items clears the selection.
  int ItemIndex() const;
  void SetItemIndex(int index);

  // The multiple-selection list, in the order the nodes joined it.
  int SelectionCount() const { return static_cast<int>(FSelection.size()); }
  TTreeNode *SelectionItem(int index) const { return FSelection.at(static_cast<size_t>(index)); }
  bool IsInSelection(const TTreeNode *node) const;
  void ToggleInSelection(TTreeNode *node);
  void ClearSelectionList();

  virtual void RebuildFromMenu();
  // Whether the page stands for the node: OnComparePage, else its caption equals the node's text
  // ignoring case.
  virtual bool ComparePage(QWidget *page, TTreeNode *node);

  std::function<void(QObject *sender)> OnVerticalScroll;
  std::function<void(QObject *sender)> OnHorizontalScroll;
  std::function<void(QObject *sender, TTreeNode *node, QWidget *page)> OnPageChanged;
  std::function<void(QObject *sender, QWidget *page, TTreeNode *node, bool &accept)> OnComparePage;
  std::function<void(QObject *sender)> OnEditCancelled;
  std::function<void(QObject *sender)> OnSelectionChange;

protected:
  TTreeNode *CreateNode() override;
  void MouseClick(Qt::MouseButton button) override;
  void KeyDown(int &key, Qt::KeyboardModifiers shift) override;
  void Change(TTreeNode *node) override;
  bool CustomDrawItem(TTreeNode *node, TCustomDrawState state) override;
  void DoSetFocus() override;
  void DoKillFocus() override;

  void keyPressEvent(QKeyEvent *event) override;
  void mousePressEvent(QMouseEvent *event) override;
  void mouseDoubleClickEvent(QMouseEvent *event) override;
  void dragMoveEvent(QDragMoveEvent *event) override;
  void dragLeaveEvent(QDragLeaveEvent *event) override;
  void dropEvent(QDropEvent *event) override;
  void scrollContentsBy(int dx, int dy) override;
  void closeEditor(QWidget *editor, QAbstractItemDelegate::EndEditHint hint) override;
  bool eventFilter(QObject *watched, QEvent *event) override;

private:
  void SelectionChanged();
  void ForgetRemovedRows(const QModelIndex &parent, int first, int last);
  void AddMenuItems(TTreeNode *parent, QMenu *menu);
  void RunMenuItem(TTreeNode *node);
  void DragScrollTick();

  TColor FLineColor = clDefault;
  bool FMultiSelect = false;
  bool FAutoDragScroll = false;
  bool FMenuDblClick = false;
  bool FPendingAdd = false;
  bool FPendingClear = false;
  int FDragScrollStep = 0;
  QPointer<QMenu> FMenu;
  QPointer<QTabWidget> FPageControl;
  std::vector<TTreeNode *> FSelection;
  QTimer FDragScrollTimer;
};
