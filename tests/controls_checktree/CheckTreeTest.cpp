#include "ScriptedDialogs.h"
#include "TreeFixture.h"

namespace {

struct CascadeCase {
  int levels;
  QStringList checked;
};

class CheckTree : public testing::Test {
protected:
  TMxCheckTreeView tree;
  RightsTree t{tree};
  QStringList toggled;

  void SetUp() override {
    tree.OnToggled = [this](QObject *, TTreeNode *node) { toggled << node->Text(); };
  }
};

TEST_F(CheckTree, CheckingCascadesByLevels) {
  for (const CascadeCase &c :
       {CascadeCase{-1, {"Programy", "KORVIN", "Baza K1", "Baza K2", "VELDAR", "Baza V1"}},
        CascadeCase{1, {"Programy", "KORVIN", "VELDAR"}},
        CascadeCase{2, {"Programy", "KORVIN", "Baza K1", "Baza K2", "VELDAR", "Baza V1"}},
        CascadeCase{0, {"Programy"}}}) {
    tree.SetChecked(t.Root, false);
    for (int i = 0; i < tree.Items()->Count(); ++i)
      tree.SetCheckedCascade(tree.Items()->Item(i), false, 0);
    toggled.clear();
    tree.CheckBoxOptions()->SetCascadeLevels(c.levels);
    tree.SetChecked(t.Root, true);
    EXPECT_EQ(t.CheckedTexts(), c.checked) << "levels " << c.levels;
    // Once per node that changed, parents before their children.
    EXPECT_EQ(toggled, c.checked) << "levels " << c.levels;
  }
}

TEST_F(CheckTree, UncheckingCascadesOnlyWhenAsked) {
  tree.SetChecked(t.Root, true);
  tree.CheckBoxOptions()->SetCascadeOptions(poOnCheck);
  tree.SetChecked(t.Root, false);
  EXPECT_EQ(t.CheckedTexts(), QStringList({"KORVIN", "Baza K1", "Baza K2", "VELDAR", "Baza V1"}));
  tree.CheckBoxOptions()->SetCascadeOptions(poOnUnCheck);
  tree.SetChecked(t.Root, true);
  EXPECT_EQ(t.CheckedTexts().size(), 6);
  tree.SetChecked(t.Korvin, false);
  EXPECT_EQ(t.CheckedTexts(), QStringList({"Programy", "VELDAR", "Baza V1"}));
}

TEST_F(CheckTree, RefusedToggleKeepsTheNodeButTheSubtreeFollows) {
  tree.OnToggling = [this](QObject *, TTreeNode *node, bool &allow) { allow = node != t.Korvin; };
  tree.SetChecked(t.Root, true);
  EXPECT_FALSE(tree.Checked(t.Korvin));
  EXPECT_TRUE(tree.Checked(t.K1));
  EXPECT_TRUE(tree.Checked(t.K2));
  EXPECT_FALSE(toggled.contains("KORVIN"));
  EXPECT_EQ(toggled.size(), 5);
}

TEST_F(CheckTree, RadioButtonsAmongSiblings) {
  TTreeNode *r1 = tree.Items()->AddChild(t.V1, "r1");
  TTreeNode *r2 = tree.Items()->AddChild(t.V1, "r2");
  TTreeNode *box = tree.Items()->AddChild(t.V1, "box");
  TTreeNode *belowRadio = tree.Items()->AddChild(r1, "below r1");
  for (TTreeNode *node : {r1, r2})
    tree.SetRadioItem(node, true);
  tree.SetCheckBox(box, true);
  tree.SetCheckBox(belowRadio, true);
  EXPECT_TRUE(tree.RadioItem(r1));
  EXPECT_FALSE(tree.CheckBox(r1));

  tree.SetChecked(r1, true);
  tree.SetChecked(box, true);
  tree.SetChecked(r2, true);
  EXPECT_FALSE(tree.Checked(r1));
  EXPECT_TRUE(tree.Checked(r2));
  EXPECT_TRUE(tree.Checked(box));
  EXPECT_EQ(r1->StateIndex(), tree.CheckBoxOptions()->RadioUncheckedIndex());

  // A set radio button is not cleared by Checked := false, and cascading passes radio subtrees by.
  tree.SetChecked(r2, false);
  EXPECT_TRUE(tree.Checked(r2));
  tree.SetChecked(t.Veldar, false);
  tree.SetChecked(t.Veldar, true);
  EXPECT_FALSE(tree.Checked(belowRadio));
  EXPECT_TRUE(tree.Checked(r2));
}

TEST_F(CheckTree, NodeAccessorsWithoutANodeOrStyle) {
  EXPECT_FALSE(tree.Checked(nullptr));
  EXPECT_FALSE(tree.CheckBox(nullptr));
  tree.SetCheckBox(nullptr, true);
  tree.SetChecked(nullptr, true);
  EXPECT_TRUE(toggled.isEmpty());

  // CheckBox := true keeps a set radio button's check; false takes the image away.
  TTreeNode *radio = tree.Items()->AddChild(t.V1, "radio");
  tree.SetRadioItem(radio, true);
  tree.SetChecked(radio, true);
  tree.SetCheckBox(radio, true);
  EXPECT_EQ(radio->StateIndex(), tree.CheckBoxOptions()->CheckBoxCheckedIndex());
  tree.SetCheckBox(radio, false);
  EXPECT_EQ(radio->StateIndex(), 0);
  EXPECT_FALSE(tree.Checked(radio));

  // Other styles leave the state index alone and use the native check box.
  tree.CheckBoxOptions()->SetStyle(cbsNative);
  EXPECT_TRUE(tree.Checkboxes());
  tree.SetCheckBox(t.K1, false);
  EXPECT_EQ(t.K1->StateIndex(), 1);
  tree.SetChecked(t.K1, true);
  EXPECT_EQ(t.K1->StateIndex(), 2);
  EXPECT_FALSE(tree.Checked(t.K2));
  tree.CheckBoxOptions()->SetStyle(cbsStateIndex);
  EXPECT_FALSE(tree.Checkboxes());
}

TEST_F(CheckTree, ImageIndexesHaveARangeAndCarryTheNodes) {
  TMxTreeViewCheckBoxOptions &options = *tree.CheckBoxOptions();
  for (int outside : {-1, 4, 100})
    EXPECT_EQ(options.ImageIndex(outside), 0) << outside;
  options.SetImageIndex(4, 9);
  options.SetImageIndex(-1, 9);
  EXPECT_EQ(std::vector<int>(
                {options.ImageIndex(0), options.ImageIndex(1), options.ImageIndex(2), options.ImageIndex(3)}),
            std::vector<int>({1, 2, 3, 4}));

  tree.SetChecked(t.Korvin, true);
  options.SetCheckBoxCheckedIndex(7);
  EXPECT_EQ(t.Korvin->StateIndex(), 7);
  EXPECT_EQ(t.K1->StateIndex(), 7);
  EXPECT_EQ(t.Veldar->StateIndex(), 1);
  EXPECT_TRUE(tree.Checked(t.K1));
  EXPECT_EQ(t.CheckedTexts(), QStringList({"KORVIN", "Baza K1", "Baza K2"}));
  tree.SetChecked(t.K1, false);
  EXPECT_EQ(t.K1->StateIndex(), 1);
}

TEST_F(CheckTree, AssignCopiesEveryOption) {
  TMxCheckTreeView other;
  other.Items()->AddChild(nullptr, "n")->SetStateIndex(4);
  TMxTreeViewCheckBoxOptions source(&tree);
  source.SetCascadeLevels(3);
  source.SetCascadeOptions(poOnUnCheck);
  source.SetImageIndex(3, 8);
  source.SetStyle(cbsStateIndex);
  other.SetCheckBoxOptions(source);
  const TMxTreeViewCheckBoxOptions &copy = *other.CheckBoxOptions();
  EXPECT_EQ(copy.Style(), cbsStateIndex);
  EXPECT_EQ(copy.CascadeLevels(), 3);
  EXPECT_EQ(copy.CascadeOptions(), TMxTVCascadeOptions(poOnUnCheck));
  EXPECT_EQ(copy.RadioCheckedIndex(), 8);
  EXPECT_EQ(copy.Owner(), &other);
  // The index setter ran, so the set radio node follows its new index.
  EXPECT_EQ(other.Items()->Item(0)->StateIndex(), 8);
}

TEST_F(CheckTree, StatesSurviveUpdatesMovesAndCheckboxSwitching) {
  tree.SetChecked(t.Korvin, true);
  tree.Items()->BeginUpdate();
  TTreeNode *added = t.Add(t.Veldar, "Baza V2");
  t.K1->MoveTo(t.Veldar, naAddChildFirst);
  t.Korvin->MoveTo(t.Veldar, naInsert);
  tree.Items()->EndUpdate();
  EXPECT_TRUE(tree.Checked(t.K1));
  EXPECT_EQ(t.K1->Parent(), t.Veldar);
  EXPECT_TRUE(tree.Checked(t.Korvin));
  EXPECT_TRUE(tree.Checked(t.K2));
  EXPECT_FALSE(tree.Checked(added));
  EXPECT_EQ(t.Korvin->Index(), 0);
  EXPECT_EQ(t.CheckedTexts(), QStringList({"KORVIN", "Baza K2", "Baza K1"}));
  tree.SetCheckboxes(false);
  tree.SetCheckboxes(true);
  EXPECT_EQ(t.CheckedTexts(), QStringList({"KORVIN", "Baza K2", "Baza K1"}));
}

class CheckTreeInput : public CheckTree {
protected:
  int clicks = 0;
  bool k2CheckedInClick = false;

