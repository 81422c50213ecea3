#pragma once

#include "platform/Clock.h"

namespace webaccess::platform {

// The machine's local clock. Separators are "/" and ":".
class SystemClock : public Clock {
 public:
  LocalTime Now() const override;
  std::int64_t SteadyMilliseconds() const override;
  std::int64_t CoarseMilliseconds() const override;
};

}  // namespace webaccess::platform
