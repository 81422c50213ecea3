#pragma once

#include "platform/EventPump.h"

namespace webaccess::platform {

// Lets the toolkit's pending events run once.
class QtEventPump final : public EventPump {
 public:
  void ProcessPendingEvents() override;
};

}  // namespace webaccess::platform
