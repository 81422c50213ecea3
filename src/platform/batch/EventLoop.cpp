#include "platform/batch/EventLoop.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace webaccess::platform::batch {

void LoopTimer::SetInterval(int milliseconds) {
  interval_ = std::max(milliseconds, 0);
  ++generation_;
  tickPending_ = false;
  due_ = clock_.SteadyMilliseconds() + interval_;
}

void LoopTimer::Fire(std::uint64_t generation) {
  // A tick of an earlier countdown, made pending before the interval was
  // set again, is dropped.
  if (generation != generation_) return;
  tickPending_ = false;
  if (interval_ > 0) NotifyTick();
}

void EventLoop::Post(std::function<void()> event) {
  queue_.push_back({nextSequence_++, std::move(event)});
}

void EventLoop::Gather() {
  if (source_ != nullptr) source_->Poll();
  if (timer_.interval_ > 0 && !timer_.tickPending_) {
    const std::int64_t now = clock_.SteadyMilliseconds();
    if (now >= timer_.due_) {
      timer_.tickPending_ = true;
      timer_.due_ = now + timer_.interval_;
      Post([this, generation = timer_.generation_] { timer_.Fire(generation); });
    }
  }
}

void EventLoop::ProcessPendingEvents() {
  Gather();
  if (depth_ == 0) horizon_ = nextSequence_;
  struct DepthGuard {
    explicit DepthGuard(EventLoop& loop) : loop_(loop) {
      loop_.maxDepth_ = std::max(loop_.maxDepth_, ++loop_.depth_);
    }
    ~DepthGuard() { --loop_.depth_; }
    EventLoop& loop_;
  } guard(*this);
  while (!queue_.empty() && queue_.front().sequence < horizon_) {
    std::function<void()> event = std::move(queue_.front().run);
    queue_.pop_front();
    event();
  }
}

void EventLoop::Turn(int limitMs) {
  Gather();
  if (queue_.empty()) {
    int wait = std::max(limitMs, 0);
    if (timer_.interval_ > 0) {
      const std::int64_t untilTick = timer_.due_ - clock_.SteadyMilliseconds();
      wait = static_cast<int>(std::clamp<std::int64_t>(untilTick, 0, wait));
    }
    if (source_ != nullptr) {
      source_->Wait(wait);
    } else if (wait > 0) {
      std::this_thread::sleep_for(std::chrono::milliseconds(wait));
    }
  }
  ProcessPendingEvents();
}

bool EventLoop::Idle() const {
  return queue_.empty() && (source_ == nullptr || !source_->Busy()) && timer_.interval_ == 0;
}

}  // namespace webaccess::platform::batch
