#pragma once

#include <cstdint>
#include <string>

#include "BuildSettings.h"
#include "app/FixedField.h"

namespace webaccess::app {

// Flags are 16-bit integers: true is -1, false 0.
using Flag = std::int16_t;
inline constexpr Flag kTrue = -1;
inline constexpr Flag kFalse = 0;

using build::kVersion;

// The program-wide state.
struct ProgramGlobals {
  Flag CompletedSeen = kFalse;
  std::string ServerBase;
  std::string ServerMessages;  // each message followed by CR LF
  FixedField<7> CompanyNumber;
  FixedField<4> CompanyPassword;
  FixedField<6> UserId;
  FixedField<6> UserPassword;
};

// The run variables of the main window. Counters are 16-bit.
struct RunVariables {
  Flag PickUpPending = kFalse;
  Flag AbortSeen = kFalse;
  Flag PickUpOnly = kFalse;
  Flag InquiriesDone = kFalse;
  std::int16_t BatchCount = 0;
  std::int16_t WaitTicks = 0;
  std::int16_t ReplyState = 0;
  std::int16_t RecordsSent = 0;
  std::int16_t PollTicks = 0;
  std::int16_t OrderCount = 0;
  std::string BatchId;
  std::string FirstTime;
};

// Adds one, stopping at the largest 16-bit value instead of overflowing.
inline void Increment(std::int16_t& counter) {
  if (counter < INT16_MAX) ++counter;
}

}  // namespace webaccess::app
