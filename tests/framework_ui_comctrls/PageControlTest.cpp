#include "PageControl.h"

#include <QLayout>
#include <QTest>
#include <gtest/gtest.h>

namespace {

const QStringList kGroups = {"KORVIN", "VELDAR", "PLOMER", "SARNIK",  "TULVAR",  "BRONTEL",
                             "FENNO",  "DRAVEL", "HOLMAR", "GRESSON", "PELKAR",  "NIRVOS",
                             "TESSAL", "QUENTO", "BAVIRO", "SOLMET",  "TORMISK", "KAPRENA"};

class PageControl : public testing::Test {
protected:
  void SetUp() override {
    for (const QString &caption : kGroups)
      pages.push_back(new TTabSheet(&control, caption));
    control.OnChange = [this](QObject *sender) {
      EXPECT_EQ(sender, &control);
      changes.push_back(control.ActivePage() ? control.ActivePage()->Caption() : QString());
    };
  }
  void Show(int width) {
    control.resize(width, 300);
    control.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&control));
  }
  QStringList TabCaptions() const {
    QStringList captions;
    for (int i = 0; i < control.TabCount(); ++i)
      captions << control.TabPage(i)->Caption();
    return captions;
  }
  // A click where the control shows that point (the tabs are a widget of their own).
  void ClickAt(const QPoint &point) {
    QWidget *target = control.childAt(point);
    ASSERT_NE(target, nullptr);
    QTest::mouseClick(target, Qt::LeftButton, {}, target->mapFrom(&control, point));
  }
  void ClickTab(int tabIndex) { ClickAt(control.TabRect(tabIndex).center()); }
  void ShowOnly(const QStringList &captions) {
    for (TTabSheet *page : pages)
      page->SetTabVisible(captions.contains(page->Caption()));
  }

  TPageControl control;
  std::vector<TTabSheet *> pages;
  QStringList changes;
};

TEST_F(PageControl, PagesKeepTheirOrderAndTheFirstIsShown) {
  ASSERT_EQ(control.PageCount(), 18);
  EXPECT_EQ(control.Pages(12)->Caption(), "TESSAL");
  EXPECT_EQ(pages[12]->PageIndex(), 12);
  EXPECT_EQ(pages[12]->PageControl(), &control);
  EXPECT_EQ(control.ActivePage(), pages[0]);
  EXPECT_EQ(TabCaptions(), kGroups);
}

TEST_F(PageControl, HiddenTabsLeaveTheStripAndTheirPagesAreNeverShown) {
  Show(800);
  ShowOnly({"VELDAR", "TESSAL", "KAPRENA"});
  EXPECT_EQ(TabCaptions(), QStringList({"VELDAR", "TESSAL", "KAPRENA"}));
  EXPECT_EQ(pages[0]->TabIndex(), -1);
  EXPECT_EQ(pages[12]->TabIndex(), 1);
  EXPECT_EQ(pages[12]->PageIndex(), 12);
  // The shown page gave way to the next page with a tab.
  EXPECT_EQ(control.ActivePage(), pages[1]);
  EXPECT_TRUE(pages[1]->isVisible());
  control.SetActivePage(pages[2]);
  EXPECT_EQ(control.ActivePage(), pages[1]) << "a page without a tab is not taken";
  EXPECT_FALSE(pages[2]->isVisible());
  EXPECT_TRUE(changes.isEmpty()) << "only a tab picked by the person is a change";
}

TEST_F(PageControl, HidingTheShownPageWrapsRoundToTheNextTab) {
  ShowOnly({"VELDAR", "KAPRENA"});
  control.SetActivePage(pages[17]);
  pages[17]->SetTabVisible(false);
  EXPECT_EQ(control.ActivePage(), pages[1]);
}

