#pragma once

#include "ports/Screen.h"

namespace webaccess::platform {

// The primary screen's full size in twips, at its logical dots per inch.
class QtScreen final : public ports::Screen {
 public:
  int WidthTwips() const override;
  int HeightTwips() const override;
};

}  // namespace webaccess::platform
