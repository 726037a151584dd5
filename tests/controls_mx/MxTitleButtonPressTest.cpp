#include "MxTitleButtonPress.h"

#include <gtest/gtest.h>

namespace {

// One mouse position during a press of column 2's title: the title under the mouse (-1: none),
// whether the look must change, and whether the title must then look pressed.
struct Step {
  int Over;
  bool Changed;
  bool Down;
};

} // namespace

TEST(TitleButtonPress, LooksPressedOnlyWhileTheMouseIsOverThePressedTitle) {
  TMxTitleButtonPress press;
  press.Start(2);
  EXPECT_FALSE(press.IsDown(2));
  const Step steps[] = {{2, true, true},    {2, false, true}, {3, true, false},
                        {-1, false, false}, {2, true, true},  {-1, true, false}};
  for (const Step &step : steps) {
    EXPECT_EQ(press.Follow(step.Over), step.Changed) << step.Over;
    EXPECT_EQ(press.IsDown(2), step.Down) << step.Over;
    EXPECT_FALSE(press.IsDown(3));
  }
}

TEST(TitleButtonPress, OnlyAReleaseOverThePressedTitleClicksAndStoppingEndsIt) {
  TMxTitleButtonPress press;
  EXPECT_FALSE(press.ReleasedOnPressed(-1));
  EXPECT_FALSE(press.Stop());
  press.Start(1);
  press.Follow(1);
  EXPECT_TRUE(press.ReleasedOnPressed(1));
  EXPECT_FALSE(press.ReleasedOnPressed(0));
  EXPECT_FALSE(press.ReleasedOnPressed(-1));
  EXPECT_TRUE(press.Stop());
  EXPECT_FALSE(press.Tracking());
  EXPECT_FALSE(press.IsDown(1));
  EXPECT_FALSE(press.ReleasedOnPressed(1));
  // Following after the end changes nothing.
  EXPECT_FALSE(press.Follow(1));
  EXPECT_FALSE(press.IsDown(1));
}

TEST(TitleButtonPress, ASwappedRightButtonDragEndsOnce) {
  TMxTitleButtonPress press;
  EXPECT_FALSE(press.EndSwap());
  press.SwapButtons();
  EXPECT_TRUE(press.EndSwap());
  EXPECT_FALSE(press.EndSwap());
}