TEST_F(PageControl, WithEveryTabHiddenNoPageIsShownUntilATabReturns) {
  Show(800);
  ShowOnly({});
  EXPECT_EQ(control.TabCount(), 0);
  EXPECT_EQ(control.ActivePage(), nullptr);
  EXPECT_EQ(control.ActivePageIndex(), -1);
  for (TTabSheet *page : pages)
    EXPECT_FALSE(page->isVisible()) << page->Caption().toStdString();
  pages[16]->SetTabVisible(true);
  EXPECT_EQ(control.ActivePage(), pages[16]);
  EXPECT_TRUE(pages[16]->isVisible());
}

TEST_F(PageControl, TabsWrapOntoRowsThatFitTheWidth) {
  control.SetMultiLine(true);
  Show(360);
  ASSERT_GT(control.RowCount(), 2);
  QRect previous;
  for (int i = 0; i < control.TabCount(); ++i) {
    const QRect tab = control.TabRect(i);
    EXPECT_LE(tab.right(), control.width() - 1) << i;
    EXPECT_GE(tab.left(), 0) << i;
    if (i > 0) {
      // Left to right along a row, then the next row from the left edge.
      const bool sameRow = tab.top() == previous.top();
      EXPECT_TRUE(sameRow ? tab.left() == previous.right() + 1
                          : tab.left() == 0 && tab.top() > previous.top())
          << i;
    }
    previous = tab;
  }
  // The pages start below the last row.
  const auto pageTop = [this] {
    control.layout()->activate();
    return control.ActivePage()->mapTo(&control, QPoint(0, 0)).y();
  };
  EXPECT_GT(pageTop(), control.TabRect(17).bottom());
  // Fewer tabs, fewer rows, and the pages move up.
  const int top = pageTop();
  ShowOnly({"KORVIN", "VELDAR"});
  EXPECT_EQ(control.RowCount(), 1);
  EXPECT_GT(pageTop(), control.TabRect(1).bottom());
  EXPECT_LT(pageTop(), top);
}

TEST_F(PageControl, WithoutMultiLineTheTabsStayOnOneRow) {
  Show(360);
  EXPECT_EQ(control.RowCount(), 1);
  EXPECT_EQ(control.TabRect(17).top(), control.TabRect(0).top());
}

TEST_F(PageControl, APickedTabShowsItsPageAndIsAChange) {
  control.SetMultiLine(true);
  Show(360);
  ShowOnly({"PLOMER", "SARNIK", "TULVAR"});
  ClickTab(2);
  EXPECT_EQ(control.ActivePage(), pages[4]);
  EXPECT_TRUE(pages[4]->isVisible());
  EXPECT_FALSE(pages[2]->isVisible());
  ClickTab(2);
  EXPECT_EQ(changes, QStringList({"TULVAR"})) << "the shown tab again is no change";
  ClickAt(QPoint(control.width() - 2, control.TabRect(0).center().y()));
  EXPECT_EQ(control.ActivePage(), pages[4]) << "beside the tabs";
}

TEST_F(PageControl, ArrowKeysOnTheTabsMoveAlongTheShownTabs) {
  Show(800);
  ShowOnly({"PLOMER", "SARNIK", "TULVAR"});
  QWidget *strip = control.childAt(control.TabRect(0).center());
  ASSERT_NE(strip, nullptr);
  strip->setFocus();
  QTest::keyClick(strip, Qt::Key_Right);
  QTest::keyClick(strip, Qt::Key_Right);
  QTest::keyClick(strip, Qt::Key_Right);
  EXPECT_EQ(changes, QStringList({"SARNIK", "TULVAR"}));
  QTest::keyClick(strip, Qt::Key_Left);
  EXPECT_EQ(control.ActivePage(), pages[3]);
}

TEST_F(PageControl, ADeletedPageLeavesTheControl) {
  control.SetActivePage(pages[5]);
  delete pages[5];
  EXPECT_EQ(control.PageCount(), 17);
  EXPECT_EQ(control.ActivePage(), pages[6]);
  EXPECT_EQ(pages[6]->PageIndex(), 5);
  EXPECT_FALSE(TabCaptions().contains("BRONTEL"));
}

} // namespace
