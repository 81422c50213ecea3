// A crash point for a program under test, loaded with LD_PRELOAD. It watches
// the program's writes to files and its sends on sockets, and at the chosen
// one it creates a mark file and stalls there, so that the test can kill the
// program at exactly that moment; it ends the program itself when nobody
// does within the stall limit.
//
//   CRASHPOINT_AT    write:FILE:N     the Nth write() to the work file FILE
//                    send:TEXT:N      the Nth send() whose data holds TEXT
//   CRASHPOINT_WHEN  before (default) the call has not happened yet
//                    after            the call has done its work
//   CRASHPOINT_MARK  the file created when the point is reached
//
// Without CRASHPOINT_AT the calls pass through unchanged.
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace {

// The program ends itself after this long at the point.
constexpr int kStallSeconds = 30;
constexpr int kStatusWhenNobodyKills = 99;

enum class Kind { None, Write, Send };

struct Point {
  Kind kind = Kind::None;
  char what[256] = {};
  long occurrence = 1;
  bool after = false;
  const char* mark = nullptr;
};

const Point& ThePoint() {
  static const Point point = [] {
    Point p;
    const char* at = std::getenv("CRASHPOINT_AT");
    if (at == nullptr) return p;
    const std::string_view setting(at);
    const std::size_t first = setting.find(':');
    const std::size_t last = setting.rfind(':');
    if (first == std::string_view::npos || last == first) return p;
    const std::string_view kind = setting.substr(0, first);
    const std::string_view what = setting.substr(first + 1, last - first - 1);
    if (what.empty() || what.size() >= sizeof p.what) return p;
    what.copy(p.what, what.size());
    p.occurrence = std::strtol(at + last + 1, nullptr, 10);
    p.kind = kind == "write" ? Kind::Write : kind == "send" ? Kind::Send : Kind::None;
    const char* when = std::getenv("CRASHPOINT_WHEN");
    p.after = when != nullptr && std::string_view(when) == "after";
    p.mark = std::getenv("CRASHPOINT_MARK");
    return p;
  }();
  return point;
}

std::atomic<long> seen{0};

// True when the descriptor is open on a file whose last path part is `name`.
bool IsFileNamed(int fd, std::string_view name) {
  char link[64];
  std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
  char path[4096];
  const ssize_t size = ::readlink(link, path, sizeof path);
  if (size <= 0 || static_cast<std::size_t>(size) >= sizeof path) return false;
  const std::string_view target(path, static_cast<std::size_t>(size));
  const std::size_t slash = target.rfind('/');
  return target.substr(slash == std::string_view::npos ? 0 : slash + 1) == name;
}

bool Holds(const void* data, std::size_t size, std::string_view text) {
  return std::string_view(static_cast<const char*>(data), size).find(text) !=
         std::string_view::npos;
}

// Counts a call that matches the point; true at the chosen one.
bool Strikes() { return seen.fetch_add(1) + 1 == ThePoint().occurrence; }

[[noreturn]] void Stall() {
  if (ThePoint().mark != nullptr) {
    const int fd = ::open(ThePoint().mark, O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    if (fd >= 0) ::close(fd);
  }
  for (int i = 0; i < kStallSeconds * 10; ++i) ::usleep(100 * 1000);
  ::_exit(kStatusWhenNobodyKills);
}

template <typename Function>
Function* Next(const char* name) {
  return reinterpret_cast<Function*>(::dlsym(RTLD_NEXT, name));
}

}  // namespace

extern "C" ssize_t write(int fd, const void* data, std::size_t size) {
  static auto* const real = Next<ssize_t(int, const void*, std::size_t)>("write");
  const Point& point = ThePoint();
  const bool strikes = point.kind == Kind::Write && IsFileNamed(fd, point.what) && Strikes();
  if (strikes && !point.after) Stall();
  const ssize_t result = real(fd, data, size);
  if (strikes) Stall();
  return result;
}

extern "C" ssize_t send(int fd, const void* data, std::size_t size, int flags) {
  static auto* const real = Next<ssize_t(int, const void*, std::size_t, int)>("send");
  const Point& point = ThePoint();
  const bool strikes = point.kind == Kind::Send && Holds(data, size, point.what) && Strikes();
  if (strikes && !point.after) Stall();
  const ssize_t result = real(fd, data, size, flags);
  if (strikes) Stall();
  return result;
}
