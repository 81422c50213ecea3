#include <windows.h>

#include "platform/system/SystemClock.h"

namespace webaccess::platform {

ports::LocalTime SystemClock::Now() const {
  SYSTEMTIME local{};
  GetLocalTime(&local);
  return ports::LocalTime{local.wYear, local.wMonth,  local.wDay,
                          local.wHour, local.wMinute, local.wSecond};
}

std::int64_t SystemClock::SteadyMilliseconds() const {
  static const std::int64_t frequency = [] {
    LARGE_INTEGER f{};
    QueryPerformanceFrequency(&f);
    return f.QuadPart;
  }();
  LARGE_INTEGER now{};
  QueryPerformanceCounter(&now);
  return now.QuadPart / frequency * 1000 + now.QuadPart % frequency * 1000 / frequency;
}

// The tick count moves with the system's timer (every 10 to 16 ms): cheap
// to read once per line of a conversion, never used for timer deadlines.
std::int64_t SystemClock::CoarseMilliseconds() const {
  return static_cast<std::int64_t>(GetTickCount64());
}

}  // namespace webaccess::platform
