#include "TreeFixture.h"

#include <QImage>

namespace {

int Lightness(const QImage &image, QPoint point) { return image.pixelColor(point).lightness(); }

// The pixels of the node's state icon, located by the hit test, as the window shows them.
QImage StateIcon(TMxCheckTreeView &tree, TTreeNode *node) {
  const QImage shot = tree.viewport()->grab().toImage();
  const auto [first, last] = PartSpan(tree, node, htOnStateIcon);
  const QRect row = node->DisplayRect(false);
  return shot.copy(QRect(first, row.top(), last - first + 1, row.height()));
}

// Number of pixels clearly darker than the tree's background.
int InkPixels(const QImage &image, const QColor &background) {
  int ink = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      ink += image.pixelColor(x, y).lightness() < background.lightness() - 60;
  return ink;
}

class CheckTreeDrawing : public testing::Test {
protected:
  TMxCheckTreeView tree;
  RightsTree t{tree};
  QColor base;

  void SetUp() override {
    ShowTree(tree);
    base = tree.palette().color(QPalette::Base);
  }
};

TEST_F(CheckTreeDrawing, CheckBoxesAreDrawnWhereTheHitTestPutsThem) {
  tree.SetChecked(t.Korvin, true);
  const QImage empty = StateIcon(tree, t.Veldar);
  const QImage ticked = StateIcon(tree, t.Korvin);
  ASSERT_FALSE(empty.isNull());
  // An empty box: a frame around a light centre; a ticked box carries its mark in the centre.
  const QPoint centre(empty.width() / 2, empty.height() / 2);
  EXPECT_GT(InkPixels(empty, base), 12);
  EXPECT_GT(Lightness(empty, centre), base.lightness() - 30);
  EXPECT_GT(InkPixels(ticked, base), InkPixels(empty, base) + 5);
  EXPECT_NE(ticked, empty);
  EXPECT_EQ(StateIcon(tree, t.K1), ticked);
  EXPECT_EQ(StateIcon(tree, t.V1), empty);

  // Nothing is drawn for a node without a state image.
  tree.SetCheckBox(t.V1, false);
  EXPECT_EQ(InkPixels(StateIcon(tree, t.V1), base), 0);
}

TEST_F(CheckTreeDrawing, RadioButtonsAndMovedIndexesKeepTheirLook) {
  const QImage checkedBox = (tree.SetChecked(t.K1, true), StateIcon(tree, t.K1));
  tree.SetRadioItem(t.K2, true);
  const QImage emptyRadio = StateIcon(tree, t.K2);
  tree.SetChecked(t.K2, true);
  const QImage setRadio = StateIcon(tree, t.K2);
  EXPECT_GT(InkPixels(emptyRadio, base), 8);
  EXPECT_NE(emptyRadio, StateIcon(tree, t.V1));
  EXPECT_NE(setRadio, emptyRadio);
  EXPECT_NE(setRadio, checkedBox);

  tree.CheckBoxOptions()->SetCheckBoxCheckedIndex(7);
  EXPECT_EQ(StateIcon(tree, t.K1), checkedBox);
}

} // namespace
