#pragma once

namespace webaccess::ports {

// Lets the window events that are pending right now run once: timer ticks,
// completed navigations, repaints. Handlers may be re-entered through it.
class EventPump {
 public:
  virtual ~EventPump() = default;
  virtual void ProcessPendingEvents() = 0;
};

}  // namespace webaccess::ports
