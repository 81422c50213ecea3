#pragma once

namespace webaccess::ports {

// The size of the screen, in twips (1440 to the inch).
class Screen {
 public:
  virtual ~Screen() = default;
  virtual int WidthTwips() const = 0;
  virtual int HeightTwips() const = 0;
};

}  // namespace webaccess::ports
