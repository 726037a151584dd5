#include "GridInput.h"
#include "Grids.h"
#include "InplaceEdit.h"

#include <QApplication>
#include <QImage>
#include <QWidget>
#include <gtest/gtest.h>
#include <set>

using namespace GridInput;

namespace {

// A grid that remembers what it was asked to draw and edit, and may refuse cells.
class TProbeGrid : public TCustomGrid {
public:
  using TCustomGrid::MoveColumn;
  using TCustomGrid::TCustomGrid;

  std::set<std::pair<int, int>> Drawn;
  std::vector<std::pair<int, int>> Moved;
  std::map<std::pair<int, int>, QString> Texts;
  std::pair<int, int> Refused{-1, -1};
  int TopLeftChanges = 0;
  int Clicks = 0;

protected:
  void DrawCell(int ACol, int ARow, const QRect &, TGridDrawState) override { Drawn.insert({ACol, ARow}); }
  bool SelectCell(int ACol, int ARow) override { return std::make_pair(ACol, ARow) != Refused; }
  void ColumnMoved(int FromIndex, int ToIndex) override { Moved.emplace_back(FromIndex, ToIndex); }
  void TopLeftChanged() override { ++TopLeftChanges; }
  void Click() override { ++Clicks; }

public:
  QString GetEditText(int ACol, int ARow) override { return Texts[{ACol, ARow}]; }
  void SetEditText(int ACol, int ARow, const QString &Value) override { Texts[{ACol, ARow}] = Value; }
};

class GridTest : public testing::Test {
protected:
  void SetUp() override {
    UseStableLook();
    window.resize(320, 220);
    grid = new TProbeGrid(&window);
    grid->setGeometry(0, 0, 320, 220);
    grid->SetColCount(50);
    grid->SetRowCount(1000);
    ShowFocused(window, *grid);
  }

