#pragma once

#include "ports/EventPump.h"

namespace webaccess::platform {

// Lets the toolkit's pending events run once.
class QtEventPump final : public ports::EventPump {
 public:
  void ProcessPendingEvents() override;
};

}  // namespace webaccess::platform
