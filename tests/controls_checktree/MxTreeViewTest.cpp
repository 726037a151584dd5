#include "MxExControls.h"
#include "TreeFixture.h"

#include <QAction>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTabWidget>
#include <QToolTip>

namespace {

class MxTree : public testing::Test {
protected:
  TMxTreeView tree;
  TTreeNode *a = tree.Items()->AddChild(nullptr, "Alfa");
  TTreeNode *b = tree.Items()->AddChild(nullptr, "Beta");
  TTreeNode *b1 = tree.Items()->AddChild(b, "Beta 1");
};

TEST_F(MxTree, ItemHeightBelowOneGivesSixteen) {
  for (int value : {0, -5}) {
    tree.SetItemHeight(30);
    tree.SetItemHeight(value);
    EXPECT_EQ(tree.ItemHeight(), 16) << value;
  }
  tree.SetItemHeight(25);
  ShowTree(tree);
  EXPECT_EQ(a->DisplayRect(false).height(), 25);
}

TEST_F(MxTree, DefaultLineColourIsTheFontColour) {
  EXPECT_EQ(tree.LineColor(), clDefault);
  QPalette palette = tree.palette();
  palette.setColor(QPalette::Text, QColor(0, 0, 200));
  tree.setPalette(palette);
  tree.SetLineColor(clDefault);
  EXPECT_EQ(tree.LineColor(), RGBToColor(0, 0, 200));
  tree.SetLineColor(clRed);
  EXPECT_EQ(tree.LineColor(), clRed);

  // The lines of the tree are drawn in that colour: the vertical line of the top level runs
  // through the middle of the first indentation step.
  tree.SetShowButtons(false);
  tree.expandAll();
  ShowTree(tree);
  const QImage shot = tree.viewport()->grab().toImage();
  const QRect row = a->DisplayRect(false);
  const int x = tree.Indent() / 2;
  int red = 0;
  for (int y = row.center().y(); y <= row.bottom(); ++y)
    red += shot.pixelColor(x, y) == QColor(255, 0, 0);
  EXPECT_GE(red, 2);
}

TEST_F(MxTree, NativeChecksSurviveSwitchingCheckboxes) {
  tree.SetCheckboxes(true);
  auto *node = static_cast<TMxTreeNode *>(tree.Items()->AddChild(a, "new"));
  EXPECT_EQ(node->StateIndex(), 1);
  EXPECT_FALSE(node->Checked());
  static_cast<TMxTreeNode *>(b1)->SetChecked(true);
  tree.SetCheckboxes(false);
  tree.SetCheckboxes(true);
  EXPECT_TRUE(static_cast<TMxTreeNode *>(b1)->Checked());
  EXPECT_FALSE(node->Checked());
}

TEST_F(MxTree, NativeCheckBoxTogglesOnClickAndClickBesideSelects) {
  tree.SetCheckboxes(true);
  auto *node = static_cast<TMxTreeNode *>(tree.Items()->AddChild(nullptr, "Gamma"));
  ShowTree(tree);
  tree.SetSelected(a);
  QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, PartCentre(tree, node, htOnStateIcon));
  EXPECT_TRUE(node->Checked());
  EXPECT_EQ(tree.Selected(), node);
  tree.SetSelected(a);
  tree.setFocus();
  QTest::keyClick(&tree, Qt::Key_Space);
  EXPECT_EQ(a->StateIndex(), -1) << "a node made before Checkboxes has no box";
  tree.SetSelected(node);
  QTest::keyClick(&tree, Qt::Key_Space);
  EXPECT_FALSE(node->Checked());
}

TEST_F(MxTree, BoldAndCheckedWriteOnlyChanges) {
  auto *node = static_cast<TMxTreeNode *>(a);
  node->SetBold(true);
  EXPECT_TRUE(node->Bold());
  // A change made elsewhere is not hidden by the node's own last value.
  node->SetStateIndex(2);
  node->SetChecked(false);
  EXPECT_EQ(node->StateIndex(), 1);
  EXPECT_TRUE(node->Checked() == false);
  node->Font()->SetColor(clRed);
  node->Brush()->Color = clYellow;
  auto *copy = static_cast<TMxTreeNode *>(tree.Items()->AddChild(nullptr, "copy"));
  copy->Assign(*node);
  EXPECT_TRUE(copy->Bold());
  EXPECT_EQ(copy->Text(), "Alfa");
  EXPECT_EQ(copy->Font()->Color(), clRed);
  EXPECT_EQ(copy->Brush()->Color, clYellow);
}

