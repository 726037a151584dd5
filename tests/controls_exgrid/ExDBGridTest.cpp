#include "ExDBGridFixture.h"

#include "InplaceEdit.h"

namespace {

const std::vector<std::tuple<QString, bool, int>> ThreeRows = {
    {"ADAM", true, 5}, {"BEATA", false, 0}, {"CEZARY", true, 1}};

class ExDBGridTest : public ExDBGridFixture {};

TEST_F(ExDBGridTest, BooleanFieldPaintsTickedAndUnticked) {
  Build(ThreeRows);
  grid->SetSelectedIndex(0);
  const QImage shot = Shot();
  EXPECT_GT(DarkPixels(shot, BoxIn(DataCell(2, 0))), 0);
  EXPECT_EQ(DarkPixels(shot, BoxIn(DataCell(2, 1))), 0);
}

TEST_F(ExDBGridTest, ClickOnBooleanCellNegatesIt) {
  Build(ThreeRows);
  GridInput::Click(View(), DataCell(2, 1).center());
  EXPECT_EQ(Field("USER_NAME")->AsString(), "BEATA");
  EXPECT_TRUE(Field("CHECK")->AsBoolean());
  GridInput::Click(View(), DataCell(2, 1).center());
  EXPECT_FALSE(Field("CHECK")->AsBoolean());
}

TEST_F(ExDBGridTest, IntegerCheckBoxUsesStoredValues) {
  Build(ThreeRows);
  grid->OnIsBooleanField = [](const TField *field) { return field->FieldName() == "LEVEL"; };
  grid->InvalidateGrid();
  const QImage shot = Shot();
  EXPECT_GT(DarkPixels(shot, BoxIn(DataCell(3, 0))), 0) << "5 is not ValueUnChecked, so ticked";
  EXPECT_EQ(DarkPixels(shot, BoxIn(DataCell(3, 1))), 0) << "0 is ValueUnChecked";

  GridInput::Click(View(), DataCell(3, 0).center());
  EXPECT_EQ(Field("LEVEL")->AsInteger(), 0) << "a ticked value is cleared to ValueUnChecked";
  GridInput::Click(View(), DataCell(3, 0).center());
  EXPECT_EQ(Field("LEVEL")->AsInteger(), 1) << "a cleared value becomes ValueChecked";
}

TEST_F(ExDBGridTest, CheckBoxOnReadOnlyGridDoesNotChange) {
  Build(ThreeRows);
  grid->SetReadOnly(true);
  GridInput::Click(View(), DataCell(2, 0).center());
  EXPECT_TRUE(Field("CHECK")->AsBoolean());
  EXPECT_EQ(data->State(), dsBrowse);
}

TEST_F(ExDBGridTest, RowColoursAlternateByScreenRow) {
  Build(ThreeRows);
  grid->SetRowColor1(clRed);
  grid->SetRowColor2(clWhite);
  grid->SetUseRowColors(true);
  GridInput::Click(View(), DataCell(0, 2).center());
  const QImage shot = Shot();
  const QPoint inRow1 = DataCell(1, 1).topLeft() + QPoint(DataCell(1, 1).width() - 3, 2);
  const QPoint inRow0 = DataCell(1, 0).topLeft() + QPoint(DataCell(1, 0).width() - 3, 2);
  // Screen rows count from the title row, so the first data row is an odd one.
  EXPECT_EQ(shot.pixelColor(inRow0), ColorToQColor(clRed));
  EXPECT_EQ(shot.pixelColor(inRow1), QColor(Qt::white));
}

TEST_F(ExDBGridTest, RowColoursAndBackgroundPictureExcludeEachOther) {
  Build(ThreeRows);
  grid->SetUseRowColors(true);
  grid->SetUseBackgroundPicture(true);
  EXPECT_FALSE(grid->UseRowColors());
  grid->SetUseRowColors(true);
  EXPECT_FALSE(grid->UseBackgroundPicture());
}

TEST_F(ExDBGridTest, InactiveDatasetPaintsNoTitles) {
  Build(ThreeRows);
  grid->Columns().SetState(csCustomized);
  data->Close();
  const QImage shot = Shot();
  const QRect title = grid->CellRect(1, 0);
  ASSERT_FALSE(title.isEmpty());
  EXPECT_EQ(DarkPixels(shot, title.adjusted(1, 1, -1, -1)), 0);
  grid->SetShowTitlesWhenInactive(true);
  EXPECT_GT(DarkPixels(Shot(), title.adjusted(1, 1, -1, -1)), 0);
}

TEST_F(ExDBGridTest, LockedColumnsBecomeFixedWithTheirColour) {
  Build(ThreeRows);
  grid->SetLockedColor(clRed);
  grid->SetLockedCols(1);
  EXPECT_EQ(grid->FixedCols(), 2);
  EXPECT_EQ(grid->Columns()[0]->Color(), clRed);
  EXPECT_NE(grid->Columns()[1]->Color(), clRed);
  const QRect locked = DataCell(0, 1);
  EXPECT_EQ(Shot().pixelColor(locked.right() - 2, locked.top() + 2), ColorToQColor(clRed));
  grid->SetLockedCols(0);
  EXPECT_EQ(grid->FixedCols(), 1);
  grid->SetLockedCols(10);
  EXPECT_EQ(grid->FixedCols(), 1) << "more locked columns than the grid holds changes nothing";
}

TEST_F(ExDBGridTest, AutoWidthNeedsColumnResize) {
  Build(ThreeRows);
  grid->SetOptions(grid->Options() & ~TDBGridOptions(dgColumnResize));
  const int before = grid->Columns()[0]->Width();
  grid->SetGridAutoWidth(awUniform);
  EXPECT_EQ(grid->GridAutoWidth(), awNone);
  EXPECT_EQ(grid->Columns()[0]->Width(), before);
}

TEST_F(ExDBGridTest, UniformWidthSharesTheRemainder) {
  // 100 pixels left after three column lines and the indicator with its line.
  Build(ThreeRows, QSize(100 + 3 + 12, 200));
  grid->SetOptions(grid->Options() | dgColumnResize | dgColLines | dgIndicator);
  grid->Columns()[3]->SetVisible(false);
  ASSERT_EQ(grid->viewport()->width(), 115);
  grid->SetGridAutoWidth(awUniform);
  EXPECT_EQ(grid->Columns()[0]->Width(), 34);
  EXPECT_EQ(grid->Columns()[1]->Width(), 33);
  EXPECT_EQ(grid->Columns()[2]->Width(), 33);
}

TEST_F(ExDBGridTest, ProportionalWidthKeepsRatiosAndFillsTheRest) {
  Build(ThreeRows, QSize(200 + 3 + 12, 200));
  grid->SetOptions(grid->Options() | dgColumnResize | dgColLines | dgIndicator);
  grid->Columns()[3]->SetVisible(false);
  grid->Columns()[0]->SetWidth(10);
  grid->Columns()[1]->SetWidth(30);
  grid->Columns()[2]->SetWidth(10);
  grid->SetGridAutoWidth(awProportional);
  EXPECT_EQ(grid->Columns()[0]->Width(), 40);
  EXPECT_EQ(grid->Columns()[1]->Width(), 120);
  EXPECT_EQ(grid->Columns()[2]->Width(), 40);
}

TEST_F(ExDBGridTest, AutoSizeFitsWidestValueAndLeavesFirstRecord) {
  Build({{"A", true, 1}, {"A MUCH LONGER NAME", false, 2}, {"B", true, 3}});
  grid->SetOptions(grid->Options() | dgColumnResize);
  data->Last();
  grid->SetGridAutoSize(true);
  const int expected = grid->Canvas().TextWidth("A MUCH LONGER NAME") + 5;
  EXPECT_EQ(grid->Columns()[1]->Width(), expected);
  EXPECT_EQ(Field("USER_NAME")->AsString(), "A");
}

TEST_F(ExDBGridTest, CellHintShowsWholeTextOfClippedCell) {
  Build({{"SHORT", true, 1}, {"A NAME FAR TOO LONG FOR ITS NARROW COLUMN", false, 2}});
  grid->Columns()[1]->SetWidth(60);
  grid->SetCellHints(true);
  MoveMouse(DataCell(1, 1).center());
  ASSERT_TRUE(grid->CellHintWindow()->isVisible());
  EXPECT_EQ(grid->CellHintWindow()->text(), "A NAME FAR TOO LONG FOR ITS NARROW COLUMN");
  MoveMouse(DataCell(0, 0).center());
  EXPECT_FALSE(grid->CellHintWindow()->isVisible()) << "the whole id fits its cell";
  grid->SetCellHints(false);
  MoveMouse(DataCell(1, 1).center());
  EXPECT_FALSE(grid->CellHintWindow()->isVisible());
}

} // namespace

