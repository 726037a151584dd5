#include "ExDBGridFixture.h"

#include <QMenu>

namespace {

class ExDBGridMenuTest : public ExDBGridFixture {
protected:
  void SetUp() override { Build({{"ADAM", true, 1}, {"BEATA", false, 0}, {"CEZARY", true, 2}}); }
  QStringList VisibleCaptions() const {
    QStringList captions;
    for (int i = 0; i < 37; ++i)
      if (grid->MenuItem(i)->isVisible())
        captions << (grid->MenuItem(i)->isSeparator() ? QStringLiteral("-") : grid->MenuItem(i)->text());
    return captions;
  }
  void OpenFromCorner() { GridInput::Click(View(), grid->CellRect(0, 0).center()); }
};

TEST_F(ExDBGridMenuTest, MenuOptionsChooseVisibleItems) {
  EXPECT_EQ(VisibleCaptions().size(), 37);
  EXPECT_EQ(VisibleCaptions().first(), "Auto Size");
  EXPECT_EQ(VisibleCaptions().last(), "Load Layout");
  grid->SetExMenuOptions({exAutoSize});
  EXPECT_EQ(VisibleCaptions(), QStringList({"Auto Size", "-"}));
  grid->SetExMenuOptions({exMemoInplaceEditors, exSaveLayout});
  EXPECT_EQ(VisibleCaptions(),
            QStringList({"Memo Editor Mode", "RichEdit Editor Mode", "-", "-", "Save Layout"}));
  grid->SetExMenuOptions({});
  EXPECT_TRUE(VisibleCaptions().isEmpty());
}

TEST_F(ExDBGridMenuTest, FixedColumnSubItemsAreCaptionedByCount) {
  QStringList captions;
  for (QAction *sub : grid->MenuItem(16)->menu()->actions())
    captions << sub->text();
  EXPECT_EQ(captions, QStringList({"0 Fixed Columns", "1 Fixed Column", "2 Fixed Columns", "3 Fixed Columns",
                                   "4 Fixed Columns", "5 Fixed Columns"}));
}

struct CornerCase {
  bool titleCheck;
  bool titles;
  bool indicator;
  bool opens;
};

void PrintTo(const CornerCase &c, std::ostream *os) {
  *os << (c.titleCheck ? "TitleCheck" : "NoTitleCheck") << (c.titles ? " Titles" : " NoTitles")
      << (c.indicator ? " Indicator" : " NoIndicator");
}

class ExDBGridCornerTest : public ExDBGridMenuTest, public testing::WithParamInterface<CornerCase> {};

TEST_P(ExDBGridCornerTest, MenuOpensOnlyFromCornerUnderItsConditions) {
  const CornerCase c = GetParam();
  TDBGridOptions options = grid->Options() | dgTitles | dgIndicator;
  if (!c.titles)
    options &= ~TDBGridOptions(dgTitles);
  if (!c.indicator)
    options &= ~TDBGridOptions(dgIndicator);
  grid->SetOptions(options);
  grid->SetTitleCheck(c.titleCheck);
  OpenFromCorner();
  EXPECT_EQ(grid->OptionMenu()->isVisible(), c.opens);
  grid->OptionMenu()->hide();
}

INSTANTIATE_TEST_SUITE_P(Conditions, ExDBGridCornerTest,
                         testing::Values(CornerCase{true, true, true, true},
                                         CornerCase{false, true, true, false},
                                         CornerCase{true, false, true, false},
                                         CornerCase{true, true, false, false}),
                         [](const testing::TestParamInfo<CornerCase> &info) {
                           const CornerCase &c = info.param;
                           return std::string(c.titleCheck ? "TitleCheck" : "NoTitleCheck") +
                                  (c.titles ? "Titles" : "NoTitles") +
                                  (c.indicator ? "Indicator" : "NoIndicator");
                         });

TEST_F(ExDBGridMenuTest, MenuDoesNotOpenFromOtherTitlesOrClosedData) {
  grid->SetTitleCheck(true);
  GridInput::Click(View(), grid->CellRect(1, 0).center());
  EXPECT_FALSE(grid->OptionMenu()->isVisible());
  grid->SetShowTitlesWhenInactive(true);
  data->Close();
  OpenFromCorner();
  EXPECT_FALSE(grid->OptionMenu()->isVisible());
}

TEST_F(ExDBGridMenuTest, CornerShowsTriangleOnlyWithTitleCheck) {
  const QRect corner = grid->CellRect(0, 0).adjusted(1, 1, -1, -1);
  EXPECT_EQ(DarkPixels(Shot(), corner), 0);
  grid->SetTitleCheck(true);
  EXPECT_GE(DarkPixels(Shot(), corner), 7);
}

TEST_F(ExDBGridMenuTest, MenuChecksFollowPropertiesAndToggle) {
  grid->SetTitleCheck(true);
  grid->SetCellHints(true);
  OpenFromCorner();
  EXPECT_TRUE(grid->MenuItem(13)->isChecked());
  EXPECT_FALSE(grid->MenuItem(15)->isChecked());
  grid->MenuItem(15)->trigger();
  EXPECT_TRUE(grid->UseRowColors());
  EXPECT_TRUE(grid->MenuItem(15)->isChecked());
  grid->MenuItem(13)->trigger();
  EXPECT_FALSE(grid->CellHints());
  grid->OptionMenu()->hide();
}

TEST_F(ExDBGridMenuTest, FixedColumnsItemLocksColumns) {
  grid->SetTitleCheck(true);
  grid->MenuItem(16)->menu()->actions().at(2)->trigger();
  EXPECT_EQ(grid->LockedCols(), 2);
  EXPECT_EQ(grid->FixedCols(), 3);
  OpenFromCorner();
  EXPECT_TRUE(grid->MenuItem(16)->menu()->actions().at(2)->isChecked());
  grid->OptionMenu()->hide();
}

TEST_F(ExDBGridMenuTest, AutoWidthItemSwitchesUniformOnAndOff) {
  grid->SetOptions(grid->Options() | dgColumnResize);
  grid->SetGridAutoWidthOnResize(true);
  grid->MenuItem(1)->trigger();
  EXPECT_EQ(grid->GridAutoWidth(), awUniform);
  grid->MenuItem(1)->trigger();
  EXPECT_EQ(grid->GridAutoWidth(), awNone);
}

TEST_F(ExDBGridMenuTest, SelectAllAndUnselectAll) {
  grid->MenuItem(23)->trigger();
  EXPECT_EQ(grid->SelectedRows().Count(), 3);
  grid->MenuItem(24)->trigger();
  EXPECT_EQ(grid->SelectedRows().Count(), 0);
  EXPECT_EQ(Field("USER_NAME")->AsString(), "ADAM");
}

TEST_F(ExDBGridMenuTest, CommandsKeepNoCheckMarkAfterUse) {
  grid->SetTitleCheck(true);
  for (int index : {23, 24, 23}) {
    grid->MenuItem(index)->trigger();
    OpenFromCorner();
    ASSERT_TRUE(grid->OptionMenu()->isVisible());
    EXPECT_FALSE(grid->MenuItem(23)->isChecked()) << "Select All, after item " << index;
    EXPECT_FALSE(grid->MenuItem(24)->isChecked()) << "Unselect All, after item " << index;
    EXPECT_TRUE(grid->MenuItem(13)->isCheckable()) << "settings keep their marks";
    grid->OptionMenu()->hide();
  }
}

TEST_F(ExDBGridMenuTest, EveryItemIsWiredAndSeparatorsHaveNoText) {
  for (int index = 0; index < 37; ++index) {
    QAction *item = grid->MenuItem(index);
    EXPECT_TRUE(item->isEnabled()) << index;
    if (item->isSeparator()) {
      EXPECT_TRUE(item->text().isEmpty()) << "separator " << index << " shows no stray '-'";
    }
  }
}

} // namespace