TEST_F(MxTree, NodeFontAndBrushDrawTheLabel) {
  auto *node = static_cast<TMxTreeNode *>(b);
  node->Brush()->Color = clYellow;
  ShowTree(tree);
  const QImage shot = tree.viewport()->grab().toImage();
  const QRect label = b->DisplayRect(true);
  EXPECT_EQ(shot.pixelColor(label.right() - 1, label.top() + 1), QColor(255, 255, 0));
}

TEST_F(MxTree, ItemIndexSelectsByAbsoluteIndex) {
  EXPECT_EQ(tree.ItemIndex(), -1);
  tree.SetItemIndex(2);
  EXPECT_EQ(tree.Selected(), b1);
  EXPECT_EQ(tree.ItemIndex(), 2);
  for (int outside : {-1, 3}) {
    tree.SetItemIndex(1);
    tree.SetItemIndex(outside);
    EXPECT_EQ(tree.Selected(), nullptr) << outside;
  }
}

TEST_F(MxTree, MultiSelectWithCtrlClicksAndKeys) {
  tree.SetMultiSelect(true);
  tree.expandAll();
  ShowTree(tree);
  int changes = 0;
  tree.OnSelectionChange = [&](QObject *) { ++changes; };
  QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, PartCentre(tree, a, htOnLabel));
  QTest::mouseClick(tree.viewport(), Qt::LeftButton, Qt::ControlModifier, PartCentre(tree, b1, htOnLabel));
  EXPECT_EQ(tree.SelectionCount(), 2);
  EXPECT_TRUE(tree.IsInSelection(a));
  EXPECT_TRUE(tree.IsInSelection(b1));
  QTest::mouseClick(tree.viewport(), Qt::LeftButton, Qt::ControlModifier, PartCentre(tree, a, htOnLabel));
  EXPECT_FALSE(tree.IsInSelection(a));
  EXPECT_GE(changes, 3);

  tree.setFocus();
  tree.SetSelected(b);
  QTest::keyClick(&tree, Qt::Key_Space);
  EXPECT_TRUE(tree.IsInSelection(b));
  QTest::keyClick(&tree, Qt::Key_Up, Qt::ShiftModifier);
  EXPECT_EQ(tree.Selected(), a);
  EXPECT_EQ(tree.SelectionCount(), 3);
  QTest::keyClick(&tree, Qt::Key_Down);
  EXPECT_EQ(tree.SelectionCount(), 1);
  EXPECT_TRUE(tree.IsInSelection(b));

  // Deleting a node takes it and its subtree out of the list.
  tree.ToggleInSelection(b1);
  delete b;
  EXPECT_EQ(tree.SelectionCount(), 0);
  tree.SetMultiSelect(false);
}

TEST_F(MxTree, PageControlFollowsTheSelectedNode) {
  QTabWidget pages;
  pages.addTab(new QWidget, "alfa");
  pages.addTab(new QWidget, "Beta 1");
  pages.addTab(new QWidget, "BETA");
  tree.SetPageControl(&pages);
  QWidget *changedTo = nullptr;
  tree.OnPageChanged = [&](QObject *, TTreeNode *, QWidget *page) { changedTo = page; };
  tree.SetSelected(b);
  EXPECT_EQ(pages.currentIndex(), 2);
  EXPECT_EQ(changedTo, pages.widget(2));
  tree.SetSelected(a);
  EXPECT_EQ(pages.currentIndex(), 0);
  tree.OnComparePage = [&](QObject *, QWidget *page, TTreeNode *, bool &accept) {
    accept = page == pages.widget(1);
  };
  tree.SetSelected(b);
  EXPECT_EQ(pages.currentIndex(), 1);
}

