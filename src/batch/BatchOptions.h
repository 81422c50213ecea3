#pragma once

#include <optional>
#include <string>
#include <vector>

namespace webaccess::batch {

// The program's exit statuses.
enum ExitStatus : int {
  kRunComplete = 0,         // the run is complete
  kRunAborted = 1,          // the server aborted the run
  kServerErrorCode = 2,     // the server ended the program with one of its listed codes
  kTimeLimit = 3,           // --time-limit passed
  kEndedByAnswers = 4,      // the order questions ended the program before any server contact
  kNeedsPage = 5,           // the server wants the user in its page (logon page, terminal action)
  kStalled = 6,             // nothing is under way or scheduled, so nothing more can happen
  kCertificateRefused = 7,  // the server's certificate was not trusted; nothing was sent to it
  kAlreadyRunning = 8,      // another client holds the working folder; nothing was touched
  kStoppedWaiting = 9,      // No to "TIRED OF WAITING?": nobody else could stop the run
  kUsage = 64,              // bad arguments or settings
  kWorkFileFailure = 70,
  kStoppedBySignal = 128,  // plus the signal's number, as shells report a signal
};

struct BatchOptions {
  bool allYes = false;
  std::optional<std::vector<bool>> answers;  // --answers, in order
  std::optional<double> timeLimitSeconds;
  std::string commandLine;                 // the words joined by single blanks
  std::vector<std::size_t> wordPositions;  // where the words stand among the arguments
  bool help = false;
  bool version = false;
};

// Parses the arguments (without the program name). On a bad argument,
// `error` says what is wrong and nothing is returned. --help and --version
// are reported in `help` and `version`; the rest is then left unread.
std::optional<BatchOptions> ParseBatchArguments(const std::vector<std::string>& args,
                                                std::string& error);

std::string BatchUsage();

}  // namespace webaccess::batch
