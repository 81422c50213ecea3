#pragma once

#include <cstdint>

#include "platform/MainView.h"

namespace webaccess::app {

inline constexpr int kCompactHeight = 2055;
inline constexpr int kCompactBound = 2200;
inline constexpr int kExpandedHeight = 8400;
inline constexpr int kExpandedBound = 7500;
inline constexpr int kBrowserExpandedHeight = 6100;

struct LayoutChange {
  platform::WindowRect window;
  bool browserHeightSet = false;  // the browser takes its expanded height
};

// The main window's two layouts: mode 1 compact, any other mode expanded.
// Positions and sizes in twips; screen size in twips.
LayoutChange ArrangeLayout(std::int16_t mode, const platform::WindowRect& window, int screenWidth,
                           int screenHeight);

}  // namespace webaccess::app
