#pragma once

#include <cstdint>

#include "app/ports/MainView.h"

namespace webaccess::app {

inline constexpr int kCompactHeight = 2055;
inline constexpr int kCompactBound = 2200;
inline constexpr int kExpandedHeight = 8400;
inline constexpr int kExpandedBound = 7500;
inline constexpr int kBrowserExpandedHeight = 6100;

// The main window's two layouts: compact, or expanded so that the server's
// page in the browser can be seen and used.
enum class Layout : std::uint8_t { Compact, Expanded };

struct LayoutChange {
  ports::WindowRect window;
  bool browserHeightSet = false;  // the browser takes its expanded height
};

// The window arranged in `mode`. Positions and sizes in twips; screen size
// in twips.
LayoutChange ArrangeLayout(Layout mode, const ports::WindowRect& window, int screenWidth,
                           int screenHeight);

}  // namespace webaccess::app
