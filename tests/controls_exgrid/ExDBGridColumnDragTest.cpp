#include "ExDBGridFixture.h"

#include <QTimer>

namespace {

class ExDBGridColumnDragTest : public ExDBGridFixture {
protected:
  void SetUp() override { Build({{"ADAM", true, 1}, {"BEATA", false, 0}}); }
  QRect Title(int dataCol) const { return grid->CellRect(dataCol + grid->IndicatorOffset(), 0); }
  QStringList ColumnNames() const {
    QStringList names;
    for (int i = 0; i < grid->Columns().Count(); ++i)
      names << grid->Columns()[i]->FieldName();
    return names;
  }
  void Press(QPoint pos) {
    QMouseEvent event(QEvent::MouseButtonPress, pos, View().mapToGlobal(pos), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(&View(), &event);
  }
  void Drag(QPoint pos) {
    QMouseEvent event(QEvent::MouseMove, pos, View().mapToGlobal(pos), Qt::NoButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(&View(), &event);
  }
};

TEST_F(ExDBGridColumnDragTest, DroppingATitleMovesItsColumn) {
  GridInput::Drag(View(), Title(0).center(), Title(3).center());
  EXPECT_EQ(ColumnNames(), QStringList({"USER_NAME", "CHECK", "LEVEL", "ID"}));
  EXPECT_EQ(grid->DraggedColumn(), -1);
  EXPECT_FALSE(grid->DragImage()->isVisible());
}

TEST_F(ExDBGridColumnDragTest, DropBeyondTheColumnsGoesLastAndOverTheIndicatorFirst) {
  GridInput::Drag(View(), Title(1).center(), QPoint(View().width() - 2, Title(1).center().y()));
  EXPECT_EQ(ColumnNames(), QStringList({"ID", "CHECK", "LEVEL", "USER_NAME"}));
  GridInput::Drag(View(), Title(2).center(), grid->CellRect(0, 0).center());
  EXPECT_EQ(ColumnNames(), QStringList({"LEVEL", "ID", "CHECK", "USER_NAME"}));
}

TEST_F(ExDBGridColumnDragTest, PictureFollowsTheMouseAndTheEdgeScrolls) {
  for (int i = 0; i < grid->Columns().Count(); ++i)
    grid->Columns()[i]->SetWidth(180);
  Press(Title(0).center());
  ASSERT_EQ(grid->DraggedColumn(), grid->IndicatorOffset());
  EXPECT_TRUE(grid->DragImage()->isVisible());
  EXPECT_EQ(grid->DragImage()->width(), 180);
  Drag(QPoint(150, 5));
  EXPECT_EQ(grid->DragImage()->x(), 150 - 90);
  EXPECT_FALSE(grid->DragTimer()->isActive());
  Drag(QPoint(View().width() - 2, 5));
  EXPECT_TRUE(grid->DragTimer()->isActive());
  EXPECT_EQ(grid->DragTimer()->interval(), 500);
  const int left = grid->LeftCol();
  grid->ColumnDragTimer();
  EXPECT_EQ(grid->LeftCol(), left + 1);
  Drag(QPoint(150, 5));
  grid->ColumnDragTimer();
  EXPECT_FALSE(grid->DragTimer()->isActive()) << "the mouse left the edge";
}

TEST_F(ExDBGridColumnDragTest, SearchModeStartsNoDrag) {
  grid->SetSearchMode(true);
  Press(Title(0).center());
  EXPECT_EQ(grid->DraggedColumn(), -1);
  EXPECT_FALSE(grid->DragImage()->isVisible());
}

} // namespace