  void SetUp() override {
    CheckTree::SetUp();
    tree.OnClick = [this](QObject *) {
      ++clicks;
      k2CheckedInClick = tree.Checked(t.K2);
    };
    ShowTree(tree);
  }
};

TEST_F(CheckTreeInput, ClickOnTheStateIconTogglesTheNodeUnderTheMouse) {
  tree.SetSelected(t.Veldar);
  // The icon lies where the hit test says, after the indentation of its level.
  const auto [first, last] = PartSpan(tree, t.K2, htOnStateIcon);
  EXPECT_EQ(first, t.K2->DisplayRect(true).left() - 16);
  EXPECT_EQ(last - first + 1, 16);
  const auto [rootFirst, rootLast] = PartSpan(tree, t.Root, htOnStateIcon);
  EXPECT_EQ(first - rootFirst, 2 * tree.Indent());

  QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, PartCentre(tree, t.K2, htOnStateIcon));
  EXPECT_TRUE(tree.Checked(t.K2));
  EXPECT_FALSE(tree.Checked(t.Veldar));
  EXPECT_EQ(clicks, 1);
  EXPECT_TRUE(k2CheckedInClick);
  EXPECT_EQ(tree.Selected(), t.K2);

  QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, PartCentre(tree, t.Korvin, htOnStateIcon));
  EXPECT_EQ(t.CheckedTexts(), QStringList({"KORVIN", "Baza K1", "Baza K2"}));
  QTest::mouseClick(tree.viewport(), Qt::LeftButton, {},
                    QPoint(rootLast + 1, t.K1->DisplayRect(false).center().y()));
  EXPECT_EQ(t.CheckedTexts(), QStringList({"KORVIN", "Baza K1", "Baza K2"}));
}

