#include <poll.h>
#include <unistd.h>

#include "batch/Terminal.h"

namespace webaccess::batch {

bool StdTerminal::CanAsk() const { return ::isatty(STDIN_FILENO) == 1; }

StdTerminal::LineEnd StdTerminal::ReadLine(
    std::string& line, std::optional<std::chrono::steady_clock::time_point> deadline) {
  for (;;) {
    const int wait = WaitMs(deadline);
    if (wait == 0) return LineEnd::TimeUp;
    pollfd input{STDIN_FILENO, POLLIN, 0};
    const int ready = ::poll(&input, 1, wait);
    if (ready == 0) continue;  // the deadline is checked above
    if (ready < 0) return LineEnd::NoInput;
    char c = 0;
    if (::read(STDIN_FILENO, &c, 1) != 1) return LineEnd::NoInput;
    if (c == '\n') return LineEnd::Line;
    if (c != '\r') line += c;
  }
}

}  // namespace webaccess::batch
