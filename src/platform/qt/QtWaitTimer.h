#pragma once

#include <QTimer>

#include "ports/WaitTimer.h"

namespace webaccess::platform {

// The poll timer on a toolkit timer. A positive interval starts the countdown
// afresh; 0 (or less) stops it.
class QtWaitTimer final : public ports::WaitTimer {
 public:
  QtWaitTimer();

  void SetInterval(int milliseconds) override;
  int Interval() const override { return interval_; }

 private:
  QTimer timer_;
  int interval_ = 0;
};

}  // namespace webaccess::platform
