#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "app/MainForm.h"
#include "platform/Platform.h"

namespace webaccess::fuzz {

// The program ended at once (a server code) or stopped on a failed work file.
struct ProgramEnded {};
struct ProgramFailed {
  std::string report;
};

// Records the navigations; a navigation completes only when the target says so.
class RecordingBrowser : public platform::Browser {
 public:
  void Navigate(const std::string& url) override { navigations.push_back(url); }
  std::string LocationURL() const override { return location; }
  void SetVisible(bool) override {}
  void SetHeight(int) override {}
  void Quit() override {}

  // The navigation ends at `url`.
  void Complete(const std::string& url) {
    location = url;
    NotifyNavigateComplete();
  }

  std::vector<std::string> navigations;
  std::string location;
};

class RecordingTimer : public platform::WaitTimer {
 public:
  void SetInterval(int milliseconds) override {
    interval_ = milliseconds;
    intervals.push_back(milliseconds);
  }
  int Interval() const override { return interval_; }
  void Tick() { NotifyTick(); }

  std::vector<int> intervals;

 private:
  int interval_ = 0;
};

class IdlePump : public platform::EventPump {
 public:
  void ProcessPendingEvents() override {}
};

// Answers the questions from a queue; Yes when it is empty.
class AnsweringDialogs : public platform::Dialogs {
 public:
  platform::Answer AskYesNo(const std::string&, const std::string&) override {
    if (answers.empty()) return platform::Answer::Yes;
    const platform::Answer answer = answers.front();
    answers.pop_front();
    return answer;
  }
  void ShowCritical(const std::string&, const std::string&) override {}
  void ShowServerMessage(const std::string&) override {}

  std::deque<platform::Answer> answers;
};

// Hands the next download's bytes to the sink, or fails it.
class ScriptedTransfer : public platform::Transfer {
 public:
  platform::TransferResult Download(const std::string& url, const Sink& sink) override;

  std::string nextBody;
  bool failNext = false;
  std::vector<std::string> urls;
};

class FixedScreen : public platform::Screen {
 public:
  int WidthTwips() const override { return 19200; }
  int HeightTwips() const override { return 14400; }
};

// 7 December 2026, 14:30:15, standing still; the steady count moves on by
// one millisecond at every reading.
class FixedClock : public platform::Clock {
 public:
  platform::LocalTime Now() const override { return {2026, 12, 7, 14, 30, 15}; }
  std::int64_t SteadyMilliseconds() const override { return ++steady_; }

 private:
  mutable std::int64_t steady_ = 0;
};

class IgnoringView : public platform::MainView {
 public:
  void SetText(platform::Control, const std::string&) override {}
  void SetEnabled(platform::Control, bool) override {}
  platform::WindowRect Geometry() const override { return rect_; }
  void SetGeometry(const platform::WindowRect& rect) override { rect_ = rect; }

 private:
  platform::WindowRect rect_{3000, 2000, 9000, 2055};
};

class ThrowingProcess : public platform::Process {
 public:
  [[noreturn]] void EndAtOnce() override { throw ProgramEnded{}; }
  void UnloadMainWindow() override { unloaded = true; }
  [[noreturn]] void Fail(const std::string& report) override { throw ProgramFailed{report}; }

  bool unloaded = false;
};

// The main window's logic on the fakes above.
struct FormOnFakes {
  explicit FormOnFakes(std::string commandLine);

  RecordingBrowser browser;
  ScriptedTransfer transfer;
  RecordingTimer timer;
  IdlePump pump;
  AnsweringDialogs dialogs;
  FixedScreen screen;
  FixedClock clock;
  IgnoringView view;
  ThrowingProcess process;
  platform::Platform platform{browser, transfer, timer, pump,   dialogs,
                              screen,  clock,    view,  process};
  app::MainForm form;
};

}  // namespace webaccess::fuzz
