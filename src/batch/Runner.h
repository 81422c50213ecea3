#pragma once

#include <functional>
#include <memory>
#include <optional>

#include "app/MainForm.h"
#include "batch/BatchOptions.h"
#include "batch/BatchPlatform.h"
#include "batch/Terminal.h"
#include "platform/batch/EventLoop.h"
#include "platform/batch/HttpClient.h"
#include "platform/batch/NavigatingBrowser.h"
#include "ports/Clock.h"
#include "ports/Transfer.h"
#include "protocol/ServerTable.h"

namespace webaccess::batch {

// What the runner takes from outside: the network and the response download
// (which share the server's cookies), the clock and the terminal, and what
// says that the program has been asked to stop (StopSignal, or nothing).
struct RunServices {
  platform::batch::HttpClient& http;
  ports::Transfer& transfer;
  ports::Clock& clock;
  Terminal& terminal;
  std::function<int()> stopSignal = {};
};

// One program start of the client without a window. The same core runs as
// under the window: load, the first activation with its questions, Start
// pressed at once, then the conversation on the event loop until the run
// ends. A run that ends complete or aborted leaves as a confirmed Exit does,
// without the question; the time limit, a stop signal and a No to "TIRED OF
// WAITING?" leave as the window's close box does, between the loop's turns;
// so does a run in which nothing can happen any more, since nobody can press
// anything. A close while a pick-up is under way waits, as the window's
// does, until the pick-up has finished.
class Runner {
 public:
  Runner(const BatchOptions& options, protocol::Settings settings, RunServices services);
  Runner(const Runner&) = delete;
  Runner& operator=(const Runner&) = delete;

  // Runs and returns the exit status.
  int Run();

  const platform::batch::EventLoop& Loop() const { return loop_; }

 private:
  int Drive();
  // Why to close the window between turns, with the exit status, reported;
  // nothing while the run may go on.
  std::optional<int> AskedToClose();
  // The signal that asked the program to stop; 0 while none has.
  int StopSignalNumber() const;
  int Finish(app::RunOutcome outcome);
  int CloseWindow(int status);
  std::optional<long long> TimeLeftMs() const;

  const BatchOptions options_;
  RunServices services_;
  Output output_;
  platform::batch::EventLoop loop_;
  platform::batch::NavigatingBrowser browser_;
  TerminalView view_;
  TerminalDialogs dialogs_;
  BatchProcess process_;
  BatchScreen screen_;
  ports::Platform platform_;
  std::unique_ptr<app::MainForm> form_;
  std::int64_t startMs_ = 0;
  bool runStarted_ = false;
};

}  // namespace webaccess::batch
