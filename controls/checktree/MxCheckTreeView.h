#pragma once

#include "MxComCtrls.h"

class TMxCheckTreeView;

enum TMxTVCheckBoxStyle { cbsNone, cbsNative, cbsStateIndex };

enum TMxTVCascadeOption { poOnCheck = 0x1, poOnUnCheck = 0x2 };
Q_DECLARE_FLAGS(TMxTVCascadeOptions, TMxTVCascadeOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(TMxTVCascadeOptions)

// How the check tree shows check states: the style, how far a change is carried down, and the
// state indexes that stand for empty and ticked check boxes and radio buttons.
class TMxTreeViewCheckBoxOptions {
public:
  explicit TMxTreeViewCheckBoxOptions(TMxCheckTreeView *owner) : FOwner(owner) {}

  TMxCheckTreeView *Owner() const { return FOwner; }
  TMxTVCheckBoxStyle Style() const { return FStyle; }
  // The tree's Checkboxes follows: on for cbsNative, off otherwise.
  void SetStyle(TMxTVCheckBoxStyle value);
  // 0: no cascading, n > 0: n levels down, negative: the whole subtree.
  int CascadeLevels() const { return FCascadeLevels; }
  void SetCascadeLevels(int value) { FCascadeLevels = value; }
  TMxTVCascadeOptions CascadeOptions() const { return FCascadeOptions; }
  void SetCascadeOptions(TMxTVCascadeOptions value) { FCascadeOptions = value; }

  // The four state indexes by number 0..3; another number reads 0 and is not written.
  int ImageIndex(int index) const;
  // Nodes that show the old index get the new one.
  void SetImageIndex(int index, int value);
  int CheckBoxUncheckedIndex() const { return ImageIndex(0); }
  void SetCheckBoxUncheckedIndex(int value) { SetImageIndex(0, value); }
  int CheckBoxCheckedIndex() const { return ImageIndex(1); }
  void SetCheckBoxCheckedIndex(int value) { SetImageIndex(1, value); }
  int RadioUncheckedIndex() const { return ImageIndex(2); }
  void SetRadioUncheckedIndex(int value) { SetImageIndex(2, value); }
  int RadioCheckedIndex() const { return ImageIndex(3); }
  void SetRadioCheckedIndex(int value) { SetImageIndex(3, value); }

  void Assign(const TMxTreeViewCheckBoxOptions &source);

private:
  TMxCheckTreeView *FOwner;
  TMxTVCheckBoxStyle FStyle = cbsNone;
  int FCascadeLevels = 0;
  TMxTVCascadeOptions FCascadeOptions = poOnCheck | poOnUnCheck;
  int FImageIndexes[4] = {1, 2, 3, 4};
};

// A tree whose nodes carry check boxes or radio buttons; with cbsStateIndex a node's state index
// alone is its kind and check state, and checking a node carries down its check-box subtree.
class TMxCheckTreeView : public TMxTreeView {
  Q_OBJECT
public:
  explicit TMxCheckTreeView(QWidget *parent = nullptr);

  TMxTreeViewCheckBoxOptions *CheckBoxOptions() const { return FCheckBoxOptions.get(); }
  void SetCheckBoxOptions(const TMxTreeViewCheckBoxOptions &options) { FCheckBoxOptions->Assign(options); }

  bool Checked(const TTreeNode *node) const;
  // With cbsStateIndex: SetCheckedCascade by CascadeLevels; otherwise the native check box.
  void SetChecked(TTreeNode *node, bool value);
  bool CheckBox(const TTreeNode *node) const;
  void SetCheckBox(TTreeNode *node, bool value);
  bool RadioItem(const TTreeNode *node) const;
  // With cbsStateIndex: true makes the node a radio button keeping its check (clearing its set
  // radio siblings when it is set), false takes its state image away.
  void SetRadioItem(TTreeNode *node, bool value);

  void SetCheckedCascade(TTreeNode *node, bool value, int levels);
  virtual void ToggleCheck(TTreeNode *node);

  std::function<void(QObject *sender, TTreeNode *node, bool &allowChange)> OnToggling;
  std::function<void(QObject *sender, TTreeNode *node)> OnToggled;

protected:
  void ToggleNodeState(TTreeNode *node);
  bool QueryToggling(TTreeNode *node);
  void NotifyToggled(TTreeNode *node);

  void Click() override;
  void KeyDown(int &key, Qt::KeyboardModifiers shift) override;
  bool HasStateImages() const override;
  TStateGlyph StateGlyph(int stateIndex) const override;
  void ToggleStateImage(TTreeNode *node) override;

private:
  bool UsesStateIndex() const { return FCheckBoxOptions->Style() == cbsStateIndex; }
  void ClearRadioSiblings(TTreeNode *node);
  // Whether the node exists and shows one of the two state indexes.
  static bool HasStateOf(const TTreeNode *node, int first, int second);

  std::unique_ptr<TMxTreeViewCheckBoxOptions> FCheckBoxOptions;
};