namespace {

class ExDBGridKeysTest : public ExDBGridFixture {
protected:
  void SetUp() override {
    Build({{"ADAM", true, 1}, {"BEATA", false, 0}});
    grid->SetOptions(grid->Options() | dgEditing);
    data->Last();
  }
};

TEST_F(ExDBGridKeysTest, DownBelowTheLastRowAppendsOnlyWhenAllowed) {
  GridInput::Press(Qt::Key_Down);
  EXPECT_EQ(data->State(), dsInsert);
  data->Cancel();
  data->Last();
  grid->SetAllowAutoAppend(false);
  for (int key : {Qt::Key_Down, Qt::Key_PageDown}) {
    GridInput::Press(key);
    EXPECT_EQ(data->State(), dsBrowse);
    EXPECT_EQ(data->RecordCount(), 2);
    EXPECT_EQ(Field("USER_NAME")->AsString(), "BEATA");
  }
}

TEST_F(ExDBGridKeysTest, EnterActsAsTabWhenAsked) {
  grid->SetSelectedIndex(0);
  GridInput::Press(Qt::Key_Return);
  EXPECT_EQ(grid->SelectedIndex(), 0);
  grid->SetEnterAsTab(true);
  GridInput::Press(Qt::Key_Return);
  EXPECT_EQ(grid->SelectedIndex(), 1);
}

TEST_F(ExDBGridKeysTest, CheckBoxCellsGetNoTextEditor) {
  grid->SetSelectedIndex(2);
  GridInput::Press(Qt::Key_F2);
  EXPECT_TRUE(!grid->InplaceEditor() || !grid->InplaceEditor()->isVisible());
  grid->SetSelectedIndex(1);
  GridInput::Press(Qt::Key_F2);
  ASSERT_NE(grid->InplaceEditor(), nullptr);
  EXPECT_TRUE(grid->InplaceEditor()->isVisible());
}

TEST_F(ExDBGridKeysTest, SpaceEnterAndF2FlipACheckBoxCell) {
  grid->SetSelectedIndex(2);
  for (int key : {Qt::Key_Space, Qt::Key_Return, Qt::Key_F2}) {
    const bool before = Field("CHECK")->AsBoolean();
    GridInput::Press(key, Qt::NoModifier, key == Qt::Key_Space ? QStringLiteral(" ") : QString());
    EXPECT_NE(Field("CHECK")->AsBoolean(), before) << key;
  }
  grid->SetOptions(grid->Options() | dgRowSelect);
  const bool before = Field("CHECK")->AsBoolean();
  GridInput::Press(Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
  EXPECT_EQ(Field("CHECK")->AsBoolean(), before) << "row selection leaves the value";
}

TEST_F(ExDBGridKeysTest, TextEditorTakesEditColor) {
  grid->SetEditColor(clYellow);
  grid->SetSelectedIndex(1);
  GridInput::Press(Qt::Key_F2);
  ASSERT_NE(grid->InplaceEditor(), nullptr);
  EXPECT_EQ(grid->InplaceEditor()->palette().color(QPalette::Base), ColorToQColor(clYellow));
}

} // namespace
