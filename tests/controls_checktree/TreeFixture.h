#pragma once

#include "MxCheckTreeView.h"

#include <QTest>
#include <gtest/gtest.h>

// The rights editor's tree: "Programy" -> program groups -> databases, every node a check box.
struct RightsTree {
  explicit RightsTree(TMxCheckTreeView &tree) : Tree(tree) {
    tree.CheckBoxOptions()->SetStyle(cbsStateIndex);
    tree.CheckBoxOptions()->SetCascadeLevels(-1);
    Root = Add(nullptr, "Programy");
    Korvin = Add(Root, "KORVIN");
    K1 = Add(Korvin, "Baza K1");
    K2 = Add(Korvin, "Baza K2");
    Veldar = Add(Root, "VELDAR");
    V1 = Add(Veldar, "Baza V1");
    tree.SetCheckboxes(true);
    tree.expandAll();
  }

  TTreeNode *Add(TTreeNode *parent, const char *text) {
    TTreeNode *node = Tree.Items()->AddChild(parent, QString::fromUtf8(text));
    Tree.SetCheckBox(node, true);
    return node;
  }

  // Texts of the checked nodes in index order.
  QStringList CheckedTexts() const {
    QStringList texts;
    for (int i = 0; i < Tree.Items()->Count(); ++i)
      if (Tree.Checked(Tree.Items()->Item(i)))
        texts << Tree.Items()->Item(i)->Text();
    return texts;
  }

  TMxCheckTreeView &Tree;
  TTreeNode *Root, *Korvin, *K1, *K2, *Veldar, *V1;
};

// A tree shown offscreen at a fixed size, so that rows have their real geometry.
inline void ShowTree(QWidget &tree) {
  tree.resize(320, 240);
  tree.show();
  EXPECT_TRUE(QTest::qWaitForWindowExposed(&tree));
}

// The horizontal span that the hit test reports as `part` in the node's row, from a scan of the row.
inline std::pair<int, int> PartSpan(const TTreeView &tree, const TTreeNode *node, THitTest part) {
  const int y = node->DisplayRect(false).center().y();
  int first = -1, last = -1;
  for (int x = 0; x < tree.viewport()->width(); ++x)
    if (tree.GetHitTestInfoAt(x, y).testFlag(part)) {
      if (first < 0)
        first = x;
      last = x;
    }
  return {first, last};
}

inline QPoint PartCentre(const TTreeView &tree, const TTreeNode *node, THitTest part) {
  const auto [first, last] = PartSpan(tree, node, part);
  EXPECT_GE(first, 0) << "no such part in the row of " << node->Text().toStdString();
  return QPoint((first + last) / 2, node->DisplayRect(false).center().y());
}
