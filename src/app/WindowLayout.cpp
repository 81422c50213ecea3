#include "app/WindowLayout.h"

#include <cmath>

namespace webaccess::app {
namespace {

// Half the difference, floored: Int((screen - window) / 2).
int CentredOffset(int screen, int window) {
  return static_cast<int>(std::floor((static_cast<double>(screen) - window) / 2.0));
}

}  // namespace

LayoutChange ArrangeLayout(Layout mode, const ports::WindowRect& window, int screenWidth,
                           int screenHeight) {
  LayoutChange change{window, false};
  ports::WindowRect& w = change.window;
  if (mode == Layout::Compact) {
    if (w.height <= kCompactBound) return change;
    w.height = kCompactHeight;
    w.left = CentredOffset(screenWidth, w.width);
    return change;
  }
  if (w.height >= kExpandedBound) return change;
  w.height = kExpandedHeight;
  change.browserHeightSet = true;
  w.top = CentredOffset(screenHeight, w.height);
  w.left = CentredOffset(screenWidth, w.width);
  return change;
}

void WindowLayout::Arrange(Layout mode) {
  current_ = mode;
  const LayoutChange change =
      ArrangeLayout(mode, view_.Geometry(), screen_.WidthTwips(), screen_.HeightTwips());
  if (change.browserHeightSet) browser_.SetHeight(kBrowserExpandedHeight);
  view_.SetGeometry(change.window);
}

}  // namespace webaccess::app
