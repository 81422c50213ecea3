// The main window's two layouts, in twips.
#include "app/WindowLayout.h"

#include <gtest/gtest.h>

namespace webaccess::app {
namespace {

using platform::WindowRect;

constexpr int kScreenW = 15360;
constexpr int kScreenH = 11520;

TEST(WindowLayoutTest, CompactShrinksToTheBarsAndCentresAcross) {
  const LayoutChange c = ArrangeLayout(1, {100, 700, 12225, 9630}, kScreenW, kScreenH);
  EXPECT_EQ(c.window, (WindowRect{1567, 700, 12225, 2055}));  // floor of 1567.5; top kept
  EXPECT_FALSE(c.browserHeightSet);
}

TEST(WindowLayoutTest, EachLayoutLeavesAWindowAtItsBoundAlone) {
  const WindowRect compact{5, 6, 12225, 2200};
  EXPECT_EQ(ArrangeLayout(1, compact, kScreenW, kScreenH).window, compact);
  const WindowRect expanded{5, 6, 12225, 7500};
  const LayoutChange c = ArrangeLayout(2, expanded, kScreenW, kScreenH);
  EXPECT_EQ(c.window, expanded);
  EXPECT_FALSE(c.browserHeightSet);
}

TEST(WindowLayoutTest, ExpandedGrowsAndCentresBothWays) {
  const LayoutChange c = ArrangeLayout(2, {1567, 700, 12225, 2055}, kScreenW, kScreenH);
  EXPECT_EQ(c.window, (WindowRect{1567, 1560, 12225, 8400}));
  EXPECT_TRUE(c.browserHeightSet);
  // Asking again changes nothing.
  EXPECT_EQ(ArrangeLayout(2, c.window, kScreenW, kScreenH).window, c.window);
}

TEST(WindowLayoutTest, AnyModeButOneExpands) {
  const WindowRect compact{0, 0, 12225, 2055};
  EXPECT_EQ(ArrangeLayout(0, compact, kScreenW, kScreenH).window.height, 8400);
  EXPECT_EQ(ArrangeLayout(3, compact, kScreenW, kScreenH).window.height, 8400);
}

TEST(WindowLayoutTest, ANarrowScreenGivesANegativeFlooredLeft) {
  EXPECT_EQ(ArrangeLayout(1, {0, 0, 12225, 9000}, 12224, kScreenH).window.left, -1);
  EXPECT_EQ(ArrangeLayout(1, {0, 0, 12225, 9000}, 12222, kScreenH).window.left, -2);
}

TEST(WindowLayoutTest, CompactingAfterExpandingKeepsTheExpandedTop) {
  const WindowRect expanded = ArrangeLayout(2, {0, 0, 12225, 2055}, kScreenW, kScreenH).window;
  const WindowRect compact = ArrangeLayout(1, expanded, kScreenW, kScreenH).window;
  EXPECT_EQ(compact.top, expanded.top);
  EXPECT_EQ(compact.height, 2055);
}

}  // namespace
}  // namespace webaccess::app
