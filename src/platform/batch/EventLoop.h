#pragma once

#include <cstdint>
#include <deque>
#include <functional>

#include "ports/Clock.h"
#include "ports/EventPump.h"
#include "ports/WaitTimer.h"

namespace webaccess::platform::batch {

// Work under way outside the loop that will post events when it ends: the
// network.
class EventSource {
 public:
  virtual ~EventSource() = default;
  // Takes in whatever has arrived, without blocking; may post events.
  virtual void Poll() = 0;
  // True while something is under way that will post an event.
  virtual bool Busy() const = 0;
  // Blocks until something may have arrived, or at most `milliseconds`.
  virtual void Wait(int milliseconds) = 0;
};

class EventLoop;

// The poll timer on the loop's steady clock. A tick that falls due becomes a
// pending event; at most one tick is pending at a time, and setting the
// interval drops a tick that is pending but not yet run.
class LoopTimer : public ports::WaitTimer {
 public:
  void SetInterval(int milliseconds) override;
  int Interval() const override { return interval_; }

 private:
  friend class EventLoop;
  explicit LoopTimer(const ports::Clock& clock) : clock_(clock) {}
  void Fire(std::uint64_t generation);

  const ports::Clock& clock_;
  int interval_ = 0;
  std::int64_t due_ = 0;
  std::uint64_t generation_ = 0;
  bool tickPending_ = false;
};

// A single-threaded event loop: a queue of pending events, the poll timer
// and one event source.
//
// A pass (ProcessPendingEvents) first takes in what has arrived, then runs
// pending events in the order they became pending. Handlers may start a pass
// of their own (the core does, after every request); such a nested pass runs
// only events that were already pending when the outermost pass began.
// Whatever becomes pending while a pass is running, a reply to a request
// sent from inside it for one, waits for the outer loop's next turn. So a
// reply is run inside the pass of the handler that asked for it only when it
// had really arrived before, and a conversation of any length never nests
// deeper than the handful of events pending at one time.
class EventLoop : public ports::EventPump {
 public:
  explicit EventLoop(const ports::Clock& clock) : clock_(clock), timer_(clock) {}
  EventLoop(const EventLoop&) = delete;
  EventLoop& operator=(const EventLoop&) = delete;

  void SetSource(EventSource* source) { source_ = source; }
  LoopTimer& Timer() { return timer_; }

  // The event becomes pending now.
  void Post(std::function<void()> event);

  // One pass, as described above.
  void ProcessPendingEvents() override;

  // The outer loop's turn: waits until an event is pending, the timer falls
  // due or `limitMs` has passed (blocking in the event source), then makes
  // one pass.
  void Turn(int limitMs);

  // Nothing pending, nothing under way and the timer stopped: no event can
  // come any more.
  bool Idle() const;

  // How many passes are running now, and the most there ever were at once.
  int Depth() const { return depth_; }
  int MaxDepth() const { return maxDepth_; }

 private:
  void Gather();

  struct Pending {
    std::uint64_t sequence;
    std::function<void()> run;
  };

  const ports::Clock& clock_;
  LoopTimer timer_;
  EventSource* source_ = nullptr;
  std::deque<Pending> queue_;
  std::uint64_t nextSequence_ = 0;
  std::uint64_t horizon_ = 0;  // passes run events below this sequence number
  int depth_ = 0;
  int maxDepth_ = 0;
};

}  // namespace webaccess::platform::batch