  QWidget window;
  TProbeGrid *grid = nullptr;
};

TEST_F(GridTest, DrawCellIsCalledForTheVisibleCellsOnly) {
  grid->SetTopRow(500);
  grid->Drawn.clear();
  grid->viewport()->grab();
  std::set<std::pair<int, int>> expected;
  for (int row = 0; row < grid->RowCount(); ++row)
    for (int col = 0; col < grid->ColCount(); ++col)
      if (!grid->CellRect(col, row).isEmpty())
        expected.insert({col, row});
  EXPECT_EQ(grid->Drawn, expected);
  EXPECT_TRUE(grid->Drawn.count({0, 0}));
  EXPECT_TRUE(grid->Drawn.count({1, 500}));
  EXPECT_FALSE(grid->Drawn.count({1, 499}));
  EXPECT_LT(grid->Drawn.size(), 60u);
}

TEST_F(GridTest, KeysMoveTheCurrentCellAndKeepItInView) {
  struct Case {
    int key;
    Qt::KeyboardModifiers modifiers;
    int col, row;
  };
  const int page = grid->VisibleRowCount();
  const Case cases[] = {
      {Qt::Key_Down, Qt::NoModifier, 1, 2},
      {Qt::Key_Right, Qt::NoModifier, 2, 2},
      {Qt::Key_PageDown, Qt::NoModifier, 2, 2 + page},
      {Qt::Key_End, Qt::ControlModifier, 49, 999},
      {Qt::Key_Home, Qt::NoModifier, 1, 999},
      {Qt::Key_Up, Qt::NoModifier, 1, 998},
      {Qt::Key_Home, Qt::ControlModifier, 1, 1},
      {Qt::Key_Up, Qt::NoModifier, 1, 1},
  };
  for (const Case &c : cases) {
    Press(c.key, c.modifiers);
    EXPECT_EQ(grid->Col(), c.col) << "key " << c.key;
    EXPECT_EQ(grid->Row(), c.row) << "key " << c.key;
    EXPECT_FALSE(grid->CellRect(grid->Col(), grid->Row()).isEmpty()) << "key " << c.key;
  }
  EXPECT_GT(grid->TopLeftChanges, 0);
}

TEST_F(GridTest, SelectCellCanRefuseAMove) {
  grid->Refused = {1, 2};
  Press(Qt::Key_Down);
  EXPECT_EQ(grid->Row(), 1);
  grid->Refused = {-1, -1};
  Press(Qt::Key_Down);
  EXPECT_EQ(grid->Row(), 2);
  EXPECT_EQ(grid->Clicks, 2);
}

TEST_F(GridTest, TabSkipsColumnsWithoutTabStopAndWrapsToTheNextRow) {
  grid->SetColCount(4);
  grid->SetOptions(grid->Options() | goTabs);
  grid->SetTabStops(2, false);
  Press(Qt::Key_Tab);
  EXPECT_EQ(grid->Col(), 3);
  Press(Qt::Key_Tab);
  EXPECT_EQ(grid->Col(), 1);
  EXPECT_EQ(grid->Row(), 2);
  Press(Qt::Key_Backtab, Qt::ShiftModifier);
  EXPECT_EQ(grid->Col(), 3);
  EXPECT_EQ(grid->Row(), 1);
}

TEST_F(GridTest, MouseCoordAndCellRectAgree) {
  grid->SetColWidths(2, 0); // hidden
  for (const auto &[col, row] : std::vector<std::pair<int, int>>{{0, 0}, {1, 1}, {3, 4}, {4, 2}}) {
    const QRect rect = grid->CellRect(col, row);
    ASSERT_FALSE(rect.isEmpty());
    const TGridCoord hit = grid->MouseCoord(rect.center().x(), rect.center().y());
    EXPECT_EQ(hit.X, col);
    EXPECT_EQ(hit.Y, row);
  }
  EXPECT_TRUE(grid->CellRect(2, 1).isEmpty());
  EXPECT_EQ(grid->CellRect(3, 1).left(), grid->CellRect(1, 1).right() + 2);
  EXPECT_EQ(grid->MouseCoord(-5, 10).X, -1);
}

TEST_F(GridTest, ClickSelectsAndWheelMovesTheRow) {
  const QRect rect = grid->CellRect(3, 4);
  Click(*grid->viewport(), rect.center());
  EXPECT_EQ(grid->Col(), 3);
  EXPECT_EQ(grid->Row(), 4);
  Wheel(*grid->viewport(), rect.center(), -1);
  EXPECT_EQ(grid->Row(), 5);
  Wheel(*grid->viewport(), rect.center(), 1);
  Wheel(*grid->viewport(), rect.center(), 1);
  EXPECT_EQ(grid->Row(), 3);
}

TEST_F(GridTest, ShiftExtendsTheSelectionWithRangeSelect) {
  Press(Qt::Key_Down, Qt::ShiftModifier);
  Press(Qt::Key_Right, Qt::ShiftModifier);
  EXPECT_EQ(grid->Selection(), (TGridRect{1, 1, 2, 2}));
  Press(Qt::Key_Down);
  EXPECT_EQ(grid->Selection(), (TGridRect{2, 3, 2, 3}));
}

TEST_F(GridTest, DraggingATitleBoundarySizesTheColumn) {
  grid->SetOptions(grid->Options() | goColSizing);
  const QRect title = grid->CellRect(1, 0);
  const int boundary = title.right() + 1;
  Drag(*grid->viewport(), QPoint(boundary, title.center().y()), QPoint(boundary + 30, title.center().y()));
  EXPECT_EQ(grid->ColWidths(1), 64 + 30);
}

TEST_F(GridTest, DraggingATitleMovesTheColumn) {
  grid->SetOptions(grid->Options() | goColMoving);
  grid->SetColWidths(1, 40);
  const QRect from = grid->CellRect(1, 0);
  const QRect to = grid->CellRect(3, 0);
  Drag(*grid->viewport(), from.center(), to.center());
  ASSERT_EQ(grid->Moved.size(), 1u);
  EXPECT_EQ(grid->Moved[0], std::make_pair(1, 3));
  EXPECT_EQ(grid->ColWidths(3), 40);
  EXPECT_EQ(grid->ColWidths(1), 64);
}

TEST_F(GridTest, TypingOpensTheEditorAndEnterWritesTheText) {
  grid->SetOptions(grid->Options() | goEditing);
  grid->Texts[{1, 1}] = QStringLiteral("old");
  Type(QStringLiteral("ab"));
  ASSERT_TRUE(grid->EditorMode());
  ASSERT_NE(grid->InplaceEditor(), nullptr);
  EXPECT_TRUE(grid->InplaceEditor()->isVisible());
  EXPECT_EQ(grid->InplaceEditor()->text(), QStringLiteral("ab"));
  Press(Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
  EXPECT_FALSE(grid->EditorMode());
  EXPECT_EQ(grid->Texts[std::make_pair(1, 1)], QStringLiteral("ab"));
  Press(Qt::Key_F2);
  EXPECT_TRUE(grid->InplaceEditor()->isVisible());
  EXPECT_EQ(grid->InplaceEditor()->text(), QStringLiteral("ab"));
  Press(Qt::Key_Down);
  EXPECT_FALSE(grid->InplaceEditor()->isVisible());
  EXPECT_EQ(grid->Row(), 2);
}

TEST_F(GridTest, AnAlwaysShownEditorFollowsTheCurrentCell) {
  grid->Texts[{1, 2}] = QStringLiteral("second");
  grid->SetOptions(grid->Options() | goEditing | goAlwaysShowEditor);
  ASSERT_NE(grid->InplaceEditor(), nullptr);
  EXPECT_TRUE(grid->InplaceEditor()->isVisible());
  Press(Qt::Key_Down);
  EXPECT_TRUE(grid->InplaceEditor()->isVisible());
  EXPECT_EQ(grid->InplaceEditor()->text(), QStringLiteral("second"));
  EXPECT_EQ(grid->InplaceEditor()->geometry(), grid->CellRect(1, 2));
}

TEST_F(GridTest, FixedAndSelectedCellsArePaintedInTheirColours) {
  grid->clearFocus();
  QApplication::processEvents();
  const QImage image = grid->viewport()->grab().toImage();
  const QPoint fixed = grid->CellRect(0, 3).center();
  const QPoint selected = grid->CellRect(1, 1).center();
  const QPoint plain = grid->CellRect(2, 2).center();
  EXPECT_EQ(image.pixelColor(fixed), ColorToQColor(clBtnFace));
  EXPECT_EQ(image.pixelColor(selected), ColorToQColor(clHighlight));
  EXPECT_EQ(image.pixelColor(plain), ColorToQColor(clWindow));
  EXPECT_EQ(image.pixelColor(grid->CellRect(2, 2).bottomRight() + QPoint(1, 1)), ColorToQColor(clSilver));
}

TEST_F(GridTest, FixedCountsMustStayBelowTheCounts) {
  EXPECT_THROW(grid->SetFixedCols(50), EInvalidGridOperation);
  grid->SetRowCount(1);
  EXPECT_EQ(grid->FixedRows(), 0);
  EXPECT_EQ(grid->Row(), 0);
}

} // namespace
