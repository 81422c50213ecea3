#include "platform/system/SystemClock.h"

#include <ctime>

namespace webaccess::platform {

ports::LocalTime SystemClock::Now() const {
  const std::time_t now = std::time(nullptr);
  if (now == second_) return local_;
  std::tm local{};
  localtime_r(&now, &local);
  second_ = now;
  local_ = ports::LocalTime{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                            local.tm_hour,        local.tm_min,     local.tm_sec};
  return local_;
}

namespace {

std::int64_t Milliseconds(clockid_t clock) {
  timespec now{};
  clock_gettime(clock, &now);
  return std::int64_t{now.tv_sec} * 1000 + now.tv_nsec / 1000000;
}

}  // namespace

std::int64_t SystemClock::SteadyMilliseconds() const { return Milliseconds(CLOCK_MONOTONIC); }

// The coarse clock moves once per scheduler tick (4 ms here): a timer due in
// 1 ms would wait for it, but a conversion reading it once per line is far
// cheaper for it.
std::int64_t SystemClock::CoarseMilliseconds() const {
  return Milliseconds(CLOCK_MONOTONIC_COARSE);
}

}  // namespace webaccess::platform
