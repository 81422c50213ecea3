#pragma once

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "batch/Terminal.h"
#include "ports/Dialogs.h"
#include "ports/MainView.h"
#include "ports/Process.h"
#include "ports/Screen.h"

namespace webaccess::batch {

// Thrown to leave the run from wherever it is, with the program's exit status.
struct ProgramEnd {
  int status;
};

// Thrown when the time limit passes while a question waits for its answer.
struct TimeLimitReached {};

// Thrown when the program is asked to stop (StopSignal) while a question
// waits for its answer, or before one is asked.
struct StopAsked {};

// The text with the values of "CompPass=" and "UserPass=" (any case) masked,
// so that no password is ever printed.
std::string MaskCredentials(std::string_view text);

// Prints through the terminal, passwords masked.
class Output {
 public:
  explicit Output(Terminal& terminal) : terminal_(terminal) {}
  void Print(std::string_view line) { terminal_.Print(MaskCredentials(line)); }
  void Report(std::string_view line) { terminal_.Report(MaskCredentials(line)); }
  Terminal& terminal() { return terminal_; }

 private:
  Terminal& terminal_;
};

// The main window as lines of text: every change of the status, ordering
// and server labels is printed.
class TerminalView : public ports::MainView {
 public:
  explicit TerminalView(Output& output) : output_(output) {}

  void SetText(ports::Control control, const std::string& text) override;
  void SetEnabled(ports::Control, bool) override {}
  ports::WindowRect Geometry() const override { return rect_; }
  void SetGeometry(const ports::WindowRect& rect) override { rect_ = rect; }

 private:
  Output& output_;
  std::map<ports::Control, std::string> texts_;
  // The designed client area with borders, title and menu bar.
  ports::WindowRect rect_{0, 0, 12225, 9840};
};

// Questions answered from the answer list, or all Yes; when the list has run
// out, asked on the terminal, or No when nobody can answer. Once the program
// has been asked to stop, no question is answered: StopAsked is thrown.
// Boxes and the server message window are printed and need no answer.
class TerminalDialogs : public ports::Dialogs {
 public:
  // `timeLeftMs` gives the milliseconds left before the time limit, or
  // nothing without one; `stopAsked` whether the program is to stop.
  TerminalDialogs(Output& output, bool allYes, std::deque<bool> answers,
                  std::function<std::optional<long long>()> timeLeftMs,
                  std::function<bool()> stopAsked = {});

  ports::Answer AskYesNo(const std::string& title, const std::string& text) override;
  void ShowCritical(const std::string& title, const std::string& text) override;
  void ShowServerMessage(const std::string& text) override;

  // "TIRED OF WAITING?" has been answered No. In the window the user can
  // then wait on or press STOP; here nobody can, so the runner stops.
  bool StoppedWaiting() const { return stoppedWaiting_; }

 private:
  Output& output_;
  bool allYes_;
  std::deque<bool> answers_;
  std::function<std::optional<long long>()> timeLeftMs_;
  std::function<bool()> stopAsked_;
  bool stoppedWaiting_ = false;
};

// Ending the program: a listed server code or the order questions end it at
// once, a work-file failure with its report; both leave the run by throwing
// ProgramEnd. Unloading the main window is left to the runner.
class BatchProcess : public ports::Process {
 public:
  BatchProcess(Output& output, std::function<bool()> runStarted)
      : output_(output), runStarted_(std::move(runStarted)) {}

  [[noreturn]] void EndAtOnce() override;
  void UnloadMainWindow() override { unloadAsked_ = true; }
  [[noreturn]] void Fail(const std::string& report) override;

  bool UnloadAsked() const { return unloadAsked_; }

 private:
  Output& output_;
  std::function<bool()> runStarted_;
  bool unloadAsked_ = false;
};

// A screen of 1024 by 768 pixels at 15 twips each.
class BatchScreen : public ports::Screen {
 public:
  int WidthTwips() const override { return 15360; }
  int HeightTwips() const override { return 11520; }
};

}  // namespace webaccess::batch
