#include "ExDBGridFixture.h"

namespace {

class ExDBGridRowsTest : public ExDBGridFixture {
protected:
  void SetUp() override { Build({{"ADAM", true, 1}, {"BEATA", false, 0}, {"CEZARY", true, 2}}); }
  TColumn *NameColumn() const { return grid->Columns()[1]; }
  // Dark pixels of the title cell of the name column below its first text line.
  int TitleInkBelowFirstLine() {
    const QRect title = grid->CellRect(1 + grid->IndicatorOffset(), 0);
    return DarkPixels(Shot(),
                      QRect(title.left() + 1, title.top() + 17, title.width() - 2, title.height() - 18));
  }
};

TEST_F(ExDBGridRowsTest, MultiLineTitlesGrowTheTitleRowAndShrinkBack) {
  EXPECT_EQ(grid->RowHeights(0), 17);
  grid->SetMultiLineTitles(true);
  EXPECT_EQ(grid->RowHeights(0), 17) << "short captions keep the base height";
  NameColumn()->Title().SetCaption(QStringLiteral("Family name of the user as registered"));
  grid->SetMultiLineTitles(false);
  grid->SetMultiLineTitles(true);
  EXPECT_GT(grid->RowHeights(0), 30);
  grid->SetMultiLineTitles(false);
  EXPECT_EQ(grid->RowHeights(0), 17);
}

TEST_F(ExDBGridRowsTest, TitleEllipsisKeepsAWrappedTitleOnOneLine) {
  NameColumn()->Title().SetCaption(QStringLiteral("Family name of the user as registered"));
  grid->SetMultiLineTitles(true);
  EXPECT_GT(TitleInkBelowFirstLine(), 0);
  grid->SetShowTitleEllipsis(true);
  EXPECT_EQ(TitleInkBelowFirstLine(), 0);
}

TEST_F(ExDBGridRowsTest, DefaultRowHeightSurvivesRelayoutAndZeroRestoresTheBase) {
  const int fromFont = grid->DefaultRowHeight();
  grid->SetDefaultRowHeight(fromFont + 9);
  data->Close();
  data->Open();
  EXPECT_EQ(grid->DefaultRowHeight(), fromFont + 9);
  EXPECT_EQ(grid->RowHeights(grid->TitleOffset()), fromFont + 9);
  grid->SetDefaultRowHeight(0);
  EXPECT_EQ(grid->DefaultRowHeight(), fromFont);
}

TEST_F(ExDBGridRowsTest, MultiLineRowsTakeLinesPerRowAndStopRowSizing) {
  grid->SetRowSizingAllowed(true);
  grid->SetLinesPerRow(3);
  grid->SetMultiLineRows(true);
  EXPECT_EQ(grid->DefaultRowHeight(), 51);
  EXPECT_FALSE(grid->RowSizingAllowed());
  EXPECT_FALSE(grid->TCustomGrid::Options() & goRowSizing);
  grid->SetLinesPerRow(2);
  EXPECT_EQ(grid->DefaultRowHeight(), 34);
  grid->SetRowSizingAllowed(true);
  EXPECT_FALSE(grid->MultiLineRows());
}

TEST_F(ExDBGridRowsTest, ADraggedRowHeightBecomesEveryRowsHeight) {
  grid->SetRowSizingAllowed(true);
  EXPECT_TRUE(grid->TCustomGrid::Options() & goRowSizing);
  grid->SetRowHeights(grid->TitleOffset() + 1, 40);
  EXPECT_EQ(grid->DefaultRowHeight(), 40);
  for (int row = grid->TitleOffset(); row < grid->RowCount(); ++row)
    EXPECT_EQ(grid->RowHeights(row), 40) << row;
  grid->SetRowSizingAllowed(false);
  EXPECT_FALSE(grid->TCustomGrid::Options() & goRowSizing);
}

TEST_F(ExDBGridRowsTest, MenuItemsToggleTitleAndRowOptions) {
  grid->MenuItem(9)->trigger();
  EXPECT_TRUE(grid->ShowTitleEllipsis());
  grid->MenuItem(12)->trigger();
  EXPECT_TRUE(grid->RowSizingAllowed());
  grid->MenuItem(14)->trigger();
  EXPECT_TRUE(grid->MultiLineTitles());
  grid->MenuItem(14)->trigger();
  EXPECT_FALSE(grid->MultiLineTitles());
  grid->MenuItem(30)->trigger();
  EXPECT_EQ(grid->MemoInplaceEditor(), TMemoInplaceEditor::RichEdit);
  EXPECT_TRUE(grid->MenuItem(30)->isChecked());
  EXPECT_FALSE(grid->MenuItem(29)->isChecked());
  grid->MenuItem(29)->trigger();
  EXPECT_EQ(grid->MemoInplaceEditor(), TMemoInplaceEditor::Memo);
  EXPECT_FALSE(grid->MenuItem(30)->isChecked());
}

} // namespace
