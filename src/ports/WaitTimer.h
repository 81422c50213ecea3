#pragma once

#include <functional>

namespace webaccess::ports {

// The poll timer. Setting an interval in milliseconds starts the countdown
// afresh; the interval 0 stops it. It keeps ticking at its interval until it
// is stopped.
class WaitTimer {
 public:
  virtual ~WaitTimer() = default;

  virtual void SetInterval(int milliseconds) = 0;
  virtual int Interval() const = 0;

  void SetTickHandler(std::function<void()> handler) { tick_ = std::move(handler); }

 protected:
  void NotifyTick() {
    if (tick_) tick_();
  }

 private:
  std::function<void()> tick_;
};

}  // namespace webaccess::ports
