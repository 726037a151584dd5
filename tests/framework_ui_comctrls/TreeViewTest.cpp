#include "ComCtrls.h"
#include "ImgList.h"

#include <QImage>
#include <QPainter>
#include <QTest>
#include <gtest/gtest.h>

namespace {

QStringList Texts(const TTreeView &tree) {
  QStringList texts;
  for (int i = 0; i < tree.Items()->Count(); ++i)
    texts << tree.Items()->Item(i)->Text();
  return texts;
}

class TreeView : public testing::Test {
protected:
  TTreeView tree;
  TTreeNodes &items = *tree.Items();
  TTreeNode *a = items.Add(nullptr, "a");
  TTreeNode *c = items.Add(a, "c");
  TTreeNode *c1 = items.AddChild(c, "c1");
  TTreeNode *c2 = items.AddChild(c, "c2");

  void Show() {
    tree.expandAll();
    tree.resize(300, 200);
    tree.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&tree));
  }
};

TEST_F(TreeView, NodesAreAddedWhereAsked) {
  items.Insert(c, "b");
  items.AddFirst(c, "first");
  items.AddChildFirst(c, "c0");
  items.Insert(nullptr, "last");
  EXPECT_EQ(Texts(tree), QStringList({"first", "a", "b", "c", "c0", "c1", "c2", "last"}));
  EXPECT_EQ(items.GetFirstNode()->Text(), "first");
  EXPECT_EQ(c2->Level(), 1);
  EXPECT_EQ(c2->Index(), 2);
  EXPECT_EQ(c2->AbsoluteIndex(), 6);
  EXPECT_EQ(c->getFirstChild()->Text(), "c0");
  EXPECT_EQ(c1->getNextSibling(), c2);
  EXPECT_EQ(c2->getNextSibling(), nullptr);
  EXPECT_EQ(c2->getPrevSibling(), c1);
  EXPECT_EQ(c->Count(), 3);
  EXPECT_EQ(c->Item(1), c1);
  EXPECT_EQ(c1->Parent(), c);
  EXPECT_EQ(a->Parent(), nullptr);
  int data = 5;
  EXPECT_EQ(items.AddChildObject(a, "with data", &data)->Data(), &data);
}

TEST_F(TreeView, ItemOutsideTheListRaises) {
  EXPECT_EQ(items.Count(), 4);
  EXPECT_EQ(items.Item(3), c2);
  for (int index : {-1, 4})
    EXPECT_THROW(items.Item(index), ETreeViewError) << index;
  c->Delete();
  EXPECT_EQ(Texts(tree), QStringList({"a"}));
  items.Clear();
  EXPECT_EQ(items.Count(), 0);
  EXPECT_EQ(items.GetFirstNode(), nullptr);
}

TEST_F(TreeView, MovesKeepEveryNodesProperties) {
  c1->SetStateIndex(2);
  c2->SetImageIndex(3);
  c->SetBoldState(true);
  c->SetExpanded(true);
  c->MoveTo(a, naAddChild);
  EXPECT_EQ(Texts(tree), QStringList({"a", "c", "c1", "c2"}));
  EXPECT_EQ(c->Parent(), a);
  EXPECT_EQ(c1->StateIndex(), 2);
  EXPECT_EQ(c2->ImageIndex(), 3);
  EXPECT_TRUE(c->BoldState());
  EXPECT_TRUE(c->Expanded());
  // A node cannot move below itself.
  a->MoveTo(c1, naAddChild);
  EXPECT_EQ(a->Parent(), nullptr);
  EXPECT_EQ(c1->Count(), 0);
  c2->MoveTo(a, naAdd);
  EXPECT_EQ(Texts(tree), QStringList({"a", "c", "c1", "c2"}));
  EXPECT_EQ(c2->Level(), 0);
}

TEST_F(TreeView, HitTestNamesThePartUnderThePoint) {
  tree.SetCheckboxes(true);
  c1->SetStateIndex(1);
  Show();
  const QRect row = c->DisplayRect(false);
  const QRect label = c->DisplayRect(true);
  const int y = row.center().y();
  struct Case {
    QPoint point;
    THitTests expected;
  };
  // c was added before Checkboxes, still its row keeps the state image's room.
  for (const Case &k :
       {Case{{label.left() - 8, y}, htOnItem | htOnStateIcon},
        Case{{label.left() + 2, y}, htOnItem | htOnLabel}, Case{{label.right() + 3, y}, htOnRight},
        Case{{label.left() - 16 - tree.Indent() / 2, y}, htOnButton},
        Case{{label.left() - 16 - tree.Indent() / 2, c1->DisplayRect(false).center().y()}, htOnIndent},
        Case{{5, tree.viewport()->height() - 2}, htNowhere}, Case{{5, -1}, htAbove},
        Case{{5, tree.viewport()->height()}, htBelow}, Case{{-1, y}, htToLeft},
        Case{{tree.viewport()->width(), y}, htToRight}})
    EXPECT_EQ(tree.GetHitTestInfoAt(k.point.x(), k.point.y()), k.expected)
        << k.point.x() << "," << k.point.y();
  EXPECT_EQ(tree.GetNodeAt(label.right() + 3, y), c);
  EXPECT_EQ(tree.GetNodeAt(5, tree.viewport()->height() - 2), nullptr);
  EXPECT_EQ(label.left() - tree.visualItemRect(c).left(), 16);
}

