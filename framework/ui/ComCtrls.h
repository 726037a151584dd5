#pragma once

#include "Graphics.h"
#include "TreeNodes.h"

#include <QTreeWidget>
#include <functional>
#include <memory>
#include <vector>

class TImageList;
class TTreeView;
class TTreeNodeDelegate;

// Where a point lies relative to the tree and its nodes (htOnItem accompanies the three "on" parts).
enum THitTest {
  htAbove = 0x1,
  htBelow = 0x2,
  htNowhere = 0x4,
  htOnItem = 0x8,
  htOnButton = 0x10,
  htOnIcon = 0x20,
  htOnIndent = 0x40,
  htOnLabel = 0x80,
  htOnRight = 0x100,
  htOnStateIcon = 0x200,
  htToLeft = 0x400,
  htToRight = 0x800,
};
Q_DECLARE_FLAGS(THitTests, THitTest)
Q_DECLARE_OPERATORS_FOR_FLAGS(THitTests)

enum TCustomDrawStateFlag {
  cdsSelected = 0x1,
  cdsGrayed = 0x2,
  cdsDisabled = 0x4,
  cdsChecked = 0x8,
  cdsFocused = 0x10,
  cdsDefault = 0x20,
  cdsHot = 0x40,
  cdsMarked = 0x80,
  cdsIndeterminate = 0x100,
};
Q_DECLARE_FLAGS(TCustomDrawState, TCustomDrawStateFlag)
Q_DECLARE_OPERATORS_FOR_FLAGS(TCustomDrawState)

// The pictures the tree draws itself for a state index when it has no state image list.
enum class TStateGlyph { None, CheckBox, CheckBoxChecked, Radio, RadioChecked };

// Rectangles of a node's parts in client coordinates.
struct TTreeNodeLayout {
  QRect Row;
  QRect State;
  QRect Image;
  QRect Label;
};

// The class library's tree view on QTreeWidget: a node class of the descendant's choice, state
// images (drawn check boxes when Checkboxes is on), own-drawn lines and buttons, a hit test that
// names the part of the node under a point, and click, key and custom-draw hooks.
class TTreeView : public QTreeWidget {
  Q_OBJECT
public:
  explicit TTreeView(QWidget *parent = nullptr);
  ~TTreeView() override;

  TTreeNodes *Items() const { return FItems.get(); }
  TTreeNode *Selected() const;
  void SetSelected(TTreeNode *node);

  bool Checkboxes() const { return FCheckboxes; }
  void SetCheckboxes(bool value);
  TImageList *Images() const { return FImages; }
  void SetImages(TImageList *images);
  TImageList *StateImages() const { return FStateImages; }
  void SetStateImages(TImageList *images);
  bool ShowLines() const { return FShowLines; }
  void SetShowLines(bool value);
  bool ShowButtons() const { return FShowButtons; }
  void SetShowButtons(bool value);
  bool ShowRoot() const { return rootIsDecorated(); }
  void SetShowRoot(bool value) { setRootIsDecorated(value); }
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool value);
  bool HideSelection() const { return FHideSelection; }
  void SetHideSelection(bool value);
  int Indent() const { return indentation(); }
  void SetIndent(int value) { setIndentation(value); }

  // Height of every row in pixels; 0 lets the font decide (at least 16).
  int RowHeight() const;
  void SetRowHeight(int height);
  // Colour of the connecting lines; an invalid colour gives the control's grey.
  QColor LinesColor() const { return FLinesColor; }
  void SetLinesColor(const QColor &color);

  THitTests GetHitTestInfoAt(int x, int y) const;
  TTreeNode *GetNodeAt(int x, int y) const;
  TTreeNodeLayout NodeLayout(const TTreeNode *node) const;
  TTreeNode *NodeOf(const QModelIndex &index) const;

  // The canvas of the node being drawn; only valid inside OnCustomDrawItem and CustomDrawItem.
  TCanvas *Canvas() const { return FCanvas; }

  std::function<void(QObject *sender)> OnClick;
  std::function<void(QObject *sender, int &key, Qt::KeyboardModifiers shift)> OnKeyDown;
  std::function<void(QObject *sender, TTreeNode *node)> OnChange;
  std::function<void(TTreeView *sender, TTreeNode *node, TCustomDrawState state, bool &defaultDraw)>
      OnCustomDrawItem;

protected:
  virtual TTreeNode *CreateNode();
  // A left click anywhere in the tree (after the node under it was selected); fires OnClick.
  virtual void Click();
  // A finished mouse click; the left button runs the state icon's own toggle and Click.
  virtual void MouseClick(Qt::MouseButton button);
  // Before the key's own handling; fires OnKeyDown, which may clear key to swallow it.
  virtual void KeyDown(int &key, Qt::KeyboardModifiers shift);
  // The selected node changed; fires OnChange.
  virtual void Change(TTreeNode *node);
  // Before a node is drawn with Canvas prepared; fires OnCustomDrawItem and returns defaultDraw.
  virtual bool CustomDrawItem(TTreeNode *node, TCustomDrawState state);
  // Whether rows reserve room for a state image, and which glyph a state index shows without
  // a state image list.
  virtual bool HasStateImages() const;
  virtual TStateGlyph StateGlyph(int stateIndex) const;
  // The control's own reaction to a click or Space on a node's check box: swap empty and ticked.
  virtual void ToggleStateImage(TTreeNode *node);
  // Shift, Ctrl and Alt of a key event, as KeyDown receives them.
  static Qt::KeyboardModifiers ShiftState(const QKeyEvent *event);
  // The point of the mouse event being handled, in client coordinates.
  QPoint MousePos() const { return FMousePos; }

  void mousePressEvent(QMouseEvent *event) override;
  void mouseReleaseEvent(QMouseEvent *event) override;
  void mouseDoubleClickEvent(QMouseEvent *event) override;
  void keyPressEvent(QKeyEvent *event) override;
  void drawBranches(QPainter *painter, const QRect &rect, const QModelIndex &index) const override;
  bool edit(const QModelIndex &index, EditTrigger trigger, QEvent *event) override;
  void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;

private:
  friend class TTreeNodeDelegate;
  friend class TTreeNodes;
  // Records a press (or double click); true when it hit a state icon, which takes the event.
  bool NotePress(QMouseEvent *event);
  void PaintNode(QPainter *painter, const QStyleOptionViewItem &option, TTreeNode *node);
  void DrawNodeParts(TCanvas &canvas, TTreeNode *node, const TTreeNodeLayout &layout, bool selected);
  QSize StateImageSize() const;
  void UpdateEditTriggers();
  TTreeNodeLayout LayoutInCell(const TTreeNode *node, const QRect &cell) const;

  std::unique_ptr<TTreeNodes> FItems;
  TImageList *FImages = nullptr;
  TImageList *FStateImages = nullptr;
  bool FCheckboxes = false;
  bool FShowLines = true;
  bool FShowButtons = true;
  bool FReadOnly = false;
  bool FHideSelection = true;
  int FRowHeight = 0;
  QColor FLinesColor;
  TCanvas *FCanvas = nullptr;
  QPoint FMousePos;
  Qt::MouseButton FPressedButton = Qt::NoButton;
  bool FPressedOnStateIcon = false;
};
