#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "ports/Platform.h"

namespace webaccess::testing {

// The event queue of the test platform: what a window system's message loop
// would deliver. One pass runs the events that were pending when it began.
class EventQueue {
 public:
  void Post(std::function<void()> event) { events_.push_back(std::move(event)); }
  bool Empty() const { return events_.empty(); }
  void RunPending();
  int Depth() const { return depth_; }
  int MaxDepth() const { return maxDepth_; }

 private:
  std::deque<std::function<void()>> events_;
  int depth_ = 0;
  int maxDepth_ = 0;
};

class FakePump : public ports::EventPump {
 public:
  explicit FakePump(EventQueue& queue) : queue_(queue) {}
  void ProcessPendingEvents() override {
    ++passes;
    queue_.RunPending();
  }
  int passes = 0;

 private:
  EventQueue& queue_;
};

// Virtual time: a local clock that moves only when the test moves it.
class VirtualClock : public ports::Clock {
 public:
  ports::LocalTime Now() const override;
  // Each reading moves the clock on by `msPerReading` (0: it stands still).
  std::int64_t SteadyMilliseconds() const override { return ms_ += msPerReading; }
  char DateSeparator() const override { return dateSeparator; }
  char TimeSeparator() const override { return timeSeparator; }

  void Advance(std::int64_t ms) { ms_ += ms; }
  std::int64_t ms() const { return ms_; }

  // 7 December 2026, 14:30:15 at virtual time 0.
  ports::LocalTime start{2026, 12, 7, 14, 30, 15};
  char dateSeparator = '/';
  char timeSeparator = ':';
  std::int64_t msPerReading = 0;

 private:
  mutable std::int64_t ms_ = 0;
};

// The poll timer on virtual time: it falls due `interval` ms after it was set,
// and again at every interval until it is stopped.
class FakeTimer : public ports::WaitTimer {
 public:
  explicit FakeTimer(const VirtualClock& clock) : clock_(clock) {}
  void SetInterval(int milliseconds) override;
  int Interval() const override { return interval_; }
  bool Running() const { return interval_ > 0; }
  std::int64_t DueAt() const { return dueAt_; }
  // Delivers the tick that has fallen due and schedules the next one.
  void Fire();
  std::vector<int> intervalsSet;

 private:
  const VirtualClock& clock_;
  int interval_ = 0;
  std::int64_t dueAt_ = 0;
};

// How a navigation ends, as the server answered it: at the page its
// redirects end at (empty: nothing completes, the server never answers),
// then failed, as a browser tells a failure (empty: it did not fail).
struct Navigation {
  std::string finalUrl;
  std::string failure;
};
// The server as the browser double sees it.
using Responder = std::function<Navigation(const std::string& url)>;

// A browser whose navigations complete, or fail, through the event queue,
// never inside Navigate; a failure is told only while no newer navigation
// has started. Without a responder no navigation completes by itself.
class FakeBrowser : public ports::Browser {
 public:
  explicit FakeBrowser(EventQueue& queue) : queue_(queue) {}
  void Navigate(const std::string& url) override;
  void SetVisible(bool shown) override { visible = shown; }
  void SetHeight(int twips) override { height = twips; }
  void Quit() override { ++quits; }

  // Completes a navigation with a URL of the test's choosing.
  void Complete(const std::string& finalUrl) { NotifyNavigateComplete(finalUrl); }
  // Tells a failed request, as a browser does after its error page.
  void Fail(const std::string& url, const std::string& why) { NotifyRequestFailed(url, why); }

  Responder responder;
  std::vector<std::string> requests;
  bool visible = false;
  int height = 0;
  int quits = 0;
  // Why the certificate of the server a URL goes to is refused; empty, or
  // no function, when it is trusted. A refused navigation reaches no server.
  std::function<std::string(const std::string& url)> refuseCertificate;

 private:
  EventQueue& queue_;
  int navigations_ = 0;
};

// The download: the bytes that the test says the URL holds, handed over in
// pieces, then the source's result (a failure may come after some bytes).
class FakeTransfer : public ports::Transfer {
 public:
  using Source = std::function<ports::TransferResult(const std::string& url, std::string& bytes)>;
  ports::TransferResult Download(const std::string& url, const Sink& sink) override;

  Source source;
  std::vector<std::string> urls;
};

struct Question {
  std::string title;
  std::string text;
  friend bool operator==(const Question&, const Question&) = default;
};

// Answers questions from a script, in order; Yes once the script runs out
// unless told otherwise. `whileOpen` runs while a question or the server
// message window is open, as the nested event loop of a modal box would.
class ScriptedDialogs : public ports::Dialogs {
 public:
  ports::Answer AskYesNo(const std::string& title, const std::string& text) override;
  void ShowCritical(const std::string& title, const std::string& text) override;
  void ShowServerMessage(const std::string& text) override;

  std::deque<ports::Answer> answers;
  ports::Answer whenScriptEnds = ports::Answer::Yes;
  std::function<void()> whileOpen;
  std::vector<Question> asked;
  std::vector<Question> boxes;
  std::vector<std::string> serverMessages;
};

class FakeView : public ports::MainView {
 public:
  void SetText(ports::Control control, const std::string& text) override;
  void SetEnabled(ports::Control control, bool enabled) override { enabled_[control] = enabled; }
  ports::WindowRect Geometry() const override { return geometry; }
  void SetGeometry(const ports::WindowRect& rect) override { geometry = rect; }

  std::string Text(ports::Control control) const;
  bool Enabled(ports::Control control) const;

  ports::WindowRect geometry{1500, 1500, 12225, 9630};
  std::vector<std::string> displays;  // every status line shown, in order

 private:
  std::map<ports::Control, std::string> texts_;
  std::map<ports::Control, bool> enabled_;
};

class FakeScreen : public ports::Screen {
 public:
  int WidthTwips() const override { return width; }
  int HeightTwips() const override { return height; }
  int width = 15360;
  int height = 11520;
};

// The program ended at once (a No to the questions, a server code).
struct ProgramEnded {};
// The program stopped with an error report.
struct ProgramFailed {
  std::string report;
};

class FakeProcess : public ports::Process {
 public:
  [[noreturn]] void EndAtOnce() override { throw ProgramEnded{}; }
  void UnloadMainWindow() override;
  [[noreturn]] void Fail(const std::string& report) override { throw ProgramFailed{report}; }

  std::function<void()> onUnload;
  bool unloaded = false;
};

// The whole test platform, for the core tests and the fuzz targets alike:
// nothing answers a navigation or a download until the test says how.
struct FakePlatform {
  EventQueue queue;
  VirtualClock clock;
  FakeTimer timer{clock};
  FakeBrowser browser{queue};
  FakeTransfer transfer;
  FakePump pump{queue};
  ScriptedDialogs dialogs;
  FakeView view;
  FakeScreen screen;
  FakeProcess process;
  ports::Platform platform{browser, transfer, timer, pump, dialogs, screen, clock, view, process};
};

}  // namespace webaccess::testing
