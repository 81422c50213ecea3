#pragma once

#include <chrono>
#include <optional>
#include <string>

namespace webaccess::batch {

// Where the runner prints and, when a person is there, asks.
class Terminal {
 public:
  enum class Reply { Yes, No, TimeUp, NoInput };

  virtual ~Terminal() = default;
  // One line to standard output.
  virtual void Print(const std::string& line) = 0;
  // One line to standard error.
  virtual void Report(const std::string& line) = 0;
  // True when a person can answer: standard input is a terminal.
  virtual bool CanAsk() const = 0;
  // Asks until the answer is yes or no, input ends, or `timeLimitMs` (when
  // given) has passed.
  virtual Reply Ask(const std::string& prompt, std::optional<long long> timeLimitMs) = 0;
};

// The process's standard streams.
class StdTerminal : public Terminal {
 public:
  void Print(const std::string& line) override;
  void Report(const std::string& line) override;
  bool CanAsk() const override;
  Reply Ask(const std::string& prompt, std::optional<long long> timeLimitMs) override;

 private:
  enum class LineEnd { Line, TimeUp, NoInput };
  // One line from standard input, without its end, read until `deadline`
  // when one is given; per system.
  static LineEnd ReadLine(std::string& line,
                          std::optional<std::chrono::steady_clock::time_point> deadline);
  // How long ReadLine may wait now, in milliseconds and at most 1,000,000:
  // -1 without a deadline, 0 once it has passed.
  static int WaitMs(std::optional<std::chrono::steady_clock::time_point> deadline);
};

}  // namespace webaccess::batch
