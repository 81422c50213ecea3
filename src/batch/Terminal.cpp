#include "batch/Terminal.h"

#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>

namespace webaccess::batch {

void StdTerminal::Print(const std::string& line) {
  std::fwrite(line.data(), 1, line.size(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}

void StdTerminal::Report(const std::string& line) {
  std::fwrite(line.data(), 1, line.size(), stderr);
  std::fputc('\n', stderr);
  std::fflush(stderr);
}

bool StdTerminal::CanAsk() const { return ::isatty(STDIN_FILENO) == 1; }

Terminal::Reply StdTerminal::Ask(const std::string& prompt, std::optional<long long> timeLimitMs) {
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeLimitMs.value_or(0));
  std::string line;
  for (int attempts = 0; attempts < 100; ++attempts) {
    std::fputs(prompt.c_str(), stdout);
    std::fflush(stdout);
    line.clear();
    for (;;) {
      int wait = -1;
      if (timeLimitMs) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) return Reply::TimeUp;
        wait = static_cast<int>(left < 1000000 ? left : 1000000);
      }
      pollfd input{STDIN_FILENO, POLLIN, 0};
      const int ready = ::poll(&input, 1, wait);
      if (ready == 0) continue;  // the deadline is checked above
      if (ready < 0) return Reply::NoInput;
      char c = 0;
      if (::read(STDIN_FILENO, &c, 1) != 1) return Reply::NoInput;
      if (c == '\n') break;
      if (c != '\r') line += c;
    }
    for (char& c : line) {
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    if (line == "y" || line == "yes") return Reply::Yes;
    if (line == "n" || line == "no") return Reply::No;
  }
  return Reply::NoInput;
}

}  // namespace webaccess::batch