TEST_F(MxTree, TreeIsBuiltFromAMenu) {
  QMenu menu;
  menu.addAction("&Open");
  menu.addSeparator();
  menu.addAction(QString());
  QMenu *sub = menu.addMenu("&Tools && more");
  QAction *run = sub->addAction("Run");
  int runs = 0;
  QObject::connect(run, &QAction::triggered, [&] { ++runs; });
  tree.SetMenu(&menu);
  ASSERT_EQ(tree.Items()->Count(), 3);
  EXPECT_EQ(tree.Items()->Item(0)->Text(), "Open");
  EXPECT_EQ(tree.Items()->Item(1)->Text(), "Tools & more");
  EXPECT_EQ(tree.Items()->Item(2)->Parent(), tree.Items()->Item(1));
  tree.SetSelected(tree.Items()->Item(2));
  EXPECT_EQ(runs, 1);

  menu.addAction("Close");
  EXPECT_EQ(tree.Items()->Count(), 4);
  tree.SetMenu(nullptr);
  EXPECT_EQ(tree.Items()->Count(), 0);
}

TEST_F(MxTree, CancelledEditingIsReported) {
  ShowTree(tree);
  int cancelled = 0;
  tree.OnEditCancelled = [&](QObject *) { ++cancelled; };
  tree.editItem(a);
  auto *editor = tree.viewport()->findChild<QLineEdit *>();
  ASSERT_NE(editor, nullptr);
  editor->setText("changed");
  QTest::keyClick(editor, Qt::Key_Escape);
  EXPECT_EQ(cancelled, 1);
  EXPECT_EQ(a->Text(), "Alfa");
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  tree.editItem(a);
  editor = tree.viewport()->findChild<QLineEdit *>();
  ASSERT_NE(editor, nullptr);
  editor->setText("Alfa 2");
  QTest::keyClick(editor, Qt::Key_Return);
  QCoreApplication::processEvents(); // the delegate commits through a queued call
  EXPECT_EQ(cancelled, 1);
  EXPECT_EQ(a->Text(), "Alfa 2");
}

TEST_F(MxTree, RightClickSelectsTheNodeAndShowsItsMenu) {
  QMenu menu;
  menu.addAction("Usuń");
  static_cast<TMxTreeNode *>(b)->SetPopupMenu(&menu);
  ShowTree(tree);
  QTest::mouseClick(tree.viewport(), Qt::RightButton, {}, PartCentre(tree, a, htOnLabel));
  EXPECT_EQ(tree.Selected(), a);
  EXPECT_FALSE(menu.isVisible());
  QTest::mouseClick(tree.viewport(), Qt::RightButton, {}, PartCentre(tree, b, htOnLabel));
  EXPECT_EQ(tree.Selected(), b);
  EXPECT_TRUE(menu.isVisible());
  menu.close();
}

TEST_F(MxTree, ScrollingIsReported) {
  for (int i = 0; i < 40; ++i)
    tree.Items()->AddChild(nullptr, QString::number(i));
  ShowTree(tree);
  int vertical = 0;
  tree.OnVerticalScroll = [&](QObject *) { ++vertical; };
  tree.scrollToItem(tree.Items()->Item(tree.Items()->Count() - 1));
  EXPECT_GE(vertical, 1);
}

class RecordingTree : public TMxExTreeView {
public:
  using TMxExTreeView::TMxExTreeView;
  std::vector<bool> autoSizes;
  QStringList notes;
  void EnabledChanged() override { notes << "enabled"; }
  void FontChanged() override { notes << "font"; }
  void ParentFontChanged() override { notes << "parent font"; }
  void ColorChanged() override { notes << "colour"; }
  void VisibleChanged() override { notes << "visible"; }
  void ParentColorChanged() override {
    notes << "parent colour";
    TMxExTreeView::ParentColorChanged();
  }
  void SetAutoSize(bool value) override {
    autoSizes.push_back(value);
    TMxExTreeView::SetAutoSize(value);
  }
};

TEST(AutoSizeRule, ExtendedControlsReceiveTheChange) {
  RecordingTree tree;
  SetControlAutoSize(&tree, true);
  SetControlAutoSize(&tree, false);
  EXPECT_EQ(tree.autoSizes, std::vector<bool>({true, false}));
  EXPECT_FALSE(ControlAutoSize(&tree));

  QLabel label("a rather long caption");
  label.resize(5, 5);
  SetControlAutoSize(&label, true);
  EXPECT_TRUE(ControlAutoSize(&label));
  EXPECT_GT(label.width(), 5);
}

