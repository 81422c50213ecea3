#pragma once

#include <cstdint>

namespace webaccess::ports {

struct LocalTime {
  int year = 2000;  // four digits
  int month = 1;    // 1 to 12
  int day = 1;      // 1 to 31
  int hour = 0;     // 0 to 23
  int minute = 0;
  int second = 0;

  bool operator==(const LocalTime&) const = default;
};

// The local clock and the locale's separators, and a steady millisecond count
// for timers and pacing work (not for time stamps).
class Clock {
 public:
  virtual ~Clock() = default;

  virtual LocalTime Now() const = 0;
  virtual char DateSeparator() const { return '/'; }
  virtual char TimeSeparator() const { return ':'; }
  virtual std::int64_t SteadyMilliseconds() const = 0;
  // The same steady count, cheaper to read but up to a few milliseconds
  // behind: for pacing work read once per line, never for timer deadlines.
  virtual std::int64_t CoarseMilliseconds() const { return SteadyMilliseconds(); }
};

}  // namespace webaccess::ports
