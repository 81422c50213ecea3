#pragma once

#include <string>

namespace webaccess::ports {

// The main window's controls, as the core writes them.
enum class Control {
  Caption,      // the window title
  lblDisplay,   // the status line
  lblServer,    // the selected server's name
  lblOrdering,  // how many records are ordered
  cmdStart,     // the Start button
  cmdExit,      // the Exit / STOP button
  txtURL,       // the hidden reply field
};

// An outer window rectangle in twips, borders, title and menu bar included.
struct WindowRect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  friend bool operator==(const WindowRect&, const WindowRect&) = default;
};

class MainView {
 public:
  virtual ~MainView() = default;

  virtual void SetText(Control control, const std::string& text) = 0;
  virtual void SetEnabled(Control control, bool enabled) = 0;
  virtual WindowRect Geometry() const = 0;
  virtual void SetGeometry(const WindowRect& rect) = 0;
};

}  // namespace webaccess::ports
