#include "RadioGroup.h"
#include "Exceptions.h"
#include "ScriptedDialogs.h"

#include <QGridLayout>
#include <QRadioButton>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class RadioGroup : public testing::Test {
protected:
  void SetUp() override {
    group.SetItems({"Tylko odczyt", "Zapis i odczyt", "Administrator"});
    group.OnClick = [this](QObject *sender) {
      EXPECT_EQ(sender, &group);
      clicks.push_back(group.ItemIndex());
    };
  }
  // The items whose buttons are set.
  std::vector<int> SetButtons() const {
    std::vector<int> set;
    for (int i = 0; i < group.ButtonCount(); ++i)
      if (group.Buttons(i)->isChecked())
        set.push_back(i);
    return set;
  }
  // A click on the button's circle: a button wider than its text takes clicks only there.
  static void Pick(QRadioButton *button) {
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
  }
  void Show() {
    group.resize(400, 120);
    group.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&group));
  }

  TRadioGroup group{nullptr, QString::fromUtf8("Uprawnienia kontrolowane przez serwer")};
  std::vector<int> clicks;
};

TEST_F(RadioGroup, StartsWithNoItemSet) {
  EXPECT_EQ(group.ItemIndex(), -1);
  EXPECT_TRUE(SetButtons().empty());
  EXPECT_EQ(group.title(), QString::fromUtf8("Uprawnienia kontrolowane przez serwer"));
  EXPECT_EQ(group.Items(), QStringList({"Tylko odczyt", "Zapis i odczyt", "Administrator"}));
}

struct ItemIndexCase {
  const char *Name;
  int Start;
  int Set;
  int Expected;
};

class RadioGroupItemIndex : public RadioGroup, public testing::WithParamInterface<ItemIndexCase> {};

TEST_P(RadioGroupItemIndex, SetsOneButtonOrNoneAndClicksOnAChange) {
  const ItemIndexCase &c = GetParam();
  group.SetItemIndex(c.Start);
  clicks.clear();
  group.SetItemIndex(c.Set);
  EXPECT_EQ(group.ItemIndex(), c.Expected);
  EXPECT_EQ(SetButtons(), c.Expected < 0 ? std::vector<int>{} : std::vector<int>{c.Expected});
  EXPECT_EQ(clicks, c.Start == c.Expected ? std::vector<int>{} : std::vector<int>{c.Expected});
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RadioGroupItemIndex,
    testing::Values(ItemIndexCase{"FirstItem", -1, 0, 0}, ItemIndexCase{"LastItem", 0, 2, 2},
                    ItemIndexCase{"BackToNone", 1, -1, -1}, ItemIndexCase{"BelowNoneIsNone", 2, -7, -1},
                    ItemIndexCase{"PastTheEndIsTheLast", 0, 9, 2}, ItemIndexCase{"SameItemNoClick", 1, 1, 1},
                    ItemIndexCase{"NoneAgainNoClick", -1, -1, -1}),
    [](const testing::TestParamInfo<ItemIndexCase> &info) { return info.param.Name; });

TEST_F(RadioGroup, APickedItemBecomesTheItemIndexAndClicksOnce) {
  Show();
  group.SetItemIndex(0);
  clicks.clear();
  QRadioButton *third = group.Buttons(2);
  Pick(third);
  EXPECT_EQ(group.ItemIndex(), 2);
  EXPECT_EQ(SetButtons(), std::vector<int>{2});
  // The item already set: nothing changes, no click.
  Pick(third);
  EXPECT_EQ(clicks, std::vector<int>{2});
}

TEST_F(RadioGroup, ArrowKeysMoveTheItemIndex) {
  Show();
  group.SetItemIndex(0);
  group.Buttons(0)->setFocus();
  clicks.clear();
  QTest::keyClick(group.Buttons(0), Qt::Key_Down);
  EXPECT_EQ(group.ItemIndex(), 1);
  EXPECT_EQ(clicks, std::vector<int>{1});
}

TEST_F(RadioGroup, APickedItemWhileNoneWasSetClearsNothingElse) {
  Show();
  Pick(group.Buttons(1));
  EXPECT_EQ(group.ItemIndex(), 1);
  group.SetItemIndex(-1);
  Pick(group.Buttons(0));
  EXPECT_EQ(SetButtons(), std::vector<int>{0});
  EXPECT_EQ(clicks, (std::vector<int>{1, -1, 0}));
}

TEST_F(RadioGroup, AnErrorOfAPickReachesTheApplication) {
  Show();
  ScriptedDialogs dialogs;
  dialogs.AnswerMessage(mrOk);
  group.OnClick = [](QObject *) { throw Exception("refused"); };
  Pick(group.Buttons(1));
  ASSERT_EQ(dialogs.Messages().size(), 1u);
  EXPECT_EQ(dialogs.Messages()[0].Text, "refused.");
  EXPECT_EQ(group.ItemIndex(), 1);
}

TEST_F(RadioGroup, ItemsFillTheColumnsTopToBottom) {
  group.SetItems({"a", "b", "c", "d", "e"});
  group.SetColumns(2);
  auto *layout = static_cast<QGridLayout *>(group.layout());
  std::vector<std::pair<int, int>> cells;
  for (int i = 0; i < group.ButtonCount(); ++i) {
    int row, column, rowSpan, columnSpan;
    layout->getItemPosition(layout->indexOf(group.Buttons(i)), &row, &column, &rowSpan, &columnSpan);
    cells.emplace_back(row, column);
  }
  EXPECT_EQ(cells, (std::vector<std::pair<int, int>>{{0, 0}, {1, 0}, {2, 0}, {0, 1}, {1, 1}}));
  group.SetColumns(0);
  EXPECT_EQ(group.Columns(), 1);
  group.SetColumns(40);
  EXPECT_EQ(group.Columns(), 16);
}

TEST_F(RadioGroup, NewItemsKeepAnItemIndexThatStillNamesAnItem) {
  group.SetItemIndex(1);
  group.SetItems({"Tylko odczyt", "Zapis i odczyt"});
  EXPECT_EQ(group.ItemIndex(), 1);
  EXPECT_EQ(SetButtons(), std::vector<int>{1});
  group.SetItems({"Tylko odczyt"});
  EXPECT_EQ(group.ItemIndex(), -1);
  EXPECT_TRUE(SetButtons().empty());
}

} // namespace
