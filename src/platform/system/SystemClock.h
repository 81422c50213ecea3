#pragma once

#include "ports/Clock.h"

namespace webaccess::platform {

// The machine's local clock. Separators are "/" and ":".
class SystemClock : public ports::Clock {
 public:
  ports::LocalTime Now() const override;
  std::int64_t SteadyMilliseconds() const override;
  std::int64_t CoarseMilliseconds() const override;
};

}  // namespace webaccess::platform
