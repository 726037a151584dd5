#include "ExDBGridFixture.h"

#include "InplaceEdit.h"
#include <QClipboard>
#include <QEnterEvent>
#include <QScrollBar>

namespace {

class ExDBGridLookTest : public ExDBGridFixture {
protected:
  void SetUp() override { Build({{"ADAM", true, 1}, {"BEATA", false, 0}}); }
  QRgb BottomEdgeOf(const QRect &cell) { return Shot().pixel(cell.left() + 4, cell.bottom()); }
  static QRgb Rgb(TColor color) { return ColorToQColor(color).rgb(); }
};

TEST_F(ExDBGridLookTest, Cells3DRaisesEveryCellAndColoursColumnsFixed) {
  const QRect cell = DataCell(1, 1);
  EXPECT_NE(BottomEdgeOf(cell), Rgb(clBtnShadow));
  grid->SetCells3D(true);
  EXPECT_EQ(BottomEdgeOf(cell), Rgb(clBtnShadow));
  EXPECT_EQ(Shot().pixel(cell.left() + 4, cell.top()), Rgb(clHighlightText));
  EXPECT_EQ(grid->Columns()[1]->Color(), grid->FixedColor());
  grid->SetCells3D(false);
  EXPECT_EQ(grid->Columns()[1]->Color(), grid->Color());
}

TEST_F(ExDBGridLookTest, Cells3DNeedsBothGridLines) {
  grid->SetOptions(grid->Options() & ~TDBGridOptions(dgRowLines));
  grid->SetCells3D(true);
  EXPECT_NE(BottomEdgeOf(DataCell(1, 1)), Rgb(clBtnShadow));
}

TEST_F(ExDBGridLookTest, HotTrackColoursTheFontWhileTheMouseIsOver) {
  const TColor before = grid->Font().Color();
  QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
  QEvent leave(QEvent::Leave);
  QApplication::sendEvent(grid, &enter);
  EXPECT_EQ(grid->Font().Color(), before) << "off by default";
  QApplication::sendEvent(grid, &leave);
  grid->SetHotTrack(true);
  grid->SetHotTrackColor(clRed);
  QApplication::sendEvent(grid, &enter);
  EXPECT_EQ(grid->Font().Color(), clRed);
  EXPECT_EQ(grid->Columns()[1]->Font().Color(), clRed);
  QApplication::sendEvent(grid, &leave);
  EXPECT_EQ(grid->Font().Color(), before);
  EXPECT_EQ(grid->Columns()[1]->Font().Color(), before);
}

} // namespace

namespace {

class ExDBGridClipboardTest : public ExDBGridFixture {
protected:
  void SetUp() override {
    Build({{"ADAM", true, 1}, {"BEATA", false, 0}});
    grid->SetSelectedField(Field("USER_NAME"));
  }
  void CtrlKey(int key) { GridInput::Press(key, Qt::ControlModifier); }
};

TEST_F(ExDBGridClipboardTest, CopyPutsTheCellTextOnTheClipboard) {
  QApplication::clipboard()->setText(QStringLiteral("old"));
  CtrlKey(Qt::Key_C);
  EXPECT_EQ(QApplication::clipboard()->text(), "ADAM");
}

TEST_F(ExDBGridClipboardTest, PasteFillsOnlyARecordBeingEdited) {
  QApplication::clipboard()->setText(QStringLiteral("ZENON"));
  CtrlKey(Qt::Key_V);
  EXPECT_EQ(data->State(), dsBrowse);
  EXPECT_EQ(Field("USER_NAME")->AsString(), "ADAM");
  data->Edit();
  CtrlKey(Qt::Key_V);
  EXPECT_EQ(Field("USER_NAME")->AsString(), "ZENON");
}

} // namespace

