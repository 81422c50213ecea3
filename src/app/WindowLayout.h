#pragma once

#include <cstdint>

#include "ports/Browser.h"
#include "ports/MainView.h"
#include "ports/Screen.h"

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

// The main window's layout as the program arranges it: the window's place
// and size, and the browser's height when it expands.
class WindowLayout {
 public:
  WindowLayout(ports::MainView& view, const ports::Screen& screen, ports::Browser& browser)
      : view_(view), screen_(screen), browser_(browser) {}

  void Arrange(Layout mode);
  // The layout last asked for.
  Layout Current() const { return current_; }

 private:
  ports::MainView& view_;
  const ports::Screen& screen_;
  ports::Browser& browser_;
  Layout current_ = Layout::Compact;
};

}  // namespace webaccess::app
