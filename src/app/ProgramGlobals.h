#pragma once

#include <cstdint>
#include <string>

#include "BuildSettings.h"
#include "app/FixedField.h"

namespace webaccess::app {

using build::kVersion;

// The program-wide state.
struct ProgramGlobals {
  bool CompletedSeen = false;
  std::string ServerBase;
  std::string ServerMessages;  // each message followed by CR LF
  FixedField<7> CompanyNumber;
  FixedField<4> CompanyPassword;
  FixedField<6> UserId;
  FixedField<6> UserPassword;
};

// What ResumeAfterMessages does once the message check has found no more
// messages.
enum class AfterMessages : std::uint8_t {
  Nothing,     // before the logon is acknowledged
  NextRecord,  // send the next record (or the batch-done request)
  Count,       // ask for the response count
  Complete,    // the run is complete
};

// The run variables of the main window. Counters are 16-bit.
struct RunVariables {
  bool PickUpPending = false;  // responses of an earlier run may still wait
  bool AbortSeen = false;      // a server message held "ABORT"
  bool PickUpOnly = false;     // the run sends no records
  bool InquiriesDone = false;  // the inquiry file has been read to its end
  std::int16_t BatchCount = 0;
  std::int16_t WaitTicks = 0;
  AfterMessages ReplyState = AfterMessages::Nothing;
  std::int16_t RecordsSent = 0;
  std::int16_t PollTicks = 0;
  std::int16_t OrderCount = 0;
  std::string BatchId;
  bool FirstTime = true;  // the main window has not been activated yet
};

// Adds one, stopping at the largest 16-bit value instead of overflowing.
inline void Increment(std::int16_t& counter) {
  if (counter < INT16_MAX) ++counter;
}

}  // namespace webaccess::app