namespace {

class ExDBGridScrollBarTest : public ExDBGridFixture {};

TEST_F(ExDBGridScrollBarTest, VerticalBarHidesWhenRowsFitAndFollowsTheRecord) {
  Build({{"ADAM", true, 1}, {"BEATA", false, 0}});
  grid->SetScrollBars(ssBoth);
  QApplication::processEvents();
  EXPECT_FALSE(grid->verticalScrollBar()->isVisible());
  for (int i = 0; i < 40; ++i)
    data->AppendRecord({100 + i, QStringLiteral("USER%1").arg(i), false, i});
  data->First();
  grid->SetScrollBars(ssVertical);
  grid->SetScrollBars(ssBoth);
  QApplication::processEvents();
  EXPECT_TRUE(grid->verticalScrollBar()->isVisible());
  data->Last();
  EXPECT_EQ(grid->verticalScrollBar()->value(), grid->verticalScrollBar()->maximum());
  data->First();
  EXPECT_EQ(grid->verticalScrollBar()->value(), 1);
}

} // namespace

namespace {

class ExDBGridRangeTest : public ExDBGridFixture {
protected:
  void SetUp() override {
    Build({{"ADAM", true, 1}, {"BEATA", false, 0}, {"CEZARY", true, 2}});
    grid->SetEnableCellRangeSelect(true);
    grid->OnStartCellChanged = [this](QObject *) { ++starts; };
    grid->OnEndCellChanged = [this](QObject *) { ++ends; };
  }
  bool Highlighted(int dataCol, int dataRow) {
    const QRect cell = DataCell(dataCol, dataRow);
    return Shot().pixel(cell.left() + 1, cell.bottom() - 1) == ColorToQColor(clNavy).rgb();
  }
  int starts = 0;
  int ends = 0;
};

TEST_F(ExDBGridRangeTest, DragSelectsTheRectangleBetweenItsCorners) {
  GridInput::Drag(View(), DataCell(2, 2).center(), DataCell(1, 1).center());
  const std::vector<std::tuple<int, int, bool>> cells = {
      {1, 1, true}, {2, 1, true}, {1, 2, true}, {2, 2, true}, {0, 1, false}, {3, 2, false}, {1, 0, false}};
  for (const auto &[col, row, inside] : cells)
    EXPECT_EQ(Highlighted(col, row), inside) << col << "," << row;
  EXPECT_EQ(starts, 1);
  EXPECT_GE(ends, 1);
  EXPECT_EQ(grid->SelectedIndex(), 1);
  EXPECT_EQ(Field("USER_NAME")->AsString(), "BEATA");
}

TEST_F(ExDBGridRangeTest, NoEditingWhileRangeSelectionIsOn) {
  grid->SetOptions(grid->Options() | dgEditing);
  grid->SetSelectedIndex(1);
  grid->SetEditorMode(true);
  EXPECT_TRUE(!grid->InplaceEditor() || !grid->InplaceEditor()->isVisible());
}

} // namespace

namespace {

class ExDBGridScrollHintTest : public ExDBGridFixture {};

TEST_F(ExDBGridScrollHintTest, DraggedThumbShowsTheRecordPosition) {
  std::vector<std::tuple<QString, bool, int>> rows;
  for (int i = 0; i < 30; ++i)
    rows.emplace_back(QStringLiteral("USER%1").arg(i), false, i);
  Build(rows);
  grid->SetScrollBars(ssBoth);
  QApplication::processEvents();
  QScrollBar *bar = grid->verticalScrollBar();
  bar->setSliderDown(true);
  bar->setSliderPosition(5);
  EXPECT_EQ(grid->ScrollHintWindow(), nullptr) << "off by default";
  grid->SetScrollHints(true);
  bar->setSliderPosition(7);
  ASSERT_NE(grid->ScrollHintWindow(), nullptr);
  EXPECT_TRUE(grid->ScrollHintWindow()->isVisible());
  EXPECT_EQ(grid->ScrollHintWindow()->text(), QStringLiteral(" %1 of 30 ").arg(data->RecNo()));
  bar->setSliderDown(false);
  bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
  EXPECT_FALSE(grid->ScrollHintWindow()->isVisible());
}

} // namespace
