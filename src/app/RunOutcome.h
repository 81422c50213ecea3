#pragma once

#include <cstdint>

namespace webaccess::app {

// How a run has ended, or how it stands.
enum class RunOutcome : std::uint8_t {
  Running,                     // the conversation goes on
  Complete,                    // "the transfers are complete"
  AbortedByServer,             // a server message held "ABORT"
  EndedByServerCode,           // ACTION=EXIT with a known code: the program ends at once
  WaitingForUserInServerPage,  // the window is expanded for the server's own page
  CannotGoOn,                  // nothing is under way and nothing is scheduled
  CertificateRefused,          // the browser did not trust the server's certificate
};

}  // namespace webaccess::app