TEST(Notifications, WidgetChangesReachTheirOperations) {
  QWidget parent;
  auto *tree = new RecordingTree(&parent);
  int parentColourEvents = 0;
  tree->OnParentColorChange = [&](QObject *) { ++parentColourEvents; };
  const auto noted = [&](const char *note) { return tree->notes.count(note); };
  tree->setEnabled(false);
  EXPECT_EQ(noted("enabled"), 1);
  parent.setFont(QFont("DejaVu Sans", 15));
  EXPECT_EQ(noted("parent font"), 1);
  tree->setFont(QFont("DejaVu Sans", 7));
  EXPECT_EQ(noted("font"), 1);
  QPalette palette = parent.palette();
  palette.setColor(QPalette::Base, Qt::yellow);
  parent.setPalette(palette);
  EXPECT_EQ(noted("parent colour"), 1);
  EXPECT_EQ(parentColourEvents, 1);
  tree->setPalette(palette);
  EXPECT_EQ(noted("colour"), 1);
  tree->hide();
  EXPECT_EQ(noted("visible"), 1);

  int entered = 0, left = 0;
  tree->OnMouseEnter = [&](QObject *) { ++entered; };
  tree->OnMouseLeave = [&](QObject *) { ++left; };
  QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
  QApplication::sendEvent(tree, &enter);
  EXPECT_TRUE(tree->MouseOver());
  QEvent leave(QEvent::Leave);
  QApplication::sendEvent(tree, &leave);
  EXPECT_FALSE(tree->MouseOver());
  EXPECT_EQ(entered, 1);
  EXPECT_EQ(left, 1);
}

TEST(HintColor, DefaultAsksTheParentNoneTakesTheApplications) {
  TMxExTreeView outer;
  auto *inner = new TMxExTreeView(&outer);
  EXPECT_EQ(inner->ResolveHintColor(), clInfoBk);
  outer.SetHintColor(clRed);
  EXPECT_EQ(inner->ResolveHintColor(), clRed);
  inner->SetHintColor(clNone);
  EXPECT_EQ(inner->ResolveHintColor(), clInfoBk);
  inner->SetHintColor(clLime);
  EXPECT_EQ(inner->ResolveHintColor(), clLime);
}

TEST(HintColor, TheHintShowsInTheResolvedColour) {
  TMxExTreeView tree;
  tree.setToolTip("Programy i bazy");
  tree.SetHintColor(clRed);
  ShowTree(tree);
  QHelpEvent help(QEvent::ToolTip, QPoint(5, 5), tree.mapToGlobal(QPoint(5, 5)));
  QApplication::sendEvent(&tree, &help);
  ASSERT_TRUE(QToolTip::isVisible());
  EXPECT_EQ(QToolTip::text(), "Programy i bazy");
  QWidget *label = nullptr;
  for (QWidget *widget : QApplication::topLevelWidgets())
    if (widget->objectName() == "qtooltip_label")
      label = widget;
  ASSERT_NE(label, nullptr);
  EXPECT_EQ(label->palette().color(QPalette::ToolTipBase), QColor(255, 0, 0));
  EXPECT_NE(QToolTip::palette().color(QPalette::ToolTipBase), QColor(255, 0, 0));
  QToolTip::hideText();
}

TEST(FocusFrame, DrawnInTheFocusColourOrGrey) {
  TMxExTreeView tree;
  tree.SetDotNetHighlighting(true);
  ShowTree(tree);
  tree.clearFocus();
  QEvent leave(QEvent::Leave);
  QApplication::sendEvent(&tree, &leave);
  ASSERT_FALSE(tree.MouseOver());
  ASSERT_FALSE(tree.hasFocus());
  const QImage idle = tree.grab().toImage();
  EXPECT_EQ(idle.pixelColor(0, 10), QColor(0x80, 0x80, 0x80));
  tree.activateWindow();
  tree.setFocus();
  QApplication::processEvents();
  ASSERT_TRUE(tree.hasFocus());
  const QImage focused = tree.grab().toImage();
  EXPECT_EQ(focused.pixelColor(0, 10), QColor(0x00, 0x38, 0x73));
  EXPECT_EQ(focused.pixelColor(1, 10), QColor(0x00, 0x38, 0x73));
}

} // namespace
