#include "batch/Runner.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace webaccess::batch {
namespace {

// The outer loop looks at the run's end and the time limit at least this often.
constexpr int kTurnMs = 200;

constexpr const char* kTimeLimitReport =
    "webaccess-batch: time limit reached; ending as if the window were closed.";

std::deque<bool> AnswerList(const BatchOptions& options) {
  if (!options.answers) return {};
  return std::deque<bool>(options.answers->begin(), options.answers->end());
}

}  // namespace

Runner::Runner(const BatchOptions& options, protocol::Settings settings, RunServices services)
    : options_(options),
      services_(services),
      output_(services.terminal),
      loop_(services.clock),
      browser_(services.http, loop_),
      view_(output_),
      dialogs_(
          output_, options.allYes, AnswerList(options), [this] { return TimeLeftMs(); },
          [this] { return StopSignalNumber() != 0; }),
      process_(output_, [this] { return runStarted_; }),
      platform_{browser_, services.transfer, loop_.Timer(), loop_,   dialogs_,
                screen_,  services.clock,    view_,         process_} {
  loop_.SetSource(&services.http);
  browser_.SetFailureLog([this](const std::string& url, const std::string& why) {
    // The URL goes last: masking a password runs to the next "&" or the end.
    output_.Report("Request failed (" + why + "): " + url);
  });
  form_ = std::make_unique<app::MainForm>(platform_, std::move(settings), options.commandLine);
}

std::optional<long long> Runner::TimeLeftMs() const {
  if (!options_.timeLimitSeconds) return std::nullopt;
  const auto limitMs = static_cast<long long>(std::ceil(*options_.timeLimitSeconds * 1000));
  return limitMs - (services_.clock.SteadyMilliseconds() - startMs_);
}

int Runner::Run() {
  startMs_ = services_.clock.SteadyMilliseconds();
  try {
    return Drive();
  } catch (const ProgramEnd& end) {
    return end.status;
  }
}

int Runner::Drive() {
  try {
    form_->Form_Load();
    form_->Form_Activate();
    runStarted_ = true;
    form_->cmdStart_Click();
    for (;;) {
      const app::RunOutcome outcome = form_->Outcome();
      if (outcome == app::RunOutcome::Complete || outcome == app::RunOutcome::AbortedByServer) {
        return Finish(outcome);
      }
      if (outcome == app::RunOutcome::CertificateRefused) {
        output_.Report(
            "webaccess-batch: the server's certificate was refused, so nothing was sent to it; "
            "trust its authority through the system's store or WEBACCESS_CA_FILE.");
        return CloseWindow(kCertificateRefused);
      }
      if (const std::optional<int> status = AskedToClose()) return CloseWindow(*status);
      // Nobody can press anything here: once nothing can come any more, the
      // run has gone as far as it can.
      if (loop_.Idle()) {
        if (outcome == app::RunOutcome::WaitingForUserInServerPage) {
          output_.Report(
              "webaccess-batch: the server wants the user to work in its page (a logon page or "
              "a terminal action), and there is no page to show; give the credentials on the "
              "command line.");
          return CloseWindow(kNeedsPage);
        }
        if (outcome == app::RunOutcome::CannotGoOn) {
          const std::string& why = form_->Conversation().StoppedBecause();
          output_.Report("webaccess-batch: the run cannot go on: " +
                         (why.empty() ? "no request is under way and none is scheduled" : why) +
                         ".");
          return CloseWindow(kStalled);
        }
      }
      const std::optional<long long> left = TimeLeftMs();
      loop_.Turn(static_cast<int>(std::clamp<long long>(left.value_or(kTurnMs), 0, kTurnMs)));
    }
  } catch (const TimeLimitReached&) {
    output_.Report(kTimeLimitReport);
    return CloseWindow(kTimeLimit);
  } catch (const StopAsked&) {
    // A question was open: no pick-up is under way.
    return CloseWindow(AskedToClose().value_or(kStoppedBySignal));
  }
}

int Runner::StopSignalNumber() const { return services_.stopSignal ? services_.stopSignal() : 0; }

std::optional<int> Runner::AskedToClose() {
  if (const int signal = StopSignalNumber(); signal != 0) {
    output_.Report("webaccess-batch: stopped by signal " + std::to_string(signal) +
                   "; ending as if the window were closed.");
    return kStoppedBySignal + signal;
  }
  if (const std::optional<long long> left = TimeLeftMs(); left && *left <= 0) {
    output_.Report(kTimeLimitReport);
    return kTimeLimit;
  }
  if (dialogs_.StoppedWaiting()) {
    output_.Report(
        "webaccess-batch: No to \"TIRED OF WAITING?\", and nobody else can stop the run; ending "
        "as if the window were closed.");
    return kStoppedWaiting;
  }
  return std::nullopt;
}

int Runner::Finish(app::RunOutcome outcome) {
  form_->ConfirmedExit();
  if (process_.UnloadAsked()) form_->Form_Unload();
  return outcome == app::RunOutcome::Complete ? kRunComplete : kRunAborted;
}

int Runner::CloseWindow(int status) {
  // During a pick-up the form holds the close: the loop turns on until the
  // pick-up has finished and the form has unloaded the window itself. A
  // delete request that fails ends the pick-up as well.
  if (form_->Form_QueryUnload()) {
    while (!process_.UnloadAsked() && !loop_.Idle()) loop_.Turn(kTurnMs);
  }
  form_->Form_Unload();
  return status;
}

}  // namespace webaccess::batch