TEST_F(TreeView, ClicksOnTheButtonExpandAndOnTheLabelSelect) {
  Show();
  int clicks = 0;
  TTreeNode *changedTo = nullptr;
  tree.OnClick = [&](QObject *) { ++clicks; };
  tree.OnChange = [&](QObject *, TTreeNode *node) { changedTo = node; };
  const QRect label = c->DisplayRect(true);
  QTest::mouseClick(tree.viewport(), Qt::LeftButton, {},
                    QPoint(label.left() - tree.Indent() / 2, label.center().y()));
  EXPECT_FALSE(c->Expanded());
  QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, label.center());
  EXPECT_EQ(tree.Selected(), c);
  EXPECT_EQ(changedTo, c);
  EXPECT_EQ(clicks, 2);
  EXPECT_TRUE(c->Selected());
  c->SetSelected(false);
  EXPECT_EQ(tree.Selected(), nullptr);
}

TEST_F(TreeView, CheckBoxClicksToggleWithoutSelecting) {
  tree.SetCheckboxes(true);
  c1->SetStateIndex(1);
  Show();
  tree.SetSelected(a);
  const QRect label = c1->DisplayRect(true);
  const QPoint box(label.left() - 8, label.center().y());
  QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, box);
  EXPECT_EQ(c1->StateIndex(), 2);
  EXPECT_EQ(tree.Selected(), a);
  QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, box);
  EXPECT_EQ(c1->StateIndex(), 1);
  // A node without a box has nothing to toggle.
  const QRect other = a->DisplayRect(true);
  QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, QPoint(other.left() - 8, other.center().y()));
  EXPECT_EQ(a->StateIndex(), -1);
}

TEST_F(TreeView, CustomDrawColoursTheLabel) {
  tree.OnCustomDrawItem = [&](TTreeView *sender, TTreeNode *node, TCustomDrawState, bool &defaultDraw) {
    if (node == c1)
      sender->Canvas()->Brush.Color = clRed;
    defaultDraw = node != c2;
  };
  c2->SetStateIndex(1);
  Show();
  const QImage shot = tree.viewport()->grab().toImage();
  const QRect label = c1->DisplayRect(true);
  EXPECT_EQ(shot.pixelColor(label.right() - 1, label.top() + 1), QColor(255, 0, 0));
  // A node the handler drew itself shows nothing of its own.
  const QRect skipped = c2->DisplayRect(true);
  const QColor base = tree.palette().color(QPalette::Base);
  for (int x = skipped.left(); x <= skipped.right(); ++x)
    EXPECT_EQ(shot.pixelColor(x, skipped.center().y()), base) << x;
}

TEST_F(TreeView, StateImagesComeFromTheListWhenGiven) {
  TImageList images(12, 12);
  QPixmap blue(12, 12), green(12, 12);
  blue.fill(Qt::blue);
  green.fill(Qt::green);
  images.Add(blue);
  images.Add(green);
  tree.SetStateImages(&images);
  c1->SetStateIndex(1);
  c2->SetStateIndex(0);
  Show();
  const QImage shot = tree.viewport()->grab().toImage();
  const QRect label = c1->DisplayRect(true);
  EXPECT_EQ(label.left() - tree.visualItemRect(c1).left(), 12);
  EXPECT_EQ(shot.pixelColor(label.left() - 6, label.center().y()), QColor(0, 255, 0));
  const QRect none = c2->DisplayRect(true);
  EXPECT_EQ(shot.pixelColor(none.left() - 6, none.center().y()), tree.palette().color(QPalette::Base));
}

TEST_F(TreeView, UpdatesHoldPaintingUntilTheLastEnd) {
  items.BeginUpdate();
  items.BeginUpdate();
  items.AddChild(a, "x");
  items.EndUpdate();
  EXPECT_FALSE(tree.updatesEnabled());
  items.EndUpdate();
  EXPECT_TRUE(tree.updatesEnabled());
  items.EndUpdate();
  EXPECT_TRUE(tree.updatesEnabled());
  EXPECT_EQ(items.Count(), 5);
}

} // namespace
