#include "platform/system/SystemClock.h"

#include <ctime>

namespace webaccess::platform {

LocalTime SystemClock::Now() const {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return LocalTime{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                   local.tm_hour,        local.tm_min,     local.tm_sec};
}

std::int64_t SystemClock::SteadyMilliseconds() const {
  // Only paces work (a few milliseconds at a time), and is read once per
  // line of a conversion: the coarse clock is good enough and far cheaper.
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC_COARSE, &now);
  return std::int64_t{now.tv_sec} * 1000 + now.tv_nsec / 1000000;
}

}  // namespace webaccess::platform
