#include "tray/TrayArea.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

using tray::AreaRect;

AreaRect R(int32_t left, int32_t top, int32_t right, int32_t bottom) {
  AreaRect rect;
  rect.left = left;
  rect.top = top;
  rect.right = right;
  rect.bottom = bottom;
  return rect;
}

TEST(TrayArea, ClockRuleOnAHorizontalTaskbar) {
  // Clock at the right end of a 30-pixel bar: the icons are left of it.
  EXPECT_EQ(tray::ApplyClockRule(R(600, 570, 800, 600), R(750, 572, 798, 598)),
            R(600, 570, 750, 600));
  // Exactly 5 pixels above the bottom is not "more than 5".
  EXPECT_EQ(tray::ApplyClockRule(R(600, 570, 800, 600), R(750, 572, 798, 595)),
            R(600, 570, 750, 600));
}

TEST(TrayArea, ClockRuleOnAVerticalTaskbar) {
  // Clock at the top of a tall notification area: the icons are below it.
  EXPECT_EQ(tray::ApplyClockRule(R(0, 400, 60, 600), R(2, 402, 58, 420)), R(0, 420, 60, 600));
  EXPECT_EQ(tray::ApplyClockRule(R(0, 400, 60, 600), R(2, 402, 58, 594)), R(0, 594, 60, 600));
}

TEST(TrayArea, EdgeRule) {
  const AreaRect bottomBar = R(0, 570, 800, 600);
  AreaRect area = R(1, 2, 3, 4);
  EXPECT_TRUE(tray::ApplyTaskbarEdgeRule(tray::EdgeBottom, bottomBar, area));
  EXPECT_EQ(area, R(700, 570, 784, 600));
  EXPECT_TRUE(tray::ApplyTaskbarEdgeRule(tray::EdgeTop, R(0, 0, 800, 30), area));
  EXPECT_EQ(area, R(700, 0, 784, 30));

  const AreaRect leftBar = R(0, 0, 60, 600);
  EXPECT_TRUE(tray::ApplyTaskbarEdgeRule(tray::EdgeLeft, leftBar, area));
  EXPECT_EQ(area, R(0, 500, 60, 584));
  EXPECT_TRUE(tray::ApplyTaskbarEdgeRule(tray::EdgeRight, R(740, 0, 800, 600), area));
  EXPECT_EQ(area, R(740, 500, 800, 584));

  area = R(1, 2, 3, 4);
  EXPECT_FALSE(tray::ApplyTaskbarEdgeRule(4, bottomBar, area));
  EXPECT_EQ(area, R(1, 2, 3, 4));
}

TEST(TrayArea, WorkAreaCorner) {
  EXPECT_EQ(tray::WorkAreaCorner(R(0, 0, 800, 570)), R(650, 540, 800, 570));
  EXPECT_EQ(tray::WorkAreaCorner(R(-1024, 0, 0, 768)), R(-150, 738, 0, 768));
}

TEST(TrayArea, ExtremeRectanglesDoNotWrap) {
  AreaRect area;
  EXPECT_TRUE(tray::ApplyTaskbarEdgeRule(tray::EdgeBottom, R(0, 0, INT_MIN, INT_MIN + 3), area));
  EXPECT_EQ(area.left, INT_MIN);
  EXPECT_EQ(area.right, INT_MIN);
  EXPECT_EQ(tray::WorkAreaCorner(R(0, 0, INT_MIN, INT_MIN)), R(INT_MIN, INT_MIN, INT_MIN, INT_MIN));
  // The clock comparison itself must not wrap either.
  EXPECT_EQ(tray::ApplyClockRule(R(0, 0, 10, INT_MIN), R(5, 0, 9, INT_MAX)), R(0, 0, 5, INT_MIN));
}

TEST(TrayArea, WalkNarrowsToNotifyWindowThenAppliesClock) {
  tray::TrayAreaWalk walk(R(0, 570, 800, 600));
  EXPECT_TRUE(walk.Visit("Button", R(0, 570, 60, 600)));
  EXPECT_TRUE(walk.Visit("TrayNotifyWnd", R(640, 572, 798, 598)));
  EXPECT_EQ(walk.Area(), R(640, 572, 798, 598));
  EXPECT_TRUE(walk.Visit("ToolbarWindow32", R(642, 574, 740, 596)));
  EXPECT_FALSE(walk.Visit("TrayClockWClass", R(745, 574, 796, 596)));
  EXPECT_TRUE(walk.Finished());
  EXPECT_EQ(walk.Area(), R(640, 572, 745, 598));
  // Nothing after the clock counts.
  EXPECT_FALSE(walk.Visit("TrayNotifyWnd", R(1, 1, 2, 2)));
  EXPECT_EQ(walk.Area(), R(640, 572, 745, 598));
}

TEST(TrayArea, WalkKeepsTaskbarWithoutNotifyWindow) {
  tray::TrayAreaWalk walk(R(0, 570, 800, 600));
  EXPECT_TRUE(walk.Visit("ReBarWindow32", R(60, 570, 600, 600)));
  // Class names compare exactly, case included.
  EXPECT_TRUE(walk.Visit("traynotifywnd", R(1, 1, 2, 2)));
  EXPECT_TRUE(walk.Visit("TrayNotifyWndX", R(1, 1, 2, 2)));
  EXPECT_TRUE(walk.Visit(nullptr, R(1, 1, 2, 2)));
  EXPECT_FALSE(walk.Finished());
  EXPECT_EQ(walk.Area(), R(0, 570, 800, 600));
}

TEST(TrayArea, LaterNotifyWindowReplacesEarlierOne) {
  tray::TrayAreaWalk walk(R(0, 570, 800, 600));
  walk.Visit("TrayNotifyWnd", R(600, 570, 800, 600));
  walk.Visit("TrayNotifyWnd", R(700, 570, 800, 600));
  EXPECT_EQ(walk.Area(), R(700, 570, 800, 600));
}

}  // namespace
