#pragma once

#include <ctime>

#include "ports/Clock.h"

namespace webaccess::platform {

// The machine's local clock. Separators are "/" and ":". For one thread.
class SystemClock : public ports::Clock {
 public:
  ports::LocalTime Now() const override;
  std::int64_t SteadyMilliseconds() const override;
  std::int64_t CoarseMilliseconds() const override;

 private:
  // The local time of the last second asked for: working it out consults the
  // time zone's rules, and a conversion asks once per response record.
  mutable std::time_t second_ = -1;
  mutable ports::LocalTime local_;
};

}  // namespace webaccess::platform
