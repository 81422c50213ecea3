#include "platform/qt/QtWaitTimer.h"

namespace webaccess::platform {

QtWaitTimer::QtWaitTimer() {
  QObject::connect(&timer_, &QTimer::timeout, &timer_, [this] { NotifyTick(); });
}

void QtWaitTimer::SetInterval(int milliseconds) {
  interval_ = milliseconds;
  if (milliseconds <= 0) {
    timer_.stop();
  } else {
    timer_.start(milliseconds);
  }
}

}  // namespace webaccess::platform