TEST_F(CheckTreeInput, DoubleClickOnTheStateIconIsTwoClicks) {
  // The window system's order: press, release, double click, release.
  const QPoint icon = PartCentre(tree, t.Korvin, htOnStateIcon);
  QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, icon);
  QTest::mouseDClick(tree.viewport(), Qt::LeftButton, {}, icon);
  QTest::mouseRelease(tree.viewport(), Qt::LeftButton, {}, icon);
  EXPECT_TRUE(t.Korvin->Expanded());
  EXPECT_EQ(toggled, QStringList({"KORVIN", "Baza K1", "Baza K2", "KORVIN", "Baza K1", "Baza K2"}));
  EXPECT_TRUE(t.CheckedTexts().isEmpty());
}

TEST_F(CheckTreeInput, ClicksBesideTheStateIconToggleNothing) {
  for (THitTest part : {htOnLabel, htOnRight, htOnIndent}) {
    QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, PartCentre(tree, t.K1, part));
    EXPECT_TRUE(t.CheckedTexts().isEmpty()) << part;
  }
  EXPECT_EQ(clicks, 3);
  EXPECT_EQ(tree.Selected(), t.K1);
  const auto [first, last] = PartSpan(tree, t.K1, htOnStateIcon);
  for (int x : {first - 1, last + 1})
    QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, QPoint(x, t.K1->DisplayRect(false).center().y()));
  EXPECT_TRUE(t.CheckedTexts().isEmpty());
}

TEST_F(CheckTreeInput, SpaceTogglesTheSelectedNodeWithoutModifiers) {
  tree.setFocus();
  tree.SetSelected(t.Korvin);
  QTest::keyClick(&tree, Qt::Key_Space);
  EXPECT_EQ(t.CheckedTexts(), QStringList({"KORVIN", "Baza K1", "Baza K2"}));
  EXPECT_EQ(clicks, 0);
  for (Qt::KeyboardModifier modifier : {Qt::ShiftModifier, Qt::ControlModifier, Qt::AltModifier}) {
    QTest::keyClick(&tree, Qt::Key_Space, modifier);
    EXPECT_EQ(t.CheckedTexts().size(), 3) << modifier;
  }
  QTest::keyClick(&tree, Qt::Key_Space);
  EXPECT_TRUE(t.CheckedTexts().isEmpty());
  // A key swallowed by OnKeyDown does not toggle.
  tree.OnKeyDown = [](QObject *, int &key, Qt::KeyboardModifiers) { key = 0; };
  QTest::keyClick(&tree, Qt::Key_Space);
  EXPECT_TRUE(t.CheckedTexts().isEmpty());
}

TEST_F(CheckTreeInput, ErrorsOfTheHandlersReachTheApplication) {
  ScriptedDialogs dialogs;
  dialogs.AnswerMessage(mrOk);
  tree.OnToggled = [](QObject *, TTreeNode *) { throw Exception("Brak bazy"); };
  QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, PartCentre(tree, t.K2, htOnStateIcon));
  ASSERT_EQ(dialogs.Messages().size(), 1u);
  EXPECT_EQ(dialogs.Messages()[0].Text, "Brak bazy.");
  EXPECT_TRUE(tree.Checked(t.K2));
  // A silent abort stops the cascade without a word.
  tree.OnToggled = [this](QObject *, TTreeNode *node) {
    if (node == t.K1)
      Abort();
  };
  tree.setFocus();
  tree.SetSelected(t.Korvin);
  QTest::keyClick(&tree, Qt::Key_Space);
  EXPECT_EQ(dialogs.Messages().size(), 1u);
  EXPECT_EQ(t.CheckedTexts(), QStringList({"KORVIN", "Baza K1", "Baza K2"}));
}

} // namespace
