#include "batch/Terminal.h"

#include <algorithm>
#include <cstdio>

#include "platform/batch/Url.h"

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

Terminal::Reply StdTerminal::Ask(const std::string& prompt, std::optional<long long> timeLimitMs) {
  std::optional<std::chrono::steady_clock::time_point> deadline;
  if (timeLimitMs) {
    deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(*timeLimitMs);
  }
  std::string line;
  for (int attempts = 0; attempts < 100; ++attempts) {
    std::fputs(prompt.c_str(), stdout);
    std::fflush(stdout);
    line.clear();
    switch (ReadLine(line, deadline)) {
      case LineEnd::TimeUp:
        return Reply::TimeUp;
      case LineEnd::NoInput:
        return Reply::NoInput;
      case LineEnd::Line:
        break;
    }
    line = platform::batch::LowerAscii(line);
    if (line == "y" || line == "yes") return Reply::Yes;
    if (line == "n" || line == "no") return Reply::No;
  }
  return Reply::NoInput;
}

int StdTerminal::WaitMs(std::optional<std::chrono::steady_clock::time_point> deadline) {
  if (!deadline) return -1;
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                        *deadline - std::chrono::steady_clock::now())
                        .count();
  return static_cast<int>(std::clamp<long long>(left, 0, 1000000));
}

}  // namespace webaccess::batch
