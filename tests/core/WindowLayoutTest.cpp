// The main window's two layouts, in twips.
#include "app/WindowLayout.h"

#include <gtest/gtest.h>

namespace webaccess::app {
namespace {

using ports::WindowRect;

constexpr int kScreenW = 15360;
constexpr int kScreenH = 11520;

TEST(WindowLayoutTest, CompactShrinksToTheBarsAndCentresAcross) {
  const LayoutChange c =
      ArrangeLayout(Layout::Compact, {100, 700, 12225, 9630}, kScreenW, kScreenH);
  EXPECT_EQ(c.window, (WindowRect{1567, 700, 12225, 2055}));  // floor of 1567.5; top kept
  EXPECT_FALSE(c.browserHeightSet);
}

TEST(WindowLayoutTest, EachLayoutLeavesAWindowAtItsBoundAlone) {
  const WindowRect compact{5, 6, 12225, 2200};
  EXPECT_EQ(ArrangeLayout(Layout::Compact, compact, kScreenW, kScreenH).window, compact);
  const WindowRect expanded{5, 6, 12225, 7500};
  const LayoutChange c = ArrangeLayout(Layout::Expanded, expanded, kScreenW, kScreenH);
  EXPECT_EQ(c.window, expanded);
  EXPECT_FALSE(c.browserHeightSet);
}

TEST(WindowLayoutTest, ExpandedGrowsAndCentresBothWays) {
  const LayoutChange c =
      ArrangeLayout(Layout::Expanded, {1567, 700, 12225, 2055}, kScreenW, kScreenH);
  EXPECT_EQ(c.window, (WindowRect{1567, 1560, 12225, 8400}));
  EXPECT_TRUE(c.browserHeightSet);
  // Asking again changes nothing.
  EXPECT_EQ(ArrangeLayout(Layout::Expanded, c.window, kScreenW, kScreenH).window, c.window);
}

TEST(WindowLayoutTest, ANarrowScreenGivesANegativeFlooredLeft) {
  EXPECT_EQ(ArrangeLayout(Layout::Compact, {0, 0, 12225, 9000}, 12224, kScreenH).window.left, -1);
  EXPECT_EQ(ArrangeLayout(Layout::Compact, {0, 0, 12225, 9000}, 12222, kScreenH).window.left, -2);
}

TEST(WindowLayoutTest, CompactingAfterExpandingKeepsTheExpandedTop) {
  const WindowRect expanded =
      ArrangeLayout(Layout::Expanded, {0, 0, 12225, 2055}, kScreenW, kScreenH).window;
  const WindowRect compact = ArrangeLayout(Layout::Compact, expanded, kScreenW, kScreenH).window;
  EXPECT_EQ(compact.top, expanded.top);
  EXPECT_EQ(compact.height, 2055);
}

}  // namespace
}  // namespace webaccess::app
